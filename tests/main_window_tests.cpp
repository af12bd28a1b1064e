// The player's main window driven by real messages: where every control goes
// in each mode, the keyboard, the menu commands, the system commands, moving,
// dropped files, and what a person sees.
#include <gtest/gtest.h>
#include "tests/ui_test_window.h"
#include "tests/engine_support.h"
#include "tests/http_test_server.h"
#include "tests/test_support.h"
#include "app/general_settings.h"
#include "app/list_drag.h"
#include "app/lyrics.h"
#include "app/main_commands.h"
#include "app/main_drop.h"
#include "app/main_frame.h"
#include "app/main_layout.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/hand_off.h"
#include "base/paths.h"
#include "audio/devices.h"
#include "audio/engine.h"
#include "audio/net_stream.h"
#include "audio/overview.h"
#include "audio/plugins.h"
#include "audio/visualization.h"
#include "system/system_volume.h"
#include "audio/track_display.h"
#include "library/adding.h"
#include "library/file_browser.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/custom_control.h"
#include "ui/dpi.h"
#include "ui/sprite_sheet.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "app/settings/settings_window.h"
#include "ui/slider.h"
#include "ui/theme.h"
#include <shlobj.h>
#include <psapi.h>
#include <tlhelp32.h>
#include "tests/soak.h"
#include <algorithm>
#include <array>

// Two or four measures compared in one go: a rectangle's or a control's corner,
// a control's x and width, a control's box.
using Two = std::pair<int, int>;
using Quad = std::array<int, 4>;
static Two Corner(const RECT& r) { return {r.left, r.top}; }
static Two Corner(const Control* c) { return {c->x, c->y}; }
static Two XW(const Control* c) { return {c->x, c->width}; }
static Quad Box(const Control* c) { return {c->x, c->y, c->width, c->height}; }
static Quad Q(int x, int y, int w, int h) { return {x, y, w, h}; }

// ---- rules without a window -------------------------------------------------

TEST(VolumeStep, BandsOfOneTwoThreeAndFivePercent) {
    const int max = 65535;
    auto percent = [&](int v) { return (int)((int64_t)v * 100 / max); };
    auto at = [&](int p) { return (max * p + 99) / 100; };  // the least value that shows p %
    // {from %, steps, to %}; Shift's four steps walk through the bands one at a time: 2 -> 3 -> 4 -> 6 -> 9.
    const int cases[][3] = {{3, 1, 4},   {4, 1, 6},   {5, 1, 7},    {6, 1, 9},  {10, 1, 13},
                            {11, 1, 16}, {50, 1, 55}, {50, -1, 45}, {3, -1, 2}, {2, 4, 9}};
    for (auto& c : cases) EXPECT_EQ(percent(VolumeStep(at(c[0]), max, c[1])), c[2]) << c[0] << " by " << c[1];
    // Clamped at both ends.
    EXPECT_EQ(VolumeStep(max - 10, max, 1), max);
    EXPECT_EQ(VolumeStep(300, max, -4), 0);
    EXPECT_EQ(VolumeStep(0, max, -1), 0);
    EXPECT_EQ(VolumeStep(max, max, 4), max);
}

TEST(TimeText, ShortAndLongForms) {
    struct Case { int ms; bool hours; const wchar_t* text; };
    const Case cases[] = {{(59 * 60 + 59) * 1000 + 999, true, L"59:59"}, {3600 * 1000, true, L"1:00:00"},
                          {3600 * 1000, false, L"60:00"}, {0, true, L"00:00"},
                          {(10 * 3600 + 5 * 60 + 7) * 1000, true, L"10:05:07"}, {125 * 60 * 1000, false, L"125:00"}};
    wchar_t t[32];
    for (const Case& c : cases) {
        FormatTime(c.ms, c.hours, t, 32);
        EXPECT_STREQ(t, c.text) << c.ms;
    }
}

TEST(CpuLoad, OneDecimalTwoBelowTen) {
    EXPECT_EQ(CpuLoadText(3.456f, 1), L"3.45%");
    EXPECT_EQ(CpuLoadText(5.432f, 1), L"5.43%");
    EXPECT_EQ(CpuLoadText(12.345f, 1), L"12.3%");
    EXPECT_EQ(CpuLoadText(9.994f, 1), L"9.99%");
    EXPECT_EQ(CpuLoadText(9.9996f, 1), L"10.0%");
    EXPECT_EQ(CpuLoadText(100.0f, 1), L"100.0%");
    EXPECT_EQ(CpuLoadText(12.345f, -1), L"12%");  // the "%" takes the dot's place
    EXPECT_EQ(CpuLoadText(12.345f, 7), L"12.345%");
}

TEST(Lyrics, QueryCutsTheTrackNumberAndEncodesEveryByte) {
    // The title cell carries "." and the track number when the tags have one.
    EXPECT_EQ(LyricsQueryText(L"Artist", L"Song.7", true), L"Artist - Song lyrics");
    // A dot inside the title: everything from the last dot on goes.
    EXPECT_EQ(LyricsQueryText(L"Artist", L"Mr. Blue Sky.3", true), L"Artist - Mr. Blue Sky lyrics");
    EXPECT_EQ(LyricsQueryText(L"Artist", L"St. Elmo", true), L"Artist - St lyrics");
    // An empty title cell keeps the text whole; a dot of the artist is never a cut.
    EXPECT_EQ(LyricsQueryText(L"A.B", L"", false), L"A.B -  lyrics");
    EXPECT_EQ(LyricsQueryText(L"Dr. Hook", L"Song", true), L"Dr. Hook - Song lyrics");
    EXPECT_EQ(EncodeQuery(L"Ab c"), "%41%62+%63");
    EXPECT_EQ(EncodeQuery(L"\x00C9t\x00E9"), "%C3%89%74%C3%A9");  // UTF-8 bytes, upper-case hex
    EXPECT_EQ(EncodeQuery(L"\x041F"), "%D0%9F");
    std::wstring address = LyricsAddress(L"B", L"x.1", true);
    EXPECT_EQ(address.find(L"https://"), 0u);
    EXPECT_NE(address.find(L"/search?&q=%42+%2D+%78+%6C%79%72%69%63%73&ie=utf-8&oe=utf-8&btnI=I%27m+Feeling+Lucky"),
              std::wstring::npos);
}

TEST(Placement, OffScreenRectanglesComeBackOntoTheWorkArea) {
    RECT work{0, 0, 1280, 994};
    RECT inside{100, 100, 526, 666};
    RECT kept = BringOntoWorkArea(inside, work);
    EXPECT_TRUE(EqualRect(&kept, &inside));
    // A monitor that was on the right is gone.
    RECT r = BringOntoWorkArea(RECT{2000, 300, 2426, 866}, work);
    EXPECT_EQ(r.right, 1280);
    EXPECT_EQ(Dim(r), Two(426, 566));
    // Hand-edited values far above and left; the caption above the work area counts as lost.
    r = BringOntoWorkArea(RECT{-5000, -40, -4574, 526}, work);
    EXPECT_EQ(Corner(r), Two(0, 0));
    // Larger than the work area: shrunk to it.
    r = BringOntoWorkArea(RECT{3000, 3000, 5000, 5000}, work);
    EXPECT_TRUE(EqualRect(&r, &work));
    // Partly off the right edge with the caption still reachable: left alone.
    RECT partly{1000, 200, 1426, 766};
    r = BringOntoWorkArea(partly, work);
    EXPECT_TRUE(EqualRect(&r, &partly));
}

TEST(Placement, SnapsWithinTwelvePixelsOfEachEdge) {
    RECT work{0, 0, 1280, 994};
    SIZE size{426, 566};
    EXPECT_EQ(Corner(SnapToWorkArea(POINT{11, 500}, size, work)), Two(0, 500));
    EXPECT_EQ(Corner(SnapToWorkArea(POINT{12, -11}, size, work)), Two(12, 0));  // strictly within 12
    RECT r = SnapToWorkArea(POINT{1280 - 426 + 5, 994 - 566 - 11}, size, work);
    EXPECT_EQ(Corner(r), Two(1280 - 426, 994 - 566));
    EXPECT_EQ(Dim(r), Two(426, 566));
}

TEST(Drops, PlansFollowAppendReplaceAndRefusal) {
    ScratchFolder dir{L"dropplan"};
    std::wstring a = dir.File(L"a.mp3"), b = dir.File(L"b.mp3");
    WriteFileBytes(a, "x");
    WriteFileBytes(b, "x");
    EXPECT_EQ(PlanDrop({a}, false, false, false, false).action, DropFollow);
    EXPECT_EQ(PlanDrop({a}, true, false, false, false).action, DropAppend);
    EXPECT_EQ(PlanDrop({a}, true, true, false, false).action, DropReplace);
    EXPECT_EQ(PlanDrop({dir.path}, false, false, false, false).action, DropReplace);  // a folder is never followed
    EXPECT_EQ(PlanDrop({a, b}, false, false, false, false).action, DropReplace);
    DropPlan kept = PlanDrop({a, b}, false, false, true, false);
    EXPECT_EQ(kept.action, DropReplace);
    EXPECT_TRUE(kept.keptPlayList);
    EXPECT_EQ(PlanDrop({a, b}, true, false, false, true).action, DropRefused);
    EXPECT_EQ(PlanDrop({}, true, false, false, false).action, DropNothing);
}

// The text of a cell of the info panel.
static std::wstring InfoCell(int row, int column) {
    const wchar_t* t = g_mainFrame.info->rows[row].cells[column].text;
    return t ? t : L"";
}

// Rows reading "entry" in the given column.
static void AddRows(ListView* l, int n, int column) {
    for (int i = 0; i < n; i++) {
        AddRow(l);
        SetCellText(l, column, L"entry");
    }
}

// ---- the real window ----------------------------------------------------------

struct MainWin : testing::Test {
    ScratchFolder dir{L"mainwin"};
    MainFrame& f = g_mainFrame;
    int m = 7, s = 4;
    void SetUp() override {
        SetProgramFolder(dir.path);
        SetGeneralDefaults();
        g_general.OSDView = 2;
        m = g_general.marginBig;
        s = g_general.marginSmall;
        ASSERT_TRUE(OpenMainWindow());
    }
    // Lists play what they open (Enter, a followed drop): on the silent device,
    // started once for the whole suite.
    static void SetUpTestSuite() { AudioInit(0, 44100, nullptr); }
    static void TearDownTestSuite() { AudioFree(); }
    void TearDown() override {
        StopTrack();
        CloseMainWindow();
    }
    HWND wnd() const { return g_mainWindow; }
    int ClientW() const { RECT r; GetClientRect(g_mainWindow, &r); return r.right; }
    int ClientH() const { RECT r; GetClientRect(g_mainWindow, &r); return r.bottom; }
    int Insets() const { return f.window->frameInsets[1] + f.window->frameInsets[3]; }
    void Size(int w, int h) {
        SetWindowPos(wnd(), nullptr, 20, 20, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(wnd(), WM_SIZE, 0, 0);
        PumpMessages();
    }
    static RECT WindowRect() { RECT r; GetWindowRect(g_mainWindow, &r); return r; }
    int WindowH() const { RECT r = WindowRect(); return r.bottom - r.top; }
    void Key(WPARAM vk, UINT msg = WM_KEYDOWN) { SendMessageW(wnd(), msg, vk, 1); PumpMessages(); }
    void Relayout() { SendMessageW(wnd(), WM_SIZE, 0, 0); PumpMessages(); }
    // A press and its release; the right button's with right.
    void Click(LPARAM at, bool right = false) {
        SendMessageW(wnd(), right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
        SendMessageW(wnd(), right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
    }
    // Lets the double-click time pass.
    void Ticks() { for (int i = 0; i < 31; i++) SendMessageW(wnd(), WM_TIMER, kTickTimer, 0); }
    void ToggleSmall() { SendMessageW(wnd(), WM_NCMBUTTONDOWN, HTCAPTION, 0); PumpMessages(); }
    // A graphical seek panel 60 high that skips final silences, its overview sized to it.
    void OverviewPanel() {
        g_general.isSeekGraphical = 1;
        g_general.isSkipSilence = 1;
        g_layout.seekHeight = 60;
        Size(600, 700);
        ResizeOverview(f.seek->width - 2, f.seek->height - 2);
    }
    void SysCommand(WPARAM sc) { SendMessageW(wnd(), WM_SYSCOMMAND, sc, 0); PumpMessages(); }
    static int Right(const Control* c) { return c->x + c->width; }
    static int Bottom(const Control* c) { return c->y + c->height; }
    // Closes the window as a user does (which saves everything) and starts
    // again the way the program does.
    void Restart() {
        SendMessageW(wnd(), WM_CLOSE, 0, 0);
        CloseMainWindow();
        SetProgramFolder(dir.path);
        SetGeneralDefaults();
        LoadThemeSetting();
        ASSERT_TRUE(CreateMainWindow());
        LoadGeneralSettings(true, false);
        RefreshTrackDisplay();
        ShowMainWindowAtStart();
        PumpMessages();
    }
};

TEST_F(MainWin, CreatesEveryControlInOrderWithItsSizeAndText) {
    UiWindow* ui = f.window;
    ASSERT_EQ(ui->controlCount, 18);
    Control* order[] = {f.caption, f.shuffle, f.loop, f.settings, f.cpuLabel, f.pathBar, f.info, f.fileList,
                        f.playList, f.statusLine, f.timeDisplay, f.seek, f.volume, f.buttons[0], f.buttons[1],
                        f.buttons[2], f.buttons[3], f.spectrum};
    for (int i = 0; i < 18; i++) EXPECT_EQ(ui->controls[i], order[i]) << i;
    EXPECT_STREQ(f.shuffle->text, L"Shuffle");
    EXPECT_STREQ(f.loop->text, L"\x221E");
    EXPECT_STREQ(f.settings->text, L"Settings");
    EXPECT_EQ(Quad({f.shuffle->width, f.cpuLabel->width, f.timeDisplay->width, f.seek->font.height}),
              Q(50, 43, 42, 16));
    EXPECT_STREQ(f.timeDisplay->rows[0].cells[0].text, L"00:00");
    EXPECT_STREQ(f.timeDisplay->rows[1].cells[0].text, L"0%");
    const int glyphs[4] = {GlyphPrevious, GlyphPlay, GlyphStop, GlyphNext};
    for (int i = 0; i < 4; i++) EXPECT_EQ(f.buttons[i]->imageCell, glyphs[i]);
}

TEST_F(MainWin, PlainSeekPanelLayoutAtSeveralSizes) {
    g_general.isSeekGraphical = 0;
    for (SIZE sz : {SIZE{426, 566}, SIZE{640, 720}, SIZE{900, 480}}) {
        Size(sz.cx, sz.cy);
        int W = ClientW();
        SCOPED_TRACE(sz.cx);
        EXPECT_EQ(XW(f.caption), Two(0, W));
        EXPECT_EQ(f.settings->x, m);
        EXPECT_GE(f.settings->y, Bottom(f.caption));
        EXPECT_EQ(f.shuffle->x, Right(f.settings) + m);
        EXPECT_EQ(f.loop->x, Right(f.shuffle) + (s + 1) / 2);
        EXPECT_EQ(XW(f.volume), Two(W - 20 - m, 20));
        EXPECT_EQ(f.volume->orientation, 0);
        for (int i = 0; i < 4; i++) EXPECT_EQ(Box(f.buttons[i]), Q(m + i * 22, f.seek->y, 20, 20)) << i;
        EXPECT_EQ(f.seek->x, Right(f.buttons[3]) + m);
        EXPECT_EQ(Right(f.seek), W - m);
        EXPECT_EQ(f.seek->height, 20);
        EXPECT_FALSE(f.timeDisplay->visible);
        // The status line under the playlist, s apart, as wide; the spectrum beside the info panel.
        EXPECT_EQ(Box(f.statusLine), Q(f.playList->x, Bottom(f.playList) + s, f.playList->width, 53));
        EXPECT_EQ(Corner(f.info), Two(m, Bottom(f.fileList) + s));
        EXPECT_EQ(Box(f.spectrum), Q(Right(f.info) + s, f.info->y, 108, 92));
        // The two panels side by side with the splitter gap between them.
        EXPECT_EQ(Two(f.pathBar->x, f.fileList->x), Two(m, m));
        EXPECT_EQ(f.playList->x, Right(f.fileList) + s);
        EXPECT_LE(Right(f.playList), f.volume->x - s);
    }
    // Without the spectrum the info panel takes its place.
    g_general.isSpectrum = 0;
    Relayout();
    EXPECT_FALSE(f.spectrum->visible);
    EXPECT_EQ(Right(f.info), Right(f.playList));
}

TEST_F(MainWin, GraphicalSeekPanelBlockAndTimeDisplay) {
    g_general.isSeekGraphical = 1;
    for (int height : {45, 101, 140}) {
        g_layout.seekHeight = height;
        for (SIZE sz : {SIZE{426, 700}, SIZE{777, 800}}) {
            Size(sz.cx, sz.cy);
            int W = ClientW();
            SCOPED_TRACE(height * 10000 + sz.cx);
            // Glyphs 0 and 4 above, 1 and 3 below; 2 apart, 4 between rows.
            Button** b = f.buttons;
            int top = b[0]->y;
            EXPECT_EQ(Corner(b[0]), Two(m, top));
            EXPECT_EQ(Corner(b[3]), Two(m + 22, top));
            EXPECT_EQ(Corner(b[1]), Two(m, top + 24));
            EXPECT_EQ(Corner(b[2]), Two(m + 22, top + 24));
            // The overview's width is a whole number of 4-pixel steps, less its frame.
            int available = W - 2 * m + 2 - Right(b[3]);
            EXPECT_EQ(f.seek->width, available / 4 * 4 - 2);
            EXPECT_EQ(Right(f.seek), W - m);
            EXPECT_EQ(f.seek->height, height);
            EXPECT_EQ(f.timeDisplay->visible, height >= m + 94);
            if (f.timeDisplay->visible) {
                EXPECT_EQ(f.timeDisplay->x, m);
                EXPECT_GE(f.timeDisplay->y, Bottom(f.info));
                EXPECT_LE(Bottom(f.timeDisplay), b[0]->y);
            }
        }
    }
}

TEST_F(MainWin, SmallModeIsOneRowAndAMaximiseLeavesIt) {
    Size(500, 566);
    ToggleSmall();
    ASSERT_TRUE(g_general.isSmall);
    EXPECT_EQ(ClientH(), 18);
    EXPECT_EQ(XW(f.volume), Two(0, 40));
    EXPECT_EQ(f.volume->orientation, 1);
    for (int i = 0; i < 4; i++) EXPECT_EQ(Box(f.buttons[i]), Q(40 + i * 18, f.buttons[i]->y, 18, 18)) << i;
    EXPECT_EQ(XW(f.seek), Two(Right(f.buttons[3]) - 1, 150));
    EXPECT_EQ(XW(f.spectrum), Two(Right(f.seek) - 1, 40));
    EXPECT_EQ(f.caption->x, Right(f.spectrum));
    EXPECT_EQ(Right(f.caption), ClientW());
    EXPECT_EQ(f.caption->height, 18);
    for (Control* c : {(Control*)f.fileList, (Control*)f.playList, (Control*)f.info, (Control*)f.settings})
        EXPECT_FALSE(c->visible);
    MINMAXINFO mm{};
    SendMessageW(wnd(), WM_GETMINMAXINFO, 0, (LPARAM)&mm);
    EXPECT_EQ(mm.ptMinTrackSize.x, 248);
    // Without the spectrum the caption starts after the seek panel.
    g_general.isSpectrum = 0;
    Relayout();
    EXPECT_EQ(f.caption->x, Right(f.seek));
    // The maximise command only leaves small mode; the normal size comes back.
    SysCommand(SC_MAXIMIZE);
    EXPECT_FALSE(g_general.isSmall);
    EXPECT_FALSE(IsZoomed(wnd()));
    EXPECT_EQ(WindowH(), 566);
    EXPECT_TRUE(f.fileList->visible);
    // A double click on the caption in small mode does the same.
    SendMessageW(wnd(), WM_NCMBUTTONDBLCLK, HTCAPTION, 0);
    ASSERT_TRUE(g_general.isSmall);
    SendMessageW(wnd(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    PumpMessages();
    EXPECT_FALSE(g_general.isSmall);
    EXPECT_FALSE(IsZoomed(wnd()));
}

// A maximised window has a seek panel height of its own; one so tall that the
// normal window would collapse with it leaves the normal size alone.
TEST_F(MainWin, MaximiseAndRestoreSwapTheSeekPanelHeights) {
    g_general.isSeekGraphical = 1;
    g_general.pSeekHeight = 45;
    g_general.pSeekHeightMaximized = 300;
    g_layout.seekHeight = 45;
    Size(480, 430);
    ASSERT_FALSE(g_layout.collapsed);
    RECT before = WindowRect();
    SendMessageW(wnd(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    PumpMessages();
    EXPECT_TRUE(IsZoomed(wnd()));
    EXPECT_TRUE(g_general.isMaximized);
    EXPECT_EQ(g_general.xPos, before.left);
    EXPECT_EQ(g_general.Height, 430);
    EXPECT_EQ(f.seek->height, 300);
    EXPECT_EQ(f.caption->width, ClientW());
    g_layout.seekHeight = 280;  // dragged while maximised
    SendMessageW(wnd(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    PumpMessages();
    EXPECT_FALSE(IsZoomed(wnd()));
    EXPECT_FALSE(g_general.isMaximized);
    EXPECT_EQ(g_general.pSeekHeightMaximized, 280);
    EXPECT_EQ(f.seek->height, 45);
    EXPECT_EQ(WindowH(), 430);
}

TEST_F(MainWin, PanelLayoutsWithAndWithoutSwap) {
    Size(600, 600);
    int left = m, right = f.volume->x - s;
    for (int swap = 0; swap < 2; swap++) {
        g_general.isSwapPanels = (uint8_t)swap;
        Control* leftList = swap ? (Control*)f.playList : (Control*)f.fileList;
        Control* rightList = swap ? (Control*)f.fileList : (Control*)f.playList;
        SCOPED_TRACE(swap);
        SetPanelLayout(0);
        EXPECT_TRUE(leftList->visible && rightList->visible);
        EXPECT_EQ(Two(leftList->x, Right(rightList)), Two(left, right));
        EXPECT_EQ(rightList->x, Right(leftList) + s);
        EXPECT_EQ(Two(f.pathBar->x, f.statusLine->x), Two(f.fileList->x, f.playList->x));
        SetPanelLayout(1);  // the left one hidden
        EXPECT_FALSE(leftList->visible);
        EXPECT_TRUE(rightList->visible);
        EXPECT_EQ(Two(rightList->x, Right(rightList)), Two(left, right));
        EXPECT_EQ(f.pathBar->visible, f.fileList->visible);
        EXPECT_EQ(f.statusLine->visible, f.playList->visible);
        SetPanelLayout(2);  // the right one hidden
        EXPECT_TRUE(leftList->visible);
        EXPECT_FALSE(rightList->visible);
        EXPECT_EQ(Two(leftList->x, Right(leftList)), Two(left, right));
    }
}

// The lists go at the threshold and the window takes the collapsed height; a
// graphical seek panel (60 here) and a theme's gradient border add to both.
TEST_F(MainWin, CollapsedHeightAndThresholdForBothSeekModesAndThemes) {
    struct Case { uint32_t theme; int graphical, threshold, collapsed; };
    const Case cases[] = {{ThemeWindows2000, 0, 284, 178}, {ThemeWindows2000, 1, 324, 218},
                          {ThemeDarkModern, 0, 300, 194}, {ThemeDarkModern, 1, 340, 234}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.theme * 10 + c.graphical);
        ApplyTheme(f.window, c.theme);
        g_general.isSeekGraphical = (uint8_t)c.graphical;
        g_layout.seekHeight = 60;
        EXPECT_EQ(Two(CollapseThreshold(), CollapsedHeight()), Two(c.threshold, c.collapsed));
        MINMAXINFO mm{};
        SendMessageW(wnd(), WM_GETMINMAXINFO, 0, (LPARAM)&mm);
        EXPECT_EQ(Two(mm.ptMinTrackSize.x, mm.ptMinTrackSize.y), Two(289, c.collapsed));
        // Just above the threshold the lists are there.
        Size(500, c.threshold + 1 + Insets());
        EXPECT_FALSE(g_layout.collapsed);
        EXPECT_TRUE(f.fileList->visible && f.playList->visible && f.pathBar->visible && f.statusLine->visible);
        // At the threshold they go and the window takes the collapsed height.
        Size(500, c.threshold + Insets());
        EXPECT_TRUE(g_layout.collapsed);
        EXPECT_EQ(WindowH(), c.collapsed);
        EXPECT_FALSE(f.fileList->visible || f.playList->visible || f.pathBar->visible || f.statusLine->visible);
        EXPECT_EQ(f.info->y, Bottom(f.settings) + m + (c.theme == ThemeDarkModern ? m + 1 : 0));
        EXPECT_LE(Bottom(f.seek), ClientH());
        // Dragging the bottom edge snaps to the collapsed height while low.
        for (int by : {-30, 40}) {
            RECT r{20, 20, 520, 20 + c.threshold + by + Insets()};
            SendMessageW(wnd(), WM_SIZING, WMSZ_BOTTOM, (LPARAM)&r);
            EXPECT_EQ(r.bottom - r.top, by < 0 ? c.collapsed : c.threshold + by + Insets());
        }
        Size(500, 700);
        EXPECT_FALSE(g_layout.collapsed);
        EXPECT_TRUE(f.fileList->visible);
    }
}

TEST_F(MainWin, PanelSplitterDragHidesAndDoubleClickCentres) {
    Size(600, 600);
    SetPanelLayout(0);
    RECT split = PanelSplitterRect();
    ASSERT_GT(split.right, split.left);
    int y = (split.top + split.bottom) / 2;
    SendMessageW(wnd(), WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(split.left + 1, y));
    SendMessageW(wnd(), WM_MOUSEMOVE, MK_LBUTTON, PackPoint(split.left + 61, y));
    EXPECT_EQ(g_general.LCR, 0);
    EXPECT_EQ(f.playList->x, split.right + 60);
    // Past the left edge's threshold the left panel goes; back in the middle both are there; then the right goes.
    const int moves[][2] = {{m + 5, 1}, {250, 0}, {ClientW() - 30, 2}};
    for (auto& move : moves) {
        SendMessageW(wnd(), WM_MOUSEMOVE, MK_LBUTTON, PackPoint(move[0], y));
        EXPECT_EQ(g_general.LCR, move[1]) << move[0];
        EXPECT_EQ(f.fileList->visible, move[1] != 1);
    }
    SendMessageW(wnd(), WM_LBUTTONUP, 0, PackPoint(ClientW() - 30, y));
    // A double click on the splitter (now at the right edge) shows both, centred.
    split = PanelSplitterRect();
    SendMessageW(wnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, PackPoint(split.left + 1, y));
    EXPECT_EQ(g_general.LCR, 0);
    EXPECT_EQ(g_layout.splitterOffset, 0);
    EXPECT_TRUE(f.fileList->visible && f.playList->visible);
}

static std::vector<std::wstring> g_openedAddresses;
static void RecordAddress(const wchar_t* address) { g_openedAddresses.push_back(address); }

// A list takes a double click whole: its owner hears of it, and it is never
// offered again as a single press.
TEST_F(MainWin, DoubleClicksOnTheListsReachTheirOwnersOnce) {
    auto doubleClick = [&](int x, int y) {
        Ticks();
        Click(PackPoint(x, y));
        Click(PackPoint(x, y));
        PumpMessages();
    };
    // The info panel's double click searches the lyrics of what it shows.
    g_openedAddresses.clear();
    void (*shell)(const wchar_t*) = g_openAddress;
    g_openAddress = RecordAddress;
    ASSERT_TRUE(f.info->visible);
    doubleClick(f.info->x + 20, f.info->y + 5);
    g_openAddress = shell;
    ASSERT_EQ(g_openedAddresses.size(), 1u);
    bool given = f.info->rows[0].cells[0].text && !f.info->rows[0].cells[0].empty;
    EXPECT_EQ(g_openedAddresses[0], LyricsAddress(InfoCell(1, 0), InfoCell(0, 0), given));

    // A double click that opens a folder leaves the cursor on its first row,
    // not on whichever row now lies under the pointer.
    ScratchFolder tree{L"double-click"};
    for (const wchar_t* d : {L"inner", L"inner\\a", L"inner\\b", L"inner\\c", L"inner\\d"})
        ASSERT_TRUE(CreateDirectoryW(tree.File(d).c_str(), nullptr));
    NavigateFileList(tree.path.c_str());
    ListView* files = f.fileList;
    int row = FindRow(files, FileListName, L"inner");
    ASSERT_EQ(row, 1);
    SetFocusIndex(f.window, files->index, true);
    int y = files->y + files->headerHeight + 2 + (row - files->topRow) * files->rowHeight + files->rowHeight / 2;
    doubleClick(files->x + 40, y);
    EXPECT_EQ(g_general.Path.text, tree.File(L"inner\\"));
    EXPECT_EQ(files->currentRow, 0);
}

TEST_F(MainWin, SeekEdgeDragAndDoubleClick) {
    g_general.isSeekGraphical = 1;
    g_layout.seekHeight = 50;
    Size(600, 800);
    RECT edge = SeekEdgeRect();
    ASSERT_GT(edge.bottom, edge.top);
    int x = (edge.left + edge.right) / 2;
    SendMessageW(wnd(), WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(x, edge.top));
    SendMessageW(wnd(), WM_MOUSEMOVE, MK_LBUTTON, PackPoint(x, edge.top - 30));
    EXPECT_EQ(g_layout.seekHeight, 50 + 30);  // the grab point keeps its distance to the edge
    SendMessageW(wnd(), WM_MOUSEMOVE, MK_LBUTTON, PackPoint(x, edge.top + 300));
    EXPECT_EQ(g_layout.seekHeight, 45);  // never below 45
    SendMessageW(wnd(), WM_LBUTTONUP, 0, PackPoint(x, edge.top + 300));
    edge = SeekEdgeRect();
    SendMessageW(wnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, PackPoint(x, edge.top));
    EXPECT_EQ(Two(g_layout.seekHeight, f.seek->height), Two(103, 103));
    EXPECT_EQ(g_general.pSeekHeight, 103);  // kept for the next start
}

TEST_F(MainWin, KeyboardTable) {
    g_general.pVolumeControls = 2;
    f.volume->value = (65535 * 50 + 99) / 100;
    auto percent = [&] { return f.volume->value * 100 / 65535; };
    {
        Modifiers ctrl(false, true);
        Key(VK_UP);
    }
    EXPECT_EQ(percent(), 55);
    EXPECT_EQ(g_general.PlayerVolume, (uint32_t)f.volume->value);
    {
        Modifiers both(true, true);
        Key(VK_DOWN);  // four steps down
    }
    EXPECT_EQ(percent(), 35);
    // Without Ctrl an arrow belongs to the focused list, except in small mode.
    Key(VK_UP);
    EXPECT_EQ(percent(), 35);
    g_general.isSmall = 1;
    Key(VK_UP);
    EXPECT_GT(percent(), 35);
    g_general.isSmall = 0;

    // F9 to F11, F10 as the system key it arrives as.
    uint8_t shuffle = g_general.isShuffle, loop = g_general.isLoop;
    Key(VK_F10, WM_SYSKEYDOWN);
    EXPECT_NE(g_general.isShuffle, shuffle);
    EXPECT_EQ(f.shuffle->toggleState, g_general.isShuffle ? ToggleDown : ToggleUp);
    Key(VK_F11);
    EXPECT_NE(g_general.isLoop, loop);
    EXPECT_EQ(f.loop->toggleState, g_general.isLoop ? ToggleDown : ToggleUp);
    // F9 opens the settings window (the button stays down) and closes it again.
    for (bool open : {true, false}) {
        Key(VK_F9);
        EXPECT_EQ(SettingsWindowHandle() != nullptr, open);
        EXPECT_EQ(f.settings->toggleState, open ? ToggleDown : ToggleUp);
    }

    // Ctrl+4 keeps the focused list's side, Ctrl+3 brings both back with the kept splitter.
    Size(600, 600);
    g_layout.splitterOffset = 33;
    Relayout();
    SetFocusIndex(f.window, f.fileList->index, false);
    Modifiers ctrl(false, true);
    Key('4');
    EXPECT_EQ(g_general.LCR, 2);
    EXPECT_TRUE(f.fileList->visible);
    EXPECT_FALSE(f.playList->visible);
    // Ctrl+U: the same side now holds the playlist.
    Key('U');
    EXPECT_TRUE(g_general.isSwapPanels);
    EXPECT_EQ(g_general.LCR, 2);
    EXPECT_TRUE(f.playList->visible);
    EXPECT_FALSE(f.fileList->visible);
    Key('U');
    EXPECT_FALSE(g_general.isSwapPanels);
    EXPECT_EQ(f.window->focusIndex, f.fileList->index);
    g_layout.splitterOffset = 0;
    Key('3');
    EXPECT_EQ(g_general.LCR, 0);
    EXPECT_EQ(g_layout.splitterOffset, 33);
    SetFocusIndex(f.window, f.playList->index, false);
    Key('4');
    EXPECT_EQ(g_general.LCR, 1);
    EXPECT_TRUE(f.playList->visible);
    Key('3');
}

TEST_F(MainWin, MenuCommandsById) {
    uint8_t shuffle = g_general.isShuffle, loop = g_general.isLoop, loopList = g_general.isLoopPlayList;
    bool shutdown = shutdownAfterPlayList;
    for (int command : {CmdShuffle, CmdLoopTrack, CmdLoopPlayList, CmdShutdownAfterPlayList})
        SendMessageW(wnd(), WM_COMMAND, command, 0);
    EXPECT_NE(g_general.isShuffle, shuffle);
    EXPECT_NE(g_general.isLoop, loop);
    EXPECT_NE(g_general.isLoopPlayList, loopList);
    EXPECT_NE(shutdownAfterPlayList, shutdown);
    EXPECT_EQ(f.shuffle->toggleState, g_general.isShuffle ? ToggleDown : ToggleUp);
    EXPECT_EQ(f.loop->toggleState, g_general.isLoop ? ToggleDown : ToggleUp);
    shutdownAfterPlayList = shutdown;
    // The menu resource holds every entry with its text.
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(107));
    ASSERT_TRUE(menu);
    const std::pair<int, const wchar_t*> entries[] = {
        {CmdShuffle, L"Shuffle\tF10"}, {CmdShutdownAfterPlayList, L"Shutdown after PlayList ends"}, {CmdExit, L"Exit"}};
    for (auto [command, text] : entries) {
        wchar_t found[64] = {};
        GetMenuStringW(GetSubMenu(menu, 0), command, found, 64, MF_BYCOMMAND);
        EXPECT_STREQ(found, text);
    }
    DestroyMenu(menu);
    // Exit closes like the caption's close button: the loop is told to end.
    SendMessageW(wnd(), WM_COMMAND, CmdExit, 0);
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) quit |= msg.message == WM_QUIT;
    EXPECT_TRUE(quit);
}

TEST_F(MainWin, HidingToTheTrayKeepsTheControlsVisibilityAside) {
    EXPECT_TRUE(IsWindowVisible(wnd()));
    g_general.isCPUUsage = 0;
    Relayout();
    SendMessageW(wnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(wnd()));
    EXPECT_FALSE(g_general.isVisible);
    for (int i = 0; i < f.window->controlCount; i++) EXPECT_FALSE(f.window->controls[i]->visible);
    // A left click on a tray icon brings it back.
    SendMessageW(wnd(), WM_APP, 0, WM_LBUTTONDOWN);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(wnd()));
    EXPECT_TRUE(g_general.isVisible);
    EXPECT_TRUE(f.fileList->visible);
    EXPECT_FALSE(f.cpuLabel->visible);
    SendMessageW(wnd(), WM_APP, 0, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(IsWindowVisible(wnd()));
    SendMessageW(wnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(IsWindowVisible(wnd()));
}

TEST_F(MainWin, SnapsWhileACaptionDragMoves) {
    RECT work = WorkArea();
    SetMoveState(30, 8);
    if (!SetCursorPos(work.left + 30 + 7, work.top + 8 + 300)) GTEST_SKIP() << "no cursor to move";
    POINT c;
    GetCursorPos(&c);
    // Where the window goes for the pointer at c, as WM_MOVING leaves it.
    auto moving = [&] {
        RECT r{c.x - 30, c.y - 8, c.x - 30 + 426, c.y - 8 + 566};
        SendMessageW(wnd(), WM_MOVING, WMSZ_TOP, (LPARAM)&r);
        return r;
    };
    RECT r = moving();
    EXPECT_EQ(Corner(r), Two(work.left, c.y - 8));
    EXPECT_EQ(r.right - r.left, 426);
    {
        Modifiers ctrl(false, true);  // Ctrl moves freely
        EXPECT_EQ(moving().left, c.x - 30);
    }
    // After the release there is no move state: nothing snaps.
    SendMessageW(wnd(), WM_LBUTTONUP, 0, PackPoint(5, 5));
    EXPECT_EQ(moving().left, c.x - 30);
}

// A WM_DROPFILES as the shell builds it.
static HGLOBAL MakeDrop(const std::vector<std::wstring>& files, POINT at) {
    size_t chars = 1;
    for (const std::wstring& f : files) chars += f.size() + 1;
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    DROPFILES* d = (DROPFILES*)GlobalLock(mem);
    d->pFiles = sizeof(DROPFILES);
    d->pt = at;
    d->fWide = TRUE;
    wchar_t* p = (wchar_t*)(d + 1);
    for (const std::wstring& f : files) {
        memcpy(p, f.c_str(), f.size() * sizeof(wchar_t));
        p += f.size() + 1;
    }
    GlobalUnlock(mem);
    return mem;
}

TEST_F(MainWin, DroppedFilesWithAndWithoutShift) {
    std::wstring a = dir.File(L"a.wav"), b = dir.File(L"b.wav");
    ASSERT_TRUE(WriteSineWav(a, 1));
    ASSERT_TRUE(WriteSineWav(b, 1));
    POINT onList{f.playList->x + 10, f.playList->y + 30}, off{f.info->x + 10, f.info->y + 10};
    auto drop = [&](std::vector<std::wstring> files, POINT at, bool shift = false, bool ctrl = false) {
        Modifiers keys(shift, ctrl);
        SendMessageW(wnd(), WM_DROPFILES, (WPARAM)MakeDrop(files, at), 0);
    };
    // The items are added on the window's thread: in place when the drop returns.
    auto names = [] {
        std::wstring n;
        for (int r = 0; r < PlayListCount(); r++) n += EntryFullPath(r).substr(EntryFullPath(r).size() - 5);
        return n;
    };
    drop({a}, off);
    EXPECT_EQ(LastDrop().action, DropFollow);
    EXPECT_EQ(LastHandOff().mode, ModeFollow);
    EXPECT_EQ(LastHandOff().path, a);
    drop({a}, onList);
    EXPECT_EQ(LastDrop().action, DropAppend);
    EXPECT_TRUE(LastDrop().onPlayList);
    EXPECT_EQ(names(), L"a.wav");
    drop({b, a}, onList, true);
    EXPECT_EQ(LastDrop().action, DropReplace);
    EXPECT_EQ(names(), L"b.wava.wav");
    drop({a, b}, off);
    EXPECT_EQ(LastDrop().action, DropReplace);
    EXPECT_FALSE(LastDrop().keptPlayList);
    EXPECT_EQ(names(), L"a.wavb.wav");
    drop({a, b}, off, false, true);
    EXPECT_TRUE(LastDrop().keptPlayList);
    EXPECT_EQ(names(), L"a.wavb.wava.wavb.wav");
    EXPECT_EQ(EntryLength(3), 1000);
    EXPECT_FALSE(IsAdding());
}

TEST_F(MainWin, PlayPauseSeekPanelAndTimeDisplayFollowTheEngine) {
    std::wstring song = dir.File(L"song.wav");
    ASSERT_TRUE(WriteSineWav(song, 4));
    PlayFileNow(song.c_str());
    ASSERT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(f.buttons[1]->imageCell, GlyphPause);
    EXPECT_EQ(f.seek->maximum, (int)seekLength);
    EXPECT_STREQ(f.timeDisplay->rows[2].cells[0].text, L"00:04");
    // A press on the seek panel's middle seeks there.
    g_general.isSeekGraphical = 0;
    Relayout();
    Click(PackPoint(f.seek->x + f.seek->width / 2, f.seek->y + 5));
    EXPECT_NEAR((double)seekPosition, 2000.0, 150.0);
    EXPECT_NEAR((double)GetPosition(), 2000.0, 200.0);
    EXPECT_STREQ(f.timeDisplay->rows[1].cells[0].text, L"50%");
    // Ctrl+Right seeks by 5 %.
    uint32_t before = seekPosition;
    {
        Modifiers ctrl(false, true);
        Key(VK_RIGHT);
    }
    // The track keeps playing: a timer tick may move the position on a little.
    EXPECT_GE(seekPosition, before + seekLength * 5 / 100);
    EXPECT_LE(seekPosition, before + seekLength * 5 / 100 + 100);
    // The play button pauses and plays; the stop button stops.
    for (int status : {StatusPaused, StatusPlaying}) {
        Click(PackPoint(f.buttons[1]->x + 5, f.buttons[1]->y + 5));
        Ticks();
        EXPECT_EQ(GetStatus(), status);
        EXPECT_EQ(f.buttons[1]->imageCell, status == StatusPaused ? GlyphPlay : GlyphPause);
    }
    // The volume slider drives the player volume.
    g_general.pVolumeControls = 2;
    Click(PackPoint(f.volume->x + 10, Bottom(f.volume) - f.volume->height / 4));
    EXPECT_NEAR((double)g_general.PlayerVolume, 65535 / 4.0, 65535 / 20.0);
    Ticks();
    Click(PackPoint(f.buttons[2]->x + 5, f.buttons[2]->y + 5));
    EXPECT_EQ(GetStatus(), StatusStopped);
    EXPECT_EQ(f.buttons[1]->imageCell, GlyphPlay);
}

TEST_F(MainWin, SavedPositionOffEveryMonitorComesBackAtStartUp) {
    HWND w = g_mainWindow;
    SetWindowPos(w, nullptr, 30000, -20000, 426, 566, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowMainWindowAtStart();
    RECT r = WindowRect(), work = WorkArea(), both;
    IntersectRect(&both, &r, &work);
    EXPECT_TRUE(EqualRect(&both, &r));  // wholly on the work area
    EXPECT_EQ(r.right - r.left, 426);
}

// ---- what a person sees --------------------------------------------------------

static bool Differs(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) + abs(GetBValue(a) - GetBValue(b)) > 30;
}

TEST_F(MainWin, ScreenshotsOfEveryModeInTwoThemes) {
    for (uint32_t theme : {(uint32_t)ThemeDarkModern, (uint32_t)ThemeLight}) {
        ApplyTheme(f.window, theme);
        std::wstring name = theme == ThemeDarkModern ? L"dark-modern" : L"light";
        g_general.isSeekGraphical = 1;
        g_layout.seekHeight = 110;
        Size(520, 640);
        ScreenShot shot;
        ASSERT_TRUE(shot.Capture(wnd(), L"main-normal-" + name + L".bmp"));
        // The caption, the settings button, the filled volume bar and the window
        // background are drawn in different colours; the screen is not blank.
        int ox = f.window->frameInsets[0], oy = f.window->frameInsets[1];
        COLORREF background = shot.At(ox + 2, oy + f.settings->y + 2 + 19 + 1);
        EXPECT_PRED2(Differs, shot.At(ox + 60, oy + 6), background);
        EXPECT_PRED2(Differs, shot.At(ox + f.volume->x + 10, oy + Bottom(f.volume) - 10), background);
        EXPECT_GT(shot.Colours(), 20);
        // Each transport button shows its glyph on the screen: the middle of the
        // cell is dark against the face beside it on the same row.
        for (Button* b : f.buttons) {
            int bx = ox + b->x, by = oy + b->y + b->height / 2;
            EXPECT_PRED2(Differs, shot.At(bx + b->width / 2 - 1, by), shot.At(bx + b->width - 4, by))
                << "glyph cell " << b->imageCell;
        }

        SysCommand(SC_MAXIMIZE);
        ASSERT_TRUE(shot.Capture(wnd(), L"main-maximised-" + name + L".bmp"));
        EXPECT_GT(shot.width, 700);
        EXPECT_GT(shot.Colours(), 20);
        SysCommand(SC_RESTORE);

        Size(520, CollapsedHeight());
        ASSERT_TRUE(shot.Capture(wnd(), L"main-collapsed-" + name + L".bmp"));
        EXPECT_EQ(shot.height, CollapsedHeight());

        ToggleSmall();
        ASSERT_TRUE(shot.Capture(wnd(), L"main-small-" + name + L".bmp"));
        EXPECT_EQ(shot.height, SmallWindowHeight());
        EXPECT_PRED2(Differs, shot.At(ox + f.volume->x + 3, oy + 9), shot.At(ox + f.caption->x + 40, oy + 9));
        ToggleSmall();
    }
}

TEST_F(MainWin, ARestartShowsEveryRestoredValueOnItsFirstPaint) {
    std::wstring song = dir.File(L"restart.wav");
    ASSERT_TRUE(WriteSineWav(song, 6));
    struct Case { uint32_t theme; int w, h; const wchar_t* name; };  // the created window's size, and a larger one
    for (Case c : {Case{ThemeLight, 426, 566, L"light"}, Case{ThemeDarkModern, 480, 660, L"dark-modern"}}) {
        SCOPED_TRACE(testing::Message() << c.name);
        // Set up as a user would: none of it the default.
        g_general.Theme = c.theme;
        ApplyTheme(f.window, c.theme);
        SetWindowPos(wnd(), nullptr, 80, 60, c.w, c.h, SWP_NOZORDER | SWP_NOACTIVATE);
        g_general.isSeekGraphical = 1;
        SetSeekHeight(110);
        Relayout();
        EmptyPlayList();
        for (int i = 0; i < 60; i++) AppendEntry(dir.path.c_str(), (L"entry " + std::to_wstring(100 + i)).c_str(), L"wav", 3000);
        SetCurrent(f.playList, 40);
        f.playList->topRow = 30;
        SetFocusIndex(f.window, f.playList->index, true);
        g_general.isShuffle = 0;
        f.shuffle->toggleState = ToggleUp;
        g_general.PlayerVolume = 16384;  // 25 %
        g_general.isSmoothPause = 0;
        PlayFileNow(song.c_str());
        ASSERT_EQ(GetStatus(), StatusPlaying);
        Pause();
        SeekTo(2500);
        Restart();

        // The restored state...
        EXPECT_EQ(f.volume->value, 16384);
        EXPECT_EQ(f.shuffle->toggleState, ToggleUp);
        EXPECT_NEAR(f.seek->value, 2500, 50);
        EXPECT_EQ(Two(f.seek->y, f.seek->height), Two(Bottom(f.info) + s, 110));
        EXPECT_TRUE(f.timeDisplay->visible);
        EXPECT_STREQ(f.timeDisplay->rows[0].cells[0].text, L"00:02");
        EXPECT_EQ(f.playList->topRow, 30);
        // ...is what the screen shows: the same as a full repaint of it, control by control.
        // (Wine puts what was drawn on the screen while it handles messages.)
        ScreenShot first, full;
        for (ScreenShot* shot : {&first, &full}) {
            if (shot == &full) {
                RepaintAll(f.window);
                Present(f.window);
            }
            PumpMessages();
            Sleep(100);
            PumpMessages();
            std::wstring name = std::wstring(shot == &first ? L"main-restarted-" : L"main-repainted-") + c.name;
            ASSERT_TRUE(shot->Capture(wnd(), name + L".bmp"));
        }
        int ox = f.window->frameInsets[0], oy = f.window->frameInsets[1];
        RECT cpu = f.cpuLabel->Rect();  // the tick rewrites it
        std::vector<int> wrong(f.window->controlCount + 1, 0);
        for (int y = 0; y < ClientH(); y++)
            for (int x = 0; x < ClientW(); x++) {
                POINT p{x, y};
                if (PtInRect(&cpu, p) || first.At(ox + x, oy + y) == full.At(ox + x, oy + y)) continue;
                int owner = f.window->controlCount;  // the background
                for (int i = 0; i < f.window->controlCount; i++) {
                    Control* k = f.window->controls[i];
                    RECT kr = k->Rect();
                    if (k->visible && PtInRect(&kr, p)) owner = i;
                }
                wrong[owner]++;
            }
        for (int i = 0; i <= f.window->controlCount; i++) EXPECT_EQ(wrong[i], 0) << "control " << i;
        StopTrack();
    }
}

// The rightmost pixel of rows [top, bottom) between x0 and x1 (client
// coordinates) that differs from the row's own colour at `plainX`; -1 for none.
static int InkRight(const ScreenShot& shot, int ox, int oy, int top, int bottom, int x0, int x1, int plainX) {
    int right = -1;
    for (int y = top; y < bottom; y++) {
        COLORREF plain = shot.At(ox + plainX, oy + y);
        for (int x = x0; x < x1; x++)
            if (Differs(shot.At(ox + x, oy + y), plain) && x > right) right = x;
    }
    return right;
}

TEST_F(MainWin, StatusLineValuesEndInsideTheirColumnInEveryTheme) {
    ListView* st = f.statusLine;
    const wchar_t* rows[3] = {L"Time.1:11:57 / 2:22:57", L"Tracks.00:00 / 00:00", L"Selected.\x2116" L"12 (3 = 00:11)"};
    int ox = f.window->frameInsets[0], oy = f.window->frameInsets[1];
    for (uint32_t theme = ThemeDarkModern; theme <= ThemeLight; theme++) {
        ApplyTheme(f.window, theme);
        for (int w : {426, 733}) {
            Size(w, 566);
            for (int r = 0; r < 3; r++) SetCellText(st, 0, rows[r], r);
            Redraw(st);
            ScreenShot shot;
            ASSERT_TRUE(shot.Capture(wnd()));
            // The value is right-aligned at the cell's indent: its last pixels are
            // there, and nothing of it reaches the edge where the clip would cut it.
            int textRight = st->x + 1 + st->columns[0].width - st->cellIndent;
            for (int r = 0; r < 3; r++) {
                SCOPED_TRACE(testing::Message() << "theme " << theme << " width " << w << " row " << r);
                int top = st->y + st->headerHeight + 2 + r * st->rowHeight;
                int ink = InkRight(shot, ox, oy, top, top + st->rowHeight, st->x + st->width / 2, Right(st) - 1, st->x + 2);
                EXPECT_LT(ink, textRight - 1);
                EXPECT_GE(ink, textRight - 4);
            }
        }
    }
}

TEST_F(MainWin, TheSearchBoxStaysInItsListAndLeavesNothingBehind) {
    // The default window: each list is narrower than a full search box.
    Size(426, 566);
    for (ListView* l : {f.fileList, f.playList}) AddRows(l, 5, l->keyColumn);
    RepaintAll(f.window);
    Present(f.window);
    PumpMessages();
    int ox = f.window->frameInsets[0], oy = f.window->frameInsets[1];
    // Pixels of `area` that differ, leaving out the CPU label (the tick rewrites it) and `skip`.
    auto differing = [&](const ScreenShot& a, const ScreenShot& b, RECT area, RECT skip) {
        int n = 0;
        RECT cpu = f.cpuLabel->Rect();
        for (int y = std::max(0, (int)area.top); y < std::min(ClientH(), (int)area.bottom); y++)
            for (int x = std::max(0, (int)area.left); x < std::min(ClientW(), (int)area.right); x++) {
                POINT p{x, y};
                if (!PtInRect(&cpu, p) && !PtInRect(&skip, p) && a.At(ox + x, oy + y) != b.At(ox + x, oy + y)) n++;
            }
        return n;
    };
    RECT client{0, 0, ClientW(), ClientH()};
    for (ListView* l : {f.fileList, f.playList}) {
        for (WPARAM closer : {(WPARAM)VK_ESCAPE, (WPARAM)VK_RETURN}) {
            SCOPED_TRACE(testing::Message() << (l == f.fileList ? "file list" : "playlist") << " key " << closer);
            SetFocusIndex(f.window, l->index, true);
            PumpMessages();
            ScreenShot before, open, after;
            ASSERT_TRUE(before.Capture(wnd()));
            SendMessageW(wnd(), WM_CHAR, L'e', 1);
            PumpMessages();
            ASSERT_TRUE(l->searchActive);
            EditBox& box = l->searchBox;
            int innerRight = Right(l) - 1 - (l->vScroll.visible ? 16 : 0);
            EXPECT_GT(box.x, l->x);
            EXPECT_LE(Right(&box), innerRight);
            EXPECT_GE(box.width, 60);
            ASSERT_TRUE(open.Capture(wnd()));
            EXPECT_GT(differing(before, open, client, RECT{}), 0);  // the box is on the screen
            SendMessageW(wnd(), WM_KEYDOWN, closer, 1);
            PumpMessages();
            EXPECT_FALSE(l->searchActive);
            ASSERT_TRUE(after.Capture(wnd()));
            // Esc leaves the window as it was. Enter also does the list's own Enter
            // (the playlist plays the row, which the list and the status line show):
            // there the band a full-width box would have taken beside the list counts.
            if (closer == VK_ESCAPE) EXPECT_EQ(differing(before, after, client, RECT{}), 0);
            else EXPECT_EQ(differing(before, after, RECT{l->x, l->y + 10, l->x + 236, l->y + 30}, l->Rect()), 0);
        }
    }
}

TEST_F(MainWin, DraggingEntriesBetweenTheLists) {
    Size(600, 600);
    auto fill = [](ListView* l) {
        if (l->columnCount == 0) AddColumns(l, 1);
        AddRows(l, 5, 0);
    };
    fill(f.fileList);
    fill(f.playList);
    auto drag = [&](ListView* from, POINT to, WPARAM keys) {
        LPARAM press = PackPoint(from->x + 20, from->y + from->headerHeight + from->rowHeight + 3);
        SendMessageW(wnd(), WM_LBUTTONDOWN, MK_LBUTTON, press);
        SendMessageW(wnd(), WM_MOUSEMOVE, MK_LBUTTON | keys, PackPoint(to.x, to.y));
        bool started = g_listDrag.dragging;
        SendMessageW(wnd(), WM_LBUTTONUP, keys & MK_SHIFT, PackPoint(to.x, to.y));
        Ticks();
        // An add the drop started ends through this thread's messages.
        for (DWORD t = GetTickCount(); IsAdding() && GetTickCount() - t < 5000; Sleep(1)) PumpMessages();
        return started;
    };
    POINT onPlayList{f.playList->x + 30, f.playList->y + 40};
    POINT onStatus{f.statusLine->x + 30, f.statusLine->y + 20};
    EXPECT_TRUE(drag(f.fileList, onPlayList, 0));
    EXPECT_EQ(LastListDragResult(), DragAddedToPlayList);
    EXPECT_TRUE(drag(f.fileList, onStatus, 0));
    EXPECT_EQ(LastListDragResult(), DragReplacedPlayList);
    // Moving inside the file list is no drag; with Shift it is one at once.
    POINT inside{f.fileList->x + 40, f.fileList->y + 80};
    EXPECT_FALSE(drag(f.fileList, inside, 0));
    EXPECT_TRUE(drag(f.fileList, inside, MK_SHIFT));
    EXPECT_EQ(LastListDragResult(), DragDroppedNowhere);
    // From the playlist only leaving the window starts a drag, and dropping
    // there deletes the selected entries (the replace above emptied it).
    fill(f.playList);
    EXPECT_FALSE(drag(f.playList, onStatus, 0));
    EXPECT_TRUE(drag(f.playList, POINT{-40, 100}, 0));
    EXPECT_EQ(LastListDragResult(), DragDeletedEntries);
    // A press on the header starts nothing.
    LPARAM header = PackPoint(f.fileList->x + 20, f.fileList->y + 3);
    SendMessageW(wnd(), WM_LBUTTONDOWN, MK_LBUTTON, header);
    EXPECT_EQ(g_listDrag.source, DragFromNone);
    SendMessageW(wnd(), WM_LBUTTONUP, 0, header);
}

TEST_F(MainWin, ContextMenuPlacesAndSmallModeHitTest) {
    Size(600, 600);
    auto opens = [&](int x, int y) {
        MenuCloser closer;
        Click(PackPoint(x, y), true);
        Ticks();
        PumpMessages();
        return closer.seen > 0;
    };
    EXPECT_FALSE(opens(f.playList->x + 30, f.playList->y + 60));  // the list's own
    EXPECT_TRUE(opens(f.volume->x - 10, f.volume->y + 2));          // the band beside the volume slider
    EXPECT_TRUE(opens(f.cpuLabel->x + 5, f.cpuLabel->y + 5));       // even over the label there
    // Small mode: anywhere right of the first glyph button, but not on the caption.
    ToggleSmall();
    ASSERT_TRUE(g_general.isSmall);
    EXPECT_TRUE(opens(f.seek->x + 20, 5));
    EXPECT_FALSE(opens(f.volume->x + 5, 5));
    // The top and bottom rows right of the caption's start do not size the window.
    RECT r = WindowRect();
    POINT c{f.caption->x + 60, 0};
    ClientToScreen(wnd(), &c);
    EXPECT_NE(SendMessageW(wnd(), WM_NCHITTEST, 0, MAKELPARAM(c.x, r.top)), HTTOP);
    EXPECT_NE(SendMessageW(wnd(), WM_NCHITTEST, 0, MAKELPARAM(c.x, r.bottom - 1)), HTBOTTOM);
    // The wheel changes the volume in small mode only.
    g_general.pVolumeControls = 2;
    f.volume->value = (65535 * 50 + 99) / 100;
    SendMessageW(wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);
    EXPECT_EQ(f.volume->value * 100 / 65535, 60);
}

TEST_F(MainWin, RightPressOnTheSeekPanelSwitchesItsMode) {
    g_general.isSeekGraphical = 0;
    g_general.pSeekHeight = 110;
    Size(500, 700);
    int before = WindowH();
    Click(PackPoint(f.seek->x + 10, f.seek->y + 5), true);
    PumpMessages();
    EXPECT_TRUE(g_general.isSeekGraphical);
    EXPECT_EQ(f.seek->height, 110);
    EXPECT_EQ(WindowH(), before + 110 - 20);  // the lists keep their height
    EXPECT_TRUE(f.timeDisplay->visible);
    Ticks();
    g_layout.seekHeight = 90;  // dragged meanwhile: kept for the next switch
    Relayout();
    Click(PackPoint(f.seek->x + 10, f.seek->y + 5), true);
    PumpMessages();
    EXPECT_FALSE(g_general.isSeekGraphical);
    EXPECT_EQ(g_general.pSeekHeight, 90);
    EXPECT_EQ(f.seek->height, 20);
    EXPECT_FALSE(f.timeDisplay->visible);
    EXPECT_EQ(WindowH(), before + 110 - 90);  // grew by 110 - 20, shrank by 90 - 20
}

TEST_F(MainWin, SpaceOnAListAndHandOffsOfTheRightSizeOnly) {
    std::wstring song = dir.File(L"space.wav");
    ASSERT_TRUE(WriteSineWav(song, 3));
    PlayFileNow(song.c_str());
    ASSERT_EQ(GetStatus(), StatusPlaying);
    // Space on a list plays and pauses; on the path bar it is the path bar's own.
    const std::pair<Control*, EngineStatus> spaces[] = {
        {f.playList, StatusPaused}, {f.pathBar, StatusPaused}, {f.fileList, StatusPlaying}};
    for (auto [focus, status] : spaces) {
        SetFocusIndex(f.window, focus->index, false);
        Key(VK_SPACE);
        EXPECT_EQ(GetStatus(), status) << focus->index;
    }
    // A tray icon's middle click is play and pause too.
    SendMessageW(wnd(), WM_APP, 0, WM_MBUTTONDOWN);
    EXPECT_EQ(GetStatus(), StatusPaused);

    HandOffRecord r{};
    r.mode = ModeFollow;
    lstrcpynW(r.path, song.c_str(), MAX_PATH);
    COPYDATASTRUCT wrong{0, sizeof(r) - 2, &r};
    SendMessageW(wnd(), WM_COPYDATA, 0, (LPARAM)&wrong);
    EXPECT_NE(LastHandOff().path, song);
    COPYDATASTRUCT right{0, sizeof(r), &r};
    SendMessageW(wnd(), WM_COPYDATA, 0, (LPARAM)&right);
    EXPECT_EQ(LastHandOff().path, song);
}

TEST_F(MainWin, ComesBackInTheSamePlaceSizeModeAndLayout) {
    SetWindowPos(wnd(), nullptr, 100, 120, 500, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
    g_general.isSwapPanels = 1;
    SetPanelLayout(2);
    ToggleSmall();
    ASSERT_TRUE(g_general.isSmall);
    Restart();
    EXPECT_TRUE(g_general.isSmall);
    EXPECT_EQ(Corner(WindowRect()), Two(100, 120));
    EXPECT_EQ(ClientH(), 18);
    EXPECT_EQ(g_general.LCR, 2);
    EXPECT_TRUE(g_general.isSwapPanels);
    ToggleSmall();
    EXPECT_EQ(Dim(WindowRect()), Two(500, 600));
    EXPECT_TRUE(f.playList->visible);  // swapped: the playlist is on the left, the shown side
    EXPECT_FALSE(f.fileList->visible);
}

// The seek panel's height, the kept normal and maximised ones, the caption's width.
static Quad Heights() {
    MainFrame& f = g_mainFrame;
    return {f.seek->height, (int)g_general.pSeekHeight, (int)g_general.pSeekHeightMaximized, f.caption->width};
}

TEST_F(MainWin, ClosedMaximisedComesBackWithBothSeekPanelHeights) {
    g_general.isSeekGraphical = 1;
    // So tall that the normal window, laid out with it, would collapse.
    g_general.pSeekHeightMaximized = 400;
    SetWindowPos(wnd(), nullptr, 60, 40, 480, 640, SWP_NOZORDER | SWP_NOACTIVATE);
    SetSeekHeight(60);
    Relayout();
    int listRows = VisibleRows(f.playList);
    SysCommand(SC_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(wnd()));
    ASSERT_EQ(f.seek->height, 400);
    for (int run = 0; run < 2; run++) {
        SCOPED_TRACE(run);
        Restart();
        // Maximised with its own height; the normal window's is kept aside.
        EXPECT_TRUE(IsZoomed(wnd()));
        EXPECT_TRUE(g_general.isMaximized);
        EXPECT_EQ(Heights(), Q(400, 60, 400, ClientW()));
    }
    // Restored: the normal window as it was, lists and all.
    SysCommand(SC_RESTORE);
    EXPECT_EQ(Dim(WindowRect()), Two(480, 640));
    EXPECT_EQ(f.seek->height, 60);
    EXPECT_FALSE(g_layout.collapsed);
    EXPECT_EQ(VisibleRows(f.playList), listRows);
    EXPECT_EQ(g_general.pSeekHeightMaximized, 400);
    // Closed maximised while hidden in the tray: it starts hidden, and comes
    // out of the tray maximised with the same heights.
    SendMessageW(wnd(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    SysCommand(SC_MINIMIZE);
    Restart();
    EXPECT_FALSE(IsWindowVisible(wnd()));
    SendMessageW(wnd(), WM_APP, 0, WM_LBUTTONDOWN);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(wnd()));
    EXPECT_TRUE(IsZoomed(wnd()));
    EXPECT_EQ(Heights(), Q(400, 60, 400, ClientW()));
}

TEST_F(MainWin, TheInfoPanelShowsTagsAndTheStreamsFormat) {
    std::wstring media = TestExeFolder() + L"media\\";
    LoadPlugins();  // FLAC comes from the plug-in beside the test program
    // The cells (row, column) that show what is playing, joined by "|".
    auto cells = [](std::initializer_list<Two> which) {
        std::wstring all;
        for (auto [row, column] : which) all += InfoCell(row, column) + L"|";
        return all;
    };
    PlayFileNow((media + L"cbr.mp3").c_str());
    ASSERT_EQ(GetStatus(), StatusPlaying);
    // No source resolution for MP3.
    EXPECT_EQ(cells({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {2, 1}, {3, 1}}),
              L"Sine Title|Sine Artist|Album|2024|MPEG layer 3|44100 Hz|2 Channels|");
    EXPECT_NEAR(_wtoi(InfoCell(1, 1).c_str()), 128, 12);  // the file's size over its length, tags included
    PlayFileNow((media + L"u8.wav").c_str());
    // No comment.
    EXPECT_EQ(cells({{0, 1}, {2, 1}, {3, 1}, {5, 0}}), L"Integer PCM WAVE|22050 Hz (8 bit)|1 Channel| |");
    // Compressed WAVE: the codec in the name, the source resolution as stored.
    for (auto [file, codec] : {std::pair{L"ima.wav", L"IMA ADPCM"}, {L"ulaw.wav", L"u-law"}, {L"msadpcm.wav", L"Microsoft ADPCM"}}) {
        PlayFileNow((media + file).c_str());
        EXPECT_EQ(InfoCell(0, 1), L"Generic WAVE (" + std::wstring(codec) + L")");
    }
    PlayFileNow((media + L"t.flac").c_str());
    EXPECT_EQ(cells({{0, 0}, {0, 1}, {2, 1}}), L"Flac Title|FLAC|44100 Hz (16 bit)|");
    // Stopped: the captions.
    StopPlayOrder(false, true);
    EXPECT_EQ(cells({{0, 0}, {5, 0}, {0, 1}}), L"Title.\x2116|Comments|Audio Codec|");
    // The probes read without playing; the FLAC file carries its CUE sheet.
    TagRecord tags;
    ASSERT_TRUE(ProbeTags((media + L"t.flac").c_str(), &tags));
    EXPECT_EQ(tags.artist.text, L"Flac Artist");
    EXPECT_TRUE(tags.cueEmbedded);
    EXPECT_NE(tags.cueText.find("TRACK"), std::string::npos);
    EXPECT_EQ(tags.lengthMs, 2500);
    EXPECT_EQ(ProbeLength((media + L"s16.wav").c_str()), 2500);
    EXPECT_EQ(ProbeLength((media + L"missing.wav").c_str()), -1);
    EXPECT_EQ(BitRate(4000000, 250.0), 128);
    EXPECT_EQ(BitRate(4000000, -1.0), 0);
}

// A cleared panel of w x 90, and which of its points are lit ("1") or not ("0").
static VisPanel Panel(int w) {
    VisPanel p;
    p.width = w;
    p.height = 90;
    p.image.assign((size_t)w * p.height, 0);
    return p;
}
static std::string Lit(const VisPanel& p, std::initializer_list<Two> points) {
    std::string lit;
    for (auto [x, row] : points) lit += p.image[(size_t)row * p.width + x] ? '1' : '0';
    return lit;
}

TEST(Visualization, MarkerBarsAndTrace) {
    int nyquist = 0;
    EXPECT_EQ(SpectrumMarker(106, 48000, &nyquist), 83);
    EXPECT_EQ(nyquist, 24000);
    EXPECT_EQ(SpectrumMarker(106, 32000, &nyquist), -1);  // 16.0K shown instead
    EXPECT_EQ(nyquist, 16000);
    VisPanel v = Panel(512);
    VisColors k = VisColorsFor(1099, false, true);
    float m[512] = {};
    m[0] = 1.0f;    // full scale: the whole height
    m[10] = 1e-5f;  // a quiet bin: a short bar
    m[20] = 1e-9f;  // far below the range: nothing
    DrawSpectrumBars(&v, k, m);
    EXPECT_EQ(Lit(v, {{0, 89}, {10, 0}, {10, 15}, {10, 30}, {20, 0}, {5, 0}}), "111000");
    // Bins sharing a column: the tallest bar stands, a shorter one after it
    // does not cut it down; rows run from the bottom colour to the top one.
    VisPanel n = Panel(64);
    float b[512] = {};
    b[8] = 1.0f;    // column 1, full height
    b[9] = 1e-5f;   // column 1 too, short
    b[16] = 1e-5f;  // column 2, short
    DrawSpectrumBars(&n, k, b);
    EXPECT_EQ(Lit(n, {{1, 89}, {2, 15}, {2, 30}}), "110");
    auto px = [&](int x, int row) { return n.image[(size_t)row * n.width + x]; };
    EXPECT_EQ(px(1, 10), px(2, 10));  // one colour a row
    auto rgb = [](COLORREF c) { return (uint32_t)GetRValue(c) << 16 | (uint32_t)GetGValue(c) << 8 | GetBValue(c); };
    EXPECT_EQ(px(1, 89), rgb(k.barTop));
    // A second theme's colours are not the first's kept from before.
    VisColors light = VisColorsFor(1200, false, true);
    DrawSpectrumBars(&n, light, b);
    EXPECT_EQ(px(1, 89), rgb(light.barTop));
    // The trace joins the rows of two neighbouring samples.
    std::vector<float> s((size_t)2 * (v.width + 1), 0.0f);
    s[2] = 1.0f;  // columns 0 and 1 run from the middle to the top
    FillVis(&v, 0);
    DrawScopeTrace(&v, s.data(), 0xFFFFFF);
    EXPECT_EQ(Lit(v, {{0, 45}, {0, 89}, {1, 89}, {2, 89}}), "1110");
    // Waveform arithmetic: half-up rounding, shades never the see-through black.
    EXPECT_EQ(LevelPixels(32768, 20), 20);
    EXPECT_EQ(LevelPixels(16384, 21), 11);  // 10.5 rounds up
    EXPECT_EQ(LevelPixels(0, 20), 0);
    EXPECT_EQ(OverviewShade(1, 20, 0x000000, 0x808080), RGB(1, 1, 1));
    EXPECT_EQ(OverviewShade(20, 20, 0x000000, 0x808080), (COLORREF)0x808080);
}

// Waits (taking the window's messages) until the overview scan has completed.
static bool WaitForOverview() {
    for (DWORD start = GetTickCount(); !g_engine.scanComplete && GetTickCount() - start < 10000; Sleep(10)) PumpMessages();
    return g_engine.scanComplete;
}

TEST_F(MainWin, TheOverviewReadsTheTrackAndItsFinalSilenceIsSkipped) {
    OverviewPanel();
    std::wstring song = dir.File(L"quiet end.wav");
    ASSERT_TRUE(WriteSineWav(song, 1, 44100, 440.0, 0.5, 2));  // 1 s of tone, then 2 s of silence
    ASSERT_TRUE(WriteSineWav(dir.File(L"next.wav"), 1));
    // From the playlist, where the next entry would follow without a gap.
    EmptyPlayList();
    AppendEntry(dir.path.c_str(), L"quiet end", L"wav", 3000);
    AppendEntry(dir.path.c_str(), L"next", L"wav", 1000);
    ASSERT_TRUE(PlayEntry(0, false, false));
    ASSERT_EQ(GetStatus(), StatusPlaying);
    ASSERT_TRUE(WaitForOverview());
    EXPECT_EQ(g_overview.columnCount, 150u);  // one slice per 20 ms
    EXPECT_GE(g_overview.done, 148u);
    EXPECT_GT(g_overview.levels[10][0], 10000);   // the tone
    EXPECT_LT(g_overview.levels[100][0], 10);     // the silence
    // The picture shows the tone above and below the centre, nothing over the silence.
    int half = g_overview.height / 2, stride = (g_overview.width + 3) & ~3;
    int toneX = g_overview.width * 10 / 150, quietX = g_overview.width * 100 / 150;
    EXPECT_NE(g_overview.bits[(size_t)(half + 3) * stride + toneX], 0);
    EXPECT_NE(g_overview.bits[(size_t)(half - 3) * stride + toneX], 0);
    EXPECT_EQ(g_overview.bits[(size_t)(half + 3) * stride + quietX], 0);
    // Resizing keeps the slices read.
    ResizeOverview(f.seek->width - 12, f.seek->height - 2);
    EXPECT_GE(g_overview.done, 148u);
    EXPECT_NE(g_overview.bits[(size_t)(half + 3) * ((g_overview.width + 3) & ~3) + toneX], 0);
    // The track ends where its silence begins (the silent device runs in real time), and the next one plays.
    for (DWORD start = GetTickCount(); g_playList.nowPlaying == 0 && GetTickCount() - start < 2500; Sleep(10))
        PumpMessages();
    EXPECT_EQ(g_playList.nowPlaying, 1u);
    EXPECT_EQ(currentPath.text, dir.File(L"next.wav"));
}

// Plays on until the track stops by itself; gives the position where it stopped.
// Where playback stopped: the last position seen while it played (the
// window's tick may free the ended channel before a read after the stop).
static int32_t PlayUntilStopped(DWORD ms) {
    int32_t last = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(10)) {
        if (GetStatus() != StatusPlaying) return last;
        last = (std::max)(last, GetPosition());
        PumpMessages();
    }
    return -1;
}

// Each CUE track gets an overview of its own after a plain file's complete
// one, and its final silence is skipped like a plain file's.
TEST_F(MainWin, CueTracksOfOneFileEachGetTheirOwnOverview) {
    OverviewPanel();
    std::wstring plain = dir.File(L"plain.wav");
    ASSERT_TRUE(WriteSineWav(plain, 3));  // 3 s of tone: loud to the end
    PlayFileNow(plain.c_str());
    ASSERT_TRUE(WaitForOverview());
    ASSERT_EQ(g_overview.columnCount, 150u);
    EXPECT_GT(g_overview.levels[120][0], 10000);
    // One file: 2 s of tone then 4 s of silence; track 1 is its first 3 s, track 2 the rest.
    ASSERT_TRUE(WriteSineWav(dir.File(L"album.wav"), 2, 44100, 440.0, 0.5, 4));
    WriteFileBytes(dir.File(L"album.cue"), "FILE \"album.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n"
                                           "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n"
                                           "    INDEX 01 00:03:00\r\n");
    PlayFileNow(dir.File(L"album.cue\\01 One.wav").c_str());
    ASSERT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(seekLength, 3000u);
    ASSERT_TRUE(WaitForOverview());
    ASSERT_EQ(g_overview.columnCount, 150u);
    EXPECT_GT(g_overview.levels[10][0], 10000);  // this track's tone
    EXPECT_LT(g_overview.levels[120][0], 10);    // and its silence, not the plain file's tone
    EXPECT_GE(g_engine.silenceBytes.load(), 0);
    int32_t stoppedAt = PlayUntilStopped(4000);
    EXPECT_GE(stoppedAt, 1800);
    EXPECT_LT(stoppedAt, 2500) << "the silence before the track's end is skipped";
    // The second track of the same file: silent throughout.
    PlayFileNow(dir.File(L"album.cue\\02 Two.wav").c_str());
    ASSERT_TRUE(WaitForOverview());
    EXPECT_EQ(cueOffsetMs.load(), 3000);
    EXPECT_LT(g_overview.levels[10][0], 10);
}

// After a device switch or a reload of the plug-ins the track's final silence
// is still skipped, though its complete overview is kept rather than read again.
TEST_F(MainWin, SkipSilenceSurvivesADeviceSwitch) {
    OverviewPanel();
    std::wstring song = dir.File(L"quiet end.wav");
    ASSERT_TRUE(WriteSineWav(song, 1, 44100, 440.0, 0.5, 2));  // 1 s of tone, then 2 s of silence
    PlayFileNow(song.c_str());
    ASSERT_TRUE(WaitForOverview());
    SeekTo(0);
    ReinitAudio(kKeepDevice);
    ASSERT_EQ(GetStatus(), StatusPlaying);
    EXPECT_TRUE(g_engine.scanComplete);
    EXPECT_GE(g_overview.done, 148u);  // the picture is kept
    int32_t stoppedAt = PlayUntilStopped(4000);
    EXPECT_GE(stoppedAt, 0);
    EXPECT_LT(stoppedAt, 1500) << "stopped where the silence begins, not at the file's end";
}

// The silent device (0) is the suite's; a switch reopens the track where it was.
TEST_F(MainWin, ASwitchOfDeviceKeepsTheTrackItsPositionAndItsState) {
    std::wstring song = dir.File(L"long.wav");
    ASSERT_TRUE(WriteSineWav(song, 6));
    PlayFileNow(song.c_str());
    ASSERT_EQ(GetStatus(), StatusPlaying);
    const size_t decoders = g_engine.plugins.size();
    ASSERT_GT(decoders, 2u);
    SeekTo(2000);
    ReinitAudio(kKeepDevice);
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_NEAR(GetPosition(), 2000, 250);
    EXPECT_EQ(AudioCurrentDevice(), 0);
    EXPECT_EQ(f.buttons[1]->imageCell, GlyphPause);
    EXPECT_EQ(g_engine.plugins.size(), decoders);  // the plug-ins are back
    // Paused stays paused at its place.
    Pause();
    for (int i = 0; i < 40 && GetStatus() != StatusPaused; i++) Sleep(20);
    int32_t at = GetPosition();
    ReinitAudio(kKeepDevice);
    EXPECT_EQ(GetStatus(), StatusPaused);
    EXPECT_NEAR(GetPosition(), at, 50);
    // The capabilities of the device in use, as the settings page lists them: a stereo
    // device that mixes 16-bit sources says so, with its real format (2 speakers, 44100 Hz).
    auto rows = DeviceCapabilityRows();
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[0].first, L"Driver supports DirectSound");
    std::wstring values;
    for (int i : {2, 4, 8, 10, 11}) values += rows[i].second + L"|";
    EXPECT_EQ(values, L"Yes|Yes|From 100 to 1000000 (all)|2|44100|");
    // The context menu lists the endpoints with the one in use checked (none here).
    HMENU menu = CreatePopupMenu();
    int n = FillDeviceMenu(menu);
    EXPECT_EQ(GetMenuItemCount(menu), n);
    for (int i = 0; i < n; i++) EXPECT_FALSE(GetMenuState(menu, (UINT)i, MF_BYPOSITION) & MF_CHECKED);
    DestroyMenu(menu);
}

// The system volume of this (virtual) machine, through the volume slider.
TEST_F(MainWin, TheVolumeSliderCanDriveTheSystemVolumeAndItsMute) {
    g_systemVolume.useEndpoint = true;
    InitSystemVolume();
    int before = GetSystemVolume(VolumeMain);
    if (before < 0) GTEST_SKIP() << "no endpoint volume here";
    g_general.pVolumeControls = 0;
    SetSystemVolume(VolumeMain, 30000);
    if (abs(GetSystemVolume(VolumeMain) - 30000) > 2) {
        ReleaseSystemVolume();
        GTEST_SKIP() << "this machine's endpoint keeps no volume (Wine's is fixed at full)";
    }
    RefreshVolumeSlider(true);
    EXPECT_NEAR(f.volume->value, 30000, 2);
    {
        Modifiers ctrl(false, true);
        Key(VK_UP);  // the volume keys act on it too
    }
    EXPECT_GT(GetSystemVolume(VolumeMain), 30000);
    bool muted = IsMuted(VolumeMain);
    LPARAM at = PackPoint(f.volume->x + 5, f.volume->y + 20);
    SendMessageW(wnd(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    EXPECT_NE(IsMuted(VolumeMain), muted);
    EXPECT_EQ(f.volume->alternate, !muted);
    SendMessageW(wnd(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    EXPECT_EQ(IsMuted(VolumeMain), muted);
    SetSystemVolume(VolumeMain, before);
    ShiftBalance(true);  // nothing on the endpoint
    EXPECT_NEAR(GetSystemVolume(VolumeMain), before, 2);
    ReleaseSystemVolume();
}

// ---- internet streams -----------------------------------------------------

namespace {

using Texts = std::vector<std::wstring>;

// Runs the window's messages until done() or ms have passed; returns each new
// text of the status cell (row 5 of the tag column) in order.
Texts RunUntil(bool (*done)(), int ms) {
    Texts seen;
    const wchar_t* before = g_mainFrame.info->rows[5].cells[0].text;
    std::wstring last = before ? before : L"";
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < (DWORD)ms) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        const wchar_t* t = g_mainFrame.info->rows[5].cells[0].text;
        std::wstring text = t ? t : L"";
        if (text != last) seen.push_back(text);
        last = text;
    }
    return seen;
}

std::wstring WideOf(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

// The first address refuses, the second is a radio: the status cell tells each
// step, play does nothing while the request is out, the second address alone
// becomes the current path, the stream starts once buffered, its ICY headers
// and titles reach the info panel, and a new title replaces the old one.
TEST_F(MainWin, ARadioStreamConnectsBuffersPlaysAndShowsItsTitles) {
    std::string radio = RadioFrames();
    ASSERT_GT(radio.size(), 20000u);
    std::string audio;
    for (int i = 0; i < 40; i++) audio += radio;
    std::vector<std::string> titles;
    for (int i = 0; i < 1000; i++) titles.push_back(i < 12 ? "Artist - First Song (Live)" : "Second Song");
    std::string body = WithIcyBlocks(audio, 8000, titles);
    // The second title waits until the first was seen: the download runs ahead of playback.
    size_t change = body.find("StreamTitle='Second Song");
    ASSERT_NE(change, std::string::npos);
    change--;  // the block's length byte
    static std::atomic<bool> more;
    more = false;
    TestHttpServer server;
    ASSERT_TRUE(server.Start([&](TestConnection& c) {
        if (!c.Send(ReplyHead("ICY 200 OK", {"icy-metaint:8000", "icy-br:128", "icy-genre:Test Genre"}) +
                    body.substr(0, change)))
            return;
        for (int i = 0; i < 2000 && !more; i++) Sleep(5);
        c.Send(body.substr(change));
    }));
    std::wstring second = WideOf(server.Url("/radio"));
    std::wstring path = L"http://127.0.0.1:" + std::to_wstring(ClosedPort()) + L"/gone|" + second;
    ASSERT_TRUE(OpenTrack(path.c_str(), true, false));
    EXPECT_EQ(g_engine.netState.load(), 1);
    EXPECT_EQ(GetStatus(), StatusPaused);
    TogglePlay();  // while the request is out: nothing
    EXPECT_EQ(g_engine.netState.load(), 1);
    EXPECT_EQ(channel.load(), 1u);
    EXPECT_NE(GetStatus(), StatusPlaying);

    EXPECT_EQ(RunUntil([] { return g_engine.netState.load() == 3; }, 8000),
              (Texts{L"Sending request1...", L"Sending request2...", L"Connecting...", L"Buffering..."}));
    EXPECT_EQ(currentPath.text, second);
    EXPECT_NE(channel.load(), 1u);
    EXPECT_FALSE(g_engine.scanComplete.load());  // no overview of a stream

    RunUntil([] { return g_engine.netState.load() == 4 && GetStatus() == StatusPlaying; }, 8000);
    ASSERT_EQ(g_engine.netState.load(), 4);
    ASSERT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(f.buttons[1]->imageCell, GlyphPause);
    EXPECT_EQ(GetPosition(), 0);
    RunUntil([] { return InfoCell(0, 0) == L"Artist - First Song"; }, 3000);
    EXPECT_EQ(InfoCell(0, 0), L"Artist - First Song");
    EXPECT_EQ(InfoCell(2, 0), L"Live");
    EXPECT_EQ(InfoCell(4, 0), L"Test Genre");
    EXPECT_EQ(InfoCell(0, 1), L"MPEG layer 3");
    EXPECT_EQ(InfoCell(1, 1), L"128 kbit/s");
    // Now the rest of the stream, with its new title.
    more = true;
    RunUntil([] { return InfoCell(0, 0) == L"Second Song"; }, 10000);
    EXPECT_EQ(InfoCell(0, 0), L"Second Song");
    StopTrack();
    EXPECT_EQ(g_engine.netState.load(), 0);
    server.Stop();
}

// No address answers: "Disconnected". A file whose server has closed before
// the buffer is three quarters full starts all the same.
TEST_F(MainWin, AFailedStreamDisconnectsAndAShortOneStartsAnyway) {
    std::wstring gone = L"http://127.0.0.1:" + std::to_wstring(ClosedPort()) + L"/gone";
    ASSERT_TRUE(OpenTrack(gone.c_str(), true, false));
    EXPECT_EQ(RunUntil([] { return g_engine.netState.load() == 0; }, 8000),
              (Texts{L"Sending request...", L"Disconnected"}));

    std::string bytes = ReadFileBytes(TestExeFolder() + L"media\\cbr.mp3");
    ASSERT_GT(bytes.size(), 10000u);
    TestHttpServer server;
    ASSERT_TRUE(server.Start([&](TestConnection& c) {
        c.Send(ReplyHead("HTTP/1.0 200 OK", {"Content-Length: " + std::to_string(bytes.size())}) + bytes);
    }));
    ASSERT_TRUE(OpenTrack(WideOf(server.Url("/short.mp3")).c_str(), true, false));
    RunUntil([] { return g_engine.netState.load() == 4; }, 8000);
    ASSERT_EQ(g_engine.netState.load(), 4);
    EXPECT_LT(AudioFilePosition(channel, AudioFileBuffered) * 100 / AudioFilePosition(channel, AudioFileEnd), 75u);
    EXPECT_EQ(AudioFilePosition(channel, AudioFileConnected), 0u);
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(InfoCell(0, 0), L"Sine Title");  // the file's own tags
    StopTrack();
}

// ---- high DPI ------------------------------------------------------------------

TEST(Dpi, ScalesLikeMulDivAndComesBack) {
    // Halves round away from zero, as MulDiv does: 28.5, 67.5, -4.5, 16.25.
    const int cases[][3] = {{19, 96, 19}, {19, 144, 29}, {45, 144, 68}, {1, 144, 2},
                            {-3, 144, -5}, {426, 192, 852}, {13, 120, 16}};
    for (auto& c : cases) EXPECT_EQ(ScaleAt(c[0], c[1]), c[2]) << c[0] << " at " << c[1];
    for (int dpi : {120, 144, 168, 192}) {
        SetUiDpi(dpi);
        EXPECT_EQ(UiDpi(), dpi);
        for (int v : {0, 1, 2, 7, 19, 45, 103, 426, 566, 1000}) EXPECT_EQ(Unscale(Scale(v)), v) << v << " at " << dpi;
    }
    SetUiDpi(10);  // nonsense falls back to the system's
    EXPECT_GE(UiDpi(), 48);
    SetUiDpi(0);
}

// A glyph strip is resampled cell by cell: the cells keep their order and
// nothing of a neighbour bleeds across the edge between two cells.
TEST(Dpi, GlyphStripsAreResampledPerCell) {
    const int cell = 4, cells = 3, h = 4;
    uint32_t* bits = nullptr;
    HBITMAP b = NewTopDownSection(cell * cells, h, &bits);
    ASSERT_TRUE(b && bits);
    const uint32_t colours[cells] = {0xFFFF0000, 0x00000000, 0xFF0000FF};  // red, clear, blue
    for (int y = 0; y < h; y++)
        for (int x = 0; x < cell * cells; x++) bits[y * cell * cells + x] = colours[x / cell];
    SetUiDpi(96);
    int cw = 0;
    EXPECT_EQ(ScaleSheetBitmap(b, cell, &cw), b);  // 96 DPI: the very same strip
    EXPECT_EQ(cw, cell);
    SetUiDpi(144);
    HBITMAP scaled = ScaleSheetBitmap(b, cell, &cw);  // b is deleted
    SetUiDpi(0);
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(cw, 6);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(scaled, sizeof(ds), &ds), (int)sizeof(ds));
    EXPECT_EQ(Two(ds.dsBm.bmWidth, ds.dsBm.bmHeight), Two(18, 6));
    const uint32_t* p = (const uint32_t*)ds.dsBm.bmBits;
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 18; x++) EXPECT_EQ(p[y * 18 + x], colours[x / 6]) << x << "," << y;
    DeleteObject(scaled);
}

// The main window made at another DPI than 96.
struct MainWinDpi : MainWin {
    void Start(int dpi) {
        TearDown();
        g_followWindowDpi = false;  // the test screen is at 96 DPI; the window is made at dpi
        SetUiDpi(dpi);
        SetUp();
    }
    void TearDown() override {
        MainWin::TearDown();
        SetUiDpi(0);
        g_followWindowDpi = true;
    }
    // The measures that scale: caption and settings heights, transport button width and its glyph cell, window font.
    Quad Measures() const { return {f.caption->height, f.settings->height, f.buttons[0]->width, f.window->font.height}; }
};

TEST_F(MainWinDpi, FirstWindowAndEveryMeasureScaleWithTheDpi) {
    struct Case { int dpi, create[2], caption, row, settingsW, button, glyph, font, margin, barW; };
    const Case cases[] = {
        {96, {426, 566}, 19, 19, 54, 20, 15, 13, 7, 16},
        {144, {639, 849}, 29, 29, 81, 30, 23, 20, 11, 24},
        {192, {852, 0}, 38, 38, 108, 40, 30, 26, 14, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        Start(c.dpi);
        // The first window: 1.5 and 2 times the 96-DPI size (before it is fitted on the screen).
        SetGeneralDefaults();
        ConvertSizesToDpi(UiDpi());
        HWND again = CreateMainWindow();
        ASSERT_TRUE(again);
        UiWindow* ui = f.window;
        RECT r = WindowRectOf(again);
        EXPECT_EQ(r.right - r.left, c.create[0]);
        if (c.create[1]) { EXPECT_EQ(r.bottom - r.top, c.create[1]); }  // 1132 is taller than the test screen
        ShowMainWindowAtStart();
        PumpMessages();
        Size(Scale(426), Scale(500));
        EXPECT_EQ(Measures(), Q(c.caption, c.row, c.button, c.font));
        EXPECT_EQ(XW(f.settings), Two(c.margin, c.settingsW));
        EXPECT_EQ(f.shuffle->x, 2 * c.margin + c.settingsW);
        for (Button* b : f.buttons) {
            EXPECT_EQ(Two(b->width, b->height), Two(c.button, c.button));
            ASSERT_NE(b->imageSheet, nullptr);
            EXPECT_EQ(Two(b->imageSheet->cellWidth, b->imageSheet->cellHeight), Two(c.glyph, c.glyph));
        }
        // Fonts are made at the DPI (sharp), not drawn at 13 pixels and stretched.
        EXPECT_EQ(f.caption->font.height, c.font);
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, ui->font.handle);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        EXPECT_NEAR(tm.tmHeight, c.font, 1);  // the face's own cell at that size
        EXPECT_FALSE(f.info->vScroll.visible || f.info->hScroll.visible);  // six rows fit as they do at 96 DPI
        // Measured at 96 DPI: the length and icon columns, the header, the volume slider, the info panel,
        // the spectrum, the close button and the smallest seek panel.
        const std::pair<int, int> measures[] = {
            {f.playList->columns[PlayListLength].width, 40}, {f.fileList->columns[0].width, 21},
            {f.fileList->headerHeight, 17}, {f.volume->width, 20}, {f.info->height, 92}, {f.spectrum->width, 108},
            {f.caption->closeButton.width, 16}, {f.caption->closeButton.height, 14}, {f.seek->height, 45}};
        for (auto [now, at96] : measures) EXPECT_EQ(now, ScaleAt(at96, c.dpi)) << at96;
        // A list full enough to scroll shows a bar of the scaled width.
        for (int i = 0; i < 60; i++) AddRow(f.fileList);
        Relayout();
        EXPECT_TRUE(f.fileList->vScroll.visible);
        EXPECT_EQ(f.fileList->vScroll.width, c.barW);
        // Collapsed and small modes: their thresholds scale too.
        EXPECT_EQ(CollapsedHeight(), 4 * c.margin + ScaleAt(130, c.dpi) + g_layout.seekHeight +
                                         2 * (g_theme.gradientBackground ? ScaleAt(g_general.marginBig + 1, c.dpi) : 0));
        EXPECT_EQ(SmallWindowHeight(), ScaleAt(18, c.dpi) + Insets());
        MINMAXINFO mm{};
        SendMessageW(wnd(), WM_GETMINMAXINFO, 0, (LPARAM)&mm);
        EXPECT_EQ(Two(mm.ptMinTrackSize.x, mm.ptMinTrackSize.y), Two(ScaleAt(289, c.dpi), CollapsedHeight()));
        ScreenShot shot;
        ASSERT_TRUE(shot.Capture(wnd(), L"main-dpi-" + std::to_wstring(c.dpi) + L".bmp"));
        EXPECT_EQ(shot.width, Scale(426));
    }
}

TEST_F(MainWinDpi, SettingsKeepSizesIn96DpiUnits) {
    Start(144);
    // A file written at 96 DPI opens 1.5 times as large at 144 ...
    std::wstring ini = dir.File(L"Settings.ini");
    ASSERT_TRUE(WriteFileBytes(ini, "\xEF\xBB\xBF[General]\r\nxPos = 30\r\nyPos = 40\r\nWidth = 500\r\nHeight = 600\r\n"
                                    "pSeekHeight = 60\r\npSeekHeightMaximized = 100\r\nmarginBig = 7\r\n"
                                    "marginSmall = 4\r\n"));
    SetGeneralDefaults();
    LoadGeneralSettings(false, false);
    PumpMessages();
    const GeneralSettings& g = g_general;
    EXPECT_EQ(Quad({(int)g.Width, (int)g.Height, (int)g.pSeekHeight, (int)g.pSeekHeightMaximized}), Q(750, 900, 90, 150));
    EXPECT_EQ(g_general.marginBig, 7);  // margins stay in 96-DPI units and are scaled where used
    RECT r = WindowRect();
    EXPECT_EQ(r.left, 30);  // the position is the screen's, in its pixels
    EXPECT_EQ(Dim(r), Two(750, 900));
    // ... and goes back to the file in 96-DPI units, unchanged.
    SaveAllSettings();
    std::string text = ReadFileBytes(ini);
    for (const char* line :
         {"Width = 500", "Height = 600", "pSeekHeight = 60", "pSeekHeightMaximized = 100", "marginBig = 7"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in " << text;
}

TEST_F(MainWinDpi, DpiChangeTakesTheSuggestedRectangleAndLaysOutAgain) {
    Start(96);
    g_general.isSeekGraphical = 1;
    SetSeekHeight(60);
    Size(426, 566);
    int spacing = f.playList->rowHeight - f.playList->textHeight;
    RECT suggested{50, 60, 50 + 639, 60 + 849};
    SendMessageW(wnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), (LPARAM)&suggested);
    PumpMessages();
    EXPECT_EQ(UiDpi(), 144);
    RECT r = WindowRect();
    EXPECT_TRUE(EqualRect(&r, &suggested));
    EXPECT_EQ(Measures(), Q(29, 29, 30, 20));
    EXPECT_EQ(f.buttons[0]->imageSheet->cellWidth, 23);
    EXPECT_EQ(Two(g_layout.seekHeight, f.seek->height), Two(90, 90));
    EXPECT_EQ(f.info->rowHeight, 22);
    EXPECT_EQ(f.playList->columns[PlayListLength].width, 60);
    // The lists' rows grow with their text and keep their room around it, scaled.
    EXPECT_EQ(f.playList->rowHeight - f.playList->textHeight, ScaleAt(spacing, 144));
    EXPECT_EQ(f.caption->closeButton.width, 24);
    EXPECT_EQ(ThemeIconStrip()->cellWidth, 24);
    // The way back ends where it began.
    RECT back{50, 60, 50 + 426, 60 + 566};
    SendMessageW(wnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), (LPARAM)&back);
    PumpMessages();
    EXPECT_EQ(Measures(), Q(19, 19, 20, 13));
    EXPECT_EQ(f.buttons[0]->imageSheet->cellWidth, 15);
    EXPECT_EQ(g_layout.seekHeight, 60);
    EXPECT_EQ(f.info->rowHeight, 15);
    EXPECT_EQ(ThemeIconStrip()->cellWidth, 16);
}

// A window made at one DPI and placed on a screen of another (here: made at 144,
// the test screen at 96) takes that screen's DPI before it is first shown.
TEST_F(MainWinDpi, StartTakesTheDpiOfTheScreenTheWindowIsOn) {
    TearDown();
    SetUiDpi(144);
    SetUp();
    EXPECT_EQ(UiDpi(), DpiOfWindow(wnd()));
    RECT r = WindowRect();
    EXPECT_EQ(r.right - r.left, ScaleAt(426, UiDpi()));
    EXPECT_EQ(f.caption->height, ScaleAt(19, UiDpi()));
    EXPECT_EQ(f.window->font.height, ScaleAt(13, UiDpi()));
}

namespace {

struct ProcessResources {
    DWORD handles = 0, gdi = 0, user = 0, threads = 0;  // user objects: 0 where the system does not count them
    SIZE_T privateBytes = 0;
};

// Wine counts no private memory for a process: there the committed private pages are summed.

SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION m;
    for (const char* at = nullptr; VirtualQuery(at, &m, sizeof(m)) == sizeof(m); at = (const char*)m.BaseAddress + m.RegionSize) {
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) total += m.RegionSize;
        if ((const char*)m.BaseAddress + m.RegionSize < at) break;
    }
    return total;
}

ProcessResources TakeResources() {
    ProcessResources r;
    HANDLE self = GetCurrentProcess();
    r.handles = HandleCount();
    r.gdi = GdiObjectCount();
    r.user = GetGuiResources(self, GR_USEROBJECTS);
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 t{sizeof(t)};
    for (BOOL more = Thread32First(snap, &t); more; more = Thread32Next(snap, &t))
        if (t.th32OwnerProcessID == GetCurrentProcessId()) r.threads++;
    CloseHandle(snap);
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof(m);
    if (GetProcessMemoryInfo(self, (PROCESS_MEMORY_COUNTERS*)&m, sizeof(m))) r.privateBytes = m.PrivateUsage;
    if (r.privateBytes == 0) r.privateBytes = CommittedPrivateBytes();
    return r;
}

}  // namespace

// Endurance on the silent device: a looping playlist of short tracks (one of
// them through the FLAC add-on) through many track changes, device
// re-initialisations and add-on reloads, with files added by drops in
// between. Handles, GDI and user objects, threads and private memory are
// printed at the start and the end and stay flat: within 5 %, with a small
// allowance at the default's short run. SONVALE_SOAK=n runs n * 1,000 track
// changes and n * 50 of each of the others (10: 10,000 and 500).
TEST_F(MainWin, EnduranceKeepsHandlesObjectsThreadsAndMemoryFlat) {
    std::wstring tracks = dir.path + L"tracks\\";
    CreateDirectoryW(tracks.c_str(), nullptr);
    for (int i = 0; i < 4; i++) ASSERT_TRUE(WriteSineWav(tracks + L"t" + std::to_wstring(i) + L".wav", 1, 44100, 300.0 + 100 * i));
    if (MediaExists("t.flac")) CopyFileW(MediaPath("t.flac").c_str(), (tracks + L"z.flac").c_str(), FALSE);
    POINT onList{f.playList->x + 10, f.playList->y + 30};
    auto add = [&](bool replace) {
        Modifiers shift(replace, false);
        SendMessageW(wnd(), WM_DROPFILES, (WPARAM)MakeDrop({tracks.substr(0, tracks.size() - 1)}, onList), 0);
    };
    add(true);
    ASSERT_GE(PlayListCount(), 4);
    ASSERT_TRUE(PlayEntry(0, false, false));
    const bool soak = SoakFactor() > 1;
    const int changes = soak ? 1000 * SoakFactor() : 120;
    const int every = soak ? 20 : 15;  // a re-initialisation and a reload every so many changes
    int reinits = 0, reloads = 0, adds = 0;
    auto step = [&](int i) {
        if (!PlayNext(false)) PlayEntry(0, false, false);
        PumpMessages();
        if (i % every == every / 2) {
            ReinitAudio(kKeepDevice);
            reinits++;
        }
        if (i % every == 0) {
            LoadPluginsFrom(TestExeFolder());
            reloads++;
        }
        if (i % every == every / 3) {
            add(i % (4 * every) == every / 3);  // the list stays short: every fourth add replaces it
            adds++;
        }
    };
    for (int i = 0; i < 2 * every; i++) step(i);  // warm-up: caches, fonts and pools fill once
    reinits = reloads = adds = 0;
    PumpMessages();
    ProcessResources before = TakeResources();
    for (int i = 0; i < changes; i++) {
        step(i);
        if (HasFailure()) break;
    }
    StopTrack();
    PumpMessages();
    ProcessResources after = TakeResources();
    printf("endurance: %d track changes, %d device re-initialisations, %d add-on reloads, %d adds\n"
           "  handles %lu -> %lu, GDI objects %lu -> %lu, user objects %lu -> %lu, threads %lu -> %lu, "
           "private memory %llu KB -> %llu KB\n",
           changes, reinits, reloads, adds, before.handles, after.handles, before.gdi, after.gdi, before.user,
           after.user, before.threads, after.threads, (unsigned long long)before.privateBytes / 1024,
           (unsigned long long)after.privateBytes / 1024);
    auto flat = [&](double was, double now, double allowance) { return now <= was * 1.05 + (soak ? 0 : allowance); };
    EXPECT_TRUE(flat(before.handles, after.handles, 20));
    EXPECT_TRUE(flat(before.gdi, after.gdi, 10));
    EXPECT_TRUE(flat(before.user, after.user, 10));
    EXPECT_TRUE(flat(before.threads, after.threads, 3));
    EXPECT_TRUE(flat((double)before.privateBytes, (double)after.privateBytes, 8 << 20));
}
