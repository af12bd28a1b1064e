// The window framework driven by real messages: double clicks, focus and Tab,
// the back buffer through moves and sizes, the caption and the frame.
#include <gtest/gtest.h>
#include "tests/ui_test_window.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/scroll_bar.h"
#include "ui/slider.h"
#include "ui/custom_control.h"
#include "ui/draw.h"
#include "ui/theme.h"

TEST(Framework, DoubleClicksNeedTheSamePixelTheSameButtonAndThirtyTicks) {
    UiWindow w(L"SonvaleDoubleClick", 0, 0, 10, 10);
    LPARAM at = PackPoint(5, 6);
    EXPECT_EQ(DetectDoubleClick(&w, WM_LBUTTONDOWN, at), (UINT)WM_LBUTTONDOWN);
    EXPECT_EQ(DetectDoubleClick(&w, WM_LBUTTONDOWN, at), (UINT)WM_LBUTTONDBLCLK);
    EXPECT_EQ(DetectDoubleClick(&w, WM_LBUTTONDOWN, at), (UINT)WM_LBUTTONDOWN);  // a third press starts afresh
    w.clickTicks = 31;
    EXPECT_EQ(DetectDoubleClick(&w, WM_LBUTTONDOWN, at), (UINT)WM_LBUTTONDOWN);
    EXPECT_EQ(DetectDoubleClick(&w, WM_RBUTTONDOWN, at), (UINT)WM_RBUTTONDOWN);  // left then right
    EXPECT_EQ(DetectDoubleClick(&w, WM_RBUTTONDOWN, PackPoint(5, 7)), (UINT)WM_RBUTTONDOWN);  // moved a pixel
    EXPECT_EQ(DetectDoubleClick(&w, WM_RBUTTONDOWN, PackPoint(5, 7)), (UINT)WM_RBUTTONDBLCLK);
    w.clickTicks = 29;
    w.lastPressMsg = WM_LBUTTONDOWN;
    w.lastPressPos = (int32_t)at;
    EXPECT_EQ(DetectDoubleClick(&w, WM_LBUTTONDOWN, at), (UINT)WM_LBUTTONDBLCLK);
}

TEST(Framework, TheTickCountsTowardsTheDoubleClickTime) {
    AllControls t;
    t.win.Tap(15, 35);
    t.win.Ticks(29);
    t.win.ownerMessages.clear();
    t.win.Tap(15, 35);
    EXPECT_NE(std::find(t.win.ownerMessages.begin(), t.win.ownerMessages.end(), (UINT)WM_LBUTTONDBLCLK),
              t.win.ownerMessages.end());
    t.win.Ticks(31);
    t.win.Tap(15, 35);
    t.win.ownerMessages.clear();
    t.win.Ticks(31);
    t.win.Press(15, 35);
    EXPECT_EQ(t.win.ownerMessages.back(), (UINT)WM_LBUTTONDOWN);
    t.win.Release(15, 35);
}

// The timer beats slower than the nominal 10 ms tick (15.6 ms on Windows, 15
// ms as asked under Wine): each beat stands for the time that passed, so a
// count of 200 ticks still lasts 2 s; ticks sent in a row count one each,
// and a long stall catches up by at most three.
TEST(Framework, EachTickStandsForTheNominalTicksThatPassed) {
    int64_t carry = 0;
    int sum = 0, beats = 0;
    while (sum < 200) sum += TickStepsFor(beats++ ? 15000 : 0, &carry);
    EXPECT_NEAR(beats, 134, 1);  // 2 s of 15 ms beats
    carry = 0;
    sum = 0;
    for (int i = 0; i < 64; i++) sum += TickStepsFor(15625, &carry);
    EXPECT_NEAR(sum, 100, 1);  // a second of the Windows clock
    carry = 0;
    EXPECT_EQ(TickStepsFor(0, &carry), 1);
    EXPECT_EQ(TickStepsFor(2000, &carry), 1);
    EXPECT_EQ(TickStepsFor(10000, &carry), 1);
    EXPECT_EQ(TickStepsFor(-5000000, &carry), 1);
    EXPECT_EQ(TickStepsFor(900000, &carry), 3);
    EXPECT_EQ(carry, 0);
}

TEST(Framework, TabCyclesOverVisibleTabStopsThatCanTakeFocus) {
    AllControls t;
    t.list->visible = true;
    UiWindow* ui = t.win.ui;
    ASSERT_EQ(ui->focusIndex, -1);
    // Nothing focused: Tab starts after the last index, so the first eligible control.
    t.win.Key(VK_TAB);
    EXPECT_EQ(ui->focusIndex, t.edit->index);
    EXPECT_EQ(t.edit->focusState, HasFocus);
    t.win.Key(VK_TAB);
    EXPECT_EQ(ui->focusIndex, t.list->index);
    EXPECT_EQ(t.edit->focusState, CanFocus);
    t.win.Key(VK_TAB);
    EXPECT_EQ(ui->focusIndex, t.edit2->index);
    t.win.Key(VK_TAB);
    EXPECT_EQ(ui->focusIndex, t.edit->index);  // wrapped, skipping button, slider, scroll bar, custom

    // An invisible control is skipped.
    t.list->visible = false;
    t.win.Key(VK_TAB);
    EXPECT_EQ(ui->focusIndex, t.edit2->index);
    t.list->visible = true;

    // Shift+Tab with nothing focused starts from index 0 and goes to the last eligible control.
    SetFocusIndex(ui, -1, true);
    {
        Modifiers shift(true, false);
        t.win.Key(VK_TAB);
        EXPECT_EQ(ui->focusIndex, t.edit2->index);
        t.win.Key(VK_TAB);
        EXPECT_EQ(ui->focusIndex, t.list->index);
    }
}

TEST(Framework, ClicksFocusOnlyControlsThatCanTakeFocus) {
    AllControls t;
    UiWindow* ui = t.win.ui;
    t.win.Click(20, 40);  // the button
    EXPECT_EQ(ui->focusIndex, -1);
    EXPECT_EQ(CountNotes(1, WM_LBUTTONUP), 1);
    for (int x : {100, 20}) {  // the edit box, then the button again
        t.win.Click(x, 40);
        EXPECT_EQ(ui->focusIndex, t.edit->index);
    }
    // Keys go to the focused control, and on to its owner.
    ClearNotes();
    t.win.Char(L'x');
    EXPECT_EQ(t.edit->text.text, L"x");
    EXPECT_EQ(CountNotes(2, WM_CHAR), 1);
}

TEST(Framework, BackBufferGrowsAtOnceAndShrinksOnlyByMoreThanTenPixels) {
    AllControls t;
    HWND h = t.win.hwnd();
    Surface& s = t.win.ui->backBuffer;
    EXPECT_EQ(std::make_pair(s.width, s.height), std::make_pair(420, 320));
    // {width, height, a new bitmap, the buffer's width}: one pixel wider is grown at once.
    const int sizes[][4] = {{415, 315, 0, 420}, {409, 320, 1, 409}, {410, 320, 1, 410}};
    for (auto& size : sizes) {
        HBITMAP before = s.bitmap;
        SetWindowPos(h, nullptr, 0, 0, size[0], size[1], SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(s.bitmap != before, size[2] != 0) << size[0];
        EXPECT_EQ(s.width, size[3]);
    }
    // Moving keeps the rectangle fields up to date and the buffer as it is.
    HBITMAP third = s.bitmap;
    SetWindowPos(h, nullptr, 150, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(std::make_pair(t.win.ui->x, t.win.ui->y), std::make_pair(150, 130));
    EXPECT_EQ(s.bitmap, third);
}

// Between paints the back buffer holds a font of a set quality, whatever the
// controls painted and put back (one of the default quality costs Wine a look
// on disk at every select), and a solid fill leaves no brush of its own.
TEST(Framework, PaintsLeaveTheBufferWithAFontOfSetQuality) {
    AllControls t;
    HDC dc = t.win.ui->backBuffer.memoryDC;
    RepaintAll(t.win.ui);
    Redraw(t.list);
    Redraw(t.edit);
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(lf), &lf));
    EXPECT_NE(lf.lfQuality, DEFAULT_QUALITY);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    FillSolid(&t.win.ui->backBuffer, RECT{0, 0, 5, 5}, RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(10, 20, 30));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
}

TEST(Framework, MaximiseAndRestoreKeepTheBufferTheCaptionAndTheControls) {
    AllControls t;
    HWND h = t.win.hwnd();
    t.win.layouts = 0;
    ShowWindow(h, SW_MAXIMIZE);
    PumpMessages();
    RECT wr, work = WorkArea();
    GetWindowRect(h, &wr);
    EXPECT_TRUE(IsZoomed(h));
    EXPECT_GE(wr.right - wr.left, work.right - work.left);
    EXPECT_GE(t.win.ui->backBuffer.width, wr.right - wr.left);
    EXPECT_GE(t.win.ui->backBuffer.height, wr.bottom - wr.top);
    EXPECT_GT(t.win.layouts, 0);
    EXPECT_TRUE(t.caption->maximized);
    EXPECT_STREQ(t.caption->maximizeButton.text, L"2");

    ShowWindow(h, SW_RESTORE);
    PumpMessages();
    GetWindowRect(h, &wr);
    EXPECT_EQ(wr.right - wr.left, 420);
    EXPECT_FALSE(t.caption->maximized);
    EXPECT_STREQ(t.caption->maximizeButton.text, L"1");
    // The controls painted into the buffer at their places: the button's top edge.
    COLORREF light = g_theme.button[3];
    EXPECT_EQ(GetPixel(t.win.ui->backBuffer.memoryDC, 10 + 5, 30), light);
}

TEST(Framework, CaptionButtonsMinimiseMaximiseRestoreAndClose) {
    AllControls t;
    HWND h = t.win.hwnd();
    t.Layout();
    auto centre = [](Button& b) { return POINT{b.x + b.width / 2, b.y + b.height / 2}; };
    for (bool zoomed : {true, false}) {
        t.Layout();
        POINT max = centre(t.caption->maximizeButton);
        t.win.Click(max.x, max.y);
        PumpMessages();
        EXPECT_EQ(IsZoomed(h) != 0, zoomed);
    }

    // Dragging off a caption button before releasing gives no command.
    t.Layout();
    POINT close = centre(t.caption->closeButton);
    t.win.Press(close.x, close.y);
    t.win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(close.x - 60, close.y));
    t.win.Release(close.x - 60, close.y);
    t.win.Ticks(31);
    EXPECT_EQ(t.win.closes, 0);
    t.win.Click(close.x, close.y);
    EXPECT_EQ(t.win.closes, 1);

    POINT min = centre(t.caption->minimizeButton);
    t.win.Click(min.x, min.y);
    PumpMessages();
    EXPECT_TRUE(IsIconic(h));
    ShowWindow(h, SW_RESTORE);
}

TEST(Framework, TheTopRowOfAMaximisedWindowStillHitsTheCloseButton) {
    AllControls t;
    HWND h = t.win.hwnd();
    ShowWindow(h, SW_MAXIMIZE);
    PumpMessages();
    t.Layout();
    RECT client;
    GetClientRect(h, &client);
    // The very corner: above the close button and right of it.
    t.win.Click(client.right - 1, 0);
    EXPECT_EQ(t.win.closes, 1);
    ShowWindow(h, SW_RESTORE);
}

TEST(Framework, HitTestingGivesBordersCaptionAndButtons) {
    AllControls t;
    t.Layout();
    RECT wr;
    GetWindowRect(t.win.hwnd(), &wr);
    POINT origin{0, 0};
    ClientToScreen(t.win.hwnd(), &origin);
    auto hit = [&](int sx, int sy) { return t.win.Send(WM_NCHITTEST, 0, MAKELPARAM(sx, sy)); };
    EXPECT_EQ(hit(wr.left + 1, (wr.top + wr.bottom) / 2), HTLEFT);
    EXPECT_EQ(hit(wr.right - 1, wr.bottom - 1), HTBOTTOMRIGHT);
    EXPECT_EQ(hit(origin.x + 120, origin.y + 8), HTCAPTION);  // the title
    Button& close = t.caption->closeButton;
    EXPECT_EQ(hit(origin.x + close.x + 4, origin.y + close.y + 4), HTCLIENT);
    EXPECT_EQ(hit(origin.x + 100, origin.y + 150), HTCLIENT);  // a list, not the caption
}

TEST(Framework, CentredWindowsUseTheWorkArea) {
    RECT work = WorkArea();
    UiWindow w(L"SonvaleCentred", kCentre, 5, 301, 201);
    EXPECT_EQ(w.x, work.right / 2 - 301 / 2);
    EXPECT_EQ(w.y, work.bottom / 2 - 201 / 2);
}

// The value as it was (empty when there was none).
static std::wstring GetDragFullWindows() {
    wchar_t value[16] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"DragFullWindows", RRF_RT_REG_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS)
        return L"";
    return value;
}

static void SetDragFullWindows(const wchar_t* value) {
    const wchar_t* key = L"Control Panel\\Desktop";
    if (value) RegSetKeyValueW(HKEY_CURRENT_USER, key, L"DragFullWindows", REG_SZ, value, (DWORD)(wcslen(value) + 1) * 2);
    else RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"DragFullWindows");
}

TEST(Framework, WithoutFullWindowDragTheLayoutWaitsForTheEndOfTheResize) {
    std::wstring user = GetDragFullWindows();
    SetDragFullWindows(L"0");
    {
        AllControls t;
        EXPECT_FALSE(t.win.ui->dragFullWindows);
        RECT r{100, 100, 500, 400};
        t.win.layouts = 0;
        t.win.Send(WM_SIZING, WMSZ_RIGHT, (LPARAM)&r);
        EXPECT_EQ(t.win.layouts, 0);
        EXPECT_EQ(t.win.ui->width, 400);
        SetWindowPos(t.win.hwnd(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_GT(t.win.layouts, 0);
    }
    SetDragFullWindows(L"1");
    {
        AllControls t;
        EXPECT_TRUE(t.win.ui->dragFullWindows);
        RECT r{100, 100, 500, 400};
        t.win.layouts = 0;
        t.win.Send(WM_SIZING, WMSZ_RIGHT, (LPARAM)&r);
        EXPECT_EQ(t.win.layouts, 1);
    }
    SetDragFullWindows(user.empty() ? nullptr : user.c_str());
}

TEST(Framework, APostedRepaintRequestRepaintsThatControl) {
    AllControls t;
    t.slider->value = 100;
    RECT all{0, 0, 420, 320};
    FillRect(t.win.ui->backBuffer.memoryDC, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    PostMessageW(t.win.hwnd(), kMsgRepaintControl, t.slider->index, 0);
    PumpMessages();
    // The filled part's first row is the gradient's start colour.
    EXPECT_EQ(GetPixel(t.win.ui->backBuffer.memoryDC, t.slider->x + 5, t.slider->y + 1), g_theme.slider[7]);
    EXPECT_EQ(GetPixel(t.win.ui->backBuffer.memoryDC, 5, 300), RGB(0, 0, 0));  // nothing else painted
}

TEST(Framework, TheWheelGoesToTheFocusedControlOnly) {
    AllControls t;
    POINT origin{0, 0};
    ClientToScreen(t.win.hwnd(), &origin);
    LPARAM at = MAKELPARAM(origin.x + 50, origin.y + 150);
    t.win.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), at);
    EXPECT_EQ(t.list->currentRow, 0);
    SetFocusIndex(t.win.ui, t.list->index, true);
    t.win.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), at);
    EXPECT_EQ(t.list->currentRow, 1);
}

TEST(Framework, AltF4ClosesOnce) {
    AllControls t;
    t.win.Send(WM_SYSKEYDOWN, VK_F4, 0x20000001);
    PumpMessages();
    EXPECT_EQ(t.win.closes, 1);
}

TEST(Framework, APressOnTheIconOpensTheSystemMenuBelowTheCaption) {
    AllControls t;
    t.Layout();
    HWND h = t.win.hwnd();
    MenuCloser closer;
    t.win.Tap(t.caption->menuButton.x + 8, 8);
    ASSERT_EQ(closer.seen, 1);
    POINT below{0, 0};
    ClientToScreen(h, &below);
    EXPECT_EQ(closer.where.left, below.x);
    EXPECT_EQ(closer.where.top, below.y + t.caption->height - 1);
    // The items follow the window's state: a normal window moves and sizes, it does not restore.
    HMENU menu = GetSystemMenu(h, FALSE);
    // "g" for each of these commands that is greyed, "-" for one that is not.
    auto greyed = [&](std::initializer_list<UINT> commands) {
        std::string g;
        for (UINT sc : commands) g += GetMenuState(menu, sc, MF_BYCOMMAND) & MF_GRAYED ? 'g' : '-';
        return g;
    };
    EXPECT_EQ(greyed({SC_RESTORE, SC_MOVE, SC_SIZE, SC_MAXIMIZE}), "g---");
    ShowWindow(h, SW_MAXIMIZE);
    ShowSystemMenu(t.win.ui, 0, 0);
    EXPECT_EQ(greyed({SC_RESTORE, SC_MOVE, SC_MAXIMIZE}), "-gg");
    ShowWindow(h, SW_RESTORE);
}

TEST(Framework, PressesCaptureTheMouseUntilTheLastButtonIsUp) {
    AllControls t;
    HWND h = t.win.hwnd();
    t.win.Press(300, 200);
    EXPECT_EQ(GetCapture(), h);
    t.win.Send(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, PackPoint(300, 200));
    t.win.Send(WM_LBUTTONUP, MK_RBUTTON, PackPoint(300, 200));
    EXPECT_EQ(GetCapture(), h);  // the right button is still down
    t.win.Send(WM_RBUTTONUP, 0, PackPoint(300, 200));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(Framework, TheCursorIsTheControlsOrTheWindows) {
    AllControls t;
    t.win.Send(WM_MOUSEMOVE, 0, PackPoint(100, 40));  // over the edit box
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_IBEAM));
    t.win.Send(WM_MOUSEMOVE, 0, PackPoint(300, 80));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    // Our own cursors are in the resources.
    HMODULE self = GetModuleHandleW(nullptr);
    for (int id = 127; id <= 130; id++) EXPECT_TRUE(LoadCursorW(self, MAKEINTRESOURCEW(id))) << id;
}

TEST(Framework, AMaximisedWindowPushesItsBordersOffTheWorkArea) {
    AllControls t;
    MINMAXINFO mm{};
    t.win.Send(WM_GETMINMAXINFO, 0, (LPARAM)&mm);
    RECT work = WorkArea();
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    GetWindowInfo(t.win.hwnd(), &info);
    int cx = (int)info.cxWindowBorders, cy = (int)info.cyWindowBorders;
    auto pair = [](POINT p) { return std::make_pair((int)p.x, (int)p.y); };
    EXPECT_EQ(pair(mm.ptMinTrackSize), std::make_pair(84, 27));
    EXPECT_EQ(pair(mm.ptMaxPosition), std::make_pair(work.left ? (int)work.left : -cx, work.top ? (int)work.top : -cy));
    EXPECT_EQ(pair(mm.ptMaxSize), std::make_pair(Dim(work).first + 2 * cx, Dim(work).second + 2 * cy));
}

TEST(Framework, ARightClickOnTheCaptionOpensOneSystemMenuAtThePointer) {
    AllControls t;
    t.Layout();
    HWND h = t.win.hwnd();
    POINT at{120, 8};
    ClientToScreen(h, &at);
    ASSERT_EQ(t.win.Send(WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)), HTCAPTION);
    MenuCloser closer;
    t.win.Send(WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
    t.win.Send(WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(at.x, at.y));
    PumpMessages();
    Sleep(100);
    EXPECT_EQ(closer.seen, 1);
    EXPECT_EQ(closer.where.left, at.x);
    EXPECT_EQ(CountNotes(0, WM_NCRBUTTONUP), 1);
}
