// The main window's frame through the toolkit: the UiWindow, its caption bar
// and the first few controls, laid out on the framework's background request.
// The full layout of the panels comes later.
#pragma once
#include <windows.h>
#include "ui/ui_window.h"

class CaptionBar;
class Button;
class Slider;

struct MainFrame {
    UiWindow* window;
    CaptionBar* caption;
    Button* buttons[4];  // previous, play, stop, next
    Slider* volume;
};

extern MainFrame g_mainFrame;

// Creates the window (hidden) with its controls and applies the theme in
// g_general.Theme; null when the window cannot be created.
HWND CreateMainFrame(const wchar_t* title, WNDPROC proc, DWORD exStyle, int x, int y, int w, int h);
// Places the controls for the current client size.
void LayoutMainFrame();
// Frees what belongs to a window that Windows has destroyed (or is destroying).
void ReleaseMainFrame();
