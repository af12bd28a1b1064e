// The player commands 0-41 of the global hot keys, which the main window's
// buttons, keys and tray icons share, and the hot keys manager's entries.
#include "app/general_settings.h"
#include "app/main_commands.h"
#include "app/main_frame.h"
#include "app/main_layout.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "audio/engine.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "library/statistics.h"
#include "system/hot_keys_manager.h"
#include "system/system_actions.h"
#include "system/system_volume.h"
#include "app/osd.h"
#include "ui/slider.h"

static bool TrackOpen() {
    int status = GetStatus();
    return channel != 0 && (status == StatusPlaying || status == StatusPaused);
}

static void StopCommand() {
    StatsStopListen();
    StopPlayOrder(false, true);
    RefreshStatusLine();
    ShowPlayButtonState(false);
    UpdatePositionDisplay();
}

// The current track again from its beginning, opened anew. A playlist track
// restarts as its entry, so that the playlist goes on after it.
static void RestartCommand() {
    const PlayListState& p = g_playList;
    if (p.fromPlayList && !currentPath.empty() && p.nowPlaying < (uint32_t)PlayListCount())
        PlayEntry(p.nowPlaying, true, false);
    else if (!currentPath.empty())
        PlayCurrentFile(false);
    else
        PlayCurrentEntry();
    ShowPlayButtonState(GetStatus() == StatusPlaying);
}

static void ShowVolumeOnSlider(int target, int value) {
    Slider* v = g_mainFrame.volume;
    if (!v || (int)g_general.pVolumeControls != target) return;
    v->value = value;
    Redraw(v);
}

static void StepPlayerVolume(int steps) {
    int value = VolumeStep((int)(g_general.PlayerVolume > 65535 ? 65535 : g_general.PlayerVolume), 65535, steps);
    SetPlayerVolume((uint32_t)value);
    ShowVolumeOnSlider(2, value);
}

static void StepSystemVolume(VolumeTarget target, int steps) {
    int value = GetSystemVolume(target);
    if (value < 0) return;
    value = VolumeStep(value, 65535, steps);
    SetSystemVolume(target, value);
    ShowVolumeOnSlider(target, value);
}

// Small mode on or off; with it on, the window that was in front before gets
// the foreground back, so that the bar does not take the keyboard.
static void ToggleBarMode() {
    HWND wnd = g_mainWindow;
    if (!wnd) return;
    HWND before = g_getForegroundWindow();
    if (!IsWindowVisible(wnd)) {
        ShowMainWindow(true, false);
        ShowWindow(wnd, SW_SHOWNA);
    }
    ToggleSmallMode();
    HWND other = before && before != wnd ? before : g_foregroundWindow;
    if (g_general.isSmall && other && other != wnd && IsWindow(other)) {
        SendMessageW(wnd, WM_ACTIVATE, WA_INACTIVE, 0);
        SetForegroundWindow(other);
    } else {
        SendMessageW(wnd, WM_ACTIVATE, WA_ACTIVE, 0);
        SetForegroundWindow(wnd);
    }
}

void RunPlayerCommand(int id) {
    if (id >= kManagerFirstId) {
        if (id - kManagerFirstId < ManagerEntryCount()) RunManagerEntry(id - kManagerFirstId);
        return;
    }
    switch (id) {
    case PlayerPreviousMedia:
    case PlayerPrevious:
        PlayPrevious(false);
        break;
    case PlayerPreviousOpposite:
        PlayPrevious(true);
        break;
    case PlayerPlayPauseMedia:
    case PlayerPlayPause:
        TogglePlay();
        ShowPlayButtonState(GetStatus() == StatusPlaying);
        break;
    case PlayerStopMedia:
    case PlayerStop:
        StopCommand();
        break;
    case PlayerNextMedia:
    case PlayerNext:
        PlayNext(false);
        break;
    case PlayerNextOpposite:
        PlayNext(true);
        break;
    case PlayerSeekBack5:
    case PlayerSeekBack20:
    case PlayerSeekForward5:
    case PlayerSeekForward20:
        if (!TrackOpen()) break;
        SeekByPercent(id == PlayerSeekBack5 || id == PlayerSeekForward5 ? 5 : 20,
                      id == PlayerSeekForward5 || id == PlayerSeekForward20);
        break;
    case PlayerMainVolumeUpMedia:
    case PlayerMainVolumeUp:
        StepSystemVolume(VolumeMain, 1);
        break;
    case PlayerMainVolumeDownMedia:
    case PlayerMainVolumeDown:
        StepSystemVolume(VolumeMain, -1);
        break;
    case PlayerBalanceLeft:
    case PlayerBalanceRight:
        ShiftBalance(id == PlayerBalanceLeft);
        break;
    case PlayerMainMute:
        ToggleMute(VolumeMain);
        break;
    case PlayerWaveVolumeUp:
    case PlayerWaveVolumeDown:
        StepSystemVolume(VolumeWave, id == PlayerWaveVolumeUp ? 1 : -1);
        break;
    case PlayerWaveMute:
        ToggleMute(VolumeWave);
        break;
    case PlayerVolumeUp:
    case PlayerVolumeDown:
        StepPlayerVolume(id == PlayerVolumeUp ? 1 : -1);
        break;
    case PlayerShowHide:
        if (g_mainWindow) ShowMainWindow(!IsWindowVisible(g_mainWindow), true);
        break;
    case PlayerBarMode:
        ToggleBarMode();
        break;
    case PlayerOsdNumpad:
    case PlayerOsd:
        ToggleOsd();
        break;
    case PlayerClose:
        if (g_mainWindow) SendMessageW(g_mainWindow, WM_DESTROY, 0, 0);
        break;
    case SystemKillNumpad:
    case SystemKill:
    case SystemKillMedia:
        KillForegroundApp();
        break;
    case SystemCloseApp:
        CloseForegroundApp();
        break;
    case SystemEnableWindow:
        EnableWindowUnderCursor();
        break;
    case SystemShowHandles:
        ShowForegroundHandles();
        break;
    case SystemOnTop:
        ToggleForegroundOnTop(g_mainWindow);
        break;
    case SystemPointerLock:
        TogglePointerLock();
        break;
    case SystemSuspend:
        ToggleForegroundSuspend(g_mainWindow);
        break;
    case PlayerRestart:
        RestartCommand();
        break;
    case SystemRestartAero:
        RestartComposition();
        break;
    }
}
