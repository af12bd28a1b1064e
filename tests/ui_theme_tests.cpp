// Themes on the screen, row recolouring, GDI hygiene, and the player's own
// main window through the framework.
#include <gtest/gtest.h>
#include "tests/ui_test_window.h"
#include "tests/test_support.h"
#include "app/general_settings.h"
#include "app/main_frame.h"
#include "app/main_window.h"
#include "base/paths.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/scroll_bar.h"
#include "ui/slider.h"
#include "ui/theme.h"

static const uint32_t kAllThemes[6] = {ThemeDarkModern, ThemeDarkFlat, ThemeDark,
                                       ThemeWindows2000, ThemeWindowsXP, ThemeLight};

static bool Near(COLORREF a, COLORREF b, int tolerance) {
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

#define EXPECT_COLOUR(shot, x, y, expected, tolerance)                                                   \
    EXPECT_PRED3(Near, (shot).At(x, y), (COLORREF)(expected), tolerance)                                  \
        << "at (" << (x) << ", " << (y) << "): 0x" << std::hex << (shot).At(x, y) << " wanted 0x" << (expected)

// The window of every control with texts of its own, in front.
struct ThemedWindow : AllControls {
    ThemedWindow() {
        SetButtonText(button, L"Play");
        SetEditText(edit, L"Tahoma text");
        SetColumnTitle(list, 0, L"Name");
        SetForegroundWindow(win.hwnd());
        PumpMessages();
    }
};

TEST(Themes, EveryThemeShowsItsColoursOnTheScreen) {
    ThemedWindow t;
    for (uint32_t id : kAllThemes) {
        ApplyTheme(t.win.ui, id);
        PumpMessages();
        const ThemeColors& c = *FindTheme(id);
        ScreenShot shot;
        ASSERT_TRUE(shot.Capture(t.win.hwnd(), L"theme-" + std::to_wstring(id) + L".bmp"));
        int left = t.win.ui->frameInsets[0], top = t.win.ui->frameInsets[1];
        SCOPED_TRACE(testing::Message() << "theme " << id << " insets " << left << "," << top);
        // The frame: the outer edge, top/left and bottom/right.
        EXPECT_COLOUR(shot, 0, shot.height / 2, left > 1 ? c.frame[3] : c.frame[4], 0);
        EXPECT_COLOUR(shot, shot.width / 2, shot.height - 1, c.frame[4], 0);
        if (left > 2) {
            EXPECT_COLOUR(shot, 1, shot.height / 2, c.frame[6], 0);
        }
        if (left > 1) {
            EXPECT_COLOUR(shot, left - 1, shot.height / 2, c.frame[5], 0);
        }
        // {x, y, colour, tolerance} in the client area: the caption's gradient starts at the corner, its bottom
        // line; the button's edges; the edit box's edge and background; the slider's edge and its track; the
        // list's frame, header and the rows' background beside the columns; the background where no control is.
        struct Probe { int x, y; COLORREF colour; int tolerance; };
        const Probe probes[] = {
            {0, 0, t.caption->active ? c.caption[1] : c.caption[7], 0}, {150, 18, c.caption[4], 0},
            {15, 30, c.button[3], 0}, {15, 30 + 21, c.button[4], 0}, {85, 30, c.edit[3], 0}, {195, 31, c.edit[1], 3},
            {10, 60, c.slider[3], 0}, {100, 61, c.slider[1], 0}, {10, 90, c.list[3], 0}, {10 + 120, 91, c.list[7], 0},
            {10 + 200, 90 + 160, c.list[1], 0}, {360, 280, c.background[0], c.gradientBackground ? 40 : 0}};
        for (const Probe& p : probes) EXPECT_COLOUR(shot, left + p.x, top + p.y, p.colour, p.tolerance);
    }
}

TEST(Themes, RowColoursFollowThePaletteThereAndBack) {
    ThemedWindow t;
    ApplyTheme(t.win.ui, ThemeWindowsXP);
    const ThemeColors& xp = *FindTheme(ThemeWindowsXP);
    for (int r = 0; r < 12; r++) SetRowColor(t.list, r, xp.palette[r]);
    SetRowColor(t.list, 12, RGB(1, 2, 3));  // matches no palette entry
    ApplyTheme(t.win.ui, ThemeDark);
    const ThemeColors& dark = *FindTheme(ThemeDark);
    EXPECT_EQ(t.list->rows[3].textColor, dark.palette[3]);
    EXPECT_EQ(t.list->rows[6].textColor, dark.palette[6]);  // 0x000002 stays apart from black
    EXPECT_EQ(t.list->rows[12].textColor, RGB(1, 2, 3));
    ApplyTheme(t.win.ui, ThemeWindowsXP);
    for (int r = 0; r < 12; r++) EXPECT_EQ(t.list->rows[r].textColor, xp.palette[r]) << r;
    EXPECT_EQ(t.list->rows[12].textColor, RGB(1, 2, 3));
}

TEST(Themes, AnUnknownIdKeepsTheColoursAndIsRecordedAsZero) {
    ThemedWindow t;
    ApplyTheme(t.win.ui, ThemeDarkFlat);
    COLORREF face = t.button->colors[1], rows = t.list->colors[1];
    ApplyTheme(t.win.ui, 0);
    EXPECT_EQ(t.win.ui->themeId, 0u);
    EXPECT_EQ(g_themeId, 0u);
    EXPECT_EQ(t.button->colors[1], face);
    EXPECT_EQ(t.list->colors[1], rows);
    EXPECT_EQ(t.win.ui->frameColors[3], FindTheme(ThemeWindows2000)->frame[3]);
    EXPECT_EQ(t.caption->colors[1], FindTheme(ThemeWindows2000)->caption[1]);
    EXPECT_STREQ(ThemeName(ThemeDarkModern), L"Dark Modern");
    EXPECT_STREQ(ThemeName(ThemeLight), L"Light");
}

TEST(Themes, ThousandsOfSwitchesAndResizesLeakNoGdiObject) {
    ThemedWindow t;
    int probe = GdiObjectCount();
    ASSERT_GT(probe, 0);
    HBRUSH brushes[10];
    for (HBRUSH& b : brushes) b = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(GdiObjectCount(), probe + 10);  // the instrument sees objects come and go
    for (HBRUSH b : brushes) DeleteObject(b);

    for (int i = 0; i < 20; i++) ApplyTheme(t.win.ui, kAllThemes[i % 6]);  // first-time caches
    int before = GdiObjectCount();
    for (int i = 0; i < 1000; i++) {
        ApplyTheme(t.win.ui, kAllThemes[i % 6]);
        SetWindowPos(t.win.hwnd(), nullptr, 0, 0, 420 + (i % 40), 320 + (i % 25), SWP_NOMOVE | SWP_NOZORDER);
        if (i % 100 == 0) PumpMessages();
    }
    PumpMessages();
    EXPECT_LE(GdiObjectCount(), before + 2);
}

TEST(Themes, CreatingAndDestroyingWindowsLeaksNoGdiObject) {
    { ThemedWindow warm; }
    int before = GdiObjectCount();
    for (int i = 0; i < 20; i++) {
        ThemedWindow t;
        ApplyTheme(t.win.ui, kAllThemes[i % 6]);
    }
    EXPECT_LE(GdiObjectCount(), before + 2);
}

// ---- the player's main window ---------------------------------------------

struct MainWindowTest : testing::Test {
    ScratchFolder dir{L"mainwindow"};
    void SetUp() override {
        SetProgramFolder(dir.path);
        SetGeneralDefaults();
        ASSERT_TRUE(OpenMainWindow());
    }
    void TearDown() override { CloseMainWindow(); }
};

TEST_F(MainWindowTest, SizingThroughTheFrameKeepsTheLayout) {
    SetWindowPos(g_mainWindow, nullptr, 50, 60, 500, 300, SWP_NOZORDER);
    PumpMessages();
    RECT client;
    GetClientRect(g_mainWindow, &client);
    EXPECT_EQ(g_mainFrame.caption->width, client.right);
    EXPECT_GE(g_mainFrame.window->backBuffer.width, 500);
    EXPECT_EQ(g_mainFrame.window->x, 50);
    // During a live resize the layout follows the proposed rectangle at once.
    UiWindow* ui = g_mainFrame.window;
    ui->dragFullWindows = true;  // as the user's setting may say
    RECT live{50, 60, 650, 360};
    SendMessageW(g_mainWindow, WM_SIZING, WMSZ_RIGHT, (LPARAM)&live);
    EXPECT_EQ(g_mainFrame.caption->width, 600 - ui->frameInsets[0] - ui->frameInsets[2]);
    EXPECT_GE(ui->backBuffer.width, 600);
    // A second window replaces the first cleanly (the tests create several).
    HWND old = g_mainWindow;
    ASSERT_TRUE(CreateMainWindow());
    EXPECT_FALSE(IsWindow(old));
}

// ---- failure paths ---------------------------------------------------------

// How many failures grew the count of GDI objects. Whatever a failure kept
// would grow it every time; the system's dialog code fills its caches once,
// in one or two steps, whenever a box is first painted.
static int Growths(const int (&counts)[8]) {
    int grew = 0;
    for (int i = 1; i < 8; i++) grew += counts[i] > counts[i - 1];
    return grew;
}

TEST(FailurePaths, ABackBufferThatCannotBeMadeSaysSoAndKeepsNothing) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    BoxCatcher boxes;
    Surface s{};
    int counts[8];
    for (int& c : counts) {
        EXPECT_FALSE(CreateSurface(&s, gone, 100, 100));
        c = SettledGdiObjectCount();
    }
    EXPECT_EQ(s.memoryDC, nullptr);
    std::vector<std::wstring> texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[7], L"Failed to create a Device Context!");
    EXPECT_LE(Growths(counts), 3);
}

TEST(FailurePaths, ABitmapTooBigForMemoryKeepsTheOldBuffer) {
    ThemedWindow t;
    Surface& s = t.win.ui->backBuffer;
    HBITMAP old = s.bitmap;
    int counts[8];
    {
        BoxCatcher boxes;
        for (int& c : counts) {
            EXPECT_FALSE(ResizeSurface(&s, 60000, 60000));
            c = SettledGdiObjectCount();
        }
        std::vector<std::wstring> texts = boxes.Texts();
        ASSERT_EQ(texts.size(), 8u);
        EXPECT_EQ(texts[7], L"Window Failed");
    }
    EXPECT_EQ(s.bitmap, old);
    EXPECT_EQ(s.width, 420);
    EXPECT_LE(Growths(counts), 3);
    EXPECT_TRUE(ResizeSurface(&s, 500, 400));
    RepaintAll(t.win.ui);
}

TEST(FailurePaths, TextBeyondAnEditBoxIsRefusedWithABox) {
    ThemedWindow t;
    t.edit->capacity = 12;
    SetEditText(t.edit, L"Tahoma text");
    SetFocusIndex(t.win.ui, t.edit->index, true);
    BoxCatcher boxes;
    t.win.Key(VK_END);
    t.win.Char(L'!');
    EXPECT_EQ(t.edit->text.text, L"Tahoma text!");
    t.win.Char(L'?');
    EXPECT_EQ(t.edit->text.text, L"Tahoma text!");
    std::vector<std::wstring> texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], L"len > allocated");
}
