// The list control driven by real input messages through the framework.
#include <gtest/gtest.h>
#include "tests/ui_test_window.h"
#include "ui/dpi.h"
#include "ui/list_view.h"
#include "tests/test_support.h"
#include "ui/theme.h"
#include <shlwapi.h>
#include "ui/natural_order.h"
#include "base/string_buffer.h"

struct ListWindow {
    TestWindow win{80, 80, 360, 300, L"SonvaleListTest"};
    ListView* list = new ListView(10, 20, 320, 240, NotifyFor(5));
    explicit ListWindow(int rows, const wchar_t* const* names = nullptr) {
        AddColumns(list, 2);
        list->columns[0].width = 150;
        SetColumnTitle(list, 0, L"Name");
        SetColumnTitle(list, 1, L"Size");
        for (int i = 0; i < rows; i++) {
            AddRow(list);
            wchar_t name[32];
            swprintf(name, 32, L"row %03d", i);
            SetCellText(list, 0, names ? names[i] : name);
        }
        AddControl(win.ui, list);
        ApplyTheme(win.ui, ThemeWindows2000);
        SetFocusIndex(win.ui, list->index, true);
        ClearNotes();
    }
    // The client point in the middle of a visible line (0 = the top row shown).
    POINT Line(int line, int x = 40) const {
        return POINT{list->x + x, list->y + list->headerHeight + 2 + line * list->rowHeight + list->rowHeight / 2};
    }
    void ClickLine(int line, WPARAM keys = 0) {
        POINT p = Line(line);
        win.Send(WM_LBUTTONDOWN, MK_LBUTTON | keys, PackPoint(p.x, p.y));
        win.Send(WM_LBUTTONUP, keys, PackPoint(p.x, p.y));
        win.Ticks(31);
    }
    // The wheel over the list (Ctrl's as MK_CONTROL in keys).
    void Wheel(int delta, WORD keys = 0) {
        POINT o{0, 0};
        ClientToScreen(win.hwnd(), &o);
        win.Send(WM_MOUSEWHEEL, MAKEWPARAM(keys, (WORD)(short)delta), MAKELPARAM(o.x + 50, o.y + 100));
    }
    // Enter keys the owner was told of.
    static int Enters() {
        int n = 0;
        for (const Note& note : g_notes) n += note.msg == WM_KEYDOWN && note.wp == VK_RETURN;
        return n;
    }
    int Selected() const {
        int n = 0;
        for (int r = 0; r < list->rowCount; r++) n += list->rows[r].selected;
        return n;
    }
    // The first rows' marks: "x" for a selected row, "." for the others.
    std::string Marks(int rows) const {
        std::string marks;
        for (int r = 0; r < rows; r++) marks += list->rows[r].selected ? 'x' : '.';
        return marks;
    }
    // The rows that match the search: "x" for a match, "." for the others.
    std::string Matches() const {
        std::string marks;
        for (int r = 0; r < list->rowCount; r++) marks += list->rows[r].matchesSearch ? 'x' : '.';
        return marks;
    }
    // The notes of the owner of this message, with their wp.
    static std::vector<WPARAM> Params(UINT msg) {
        std::vector<WPARAM> wps;
        for (const Note& n : g_notes)
            if (n.msg == msg) wps.push_back(n.wp);
        return wps;
    }
};

TEST(ListView, AClickMakesTheRowCurrentAndTellsTheOwner) {
    ListWindow t(100);
    t.ClickLine(3);
    EXPECT_EQ(t.list->currentRow, 3);
    EXPECT_EQ(CountNotes(5, WM_COMMAND), 1);
    EXPECT_EQ(CountNotes(5, WM_USER + 500), 1);
    EXPECT_EQ(CountNotes(5, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(CountNotes(5, WM_LBUTTONUP), 1);
    EXPECT_EQ(t.Params(WM_USER + 500), std::vector<WPARAM>{0});  // the name column
    EXPECT_EQ(t.Params(WM_COMMAND), std::vector<WPARAM>{kListCurrentChanged});
    for (const Note& n : g_notes) EXPECT_TRUE(n.msg != WM_COMMAND || n.lp == 0);  // the previous row
    EXPECT_EQ(t.Selected(), 0);  // a plain click moves the cursor only
    // A press in the second column reports that column.
    ClearNotes();
    POINT p = t.Line(5, 200);
    t.win.Tap(p.x, p.y);
    EXPECT_EQ(t.Params(WM_USER + 500), std::vector<WPARAM>{1});
}

TEST(ListView, ShiftClickMarksARangeAndCtrlClickTogglesOneRow) {
    ListWindow t(100);
    t.ClickLine(2);
    {
        Modifiers shift(true, false);
        t.win.Send(WM_KEYDOWN, VK_SHIFT, 1);
        t.ClickLine(6, MK_SHIFT);
    }
    EXPECT_EQ(t.list->currentRow, 6);
    EXPECT_EQ(t.Marks(10), "..xxxxx...");
    {
        Modifiers ctrl(false, true);
        t.ClickLine(4, MK_CONTROL);
        t.ClickLine(9, MK_CONTROL);
    }
    EXPECT_EQ(t.Marks(12), "..xx.xx..x..");
    EXPECT_EQ(t.Selected(), 5);
}

TEST(ListView, KeysMoveTheCursorAndShiftExtendsTheMarks) {
    ListWindow t(100);
    int visible = VisibleRows(t.list);
    ASSERT_GT(visible, 5);
    t.win.Key(VK_DOWN);
    t.win.Key(VK_DOWN);
    EXPECT_EQ(t.list->currentRow, 2);
    t.win.Key(VK_UP);
    EXPECT_EQ(t.list->currentRow, 1);
    {
        // Shift+Down from an unselected row selects it and moves.
        Modifiers shift(true, false);
        t.win.Send(WM_KEYDOWN, VK_SHIFT, 1);
        t.win.Key(VK_DOWN);
        t.win.Key(VK_DOWN);
    }
    EXPECT_EQ(t.Marks(4), ".xx.");
    EXPECT_EQ(t.list->currentRow, 3);
    t.win.Key(VK_UP);
    {
        // From a selected row Shift+Down deselects.
        Modifiers shift(true, false);
        t.win.Send(WM_KEYDOWN, VK_SHIFT, 1);
        t.win.Key(VK_DOWN);
    }
    EXPECT_EQ(t.Marks(4), ".x..");
    EXPECT_EQ(t.list->currentRow, 3);

    // {key, cursor, top row}: on the last page Page Down keeps the top.
    const int pages[][3] = {{VK_END, 99, 100 - visible}, {VK_NEXT, 99, 100 - visible}, {VK_HOME, 0, 0},
                            {VK_NEXT, visible - 1, visible - 1}, {VK_PRIOR, 0, 0}};
    for (auto& k : pages) {
        t.win.Key(k[0]);
        EXPECT_EQ(std::make_pair(t.list->currentRow, t.list->topRow), std::make_pair(k[1], k[2])) << k[0];
    }

    t.win.Key(VK_INSERT);
    EXPECT_TRUE(t.list->rows[0].selected);
    EXPECT_EQ(t.list->currentRow, 1);
    t.win.Key(VK_ADD);
    EXPECT_EQ(t.Selected(), 100);
    t.win.Key(VK_SUBTRACT);
    EXPECT_EQ(t.Selected(), 0);
    t.list->rows[7].selected = true;
    t.win.Key(VK_MULTIPLY);
    EXPECT_EQ(t.Selected(), 99);
    EXPECT_FALSE(t.list->rows[7].selected);
    {
        Modifiers shift(true, false);
        t.win.Key(VK_END);  // Shift+End: from the cursor to the last row
    }
    EXPECT_EQ(t.list->currentRow, 99);
}

TEST(ListView, WithNoRowsEveryKeyReachesTheOwnerAndNothingMoves) {
    ListWindow t(0);
    const WPARAM keys[] = {VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR, VK_HOME, VK_END, VK_INSERT, VK_RETURN, VK_DELETE};
    for (WPARAM k : keys) t.win.Key(k);
    t.win.Char(L'a');
    EXPECT_EQ(CountNotes(5, WM_KEYDOWN), 9);
    EXPECT_EQ(CountNotes(5, WM_CHAR), 1);
    EXPECT_EQ(t.list->currentRow, 0);
    EXPECT_EQ(t.list->topRow, 0);
    EXPECT_FALSE(t.list->searchActive);
}

TEST(ListView, TheRightButtonTogglesAndPaintsMarksByDragging) {
    ListWindow t(100);
    POINT p = t.Line(2);
    for (bool marked : {true, false}) {
        t.win.Tap(p.x, p.y, WM_RBUTTONDOWN);
        t.win.Ticks(31);
        EXPECT_EQ(t.list->rows[2].selected, marked);
    }
    EXPECT_EQ(CountNotes(5, WM_RBUTTONDOWN), 2);
    // A right drag over five rows gives them all the state of the first.
    p = t.Line(4);
    t.win.Press(p.x, p.y, WM_RBUTTONDOWN);
    for (int line = 5; line <= 8; line++) {
        POINT q = t.Line(line);
        t.win.Send(WM_MOUSEMOVE, MK_RBUTTON, PackPoint(q.x, q.y));
    }
    POINT end = t.Line(8);
    t.win.Release(end.x, end.y, WM_RBUTTONUP);
    EXPECT_EQ(t.Marks(12), "....xxxxx...");
    EXPECT_EQ(t.list->currentRow, 8);
}

TEST(ListView, TypeToSearchFindsPrefixesOrWithAStarAnyPart) {
    const wchar_t* names[] = {L"zzz", L"xABy", L"ABcd", L"abab", L"other"};
    ListWindow t(5, names);
    t.win.Char(L'a');
    EXPECT_TRUE(t.list->searchActive);
    t.win.Char(L'b');
    EXPECT_EQ(t.list->searchBox.text.text, L"ab");
    EXPECT_EQ(t.list->currentRow, 2);
    EXPECT_EQ(t.Matches(), "..xx.");
    EXPECT_EQ(t.list->searchBox.backgroundOverride, t.list->colors[12]);
    {
        Modifiers ctrl(false, true);
        t.win.Key(VK_RETURN);  // the next match
        EXPECT_EQ(t.list->currentRow, 3);
        t.win.Key(VK_RETURN);  // wraps around
        EXPECT_EQ(t.list->currentRow, 2);
    }
    t.win.Char(L'q');  // no match: white on red, the cursor stays
    EXPECT_EQ(t.list->currentRow, 2);
    EXPECT_EQ(t.list->searchBox.backgroundOverride, (COLORREF)0x0A0A96);
    t.win.Key(VK_ESCAPE);
    EXPECT_FALSE(t.list->searchActive);
    EXPECT_EQ(t.Matches(), ".....");

    t.win.Key(VK_HOME);
    t.win.Char(L'*');  // a star does not start a search
    EXPECT_FALSE(t.list->searchActive);
    t.win.Char(L'x');
    t.win.Key(VK_BACK);
    t.win.Char(8);
    EXPECT_EQ(t.list->searchBox.text.text, L"");
    t.win.Type(L"*ab");
    EXPECT_EQ(t.list->searchBox.text.text, L"*ab");
    EXPECT_EQ(t.Matches(), ".xxx.");
    EXPECT_EQ(t.list->currentRow, 1);
    t.win.Key(VK_DOWN);  // cursor keys close the box and move
    EXPECT_FALSE(t.list->searchActive);
    EXPECT_EQ(t.list->currentRow, 2);
}

TEST(ListView, TheSearchBoxNarrowsToTheRowsOfANarrowList) {
    ListWindow t(40);  // more rows than fit: the vertical bar is shown
    for (int w : {320, 236, 150, 70, 40}) {
        SCOPED_TRACE(w);
        t.list->SetBounds(10, 20, w, 240);
        t.win.Char(L'r');
        ASSERT_TRUE(t.list->searchActive);
        const EditBox& box = t.list->searchBox;
        int rowsRight = t.list->x + w - 1 - (t.list->vScroll.visible ? 16 : 0);
        EXPECT_TRUE(t.list->vScroll.visible);
        EXPECT_GT(box.x, t.list->x);
        EXPECT_LE(box.x + box.width, rowsRight);
        EXPECT_EQ(box.y, t.list->y + 10);
        EXPECT_EQ(box.height, 20);
        // A full box where there is room; else at its usual place as far as it fits.
        if (w >= 36 + 200 + 17) EXPECT_EQ(box.width, 200);
        else if (rowsRight - (t.list->x + 36) >= 60) EXPECT_EQ(box.x, t.list->x + 36);
        else EXPECT_EQ(box.width, rowsRight - t.list->x - 1 < 60 ? rowsRight - t.list->x - 1 : 60);
        t.win.Key(VK_ESCAPE);
    }
}

TEST(ListView, AHeaderCellClickedThreeTimesIsBackToItsFirstState) {
    ListWindow t(10);
    int hx = t.list->x + 40, hy = t.list->y + 5;
    for (int state : {2, 1, 0}) {
        t.win.Click(hx, hy);
        EXPECT_EQ(t.list->columns[0].headerState, state);
    }
    // Dragging a column's right edge resizes it.
    int edge = t.list->x + 1 + 150;
    t.win.Send(WM_MOUSEMOVE, 0, PackPoint(edge - 1, hy));
    EXPECT_EQ(t.list->cursorId, 32644);
    t.win.Press(edge - 1, hy);
    t.win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(edge + 39, hy));
    t.win.Release(edge + 39, hy);
    EXPECT_EQ(t.list->columns[0].width, 190);
    EXPECT_EQ(t.list->columns[0].headerState, 0);
}

TEST(ListView, TheWheelMovesTheCursorAndScrollsOnlyAwayFromTheEdges) {
    ListWindow t(100);
    int visible = VisibleRows(t.list);
    t.Wheel(-120);  // toward the end, top 0, cursor in the upper half: only the cursor moves
    EXPECT_EQ(t.list->currentRow, 1);
    EXPECT_EQ(t.list->topRow, 0);
    SetCurrent(t.list, visible / 2 + 1);
    t.Wheel(-240);  // two notches past the middle: the list scrolls with the cursor
    EXPECT_EQ(t.list->currentRow, visible / 2 + 3);
    EXPECT_EQ(t.list->topRow, 2);
    t.Wheel(120);
    EXPECT_EQ(t.list->currentRow, visible / 2 + 2);
    EXPECT_EQ(t.list->topRow, 1);
    // At the end, toward the start, with the cursor low: only the cursor moves.
    t.win.Key(VK_END);
    int top = t.list->topRow;
    t.Wheel(120);
    EXPECT_EQ(t.list->currentRow, 98);
    EXPECT_EQ(t.list->topRow, top);
    t.Wheel(-60);  // less than a notch does nothing
    EXPECT_EQ(t.list->currentRow, 98);
}

TEST(ListView, DraggingTheScrollBarThumbMovesThroughTheList) {
    ListWindow t(500);
    ScrollBar& bar = t.list->vScroll;
    ASSERT_TRUE(bar.visible);
    int x = bar.x + bar.width / 2, y = bar.thumb.y + bar.thumb.height / 2;
    t.win.Press(x, y);
    t.win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(x, t.list->y + t.list->height + 100));
    EXPECT_EQ(t.list->currentRow, 499);
    EXPECT_EQ(t.list->topRow, 500 - VisibleRows(t.list));
    t.win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(x, bar.y + bar.height / 2));
    EXPECT_GT(t.list->currentRow, 150);
    EXPECT_LT(t.list->currentRow, 350);
    t.win.Release(x, bar.y + bar.height / 2);
    EXPECT_FALSE(bar.held);
    // Holding the arrow repeats every tick.
    int row = t.list->currentRow;
    t.win.Ticks(31);
    t.win.Press(x, bar.y + bar.height - 3);
    t.win.Ticks(10);
    t.win.Release(x, bar.y + bar.height - 3);
    EXPECT_EQ(t.list->currentRow, row + 11);
}

// A right press beside a row, on the bar, used to toggle that row and start
// a marking drag; a right double click there inverted every row; a middle
// click was Enter.
TEST(ListView, EveryPressOnAScrollBarBelongsToTheBar) {
    ListWindow t(500);
    ScrollBar& bar = t.list->vScroll;
    ASSERT_TRUE(bar.visible);
    int x = bar.x + bar.width / 2;
    POINT p = t.Line(6);
    t.win.Press(x, p.y, WM_RBUTTONDOWN);
    for (int line = 7; line <= 10; line++) {
        POINT q = t.Line(line);
        t.win.Send(WM_MOUSEMOVE, MK_RBUTTON, PackPoint(q.x, q.y));
    }
    POINT end = t.Line(10);
    t.win.Release(end.x, end.y, WM_RBUTTONUP);
    EXPECT_EQ(t.Selected(), 0);
    EXPECT_EQ(t.list->currentRow, 0);
    t.win.Press(x, p.y, WM_RBUTTONDOWN);  // the double click
    t.win.Release(x, p.y, WM_RBUTTONUP);
    EXPECT_EQ(t.Selected(), 0);
    t.win.Ticks(31);
    t.win.Send(WM_MBUTTONDOWN, MK_MBUTTON, PackPoint(x, p.y));
    t.win.Send(WM_MBUTTONUP, 0, PackPoint(x, p.y));
    EXPECT_EQ(CountNotes(5, WM_KEYDOWN), 0);
    EXPECT_EQ(CountNotes(5, WM_RBUTTONDOWN), 0);
    EXPECT_EQ(t.list->currentRow, 0);
    // The left button still works the bar, and the right one the rows.
    t.win.Ticks(31);
    t.win.Tap(x, bar.y + bar.height - 3);
    EXPECT_EQ(t.list->currentRow, 1);
    t.win.Ticks(31);
    POINT row = t.Line(2);
    t.win.Tap(row.x, row.y, WM_RBUTTONDOWN);
    EXPECT_EQ(t.Selected(), 1);
}

// A double click is taken whole: Enter once, the owner told of the double
// click, and no second press (no second cell click, no cursor move).
TEST(ListView, ADoubleClickIsEnterAndIsNotOfferedAgainAsAPress) {
    ListWindow t(100);
    POINT p = t.Line(4);
    t.win.Ticks(31);
    t.win.Tap(p.x, p.y);
    t.win.Tap(p.x, p.y);
    EXPECT_EQ(t.Enters(), 1);
    EXPECT_EQ(CountNotes(5, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(CountNotes(5, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(CountNotes(5, WM_USER + 500), 1);
    EXPECT_EQ(t.list->currentRow, 4);
}

TEST(ListView, SortingIsNaturalWithEmptyCellsFirst) {
    const wchar_t* names[] = {L"file10", L"File2", L"file9", L"a", L"file1", L"file10b"};
    ListWindow t(6, names);
    AddRow(t.list);  // an empty name cell
    Sort(t.list, 0);
    const wchar_t* expected[] = {nullptr, L"a", L"file1", L"File2", L"file9", L"file10", L"file10b"};
    for (int r = 0; r < 7; r++) {
        const wchar_t* text = t.list->rows[r].cells[0].text;
        if (!expected[r]) EXPECT_TRUE(t.list->rows[r].cells[0].empty);
        else EXPECT_STREQ(text, expected[r]) << r;
    }
    // Many rows, many equal keys: still ordered.
    ListWindow big(0);
    for (int i = 0; i < 3000; i++) {
        AddRow(big.list);
        wchar_t name[32];
        swprintf(name, 32, L"track%d", (i * 7919) % 1000);
        SetCellText(big.list, 0, name);
    }
    Sort(big.list, 0);
    for (int r = 1; r < 3000; r++)
        ASSERT_LE(StrCmpLogicalW(big.list->rows[r - 1].cells[0].text, big.list->rows[r].cells[0].text), 0) << r;
}

TEST(ListView, CellsRowsAndTheirEdges) {
    ListWindow t(3);
    EXPECT_FALSE(SetCellText(t.list, 5, L"x"));
    EXPECT_FALSE(SetCellText(t.list, 0, L"x", 7));
    EXPECT_FALSE(SetCellText(t.list, 0, nullptr));
    static const wchar_t kept[] = L"not copied";
    EXPECT_TRUE(SetCellText(t.list, 1, kept, 0, 0));
    EXPECT_EQ(t.list->rows[0].cells[1].text, kept);
    EXPECT_TRUE(SetCellText(t.list, 1, L"abcdef", 1, 3));
    EXPECT_STREQ(t.list->rows[1].cells[1].text, L"abc");
    EXPECT_GT(t.list->rows[1].cells[1].textWidth, 0);
    EXPECT_EQ(FindRow(t.list, 0, L"row 002"), 2);
    EXPECT_EQ(FindRow(t.list, 0, L"ROW 002"), -1);
    EXPECT_EQ(FindRow(t.list, 0, L"row 00"), -1);
    t.list->rows[1].selected = true;
    DeleteSelected(t.list, true);
    EXPECT_EQ(t.list->rowCount, 2);
    EXPECT_EQ(FindRow(t.list, 0, L"row 002"), 1);
    EXPECT_FALSE(SetRowColor(t.list, 5, 0));
    EXPECT_TRUE(SetRowColor(t.list, -1, RGB(1, 2, 3)));
    EXPECT_EQ(t.list->rows[1].textColor, RGB(1, 2, 3));
    Clear(t.list, true);
    EXPECT_EQ(t.list->rowCount, 0);
    EXPECT_TRUE(AddRow(t.list));
    EXPECT_EQ(t.list->currentRow, 0);
}

TEST(ListView, TheSortKeysAgreeWithStrCmpLogicalW) {
    const wchar_t* texts[] = {L"file10", L"file9", L"File9", L"file09", L"file 9", L"file-9", L"file_9", L"a1b2",
                              L"a1b10", L"a01b2", L"", L"10", L"9", L"x", L"X", L"\u00e9t\u00e9 2", L"ete 2",
                              L"track 1.mp3", L"track 1 .mp3", L"track1.mp3", L"track 01 (live).mp3",
                              L"99999999999999999999", L"100000000000000000000", L"abc", L"ab", L"ab1", L"ab 1",
                              L"Artist 3 - track12.mp3", L"Artist 3 - Track12.mp3", L"Artist 3 -track12.mp3"};
    const int n = sizeof(texts) / sizeof(texts[0]);
    NaturalKeys keys;
    ASSERT_TRUE(BuildNaturalKeys(&keys, texts, n));
    auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
    for (int a = 0; a < n; a++)
        for (int b = 0; b < n; b++) {
            if (wcslen(texts[a]) > 18 && wcslen(texts[b]) > 18 && iswdigit(texts[a][0]) && iswdigit(texts[b][0]))
                continue;  // past the 32-bit values StrCmpLogicalW reads
            EXPECT_EQ(sign(CompareNaturalKeys(&keys, a, b)), sign(StrCmpLogicalW(texts[a], texts[b])))
                << "[" << WideToUtf8(texts[a]) << "] vs [" << WideToUtf8(texts[b]) << "]";
        }
    ReleaseNaturalKeys(&keys);
}

TEST(ListView, IconsComeFromTheThemesStripAndDrawByType) {
    ListWindow t(3);
    t.list->columns[1].type = ColumnIcon;
    t.list->rows[0].cells[1] = ListCell{nullptr, 3, 0, false, false};   // opaque
    t.list->rows[1].cells[1] = ListCell{nullptr, -3, 0, false, false};  // half transparent
    t.list->rows[2].cells[1] = ListCell{nullptr, kNoIcon, 0, false, false};
    ApplyTheme(t.win.ui, ThemeDark);
    ASSERT_TRUE(t.list->iconSheet);
    EXPECT_EQ(t.list->iconSheet->resourceId, 130);
    ApplyTheme(t.win.ui, ThemeLight);
    ASSERT_TRUE(t.list->iconSheet);
    EXPECT_EQ(t.list->iconSheet->resourceId, 111);
    SetFocusIndex(t.win.ui, -1, true);
    Redraw(t.list);
    // Icon cell 3 is a green triangle: full colour, then paler, then nothing.
    HDC dc = t.win.ui->backBuffer.memoryDC;
    int x = t.list->x + 1 + 150 + 25 - 8 + 6;
    auto at = [&](int line) { return GetPixel(dc, x, t.Line(line).y); };
    COLORREF background = t.list->colors[1];
    EXPECT_NE(at(0), background);
    EXPECT_NE(at(1), background);
    EXPECT_NE(at(1), at(0));
    EXPECT_EQ(at(2), background);
}

TEST(ListView, CtrlWheelAndCtrlDoubleClickResizeTheRowsFont) {
    ListWindow t(50);
    int rows = t.list->rowHeight;
    int spacing = rows - t.list->textHeight;
    {
        Modifiers ctrl(false, true);
        t.Wheel(240, MK_CONTROL);
    }
    EXPECT_GT(t.list->rowHeight, rows);
    EXPECT_EQ(t.list->rowHeight - t.list->textHeight, spacing);
    EXPECT_EQ(t.list->currentRow, 0);
    POINT p = t.Line(1);
    {
        Modifiers ctrl(false, true);
        t.win.Tap(p.x, p.y);
        t.win.Tap(p.x, p.y);  // the double click
    }
    EXPECT_EQ(t.list->rowHeight - t.list->textHeight, spacing);
    EXPECT_LE(t.list->textHeight, 14);
}

// At 144 DPI a wheel step is one 96-DPI point of font height (1.5 pixels), not a
// pixel height taken for a 96-DPI one and scaled again.
TEST(ListView, CtrlWheelStepsTheFontInSmallStepsAtHighDpi) {
    MadeAtDpi at144(144);
    ListWindow t(50);
    int before = t.list->textHeight;
    EXPECT_GE(before, 18);  // the 13-pixel font made at 144 DPI
    {
        Modifiers ctrl(false, true);
        t.Wheel(240, MK_CONTROL);
    }
    EXPECT_GT(t.list->textHeight, before);
    EXPECT_LE(t.list->textHeight, before + 5);  // two steps of 1.5 pixels
}

TEST(ListView, PaintsHeaderBarMarksAndSearchOnTheScreen) {
    ListWindow t(60);
    t.list->columns[1].type = ColumnFileName;
    for (int r = 0; r < 60; r++) {
        wchar_t name[32];
        swprintf(name, 32, L"song %d.flac", r);
        SetCellText(t.list, 1, name, r);
    }
    t.list->columns[1].width = 200;
    ApplyTheme(t.win.ui, ThemeDarkModern);
    Show(t.win.ui, SW_SHOWNORMAL);
    SetForegroundWindow(t.win.hwnd());
    t.win.Key(VK_DOWN);
    t.win.Key(VK_INSERT);  // marks row 1, the cursor goes to row 2
    t.win.Type(L"row 005");
    PumpMessages();
    EXPECT_EQ(t.list->currentRow, 5);
    ScreenShot shot;
    ASSERT_TRUE(shot.Capture(t.win.hwnd(), L"list.bmp"));
    int left = t.win.ui->frameInsets[0], top = t.win.ui->frameInsets[1];
    const ThemeColors& c = *FindTheme(ThemeDarkModern);
    POINT bar = t.Line(5, 140);
    EXPECT_EQ(shot.At(left + bar.x, top + t.list->y + t.list->headerHeight + 2 + 5 * t.list->rowHeight),
              c.list[12]);  // the bar's gradient starts at its top row
    EXPECT_EQ(shot.At(left + t.list->x + 100, top + t.list->y + 1), c.list[7]);
    EXPECT_EQ(shot.At(left + t.list->searchBox.x + 100, top + t.list->searchBox.y + 1), c.list[12]);
    // Somewhere on the marked row's name is the marked-text colour.
    POINT marked = t.Line(1);
    bool found = false;
    for (int x = t.list->x + 5; x < t.list->x + 80 && !found; x++)
        for (int y = marked.y - 5; y <= marked.y + 5 && !found; y++)
            found = shot.At(left + x, top + y) == c.list[16];
    EXPECT_TRUE(found);
}
