// The six colour schemes and switching between them at run time.
#pragma once
#include <windows.h>
#include <stdint.h>

struct UiWindow;

enum ThemeId : uint32_t {
    ThemeDarkModern = 1099,
    ThemeDarkFlat = 1100,
    ThemeDark = 1101,
    ThemeWindows2000 = 1102,
    ThemeWindowsXP = 1103,
    ThemeLight = 1104,
};

// Every colour block of one theme; each block is copied whole into the controls of one kind.
struct ThemeColors {
    const wchar_t* name;
    bool flat;
    int32_t captionGradient;  // 1 left to right, 0 top to bottom
    int32_t iconBitmap;       // resource id of the 16-pixel icon strip of the two main lists
    bool gradientBackground;  // Dark Modern's own background
    COLORREF frame[10];
    COLORREF caption[10];
    COLORREF button[7];
    COLORREF captionButton[7];
    COLORREF scrollButton[7];
    COLORREF scrollTrack[7];
    COLORREF edit[8];
    COLORREF slider[11];
    COLORREF list[18];
    COLORREF palette[12];
    COLORREF background[2];  // window background, top and bottom
};

// The colours in force; ApplyTheme sets them.
extern ThemeColors g_theme;
extern uint32_t g_themeId;

// The table entry of a theme, or null for an id outside 1099 to 1104.
const ThemeColors* FindTheme(uint32_t id);
// The theme's name ("Dark Modern" ...), or null.
const wchar_t* ThemeName(uint32_t id);

struct SpriteSheet;
// The 16-pixel icon strip of the theme in force (resource 130 for the dark
// themes, 111 for the others); loaded by the first ApplyTheme.
const SpriteSheet* ThemeIconStrip();

// Switches the program-wide colours and copies them into the window and every
// one of its controls, recolours list rows by the palettes, repaints the
// window and puts it on the screen.
void ApplyTheme(UiWindow* w, uint32_t id);
// Copies the colours in force into a window and its controls without
// changing the program-wide theme (windows created after the switch).
void CopyThemeToWindow(UiWindow* w, uint32_t previousId);
