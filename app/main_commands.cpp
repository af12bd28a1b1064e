#include "app/main_commands.h"
#include "app/general_settings.h"
#include "app/main_frame.h"
#include "app/main_layout.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "audio/audio_library.h"
#include "audio/devices.h"
#include "audio/engine.h"
#include "system/system_volume.h"
#include "library/adding.h"
#include "library/play_order.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "app/settings/settings_window.h"
#include "ui/slider.h"
#include <stdio.h>
#include <string>

static HMENU g_menu;
static int g_deviceItems;   // devices inserted on the last display
static int g_insertedItems; // devices and the separator under them

int VolumeStep(int value, int maximum, int steps) {
    if (maximum <= 0) return 0;
    int count = steps < 0 ? -steps : steps;
    for (int i = 0; i < count; i++) {
        int percent = (int)((int64_t)value * 100 / maximum);
        int step = percent < 4 ? 1 : percent <= 5 ? 2 : percent <= 10 ? 3 : 5;
        // maximum * step / 100, rounded up going up and down going down, so that a
        // step from a value showing p % lands on one showing p +/- step %.
        int64_t exact = (int64_t)maximum * step;
        int amount = (int)(steps < 0 ? exact / 100 : (exact + 99) / 100);
        value += steps < 0 ? -amount : amount;
        if (value < 0) value = 0;
        if (value > maximum) value = maximum;
    }
    return value;
}

void ApplyVolume(int value) {
    if (g_general.pVolumeControls == 2) SetPlayerVolume((uint32_t)value);
    else SetSystemVolume(g_general.pVolumeControls == 1 ? VolumeWave : VolumeMain, value);
}

void ChangeVolume(int steps) {
    Slider* v = g_mainFrame.volume;
    if (!v) return;
    v->value = VolumeStep(v->value, v->maximum, steps);
    ApplyVolume(v->value);
    Redraw(v);
}

static void ShowToggle(Button* b, bool on) {
    if (!b) return;
    b->toggleState = on ? ToggleDown : ToggleUp;
    if (b->visible) Redraw(b);
}

void RunCommand(int id) {
    if (id >= 1 && id <= g_deviceItems) {
        ReinitAudio(id);
        return;
    }
    switch (id) {
    case CmdSettings:
        // The button stays down while the window is open.
        ToggleSettingsWindow();
        ShowToggle(g_mainFrame.settings, SettingsWindowHandle() != nullptr);
        break;
    case CmdShuffle:
        g_general.isShuffle = !g_general.isShuffle;
        ShowToggle(g_mainFrame.shuffle, g_general.isShuffle);
        break;
    case CmdLoopTrack:
        SetLoop(!g_general.isLoop);
        ShowToggle(g_mainFrame.loop, g_general.isLoop);
        break;
    case CmdLoopPlayList:
        g_general.isLoopPlayList = !g_general.isLoopPlayList;
        break;
    case CmdShutdownAfterPlayList:
        shutdownAfterPlayList = !shutdownAfterPlayList;
        break;
    case CmdRestartPlayList:
        RestartPlayList(true);
        break;
    case CmdShowCurrent:
        ShowCurrent();
        break;
    case CmdExit:
        if (g_mainWindow) SendMessageW(g_mainWindow, WM_CLOSE, 0, 0);
        break;
    }
}

int DeviceItemCount() { return g_deviceItems; }

void ReleaseContextMenu() {
    if (g_menu) DestroyMenu(g_menu);
    g_menu = nullptr;
    g_deviceItems = g_insertedItems = 0;
}

void ShowContextMenu(int screenX, int screenY) {
    if (!g_mainWindow) return;
    if (!g_menu) g_menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(107));
    HMENU popup = g_menu ? GetSubMenu(g_menu, 0) : nullptr;
    if (!popup) return;
    for (int i = 0; i < g_insertedItems; i++) DeleteMenu(popup, 0, MF_BYPOSITION);
    g_deviceItems = g_insertedItems = 0;
    g_deviceItems = FillDeviceMenu(popup);
    g_insertedItems = g_deviceItems;
    if (g_deviceItems) {
        InsertMenuW(popup, g_deviceItems, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        g_insertedItems++;
    }
    auto check = [&](UINT id, bool on) { CheckMenuItem(popup, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
    check(CmdShuffle, g_general.isShuffle);
    check(CmdLoopTrack, g_general.isLoop);
    check(CmdLoopPlayList, g_general.isLoopPlayList);
    check(CmdShutdownAfterPlayList, shutdownAfterPlayList);
    SetForegroundWindow(g_mainWindow);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenX, screenY, 0, g_mainWindow, nullptr);
    PostMessageW(g_mainWindow, WM_NULL, 0, 0);
}

static bool Held(int vk) { return GetKeyState(vk) < 0; }

bool IsMainWindowKey(UINT msg, WPARAM vk) {
    if (msg != WM_KEYDOWN) return false;
    bool ctrl = Held(VK_CONTROL), shift = Held(VK_SHIFT);
    if ((vk == VK_ADD || vk == VK_SUBTRACT) && ctrl && shift) return true;
    bool arrow = vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT;
    return arrow && (ctrl || g_general.isSmall);
}

static bool Focused(const Control* c) {
    UiWindow* ui = g_mainFrame.window;
    return c && ui && ui->focusIndex == c->index && c->visible;
}

static bool ListEditing(const ListView* l) { return l && l->searchActive; }

bool HandleMainKey(UINT msg, WPARAM vk) {
    MainFrame& f = g_mainFrame;
    bool ctrl = Held(VK_CONTROL), shift = Held(VK_SHIFT);
    if (msg == WM_SYSKEYDOWN) {
        if (vk == VK_F10) {
            RunCommand(CmdShuffle);
            return true;
        }
        return false;
    }
    if (msg != WM_KEYDOWN) return false;
    switch (vk) {
    case VK_ESCAPE:
        if (!IsAdding()) return false;
        CancelAdding();
        return true;
    case VK_SPACE: {
        if (ListEditing(f.fileList) || ListEditing(f.playList)) return false;
        bool listFocused = Focused(f.fileList) || Focused(f.playList) || Focused(f.info) || Focused(f.statusLine);
        if (!listFocused) return false;
        SendMessageW(g_mainWindow, WM_HOTKEY, PlayerPlayPause, 0);
        return true;
    }
    case VK_UP:
    case VK_DOWN:
        if (!ctrl && !g_general.isSmall) return false;
        ChangeVolume((vk == VK_UP ? 1 : -1) * (shift ? 4 : 1));
        return true;
    case VK_LEFT:
    case VK_RIGHT:
        if (!ctrl && !g_general.isSmall) return false;
        if (vk == VK_LEFT) RunPlayerCommand(shift ? PlayerSeekBack20 : PlayerSeekBack5);
        else RunPlayerCommand(shift ? PlayerSeekForward20 : PlayerSeekForward5);
        return true;
    case VK_ADD:
    case VK_SUBTRACT:
        // Kept from the lists; the system volume keys belong to the hot keys.
        return ctrl && shift;
    case '3':
        if (!ctrl || g_general.LCR == 0) return false;
        g_layout.splitterOffset = g_layout.keptOffset;
        SetPanelLayout(0);
        return true;
    case '4': {
        if (!ctrl || g_general.LCR != 0) return false;
        g_layout.keptOffset = g_layout.splitterOffset;
        bool fileSide = Focused(f.fileList) || Focused(f.pathBar);
        // Keep the focused list's side: hiding the right side is 2, the left 1.
        bool keepLeft = fileSide == FileListOnLeft();
        SetPanelLayout(keepLeft ? 2 : 1);
        return true;
    }
    case 'U': {
        if (!ctrl) return false;
        g_general.isSwapPanels = !g_general.isSwapPanels;
        int lcr = g_general.LCR;
        bool fileListShown = lcr != 0 && ((lcr == 2) == FileListOnLeft());
        SetPanelLayout(lcr);
        if (fileListShown && f.window) SetFocusIndex(f.window, f.fileList->index, true);
        return true;
    }
    case VK_F9:
        RunCommand(CmdSettings);
        return true;
    case VK_F10:
        RunCommand(CmdShuffle);
        return true;
    case VK_F11:
        RunCommand(CmdLoopTrack);
        return true;
    }
    return false;
}

