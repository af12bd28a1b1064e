#include "system/system_actions.h"
#include "base/general_settings.h"
#include "base/messages.h"
#include <tlhelp32.h>
#include <stdio.h>
#include <string>

// user32 exports it; the headers declare it only for WINNT builds.
extern "C" __declspec(dllimport) BOOL WINAPI EndTask(HWND wnd, BOOL shutDown, BOOL force);

static HWND NoSettingsWindow() { return nullptr; }
HWND (*g_settingsWindowHandle)() = NoSettingsWindow;

HWND(WINAPI* g_getForegroundWindow)() = GetForegroundWindow;
BOOL(WINAPI* g_endTask)(HWND, BOOL, BOOL) = EndTask;
DwmEnableCompositionFn g_dwmEnableComposition;

// The pointer lock: the clip in force before it, and the clip it set.
static bool g_pointerLocked;
static RECT g_clipBefore;
static RECT g_clipLocked;

void LookUpDwmComposition() {
    g_dwmEnableComposition = nullptr;
    if (HMODULE dwm = GetModuleHandleW(L"Dwmapi.dll"))
        g_dwmEnableComposition = (DwmEnableCompositionFn)(void*)GetProcAddress(dwm, "DwmEnableComposition");
}

void KillForegroundApp() {
    if (HWND fg = g_getForegroundWindow()) g_endTask(fg, FALSE, TRUE);
}

void CloseForegroundApp() {
    if (HWND fg = g_getForegroundWindow()) SendMessageW(fg, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void EnableWindowUnderCursor() {
    POINT p;
    if (!GetCursorPos(&p)) return;
    if (HWND wnd = WindowFromPoint(p)) EnableWindow(wnd, TRUE);
}

void ShowForegroundHandles() {
    HWND fg = g_getForegroundWindow();
    if (!fg) return;
    HDC dc = GetDC(fg);
    wchar_t text[64];
    _snwprintf(text, 64, L"hWnd: %08X;\nhDC: %X;", (unsigned)(uintptr_t)fg, (unsigned)(uintptr_t)dc);
    text[63] = 0;
    if (dc) ReleaseDC(fg, dc);
    ShowInformation(text);
    SetForegroundWindow(fg);
}

void ApplyOnTop(HWND wnd, bool onTop) {
    if (!wnd) return;
    bool shown = IsWindowVisible(wnd) != FALSE;
    // The taskbar takes a changed tool-window style only from a hidden window.
    if (shown) ShowWindow(wnd, SW_HIDE);
    LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    // Only the taskbar bits change: the others (dropped files) stay.
    ex &= ~(LONG_PTR)(WS_EX_TOOLWINDOW | WS_EX_APPWINDOW);
    ex |= onTop ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW;
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex);
    SetWindowPos(wnd, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (shown) ShowWindow(wnd, SW_SHOWNA);
}

void ToggleForegroundOnTop(HWND mainWindow) {
    HWND fg = g_getForegroundWindow();
    if (!fg) return;
    if (fg == mainWindow) {
        g_general.isOnTop = !g_general.isOnTop;
        ApplyOnTop(mainWindow, g_general.isOnTop);
        SetForegroundWindow(mainWindow);
        return;
    }
    bool topmost = (GetWindowLongPtrW(fg, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    SetWindowPos(fg, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

static bool ClientAreaOnScreen(HWND wnd, RECT* r) {
    if (!wnd || !GetClientRect(wnd, r)) return false;
    MapWindowPoints(wnd, nullptr, (POINT*)r, 2);
    return !IsRectEmpty(r);
}

bool PointerLocked() { return g_pointerLocked; }

void TogglePointerLock() {
    g_pointerLocked = !g_pointerLocked;
    if (g_pointerLocked) {
        RECT area;
        if (!ClientAreaOnScreen(g_getForegroundWindow(), &area)) {
            g_pointerLocked = false;
            return;
        }
        GetClipCursor(&g_clipBefore);
        ClipCursor(&area);
        // What is in force, as Windows cut it to the screen.
        GetClipCursor(&g_clipLocked);
        return;
    }
    RECT now;
    GetClipCursor(&now);
    if (EqualRect(&now, &g_clipLocked)) {
        ClipCursor(&g_clipBefore);
        return;
    }
    // The system let the pointer go (another window came to the front):
    // lock it to the window in front now instead.
    TogglePointerLock();
}

void ToggleProcessSuspend(DWORD processId) {
    // Suspending the player's own threads would leave nobody to resume them.
    if (processId == 0 || processId == GetCurrentProcessId()) return;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 te{};
    te.dwSize = sizeof(te);
    bool decided = false, suspend = false;
    for (BOOL more = Thread32First(snapshot, &te); more; more = Thread32Next(snapshot, &te)) {
        if (te.th32OwnerProcessID != processId) continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, te.th32ThreadID);
        if (!thread) continue;
        if (!decided) {
            // The first thread's suspend count tells whether the process runs.
            DWORD before = SuspendThread(thread);
            if (before != (DWORD)-1) {
                ResumeThread(thread);
                decided = true;
                suspend = before == 0;
            }
        }
        if (decided) {
            if (suspend) SuspendThread(thread);
            else ResumeThread(thread);
        }
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
}

void ToggleForegroundSuspend(HWND mainWindow) {
    HWND fg = g_getForegroundWindow();
    if (!fg || fg == mainWindow || fg == g_settingsWindowHandle()) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(fg, &processId);
    ToggleProcessSuspend(processId);
}

void RestartComposition() {
    if (!g_dwmEnableComposition) return;
    g_dwmEnableComposition(0);
    g_dwmEnableComposition(1);
}

bool RunCommandLine(const wchar_t* commandLine) {
    if (!commandLine) return false;
    std::wstring writable(commandLine);  // CreateProcessW may write into it
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}
