#include "ui/dpi.h"
#include "ui/theme.h"
#include "ui/ui_window.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/slider.h"
#include "ui/edit_box.h"
#include "ui/scroll_bar.h"
#include "ui/list_view.h"
#include "ui/sprite_sheet.h"
#include <string.h>

// Columns of the tables: Dark Modern, Dark Flat, Dark, Windows 2000, Windows XP, Light.
static const ThemeColors kThemes[6] = {
    {L"Dark Modern", true, 0, 130, true,
     {0, 0, 0, 0x161616, 0x161616, 0x161616, 0x243136, 0x243136, 0x243136, 0x243136},
     {0xFFFFFF, 0x2C6EB8, 0x155185, 0, 0x161616, 0, 0xFFFFFF, 0x727272, 0x4D4D4D, 0x00FF00},
     {0xFFFFFF, 0x2376C6, 0x1A4772, 0x1A1A1A, 0x1A1A1A, 0x123C5E, 0x195687},
     {0x000000, 0xDFE2E3, 0xB3BABD, 0xFFFFFF, 0x000000, 0x808080, 0},
     {0xDDDDDD, 0x404547, 0x35393D, 0x1D2022, 0x1D2022, 0x2F363E, 0x171D20},
     {0x000000, 0x1E1E21, 0x1E1E21, 0x171D20, 0x171D20, 0x1E1E21, 0x443B3B},
     {0xD8E9EC, 0x282828, 0x282828, 0x171D20, 0x171D20, 0x171D20, 0xB37B4D, 0x613E27},
     {0xC0C0C0, 0x2D2D2D, 0x212121, 0x171D20, 0x171D20, 0x171D20, 0xFFFFFF, 0x259F83, 0x045B46, 0x6C7278, 0x484C50},
     {0x000000, 0x282828, 0x282828, 0x171D20, 0x171D20, 0x171D20, 0xFFFFFF, 0x49494F, 0x404044, 0x282828, 0x49494F,
      0x42424B, 0x2565B2, 0x12487C, 0x6E6E6E, 0x464646, 0x00C8FF, 0x1B72FF},
     {0x7EF6D9, 0x538F81, 0x46F0AA, 0x28A5FF, 0x3AFF3A, 0xFFFFFF, 0xFFF8BA, 0x777777, 0xFF88D5, 0xFF9E39, 0xFFFFFF,
      0x46F0AC},
     {0x2B2B2B, 0x161616}},
    {L"Dark Flat", true, 0, 130, false,
     {0, 0, 0, 0x404040, 0x404040, 0x404040, 0x66757D, 0x66757D, 0x66757D, 0x66757D},
     {0xFFFFFF, 0xAB835C, 0x735136, 0, 0x404040, 0, 0xFFFFFF, 0x838383, 0x545454, 0x00FF00},
     {0x000000, 0xF8FAFA, 0xC9D4D8, 0x1A1A1A, 0x1A1A1A, 0x818D95, 0xBBC7CF},
     {0x000000, 0xDFE2E3, 0xB3BABD, 0xFFFFFF, 0x000000, 0x808080, 0},
     {0x000000, 0xF8FAFA, 0xB4C3C8, 0x7F989C, 0x7F989C, 0xBCD5D9, 0x586268},
     {0x000000, 0xE2E6E8, 0xE2E6E8, 0x586268, 0x586268, 0xE2E6E8, 0x443B3B},
     {0xD8E9EC, 0x2F2F2F, 0x2F2F2F, 0x586268, 0x586268, 0x586268, 0xB37B4D, 0x613E27},
     {0x000000, 0xFFFFFF, 0xC8C8C8, 0x586268, 0x586268, 0x586268, 0xFFFFFF, 0x38AB7F, 0x086341, 0x6C7278, 0x484C50},
     {0x000000, 0x2F2F2F, 0x2F2F2F, 0x586268, 0x586268, 0x586268, 0x000000, 0xC2CDCE, 0x8C9CA0, 0x829A9D, 0xEAEAEA,
      0x646B6F, 0xB37B4D, 0x613E27, 0x6E6E6E, 0x464646, 0x00C8FF, 0x1B72FF},
     {0x1FC47C, 0x008246, 0x46F0AA, 0x0096FF, 0x00FF00, 0xFFFFFF, 0xFFF7AF, 0x8C5A00, 0xFF64C8, 0xFF8200, 0xFFFFFF,
      0x46F0AC},
     {0x3C3C3C, 0x3C3C3C}},
    {L"Dark", false, 1, 130, false,
     {0, 0, 0, 0xC8D0D4, 0x404040, 0x9DA9AF, 0xFFFFFF, 0x808080, 0x9DA9AF, 0x9DA9AF},
     {0xFFFFFF, 0x6A240A, 0xF0CAA6, 0, 0xC8D0D4, 0, 0xC8D0D4, 0x808080, 0xC0C0C0, 0x00FF00},
     {0x000000, 0xBDC6CB, 0xBDC6CB, 0xF0F0F0, 0x000000, 0x676767, 0x000000},
     {0x000000, 0xC8D0D4, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x808080, 0},
     {0x000000, 0xBDC6CB, 0xBDC6CB, 0xF0F0F0, 0x000000, 0x676767, 0x000000},
     {0x000000, 0xE2E6E8, 0xE2E6E8, 0x676767, 0xF0F0F0, 0xE2E6E8, 0x443B3B},
     {0xD8E9EC, 0x2F2F2F, 0x2F2F2F, 0x676767, 0xF0F0F0, 0x676767, 0xB37B4D, 0x613E27},
     {0x000000, 0xFFFFFF, 0xC8C8C8, 0x676767, 0xF0F0F0, 0x676767, 0xFFFFFF, 0x38AB7F, 0x086341, 0x6C7278, 0x484C50},
     {0x000000, 0x2F2F2F, 0x2F2F2F, 0x676767, 0xF0F0F0, 0x676767, 0x000000, 0xD9D9DB, 0xA9B5BB, 0xF0F0F0, 0x676767,
      0x646B6F, 0xB37B4D, 0x613E27, 0x6E6E6E, 0x464646, 0x00C8FF, 0x1B72FF},
     {0x1FC47C, 0x008246, 0x46F0AA, 0x0096FF, 0x00FF00, 0xFFFFFF, 0xFFF7AF, 0x8C5A00, 0xFF64C8, 0xFF8200, 0xFFFFFF,
      0x46F0AC},
     {0x9DA9AF, 0x9DA9AF}},
    {L"Windows 2000", false, 1, 111, false,
     {0, 0, 0, 0xC8D0D4, 0x404040, 0xC8D0D4, 0xFFFFFF, 0x808080, 0xC8D0D4, 0xC8D0D4},
     {0xFFFFFF, 0x6A240A, 0xF0CAA6, 0, 0xC8D0D4, 0, 0xC8D0D4, 0x808080, 0xC0C0C0, 0x00FF00},
     {0x000000, 0xC8D0D4, 0xC8D0D4, 0xFFFFFF, 0x404040, 0x808080, 0x404040},
     {0x000000, 0xC8D0D4, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x808080, 0},
     {0x000000, 0xC8D0D4, 0xC8D0D4, 0xFFFFFF, 0x404040, 0x808080, 0x404040},
     {0x000000, 0xE2E6E8, 0xE2E6E8, 0x808080, 0xFFFFFF, 0xC8D0D4, 0x443B3B},
     {0x000000, 0xFFFFFF, 0xF5F5F5, 0x808080, 0xFFFFFF, 0x808080, 0xEAB583, 0xEAB583},
     {0x000000, 0xFFFFFF, 0xE0E0E0, 0x808080, 0xFFFFFF, 0x808080, 0xFFFFFF, 0xB99C7A, 0x725741, 0xC8C8C8, 0x969696},
     {0x000000, 0xFFFFFF, 0xFFFFFF, 0x808080, 0xFFFFFF, 0x808080, 0x000000, 0xEBEBEB, 0xC8D0D4, 0xFFFFFF, 0x808080,
      0xBABABA, 0xFCE5CF, 0xCCAE8E, 0xD3D3D3, 0xB9B9B9, 0x0063A8, 0x0050FF},
     {0x705802, 0xB8AC81, 0x000000, 0x006CD4, 0x810000, 0x000001, 0x000002, 0x804C4C, 0x9100A9, 0x8C5A00, 0x008000,
      0xFC493C},
     {0xC8D0D4, 0xC8D0D4}},
    {L"Windows XP", true, 0, 111, false,
     {0, 0, 0, 0xCF1900, 0x8C1300, 0xF14800, 0xD93108, 0xA01D00, 0xEE6A16, 0xDC3D00},
     {0xFFFFFF, 0xDE8245, 0xA85227, 0, 0xCF1900, 0, 0xFFFFFF, 0xEFC1A3, 0xD4A994, 0x00FF00},
     {0x000000, 0xFFFFFF, 0xD5DFE2, 0x743C00, 0x743C00, 0x909BA1, 0xC2CDD3},
     {0x000000, 0xC8D0D4, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x808080, 0},
     {0x000000, 0xFFFFFF, 0xD5DFE2, 0xBCCDD0, 0xBCCDD0, 0x909BA1, 0xB99D7F},
     {0x000000, 0xE5EDEE, 0xFBFEFE, 0xB99D7F, 0xB99D7F, 0xFFFFFF, 0x443B3B},
     {0x000000, 0xFFFFFF, 0xF5F5F5, 0xB99D7F, 0xB99D7F, 0xB99D7F, 0xEAB583, 0xEAB583},
     {0x000000, 0xFFFFFF, 0xE0E0E0, 0xB99D7F, 0xB99D7F, 0xB99D7F, 0xFFFFFF, 0xB99C7A, 0x725741, 0xC8C8C8, 0x969696},
     {0x000000, 0xFFFFFF, 0xFFFFFF, 0xB99D7F, 0xB99D7F, 0xB99D7F, 0x000000, 0xDBEAEB, 0xAEBEC2, 0xB2C5C7, 0xFFFFFF,
      0xBABABA, 0xFCE5CF, 0xCCAE8E, 0xD8E9EC, 0xACBCBF, 0x0063A8, 0x0050FF},
     {0x705802, 0xB8AC81, 0x000000, 0x006CD4, 0x810000, 0x000001, 0x000002, 0x804C4C, 0x9100A9, 0x8C5A00, 0x008000,
      0xFC493C},
     {0xD8E9EC, 0xD8E9EC}},
    {L"Light", true, 1, 111, false,
     {0, 0, 0, 0xC8D0D4, 0x404040, 0xD8E9EC, 0xFFFFFF, 0x808080, 0xD8E9EC, 0xD8E9EC},
     {0xFFFFFF, 0x6A240A, 0xF0CAA6, 0, 0xC8D0D4, 0, 0xC8D0D4, 0x808080, 0xC0C0C0, 0x00FF00},
     {0x000000, 0xFFFFFF, 0xD5DFE2, 0x393939, 0x393939, 0x909BA1, 0xC2CDD3},
     {0x000000, 0xC8D0D4, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x808080, 0},
     {0x000000, 0xFFFFFF, 0xD5DFE2, 0xBCCDD0, 0xBCCDD0, 0x909BA1, 0xAAB1B5},
     {0x000000, 0xE5EDEE, 0xFBFEFE, 0xAAB1B5, 0xAAB1B5, 0xFFFFFF, 0x443B3B},
     {0x000000, 0xFFFFFF, 0xF5F5F5, 0xAAB1B5, 0xAAB1B5, 0xAAB1B5, 0xEAB583, 0xEAB583},
     {0x000000, 0xFFFFFF, 0xE0E0E0, 0xAAB1B5, 0xAAB1B5, 0xAAB1B5, 0xFFFFFF, 0xB99C7A, 0x725741, 0xC8C8C8, 0x969696},
     {0x000000, 0xFFFFFF, 0xFFFFFF, 0xAAB1B5, 0xAAB1B5, 0xAAB1B5, 0x000000, 0xDBEAEB, 0xAEBEC2, 0xB2C5C7, 0xFFFFFF,
      0xBABABA, 0xFCE5CF, 0xCCAE8E, 0xD8E9EC, 0xACBCBF, 0x0063A8, 0x0050FF},
     {0x705802, 0xB8AC81, 0x000000, 0x006CD4, 0x810000, 0x000001, 0x000002, 0x804C4C, 0x9100A9, 0x8C5A00, 0x008000,
      0xFC493C},
     {0xF0F0F0, 0xF0F0F0}},
};

ThemeColors g_theme = kThemes[3];
uint32_t g_themeId;
static SpriteSheet g_lightIcons, g_darkIcons;

const SpriteSheet* ThemeIconStrip() {
    const SpriteSheet* s = g_theme.iconBitmap == 130 ? &g_darkIcons : &g_lightIcons;
    return s->dc ? s : nullptr;
}

const ThemeColors* FindTheme(uint32_t id) {
    return id >= ThemeDarkModern && id <= ThemeLight ? &kThemes[id - ThemeDarkModern] : nullptr;
}

const wchar_t* ThemeName(uint32_t id) {
    const ThemeColors* t = FindTheme(id);
    return t ? t->name : nullptr;
}

static void SetTheme(uint32_t id) {
    if (const ThemeColors* t = FindTheme(id)) {
        g_theme = *t;
        g_themeId = id;
        return;
    }
    // An unknown id keeps every colour except the frame, caption and
    // caption-button blocks, which all themes share in their classic form.
    const ThemeColors& classic = kThemes[ThemeWindows2000 - ThemeDarkModern];
    memcpy(g_theme.frame, classic.frame, sizeof(g_theme.frame));
    memcpy(g_theme.caption, classic.caption, sizeof(g_theme.caption));
    memcpy(g_theme.captionButton, classic.captionButton, sizeof(g_theme.captionButton));
    g_themeId = 0;
}

static void CopyScrollBar(ScrollBar* s) {
    memcpy(s->colors, g_theme.scrollTrack, sizeof(s->colors));
    Button* parts[3] = {&s->firstArrow, &s->secondArrow, &s->thumb};
    for (Button* b : parts) {
        memcpy(b->colors, g_theme.scrollButton, sizeof(b->colors));
        b->faceStyle = g_theme.flat ? FaceClassic : FaceRaised;
    }
}

// A row coloured from entry k of the old palette takes entry k of the new one.
// Palettes repeat colours (white twice in the dark ones), so a row remembers
// the entry it came from: switching there and back restores every colour.
static void RecolourRows(ListView* l, const COLORREF* before, const COLORREF* after) {
    for (int r = 0; r < l->rowCount; r++) {
        ListRow& row = l->rows[r];
        int k = row.paletteSlot - 1;
        if (k < 0 || k >= 12 || before[k] != row.textColor) {
            for (k = 0; k < 12 && before[k] != row.textColor; k++) {}
        }
        if (k >= 12) continue;
        row.textColor = after[k];
        row.paletteSlot = (uint8_t)(k + 1);
    }
}

static void CopyToControl(Control* c, const COLORREF* previousPalette) {
    switch (c->kind) {
    case KindButton: {
        Button* b = (Button*)c;
        memcpy(b->colors, g_theme.button, sizeof(b->colors));
        b->faceStyle = g_theme.flat ? FaceFlat : FaceClassic;
        break;
    }
    case KindCaptionBar: {
        CaptionBar* cb = (CaptionBar*)c;
        Button* parts[4] = {&cb->minimizeButton, &cb->maximizeButton, &cb->closeButton, &cb->menuButton};
        for (Button* b : parts) memcpy(b->colors, g_theme.captionButton, sizeof(b->colors));
        memcpy(cb->colors, g_theme.caption, sizeof(cb->colors));
        cb->gradientStyle = g_theme.captionGradient;
        break;
    }
    case KindSlider:
        memcpy(((Slider*)c)->colors, g_theme.slider, sizeof(g_theme.slider));
        break;
    case KindEditBox:
        memcpy(((EditBox*)c)->colors, g_theme.edit, sizeof(g_theme.edit));
        break;
    case KindScrollBar:
        CopyScrollBar((ScrollBar*)c);
        break;
    case KindListView: {
        ListView* l = (ListView*)c;
        memcpy(l->colors, g_theme.list, sizeof(l->colors));
        memcpy(l->searchBox.colors, g_theme.edit, sizeof(g_theme.edit));
        CopyScrollBar(&l->vScroll);
        CopyScrollBar(&l->hScroll);
        l->flat = g_theme.flat;
        RecolourRows(l, previousPalette, g_theme.palette);
        break;
    }
    }
}

void CopyThemeToWindow(UiWindow* w, uint32_t previousId) {
    const ThemeColors* previous = FindTheme(previousId);
    const COLORREF* previousPalette = (previous ? previous : &kThemes[ThemeLight - ThemeDarkModern])->palette;
    for (int i = 0; i < w->controlCount; i++) CopyToControl(w->controls[i], previousPalette);
    memcpy(w->frameColors, g_theme.frame, sizeof(w->frameColors));
    w->backgroundColors[0] = g_theme.background[0];
    w->backgroundColors[1] = g_theme.background[1];
    w->themeId = g_themeId;
}

void ApplyTheme(UiWindow* w, uint32_t id) {
    SetTheme(id);
    CopyThemeToWindow(w, w->themeId);
    // The strips are made at the toolkit's DPI; a DPI change makes them again.
    for (SpriteSheet* sheet : {&g_lightIcons, &g_darkIcons})
        if (sheet->dc && sheet->cellWidth != Scale(16)) ReleaseSpriteSheet(sheet);
    if (!g_lightIcons.dc) LoadSpriteSheet(&g_lightIcons, 111, 16);
    if (!g_darkIcons.dc) LoadSpriteSheet(&g_darkIcons, 130, 16);
    // Lists that show the theme's icons follow it; a list with icons of its own keeps them.
    for (int i = 0; i < w->controlCount; i++) {
        if (w->controls[i]->kind != KindListView) continue;
        ListView* l = (ListView*)w->controls[i];
        if (!l->iconSheet || l->iconSheet == &g_lightIcons || l->iconSheet == &g_darkIcons)
            l->iconSheet = ThemeIconStrip();
    }
    if (!w->hwnd) return;
    // A shown window re-lays out for the new look (fonts and flat edges change sizes).
    if (IsWindowVisible(w->hwnd)) SendMessageW(w->hwnd, WM_SIZE, kSizeRelayout, 0);
    RepaintAll(w);
    Present(w);
    PaintFrame(w);
}
