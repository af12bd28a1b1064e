// The scale of the user interface: every pixel measure of the windows is
// written for 96 dots per inch and goes through Scale at the window's DPI.
// Settings.ini keeps its sizes in 96-DPI units; they are scaled on load and
// brought back with Unscale on save.
#pragma once
#include <windows.h>

// The DPI the toolkit draws at: the main window's, else the system's (read once).
int UiDpi();
// Sets it (the main window at creation and on WM_DPICHANGED; tests). 0 reads the system's again.
void SetUiDpi(int dpi);
// The DPI of a window: GetDpiForWindow where the system has it, else the screen's LOGPIXELSY.
int DpiOfWindow(HWND hwnd);
// v * dpi / 96, rounded like MulDiv (halves away from zero).
int ScaleAt(int v, int dpi);
// v at UiDpi(), and back to 96-DPI units.
int Scale(int v);
int Unscale(int v);
