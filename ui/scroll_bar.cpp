#include "ui/scroll_bar.h"
#include "ui/ui_window.h"
#include "ui/draw.h"

static void SetupArrow(Button* b, const wchar_t* glyph) {
    b->font.inheritsWindowFont = false;
    b->font.faceName.Set(L"Marlett");
    SetFont(&b->font, 13, 0, SYMBOL_CHARSET);
    SetButtonText(b, glyph);
}

ScrollBar::ScrollBar(int x, int y, int w, int h, int orientation)
    : Control(KindScrollBar),
      firstArrow(0, 0, 30, 30, nullptr),
      secondArrow(0, 0, 30, 30, nullptr),
      thumb(0, 0, 30, 30, nullptr) {
    this->orientation = orientation;
    SetupArrow(&firstArrow, orientation == 0 ? L"5" : L"3");
    SetupArrow(&secondArrow, orientation == 0 ? L"6" : L"4");
    thumb.font.inheritsWindowFont = false;
    SetBounds(x, y, w, h);
}

bool ScrollBar::SetBounds(int nx, int ny, int nw, int nh) {
    bool changed = Control::SetBounds(nx, ny, nw, nh);
    Layout();
    return changed;
}

void ScrollBar::AttachSurface(const Surface* window) {
    Control::AttachSurface(window);
    firstArrow.AttachSurface(window);
    secondArrow.AttachSurface(window);
    thumb.AttachSurface(window);
}

int ScrollBar::ArrowLength() const {
    int across = orientation == 0 ? width : height;
    int along = orientation == 0 ? height : width;
    return across * 2 < along ? across : along / 2;
}

int ScrollBar::ThumbLength() const {
    int track = (orientation == 0 ? height : width) - 2 * ArrowLength();
    int across = orientation == 0 ? width : height;
    int length = across;
    if (pageSize > 0 && count > 0) {
        int64_t share = (int64_t)track * pageSize / (count + pageSize);
        if (share > length) length = (int)share;
    }
    if (length > track) length = track;
    return length > 0 ? length : 0;
}

void ScrollBar::Layout() {
    int arrow = ArrowLength(), thumbLength = ThumbLength();
    int along = orientation == 0 ? height : width;
    int track = along - 2 * arrow - thumbLength;
    int at = arrow + (count > 0 && track > 0 ? (int)((int64_t)value * track / count) : 0);
    if (orientation == 0) {
        firstArrow.SetBounds(x, y, width, arrow);
        secondArrow.SetBounds(x, y + height - arrow, width, arrow);
        thumb.SetBounds(x, y + at, width, thumbLength);
    } else {
        firstArrow.SetBounds(x, y, arrow, height);
        secondArrow.SetBounds(x + width - arrow, y, arrow, height);
        thumb.SetBounds(x + at, y, thumbLength, height);
    }
}

bool ScrollBar::SetValue(int v) {
    if (v > count - 1) v = count - 1;
    if (v < 0) v = 0;
    if (v == value) return false;
    value = v;
    Layout();
    return true;
}

int ScrollBar::PartAt(int px, int py) const {
    if (px < x || px >= x + width || py < y || py >= y + height) return PartNone;
    int p = orientation == 0 ? py - y : px - x;
    int along = orientation == 0 ? height : width;
    int arrow = ArrowLength();
    int thumbStart = orientation == 0 ? thumb.y - y : thumb.x - x;
    int thumbEnd = thumbStart + (orientation == 0 ? thumb.height : thumb.width);
    if (p < arrow) return PartFirstArrow;
    if (p >= along - arrow) return PartSecondArrow;
    if (p < thumbStart) return PartTrackBefore;
    if (p >= thumbEnd) return PartTrackAfter;
    return PartThumb;
}

static void ShowPressed(ScrollBar* s) {
    s->firstArrow.pressed = s->highlightedPart == PartFirstArrow;
    s->secondArrow.pressed = s->highlightedPart == PartSecondArrow;
    s->thumb.pressed = s->highlightedPart == PartThumb;
}

int ScrollBar::OnMouse(UINT msg, WPARAM wp, LPARAM pos) {
    int px = PointX(pos), py = PointY(pos);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int part = PartAt(px, py);
        if (part == PartNone) return 0;
        pressedPart = highlightedPart = part;
        held = true;
        if (part == PartFirstArrow) SetValue(value - 1);
        else if (part == PartSecondArrow) SetValue(value + 1);
        else if (part == PartThumb) dragOffset = orientation == 0 ? py - thumb.y : px - thumb.x;
        ShowPressed(this);
        Redraw(this);
        return 1;
    }
    case WM_MOUSEMOVE: {
        if (!held) return 0;
        if (pressedPart == PartThumb) {
            int p = orientation == 0 ? py - y : px - x;
            int along = orientation == 0 ? height : width;
            int span = along - 2 * ArrowLength() - ThumbLength();
            int64_t v = span > 0 ? (int64_t)(p - dragOffset - ArrowLength()) * count / span : 0;
            if (v < 0) v = 0;
            if (v > count - 1) v = count - 1;
            if (SetValue((int)v)) Redraw(this);
            return 1;
        }
        // Off the pressed part the auto-repeat pauses; back on it, it goes on.
        int over = PartAt(px, py) == pressedPart ? pressedPart : PartNone;
        if (over != highlightedPart) {
            highlightedPart = over;
            ShowPressed(this);
            Redraw(this);
        }
        return 1;
    }
    case WM_LBUTTONUP: {
        bool inside = HitTest(px, py);
        int r = inside && (held || highlightedPart != PartNone) ? 1 : 0;
        bool was = held || highlightedPart != PartNone;
        held = false;
        highlightedPart = pressedPart = PartNone;
        ShowPressed(this);
        if (was) Redraw(this);
        return r;
    }
    }
    return 0;
}

bool ScrollBar::OnTimer() {
    if (!held) return false;
    int steps = TickSteps();  // a row, or a page's hundredth, per nominal tick
    int step = (count > 100 ? count / 100 : 1) * steps;
    int v = value;
    switch (highlightedPart) {
    case PartFirstArrow: v -= steps; break;
    case PartSecondArrow: v += steps; break;
    case PartTrackBefore: v -= step; break;
    case PartTrackAfter: v += step; break;
    default: return false;
    }
    if (!SetValue(v)) return false;
    Redraw(this);
    return true;
}

bool ScrollBar::Paint() {
    if (!visible || !surface.memoryDC) return false;
    Layout();
    BeginDraw(this);
    Surface* s = &surface;
    RECT r{0, 0, width, height};
    if (orientation == 0) FillGradientH(s, r, colors[1], colors[2]);
    else FillGradientV(s, r, colors[1], colors[2]);
    Frame(s, 0, 0, width, height, colors[3], colors[4]);
    if (highlightedPart == PartTrackBefore || highlightedPart == PartTrackAfter) {
        int arrow = ArrowLength();
        RECT t = r;
        if (orientation == 0) {
            if (highlightedPart == PartTrackBefore) t = RECT{1, arrow, width - 1, thumb.y - y};
            else t = RECT{1, thumb.y - y + thumb.height, width - 1, height - arrow};
        } else {
            if (highlightedPart == PartTrackBefore) t = RECT{arrow, 1, thumb.x - x, height - 1};
            else t = RECT{thumb.x - x + thumb.width, 1, width - arrow, height - 1};
        }
        if (t.right > t.left && t.bottom > t.top) FillSolid(s, t, colors[6]);
    }
    EndDraw(this);
    firstArrow.Paint();
    secondArrow.Paint();
    if (thumb.width > 0 && thumb.height > 0 && ThumbLength() > 0) thumb.Paint();
    return true;
}
