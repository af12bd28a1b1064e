#include "app/main_window.h"
#include "app/command_line.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "app/main_frame.h"
#include "audio/engine.h"
#include "system/hot_keys.h"

HWND g_mainWindow;

static const int kCreateWidth = 426;
static const int kCreateHeight = 566;

// Runs once per main window: a WM_CLOSE followed by a WM_DESTROY must not
// save again after playback stopped, which would forget the track and its position.
static bool g_shutdownDone = false;

void RunShutdownSequence() {
    if (!g_shutdownDone) {
        g_shutdownDone = true;
        SaveAllSettings();
        StopPlayback();
        ShutdownAudio();
        UnregisterHotKeys();
    }
    PostQuitMessage(0);
}

static LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    UiWindow* ui = g_mainFrame.window;
    if (!ui || wnd != ui->hwnd) return DefWindowProcW(wnd, msg, wp, lp);
    // The framework sees every message first; it may turn a press into a double click.
    Dispatch(ui, &msg, wp, lp);
    switch (msg) {
    case WM_COPYDATA: {
        LRESULT r = DefWindowProcW(wnd, msg, wp, lp);
        const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)lp;
        if (cds && cds->cbData == sizeof(HandOffRecord) && cds->lpData) {
            HandOffRecord rec;
            memcpy(&rec, cds->lpData, sizeof(rec));
            HandleHandOff(rec);
        }
        return r;
    }
    case WM_QUERYENDSESSION:
        SaveAllSettings();
        break;
    case WM_CLOSE:
    case WM_DESTROY:
        RunShutdownSequence();
        return 0;
    case WM_USER:
        if (wp == kPaintBackground) LayoutMainFrame();
        break;
    case WM_NCDESTROY:
        // Windows destroyed the window (also when someone else called DestroyWindow).
        g_mainWindow = g_mainWindow == wnd ? nullptr : g_mainWindow;
        ui->hwnd = nullptr;
        return DefWindowProcW(wnd, msg, wp, lp);
    }
    LRESULT result = DefWindowProcW(wnd, msg, wp, lp);
    return AfterDefault(ui, wnd, msg, wp, lp, result);
}

HWND CreateMainWindow() {
    g_shutdownDone = false;
    const wchar_t* title = InstanceTitle().c_str();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    g_mainWindow = CreateMainFrame(title, MainWindowProc, g_general.isOnTop ? WS_EX_TOPMOST : 0,
                                   work.right - kCreateWidth, work.bottom - kCreateHeight, kCreateWidth,
                                   kCreateHeight);
    return g_mainWindow;
}

void ShowMainWindow() {
    if (!g_mainWindow) return;
    if (g_general.isVisible)
        ShowWindow(g_mainWindow, g_general.isMaximized && !g_general.isSmall ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    else
        SendMessageW(g_mainWindow, WM_SIZE, 0, 0);
}
