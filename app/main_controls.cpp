// What the main window's controls tell their owner.
#include "app/general_settings.h"
#include "app/lyrics.h"
#include "app/main_commands.h"
#include "app/main_frame.h"
#include "app/main_layout.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "audio/engine.h"
#include "audio/overview.h"
#include "audio/visualization.h"
#include "system/system_volume.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "library/statistics.h"
#include "ui/dpi.h"
#include "ui/button.h"
#include "ui/custom_control.h"
#include "ui/draw.h"
#include "ui/slider.h"
#include "ui/theme.h"

static Button* ButtonAt(LPARAM pos) {
    MainFrame& f = g_mainFrame;
    Button* all[] = {f.buttons[0], f.buttons[1], f.buttons[2], f.buttons[3], f.shuffle, f.loop, f.settings};
    for (Button* b : all)
        if (b && b->visible && b->HitTest(PointX(pos), PointY(pos))) return b;
    return nullptr;
}

static void PlayButton(bool ctrl) {
    // With Ctrl: the current track again from its beginning.
    if (ctrl) RunPlayerCommand(PlayerRestart);
    else TogglePlay();
    ShowPlayButtonState(GetStatus() == StatusPlaying);
}

LRESULT MainButtonNotify(HWND, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_LBUTTONUP) return 0;
    MainFrame& f = g_mainFrame;
    Button* b = ButtonAt(lp);
    if (!b) return 0;
    if (b == f.buttons[0]) SendMessageW(g_mainWindow, WM_HOTKEY, PlayerPrevious, 0);
    else if (b == f.buttons[1]) PlayButton(GetKeyState(VK_CONTROL) < 0);
    else if (b == f.buttons[2]) RunPlayerCommand(PlayerStop);
    else if (b == f.buttons[3]) SendMessageW(g_mainWindow, WM_HOTKEY, PlayerNext, 0);
    else if (b == f.shuffle) g_general.isShuffle = b->toggleState == ToggleDown;
    else if (b == f.loop) SetLoop(b->toggleState == ToggleDown);
    else if (b == f.settings) RunCommand(CmdSettings);
    return 0;
}

// A press or a drag on the seek panel: seek there, or at the very end of a
// playlist track without loop, go on to the next track.
static void SeekFromPanel() {
    Slider* seek = g_mainFrame.seek;
    int status = GetStatus();
    if (channel == 0 || seekLength <= 1 || (status != StatusPlaying && status != StatusPaused)) {
        seek->value = 0;
        Redraw(seek);
        return;
    }
    uint32_t target = (uint32_t)seek->value;
    if (target >= seekLength && PlayListCount() > 0 && PlayingFromPlayList() && !g_general.isLoop) {
        SendMessageW(g_mainWindow, WM_HOTKEY, PlayerNext, 0);
        return;
    }
    SeekTo(target);
    seekPosition = target;
    UpdatePositionDisplay();
}

// Right press: the plain bar and the graphical panel change places.
static void ToggleSeekGraphical() {
    if (g_general.isSmall || !g_mainWindow) return;
    int before = g_general.isSeekGraphical ? g_layout.seekHeight : Scale(20);
    if (g_general.isSeekGraphical) {
        if (g_general.isMaximized) g_general.pSeekHeightMaximized = g_layout.seekHeight;
        else g_general.pSeekHeight = g_layout.seekHeight;
    }
    g_general.isSeekGraphical = !g_general.isSeekGraphical;
    if (g_general.isSeekGraphical) {
        int h = g_general.isMaximized ? g_general.pSeekHeightMaximized : g_general.pSeekHeight;
        g_layout.seekHeight = h < Scale(45) ? Scale(45) : h;
    }
    int after = g_general.isSeekGraphical ? g_layout.seekHeight : Scale(20);
    if (!IsZoomed(g_mainWindow)) {
        RECT r;
        GetWindowRect(g_mainWindow, &r);
        SetWindowPos(g_mainWindow, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + after - before,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(g_mainWindow, WM_SIZE, 0, 0);
    SendMessageW(g_mainWindow, WM_SIZE, 0, 0);
    // The waveform of the loaded track, unless it was read already.
    if (g_general.isSeekGraphical) {
        if (g_mainFrame.seek) ResizeOverview(g_mainFrame.seek->width - 2, g_mainFrame.seek->height - 2);
        StartOverviewScan();
    }
}

LRESULT SeekPanelNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case 0:
        PaintSeekPanel();
        break;
    case WM_LBUTTONDOWN:
        SeekFromPanel();
        break;
    case WM_MOUSEMOVE:
        if (wp & MK_LBUTTON) SeekFromPanel();
        break;
    case WM_RBUTTONDOWN:
        ToggleSeekGraphical();
        break;
    }
    return 0;
}

// The volume the slider shows: the player's, or the system's main or wave volume.
static int ControlledVolume() {
    if (g_general.pVolumeControls == 2) return (int)(g_general.PlayerVolume > 65535 ? 65535 : g_general.PlayerVolume);
    return GetSystemVolume(g_general.pVolumeControls == 1 ? VolumeWave : VolumeMain);
}

void RefreshVolumeSlider(bool force) {
    Slider* v = g_mainFrame.volume;
    if (!v || v->held) return;
    int value = ControlledVolume();
    bool muted = g_general.pVolumeControls != 2 && IsMuted(g_general.pVolumeControls == 1 ? VolumeWave : VolumeMain);
    if (value < 0 && !force) return;
    if (value < 0) value = 0;
    if (value > v->maximum) value = v->maximum;
    if (value == v->value && muted == v->alternate && !force) return;
    v->value = value;
    v->alternate = muted;
    Redraw(v);
}

LRESULT VolumeNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    Slider* v = g_mainFrame.volume;
    switch (msg) {
    case WM_TIMER:
        RefreshVolumeSlider(false);
        break;
    case WM_LBUTTONDOWN:
        ApplyVolume(v->value);
        break;
    case WM_MOUSEMOVE:
        if (wp & MK_LBUTTON) ApplyVolume(v->value);
        break;
    case WM_RBUTTONDOWN:
        ToggleMute(g_general.pVolumeControls == 1 ? VolumeWave : VolumeMain);
        RefreshVolumeSlider(true);
        break;
    }
    return 0;
}

LRESULT InfoPanelNotify(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_LBUTTONDBLCLK) SearchLyrics();
    return 0;
}

LRESULT SpectrumNotify(HWND, UINT msg, WPARAM, LPARAM lp) {
    CustomControl* c = g_mainFrame.spectrum;
    static int ticks;
    switch (msg) {
    case WM_LBUTTONDOWN:
        return 1;  // each click flips the panel between spectrum and oscilloscope
    case WM_TIMER:
        // Every second tick while the track plays (not while it fades towards a pause).
        if (++ticks % 2 == 0 && c && c->visible && channel.load() && AudioIsActive(channel.load()) == AudioPlaying &&
            !pauseRequested)
            Redraw(c);
        return 0;
    case WM_NCPAINT: {
        if (!lp) return 0;
        c = (CustomControl*)lp;
        if (g_vis.width != c->width - 2 || g_vis.height != c->height - 2) ResizeVis(c->width - 2, c->height - 2);
        g_general.SpectrumType = c->state == 1 ? 1 : 0;
        PaintVis(c->surface.memoryDC, c->state);
        const COLORREF* k = g_theme.slider;
        Frame(&c->surface, 0, 0, c->width, c->height, k[3], k[4]);
        return 0;
    }
    }
    return 0;
}
