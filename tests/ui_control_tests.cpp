// The controls one by one: geometry, buttons, sliders, scroll bars, edit
// boxes and the drawing helpers they paint with.
#include <gtest/gtest.h>
#include <string.h>
#include <new>
#include "tests/ui_test_window.h"
#include "ui/button.h"
#include "ui/custom_control.h"
#include "ui/draw.h"
#include "ui/font.h"
#include "ui/edit_box.h"
#include "ui/scroll_bar.h"
#include "ui/slider.h"
#include "ui/sprite_sheet.h"
#include "ui/theme.h"

TEST(Control, HitTestIncludesBothEdgesAndSetBoundsKeepsAndClamps) {
    Button b(10, 20, 30, 40, nullptr);
    EXPECT_TRUE(b.HitTest(40, 60) && b.HitTest(10, 20));
    EXPECT_FALSE(b.HitTest(41, 20) || b.HitTest(9, 20));
    EXPECT_FALSE(b.SetBounds(kKeep, kKeep, -1, -1));
    EXPECT_FALSE(b.SetBounds(10, 20, 30, 40));
    EXPECT_TRUE(b.SetBounds(10, 10, 2, 2));
    EXPECT_EQ(std::make_pair(b.width, b.height), std::make_pair(4, 8));
    EXPECT_TRUE(b.SetBounds(kKeep, kKeep, -1, 50));  // a lone -1 gives the minimum
    EXPECT_EQ(std::make_pair(b.width, b.height), std::make_pair(4, 50));
}

TEST(Control, GeometryNotificationsCarryTheNewRectangle) {
    ClearNotes();
    Button b(0, 0, 10, 10, NotifyFor(4));
    b.notifyGeometry = true;
    b.SetBounds(3, 4, 20, 30);
    ASSERT_EQ(g_notes.size(), 2u);
    EXPECT_EQ(std::make_pair(g_notes[0].msg, g_notes[0].lp), std::make_pair((UINT)WM_SIZE, PackPoint(20, 30)));
    EXPECT_EQ(std::make_pair(g_notes[1].msg, g_notes[1].lp), std::make_pair((UINT)WM_MOVE, PackPoint(3, 4)));
    ClearNotes();
    b.SetBounds(kKeep, kKeep, 20, 30);
    EXPECT_TRUE(g_notes.empty());
}

struct ButtonWindow {
    TestWindow win{120, 120, 200, 120, L"SonvaleButtonTest"};
    Button* push = new Button(10, 30, 60, 22, NotifyFor(1));
    Button* toggle = new Button(100, 30, 60, 22, NotifyFor(2));
    ButtonWindow() {
        ClearNotes();
        toggle->toggleState = ToggleUp;
        AddControl(win.ui, push);
        AddControl(win.ui, toggle);
        ApplyTheme(win.ui, ThemeWindows2000);
        Show(win.ui, SW_SHOWNORMAL);
    }
};

TEST(Button, AClickIsAReleaseInsideAfterAPressInside) {
    ButtonWindow t;
    t.win.Click(20, 40);
    EXPECT_EQ(CountNotes(1, WM_LBUTTONUP), 1);
    EXPECT_FALSE(t.push->pressed);
    // Dragging out of the pressed button and releasing outside gives no click.
    t.win.Press(20, 40);
    EXPECT_TRUE(t.push->pressed);
    for (int y : {90, 40, 90}) {
        t.win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(20, y));
        EXPECT_EQ(t.push->pressed, y == 40);
    }
    t.win.Release(20, 90);
    t.win.Ticks(31);
    EXPECT_EQ(CountNotes(1, WM_LBUTTONUP), 1);
    // A press elsewhere and a release on the button is no click either.
    t.win.Press(5, 100);
    t.win.Release(20, 40);
    t.win.Ticks(31);
    EXPECT_EQ(CountNotes(1, WM_LBUTTONUP), 1);
}

TEST(Button, AToggleClickedTwiceIsBackWhereItStarted) {
    ButtonWindow t;
    // A toggle that is down draws pressed: the dark edge on the top left.
    for (bool down : {true, false}) {
        t.win.Click(110, 40);
        EXPECT_EQ(t.toggle->toggleState, down ? ToggleDown : ToggleUp);
        EXPECT_EQ(GetPixel(t.win.ui->backBuffer.memoryDC, 110, 30), g_theme.button[down ? 4 : 3]);
    }
    EXPECT_EQ(CountNotes(2, WM_LBUTTONUP), 2);
}

TEST(Slider, ValuesFromThePointer) {
    Slider h(0, 101, 10, nullptr);
    h.maximum = 100;
    // The left edge gives 1, not 0; the bottom row of the upright one 1001 / 50.
    const int across[][2] = {{0, 1}, {100, 100}, {-40, 0}, {400, 100}};
    for (auto& c : across) EXPECT_EQ(SliderValueAt(&h, c[0], 5), c[1]) << c[0];
    Slider v(0, 10, 50, nullptr);
    v.orientation = 0;
    v.maximum = 1000;
    const int upright[][2] = {{49, 20}, {0, 1000}, {80, 0}};
    for (auto& c : upright) EXPECT_EQ(SliderValueAt(&v, 5, c[0]), c[1]) << c[0];
    // Big maxima do not overflow.
    h.maximum = 0x7FFFFFF0;
    EXPECT_EQ(SliderValueAt(&h, 50, 5), (int)((int64_t)0x7FFFFFF1 * 51 / 101));
}

TEST(Slider, Labels) {
    Slider h(0, 100, 10, nullptr);
    h.maximum = 200;
    h.value = 51;
    wchar_t text[64];
    FormatSliderLabel(&h, text, 64);
    EXPECT_STREQ(text, L"25%");
    h.showTenths = true;
    FormatSliderLabel(&h, text, 64);
    EXPECT_STREQ(text, L"25.5%");
    h.orientation = 0;
    h.value = 200;
    FormatSliderLabel(&h, text, 64);
    EXPECT_STREQ(text, L"M");
    h.maximum = 0;  // no division by zero
    h.orientation = 1;
    FormatSliderLabel(&h, text, 64);
}

TEST(Slider, DragsAndTellsTheOwner) {
    TestWindow win(120, 120, 240, 100, L"SonvaleSliderTest");
    Slider* s = new Slider(30, 101, 16, NotifyFor(3));
    s->SetBounds(20, kKeep, kKeep, kKeep);
    s->maximum = 100;
    AddControl(win.ui, s);
    ApplyTheme(win.ui, ThemeDarkModern);
    ClearNotes();
    win.Press(20, 35);
    EXPECT_EQ(s->value, 1);
    win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(70, 90));
    EXPECT_EQ(s->value, 51);
    win.Send(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, PackPoint(90, 35));  // not exactly the left button: ignored
    EXPECT_EQ(s->value, 51);
    win.Release(70, 35);
    for (UINT msg : {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}) EXPECT_EQ(CountNotes(3, msg), 1) << msg;
    win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(90, 35));  // released: no drag
    EXPECT_EQ(s->value, 51);
}

struct BarWindow {
    TestWindow win{120, 120, 200, 260, L"SonvaleScrollTest"};
    ScrollBar* bar = new ScrollBar(20, 20, 16, 200);
    BarWindow(int count) {
        bar->count = count;
        AddControl(win.ui, bar);
        ApplyTheme(win.ui, ThemeWindowsXP);
    }
};

TEST(ScrollBar, HoldingTheTrackMovesOnePercentPerTick) {
    BarWindow t(1000);
    t.win.Press(28, 200);  // the track after the thumb
    EXPECT_EQ(t.bar->pressedPart, PartTrackAfter);
    EXPECT_EQ(t.bar->value, 0);
    // {pointer x, ticks, value}: off the pressed part the repeat pauses, back on it it goes on.
    const int steps[][3] = {{28, 1, 10}, {28, 2, 30}, {100, 3, 30}, {28, 1, 40}};
    for (auto& step : steps) {
        t.win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(step[0], 200));
        t.win.Ticks(step[1]);
        EXPECT_EQ(t.bar->value, step[2]);
    }
    t.win.Release(28, 200);
    t.win.Ticks(5);
    EXPECT_EQ(t.bar->value, 40);

    BarWindow small(50);
    small.win.Press(28, 200);
    small.win.Ticks(2);
    EXPECT_EQ(small.bar->value, 2);
    small.win.Release(28, 200);
}

TEST(ScrollBar, ArrowsStepAndStopAtTheEnds) {
    BarWindow t(5);
    t.win.Press(28, 25);  // first arrow at value 0
    EXPECT_EQ(t.bar->value, 0);
    t.win.Release(28, 25);
    t.win.Ticks(31);
    t.win.Press(28, 215);  // second arrow
    EXPECT_EQ(t.bar->value, 1);
    t.win.Ticks(10);
    EXPECT_EQ(t.bar->value, 4);
    t.win.Release(28, 215);
}

TEST(ScrollBar, DraggingTheThumbPastEitherEndClamps) {
    BarWindow t(300);
    Button& thumb = t.bar->thumb;
    int grab = thumb.y + thumb.height / 2;
    t.win.Press(28, grab);
    EXPECT_EQ(t.bar->pressedPart, PartThumb);
    for (int y : {2000, -500}) {
        t.win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(28, y));
        EXPECT_EQ(t.bar->value, y > 0 ? 299 : 0);
    }
    t.win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(28, 120));
    EXPECT_GT(t.bar->value, 100);
    EXPECT_LT(t.bar->value, 200);
    t.win.Release(28, 120);
}

struct EditWindow {
    TestWindow win{120, 120, 260, 80, L"SonvaleEditTest"};
    EditBox* edit = new EditBox(10, 30, 200, 20, NotifyFor(2));
    EditWindow() {
        AddControl(win.ui, edit);
        ApplyTheme(win.ui, ThemeLight);
        SetFocusIndex(win.ui, 0, true);
    }
};

TEST(EditBox, TypingMovingSelectingAndDeleting) {
    EditWindow t;
    t.win.Type(L"hello big world");
    EXPECT_EQ(t.edit->text.text, L"hello big world");
    EXPECT_EQ(t.edit->caret, 15);
    t.win.Key(VK_HOME);
    t.win.Key(VK_RIGHT);
    t.win.Key(VK_RIGHT);
    t.win.Type(L"_");
    EXPECT_EQ(t.edit->text.text, L"he_llo big world");
    {
        Modifiers ctrl(false, true);
        t.win.Key(VK_RIGHT);  // past the word and its space
        EXPECT_EQ(t.edit->caret, 7);
        t.win.Key(VK_DELETE);  // the next word
        EXPECT_EQ(t.edit->text.text, L"he_llo world");
    }
    {
        Modifiers shift(true, false);
        t.win.Key(VK_END);
    }
    t.win.Type(L"X");  // replaces the selection
    EXPECT_EQ(t.edit->text.text, L"he_llo X");
    t.win.Char(8);
    t.win.Char(8);
    EXPECT_EQ(t.edit->text.text, L"he_llo");
    t.win.Char(127);  // Ctrl+Backspace: the previous word
    EXPECT_EQ(t.edit->text.text, L"");
    t.win.Char(8);  // nothing left: nothing happens
    t.win.Char(13);
    t.win.Char(27);
    EXPECT_EQ(t.edit->text.text, L"");
}

TEST(EditBox, ClipboardRoundTripAndSelectAll) {
    EditWindow t;
    t.win.Type(L"copy me");
    t.win.Char(1);  // Ctrl+A
    t.win.Char(3);  // Ctrl+C
    t.win.Key(VK_END);
    t.win.Type(L" ");
    t.win.Char(22);  // Ctrl+V
    EXPECT_EQ(t.edit->text.text, L"copy me copy me");
    // Shift+Insert pastes over a selection.
    t.win.Char(1);
    {
        Modifiers shift(true, false);
        t.win.Key(VK_INSERT);
    }
    EXPECT_EQ(t.edit->text.text, L"copy me");
}

TEST(EditBox, TheCaretBlinksEveryThirtyFiveTicksWhileFocused) {
    EditWindow t;
    for (auto [ticks, shown] : {std::pair{1, true}, {34, true}, {1, false}, {35, true}}) {
        t.win.Ticks(ticks);
        EXPECT_EQ(t.edit->caretShown, shown);
    }
    SetFocusIndex(t.win.ui, -1, true);
    t.win.Ticks(1);
    EXPECT_FALSE(t.edit->caretShown);
}

TEST(EditBox, APressPutsTheCaretAtTheCharacterUnderThePointer) {
    EditWindow t;
    t.win.Type(L"iiiiiiiiii");
    t.win.Tap(10 + 5, 40);  // the text's first pixel
    EXPECT_EQ(t.edit->caret, 0);
    t.win.Ticks(31);
    t.win.Tap(205, 40);
    EXPECT_EQ(t.edit->caret, 10);
}

// ---- drawing helpers ------------------------------------------------------

struct MemorySurface {
    Surface s{};
    HBITMAP bitmap;
    HGDIOBJ old;
    MemorySurface(int w, int h) {
        HDC screen = GetDC(nullptr);
        s.memoryDC = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        old = SelectObject(s.memoryDC, bitmap);
        s.width = w;
        s.height = h;
    }
    ~MemorySurface() {
        SelectObject(s.memoryDC, old);
        DeleteObject(bitmap);
        DeleteDC(s.memoryDC);
    }
};

TEST(Drawing, AGradientWithEqualEndsFillsLikeASolidFill) {
    MemorySurface a(20, 20), b(20, 20);
    RECT r{2, 3, 17, 19};
    FillSolid(&a.s, RECT{0, 0, 20, 20}, 0);
    FillSolid(&b.s, RECT{0, 0, 20, 20}, 0);
    FillGradientV(&a.s, r, 0x123456, 0x123456);
    FillSolid(&b.s, r, 0x123456);
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 20; x++) ASSERT_EQ(GetPixel(a.s.memoryDC, x, y), GetPixel(b.s.memoryDC, x, y));
    FillGradientV(&a.s, r, RGB(255, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(a.s.memoryDC, 5, 3), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(a.s.memoryDC, 1, 3), RGB(0, 0, 0));
}

TEST(Drawing, FramesAndLines) {
    MemorySurface m(10, 10);
    FillSolid(&m.s, RECT{0, 0, 10, 10}, 0);
    Frame(&m.s, 1, 1, 8, 8, RGB(255, 255, 255), RGB(128, 128, 128));
    // The light edge top left, the dark one bottom right (both corners it shares), nothing outside or inside.
    const COLORREF light = RGB(255, 255, 255), dark = RGB(128, 128, 128);
    const std::pair<POINT, COLORREF> pixels[] = {{{1, 1}, light}, {{8, 8}, dark}, {{8, 1}, dark},
                                                 {{1, 8}, dark},  {{9, 9}, 0},    {{4, 4}, 0}};
    for (auto [p, colour] : pixels) EXPECT_EQ(GetPixel(m.s.memoryDC, p.x, p.y), colour) << p.x << "," << p.y;
}

TEST(Drawing, EmptyTextDrawsNothing) {
    MemorySurface m(10, 10);
    EXPECT_FALSE(TextOut(&m.s, L"", 0, 0) || TextOut(&m.s, nullptr, 0, 0) || TextOutLimited(&m.s, nullptr, 0, 0));
    EXPECT_TRUE(TextOut(&m.s, L"a", 0, 0));
}

TEST(Drawing, PremultiplyingScalesColourByAlpha) {
    uint32_t* px = nullptr;
    HBITMAP dib = NewTopDownSection(2, 1, &px);
    ASSERT_TRUE(dib);
    px[0] = 0x80FF0000;  // alpha 128, red 255
    px[1] = 0x00FFFFFF;  // alpha 0
    EXPECT_TRUE(PremultiplyAlpha(nullptr, dib));
    EXPECT_EQ(px[0], 0x80800000u);
    EXPECT_EQ(px[1], 0x00000000u);
    DeleteObject(dib);
}

TEST(Drawing, OurStripsLoadFromTheResources) {
    SpriteSheet glyphs{}, icons{};
    ASSERT_TRUE(LoadSpriteSheet(&glyphs, 112, 15));
    EXPECT_EQ(glyphs.cellWidth, 15);
    EXPECT_EQ(glyphs.width % 15, 0);
    ASSERT_TRUE(LoadSpriteSheet(&icons, 130, 16));
    EXPECT_EQ(icons.cellHeight, 16);
    EXPECT_GE(icons.width / 16, 14);
    // A cell blends onto a surface: the play glyph leaves ink in its middle.
    MemorySurface m(15, 15);
    FillSolid(&m.s, RECT{0, 0, 15, 15}, RGB(255, 255, 255));
    DrawCell(&m.s, &glyphs, 1, 0, 0, 15, 15, 255);
    EXPECT_NE(GetPixel(m.s.memoryDC, 7, 7), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(m.s.memoryDC, 0, 0), RGB(255, 255, 255));  // transparent corner
    ReleaseSpriteSheet(&glyphs);
    ReleaseSpriteSheet(&icons);
    EXPECT_FALSE(LoadSpriteSheet(&icons, 9999, 16));
}

// The owner of a custom control accepts presses; it paints when asked.
static int g_customPaints;
static LRESULT CustomOwner(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_NCPAINT) g_customPaints++;
    return msg == WM_LBUTTONDOWN ? 1 : 0;
}

TEST(CustomControl, AcceptedPressesMakeATwoStateToggle) {
    TestWindow win(120, 120, 200, 100, L"SonvaleCustomTest");
    CustomControl* c = new CustomControl(10, 30, CustomOwner);
    c->SetBounds(kKeep, kKeep, 40, 40);
    AddControl(win.ui, c);
    g_customPaints = 0;
    win.Click(20, 40);
    EXPECT_EQ(c->state, 2);
    EXPECT_GE(g_customPaints, 2);  // pressed, then released
    // Dragged out before the release: no flip.
    win.Press(20, 40);
    EXPECT_TRUE(c->pressed);
    win.Send(WM_MOUSEMOVE, MK_LBUTTON, PackPoint(150, 40));
    EXPECT_FALSE(c->pressed);
    win.Release(150, 40);
    win.Ticks(31);
    EXPECT_EQ(c->state, 2);
    win.Click(20, 40);
    EXPECT_EQ(c->state, 1);
    win.Click(150, 40);  // outside: not asked, nothing changes
    EXPECT_EQ(c->state, 1);
}

// Controls come from the heap, where a freed block may still hold a live GDI
// handle. The main window lost its glyph strip's DC this way: the spectrum's
// first SetFont took leftover bytes for an owned font and deleted the DC.
TEST(CustomControl, TheFirstFontOfAControlOnReusedMemoryDeletesNothingElse) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(dc);
    alignas(CustomControl) unsigned char memory[sizeof(CustomControl)];
    for (size_t i = 0; i + sizeof(dc) <= sizeof(memory); i += sizeof(dc)) memcpy(memory + i, &dc, sizeof(dc));
    CustomControl* c = new (memory) CustomControl(0, 0, nullptr);
    c->font.inheritsWindowFont = false;
    c->font.faceName.Set(L"Small Fonts");
    SetFont(&c->font, 11, 0, DEFAULT_CHARSET);
    EXPECT_EQ(GetObjectType(dc), (DWORD)OBJ_MEMDC);
    EXPECT_TRUE(c->font.handle);
    c->~CustomControl();
    DeleteDC(dc);
}

TEST(Drawing, TheFacesTheProgramNamesAreInstalled) {
    // Under Wine they come from fonts-wine and, for Arial and Verdana, from
    // metric-compatible replacements; a missing face would draw other glyphs.
    const std::pair<const wchar_t*, int> faces[] = {
        {L"Tahoma", RUSSIAN_CHARSET},       {L"Marlett", SYMBOL_CHARSET}, {L"Webdings", SYMBOL_CHARSET},
        {L"Small Fonts", DEFAULT_CHARSET}, {L"Verdana", DEFAULT_CHARSET}, {L"Arial", DEFAULT_CHARSET}};
    HDC dc = GetDC(nullptr);
    for (auto [name, charset] : faces) {
        FontSpec f;
        f.faceName.Set(name);
        SetFont(&f, 13, 0, charset);
        ASSERT_TRUE(f.handle);
        HGDIOBJ old = SelectObject(dc, f.handle);
        wchar_t face[64] = {};
        GetTextFaceW(dc, 64, face);
        SelectObject(dc, old);
        EXPECT_STREQ(face, name);
        ReleaseFont(&f);
        EXPECT_FALSE(f.handle);
    }
    ReleaseDC(nullptr, dc);
}
