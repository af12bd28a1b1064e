// Actions on the window in the foreground and its process (the system group
// of the hot key commands), the process runner, and the main window's
// always-on-top setting.
#pragma once
#include <windows.h>

// What these actions ask Windows for; tests put their own in place.
extern HWND(WINAPI* g_getForegroundWindow)();
extern BOOL(WINAPI* g_endTask)(HWND wnd, BOOL shutDown, BOOL force);
// DwmEnableComposition when Dwmapi.dll was loaded at start-up, else null.
typedef HRESULT(WINAPI* DwmEnableCompositionFn)(UINT);
extern DwmEnableCompositionFn g_dwmEnableComposition;
// The settings window, which suspending leaves alone as it does the main
// window; app/ sets it at start-up, until then there is none.
extern HWND (*g_settingsWindowHandle)();

// Looks DwmEnableComposition up, only in a Dwmapi.dll that is loaded already.
void LookUpDwmComposition();

// "Kill active application": ends the foreground window's task, forced.
void KillForegroundApp();
// "Close active application": the foreground window's system close command.
void CloseForegroundApp();
// "Enable window under the mouse cursor".
void EnableWindowUnderCursor();
// "Show HWND of the active window": its window and device context handles in a box.
void ShowForegroundHandles();
// "Toggle onTop": the main window's own setting, or the foreground window's topmost state.
void ToggleForegroundOnTop(HWND mainWindow);
// "Lock mouse pointer in active window": confines the pointer to the
// foreground window's client area, or releases it.
void TogglePointerLock();
bool PointerLocked();
// "Toggle suspend for the active process" (never the player's own).
void ToggleForegroundSuspend(HWND mainWindow);
// Suspends every thread of the process when it runs, resumes them when it is suspended.
void ToggleProcessSuspend(DWORD processId);
// "Restart windows aero": composition off and on again.
void RestartComposition();

// Starts a command line with the caller's environment and folder; false when it did not start.
bool RunCommandLine(const wchar_t* commandLine);
// Always on top (a tool window without a taskbar button) or a normal application window.
void ApplyOnTop(HWND mainWindow, bool onTop);
