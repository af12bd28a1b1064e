#include "ui/slider.h"
#include "ui/draw.h"
#include <stdio.h>

Slider::Slider(int y, int w, int h, NotifyProc notify) : Control(KindSlider) {
    this->notify = notify;
    SetBounds(0, y, w, h);
}

int SliderValueAt(const Slider* s, int px, int py) {
    int64_t v;
    if (s->orientation == 1) v = (int64_t)(s->maximum + 1) * (px - s->x + 1) / (s->width > 0 ? s->width : 1);
    else v = (int64_t)(s->maximum + 1) * (s->height - (py - s->y)) / (s->height > 0 ? s->height : 1);
    if (v < 0) return 0;
    if (v >= s->maximum) return s->maximum;
    return (int)v;
}

void FormatSliderLabel(const Slider* s, wchar_t* out, int size) {
    int max = s->maximum > 0 ? s->maximum : 1;
    if (s->orientation == 0 && s->value >= s->maximum) {
        _snwprintf(out, size, L"M");
    } else {
        int n = _snwprintf(out, size, L"%i", (int)((int64_t)s->value * 100 / max));
        if (s->showTenths && n > 0 && n < size)
            n += _snwprintf(out + n, size - n, L".%i", (int)((int64_t)s->value * 1000 / max % 10));
        if (s->orientation == 1 && n > 0 && n < size) _snwprintf(out + n, size - n, L"%%");
    }
    out[size - 1] = 0;
}

int Slider::OnMouse(UINT msg, WPARAM wp, LPARAM pos) {
    int px = PointX(pos), py = PointY(pos);
    bool inside = HitTest(px, py);
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (!inside) return 0;
        held = true;
        value = SliderValueAt(this, px, py);
        Redraw(this);
        return 1;
    case WM_MOUSEMOVE:
        if (wp != MK_LBUTTON || !held) return 0;
        value = SliderValueAt(this, px, py);
        Redraw(this);
        return 1;
    case WM_LBUTTONUP: {
        int r = inside && held ? 1 : 0;
        held = false;
        return r;
    }
    case WM_RBUTTONDOWN:
        return inside ? 1 : 0;
    }
    return 0;
}

void Slider::OnCommand(UINT msg, WPARAM, LPARAM) {
    if (msg == 1525) Redraw(this);
}

bool Slider::Paint() {
    if (!visible || !surface.memoryDC) return false;
    if (OwnerDrawn()) {
        Notify(0, 0, 0);
        return true;
    }
    BeginDraw(this);
    Surface* s = &surface;
    int w = width, h = height;
    RECT inner{leftInset, topInset, w - rightInset, h - bottomInset};
    if (orientation == 1) FillGradientV(s, inner, colors[1], colors[2]);
    else FillGradientH(s, inner, colors[1], colors[2]);
    Frame(s, 0, 0, w, h, colors[3], colors[4]);
    COLORREF a = alternate ? colors[9] : colors[7], b = alternate ? colors[10] : colors[8];
    int max = maximum > 0 ? maximum : 1;
    RECT filled = inner;
    if (orientation == 1) {
        int fw = (int)((int64_t)(w - 1) * value / max);
        if (fw >= w - 1 - 2) fw = w;
        filled.right = fw < inner.right ? (fw > inner.left ? fw : inner.left) : inner.right;
        if (filled.right > filled.left) FillGradientV(s, filled, a, b);
    } else {
        int fh = (int)((int64_t)(h - 1) * value / max);
        if (fh >= h - 1 - 2) fh = h;
        filled.top = h - fh > inner.top ? (h - fh < inner.bottom ? h - fh : inner.bottom) : inner.top;
        if (filled.bottom > filled.top) FillGradientH(s, filled, a, b);
    }
    FormatSliderLabel(this, valueText, 64);
    Notify(WM_NCPAINT, 0, (LPARAM)valueText);
    int ty = h / 2 - font.height / 2 - (h == 15 || h == 16 ? 1 : 0);
    SetTextAlign(s->memoryDC, TA_CENTER | TA_TOP);
    // Two clipped passes: the part over the filled bar may take the contrast colour.
    RECT rest = inner;
    if (orientation == 1) rest.left = filled.right;
    else rest.bottom = filled.top;
    SetTextColor(s->memoryDC, colors[0]);
    TextOut(s, valueText, w / 2, ty, &rest);
    SetTextColor(s->memoryDC, contrastText ? colors[6] : colors[0]);
    TextOut(s, valueText, w / 2, ty, &filled);
    SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
    EndDraw(this);
    return true;
}
