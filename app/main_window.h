// The main window: its creation, its window procedure, showing and hiding,
// and the shutdown sequence.
#pragma once
#include <windows.h>

extern HWND g_mainWindow;
// The window that was in the foreground when the main window was last activated.
extern HWND g_foregroundWindow;

// Creates the main window (class and title: the instance title) at the
// bottom right of the work area; null when it cannot be created.
HWND CreateMainWindow();
// Start-up: brings the window onto a work area, applies the loaded settings
// to the controls and shows it as they say (or keeps it hidden in the tray state).
void ShowMainWindowAtStart();
// Whether the start takes the DPI of the screen the window was placed on (on by
// default; tests that set the DPI themselves turn it off).
extern bool g_followWindowDpi;
// Hiding takes a snapshot of the controls' visibility and marks them all
// invisible; showing restores it, repaints and, with activate, brings the window up.
void ShowMainWindow(bool show, bool activate);
// The shutdown sequence of closing the window; ends with PostQuitMessage.
void RunShutdownSequence();

// A rectangle whose caption cannot be reached on the work area is moved (and
// if need be shrunk) into it; others come back unchanged.
RECT BringOntoWorkArea(RECT r, RECT work);
// Snapping while moving: each coordinate of the wanted top-left corner within
// 12 pixels of the work area's edge (less the size for right and bottom) goes to it.
RECT SnapToWorkArea(POINT wanted, SIZE size, RECT work);
// The move state a caption press records: the cursor's offset from the window's corner.
void SetMoveState(int dx, int dy);
// The Start button's date text, "%02i.%02i" from day and month.
void FormatStartDate(const SYSTEMTIME& t, wchar_t* out, int size);
