// The settings window: a second toolkit window with a page list on the left
// and, per page, option lists, sliders, edit boxes and buttons. Every change
// takes effect at once; General is written with the other settings.
#pragma once
#include <windows.h>

// The open settings window, or null.
HWND SettingsWindowHandle();
// Creates and shows the window on its first page; an open window is brought up.
bool OpenSettingsWindow();
// Destroys the window and its controls (the main window's shutdown, F9 again).
void CloseSettingsWindow();
// The main window's command 40037: closes an open window, else opens it.
void ToggleSettingsWindow();
