#include "app/main_window.h"
#include "app/command_line.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "audio/engine.h"
#include "system/hot_keys.h"

HWND g_mainWindow;

static const int kCreateWidth = 426;
static const int kCreateHeight = 566;

// Runs once: a WM_CLOSE followed by a WM_DESTROY must not save again after
// playback stopped, which would forget the track and its position.
void RunShutdownSequence() {
    static bool done = false;
    if (!done) {
        done = true;
        SaveAllSettings();
        StopPlayback();
        ShutdownAudio();
        UnregisterHotKeys();
    }
    PostQuitMessage(0);
}

static LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
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
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT r;
        GetClientRect(wnd, &r);
        HBRUSH back = CreateSolidBrush(RGB(36, 38, 46));
        FillRect(dc, &r, back);
        DeleteObject(back);
        SetTextColor(dc, RGB(200, 200, 200));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, InstanceTitle().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(wnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND CreateMainWindow() {
    const wchar_t* title = InstanceTitle().c_str();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = title;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    g_mainWindow = CreateWindowExW(g_general.isOnTop ? WS_EX_TOPMOST : 0, title, title, WS_OVERLAPPEDWINDOW,
                                   work.right - kCreateWidth, work.bottom - kCreateHeight, kCreateWidth,
                                   kCreateHeight, nullptr, nullptr, wc.hInstance, nullptr);
    return g_mainWindow;
}

void ShowMainWindow() {
    if (!g_mainWindow) return;
    if (g_general.isVisible)
        ShowWindow(g_mainWindow, g_general.isMaximized && !g_general.isSmall ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    else
        SendMessageW(g_mainWindow, WM_SIZE, 0, 0);
}
