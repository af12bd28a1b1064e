#include "app/startup.h"
#include "app/notifications.h"
#include "app/command_line.h"
#include "library/file_actions.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "app/main_drop.h"
#include "app/main_window.h"
#include "base/messages.h"
#include "base/paths.h"
#include "app/shell_integration.h"
#include "app/main_frame.h"
#include "audio/engine.h"
#include "audio/overview.h"
#include "system/system_volume.h"
#include "system/tray_icons.h"
#include <versionhelpers.h>
#include "ui/slider.h"
#include "audio/track_display.h"
#include "library/mt19937.h"
#include "system/hot_keys.h"
#include "system/hot_keys_manager.h"
#include "system/layout_switcher.h"
#include "system/system_actions.h"
#include "library/statistics.h"
#include "app/osd.h"
#include <shellapi.h>
#include <ole2.h>
#include <stdint.h>

static std::wstring CurrentFolder() {
    wchar_t dir[MAX_PATH * 2] = {};
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, dir);
    std::wstring s(dir, n < MAX_PATH * 2 ? n : 0);
    if (s.empty() || s.back() != L'\\') s += L'\\';
    return s;
}

int RunPlayer() {
    g_random.Seed(GetTickCount());
    InstallNotifications();
    SetGeneralDefaults();

    CommandLine cl;
    ParseCommandLine(GetCommandLineW(), CurrentFolder(), &cl);
    if (cl.showHelp) {
        int n = MultiByteToWideChar(CP_ACP, 0, kHelpText, -1, nullptr, 0);
        std::wstring text(n > 0 ? (size_t)n - 1 : 0, L'\0');
        if (n > 1) MultiByteToWideChar(CP_ACP, 0, kHelpText, -1, text.data(), n);
        ShowInformation((text + L"\r\n\r\n" + DataFolderText()).c_str());
        return 0;
    }
    if (cl.unregister) {
        RemoveShellIntegration();
        return 0;
    }
    if (cl.fileOperations) fileOperationsAllowed = true;
    if (!cl.tooLongPath.empty()) {
        std::wstring text = L"The path is too long to open (more than 259 characters):\n" + cl.tooLongPath;
        ShowInformation(text.c_str());
    }

    if (!cl.forceStart) {
        // A player that has begun closing is no running player: this process
        // starts once it has saved and ended. So does one that refuses the
        // record (it began closing meanwhile) or gives no answer.
        HWND closing = nullptr;
        HWND running = FindRunningPlayer(InstanceTitle().c_str(), &closing);
        if (running) {
            if (!cl.hasPath) return 0;
            if (SendHandOff(running, cl.record, kHandOffTimeoutMs)) return 0;
            if (IsPlayerClosing(running) || !IsWindow(running)) closing = running;
        }
        if (closing) WaitForPlayerToEnd(closing, kClosingPlayerWaitMs);
    }

    SetPriorityClass(GetCurrentProcess(), ABOVE_NORMAL_PRIORITY_CLASS);
    // The theme is needed before anything is drawn.
    LoadThemeSetting();
    if (!CreateMainWindow()) return 0;
    DragAcceptFiles(g_mainWindow, TRUE);
    OleInitialize(nullptr);
    RegisterDropTarget(g_mainWindow);
    g_systemVolume.useEndpoint = IsWindowsVistaOrGreater();
    InitSystemVolume();
    CreateOsd();

    g_engine.playState = PlayStateStopped;
    if (!cl.noSound) InitAudio();
    SetPlayerHotKeyDefaults();
    SetSystemHotKeyDefaults();
    SetManagerDefaults();
    SetLayoutSwitcherDefaults();
    LoadStatistics();
    LoadGeneralSettings(!cl.hasPath, cl.forceStart);
    // The tray icons after the settings: an icon switched off is never shown.
    CreateTrayIcons(g_mainWindow);
    RegisterHotKeys(g_mainWindow);
    RegisterManagerHotKeys(g_mainWindow);
    InstallLayoutSwitcher();
    RefreshTrackDisplay();
    if (cl.hasPath) HandleHandOff(cl.record);
    ShowMainWindowAtStart();
    // A track opened before the window showed gets its waveform now.
    if (g_mainFrame.seek && g_general.isSeekGraphical) {
        ResizeOverview(g_mainFrame.seek->width - 2, g_mainFrame.seek->height - 2);
        StartOverviewScan();
    }
    SaveAllSettings();

    LookUpDwmComposition();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyTrayIcons();
    ReleaseSystemVolume();
    OleUninitialize();
    return 0;
}
