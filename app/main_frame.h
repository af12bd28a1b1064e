// The main window's controls through the toolkit: created once, in this order.
// Their places come from main_layout.cpp.
#pragma once
#include <windows.h>
#include "ui/ui_window.h"

class CaptionBar;
class Button;
class Slider;
class EditBox;
class ListView;
class CustomControl;

struct MainFrame {
    UiWindow* window;
    CaptionBar* caption;
    Button* shuffle;
    Button* loop;
    Button* settings;
    EditBox* cpuLabel;
    EditBox* pathBar;
    ListView* info;
    ListView* fileList;
    ListView* playList;
    ListView* statusLine;
    ListView* timeDisplay;
    Slider* seek;
    Slider* volume;
    Button* buttons[4];  // previous, play, stop, next
    CustomControl* spectrum;
};

extern MainFrame g_mainFrame;

// Glyph cells of the strip: previous, play, pause, stop, next.
enum GlyphCell { GlyphPrevious = 0, GlyphPlay = 1, GlyphPause = 2, GlyphStop = 3, GlyphNext = 4 };

// Creates the window (hidden) with its controls and applies the theme in
// g_general.Theme; null when the window cannot be created.
HWND CreateMainFrame(const wchar_t* title, WNDPROC proc, DWORD exStyle, int x, int y, int w, int h);
// The settings read at start-up into the controls that were made before them:
// the shuffle and loop buttons, the volume slider, the CPU label, and the seek
// panel height of the window's state. Nothing is painted; the window's first
// layout and paint come after.
void ShowSettingsInControls();
// The icon column of the file list and the playlist: icons (on) or nothing; both repaint.
void ShowListIcons(bool on);
// The file list and the playlist in the larger font (16-pixel Arial, the
// playlist's length column 42 pixels wide) or back in the window's; both repaint.
void ApplyListFont(bool enlarge);
// Frees what belongs to a window that Windows has destroyed (or is destroying).
void ReleaseMainFrame();
// Makes the fonts, row heights and glyphs again at the toolkit's DPI (after WM_DPICHANGED).
void RescaleMainFrame(int oldDpi);
