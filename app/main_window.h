// The main window: its creation and its window procedure.
#pragma once
#include <windows.h>

extern HWND g_mainWindow;

// Creates the main window (class and title: the instance title) at the
// bottom right of the work area; null when it cannot be created.
HWND CreateMainWindow();
// Shows it as the settings say (normal, maximised, or only laid out while hidden).
void ShowMainWindow();
// The shutdown sequence of closing the window; ends with PostQuitMessage.
void RunShutdownSequence();
