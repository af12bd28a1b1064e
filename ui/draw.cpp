#include "ui/draw.h"

// The DC's own brush in the colour asked for: no brush is made per fill.
void FillSolid(Surface* s, const RECT& r, COLORREF c) {
    SetDCBrushColor(s->memoryDC, c);
    FillRect(s->memoryDC, &r, (HBRUSH)GetStockObject(DC_BRUSH));
}

TRIVERTEX Vertex(int x, int y, COLORREF c) {
    TRIVERTEX v;
    v.x = x;
    v.y = y;
    v.Red = (COLOR16)(GetRValue(c) << 8);
    v.Green = (COLOR16)(GetGValue(c) << 8);
    v.Blue = (COLOR16)(GetBValue(c) << 8);
    v.Alpha = 0;
    return v;
}

static void Gradient(Surface* s, const RECT& r, COLORREF a, COLORREF b, ULONG mode) {
    if (a == b) {
        FillSolid(s, r, a);
        return;
    }
    TRIVERTEX v[2] = {Vertex(r.left, r.top, a), Vertex(r.right, r.bottom, b)};
    GRADIENT_RECT gr = {0, 1};
    GradientFill(s->memoryDC, v, 2, &gr, 1, mode);
}

void FillGradientV(Surface* s, const RECT& r, COLORREF top, COLORREF bottom) {
    Gradient(s, r, top, bottom, GRADIENT_FILL_RECT_V);
}

void FillGradientH(Surface* s, const RECT& r, COLORREF left, COLORREF right) {
    Gradient(s, r, left, right, GRADIENT_FILL_RECT_H);
}

void LineV(Surface* s, int x, int y, int length, COLORREF c) { FillSolid(s, RECT{x, y, x + 1, y + length}, c); }

void LineH(Surface* s, int x, int y, int length, COLORREF c) { FillSolid(s, RECT{x, y, x + length, y + 1}, c); }

void Frame(Surface* s, int x, int y, int w, int h, COLORREF light, COLORREF dark) {
    LineH(s, x, y, w - 1, light);
    LineV(s, x, y, h - 1, light);
    LineH(s, x, y + h - 1, w, dark);
    LineV(s, x + w - 1, y, h, dark);
}

void Frame3D(Surface* s, int w, int h, bool pressed, COLORREF light, COLORREF dark, COLORREF shadow) {
    if (pressed) {
        Frame(s, 0, 0, w, h, dark, light);
        LineH(s, 1, 1, w - 2, shadow);
        LineV(s, 1, 1, h - 2, shadow);
    } else {
        Frame(s, 0, 0, w, h, light, dark);
        LineH(s, 1, h - 2, w - 2, shadow);
        LineV(s, w - 2, 1, h - 2, shadow);
    }
}

bool TextOut(Surface* s, const wchar_t* text, int length, int x, int y, const RECT* clip) {
    if (!text || length <= 0) return false;
    return ExtTextOutW(s->memoryDC, x, y, clip ? ETO_CLIPPED : 0, clip, text, length, nullptr) != 0;
}

bool TextOut(Surface* s, const wchar_t* text, int x, int y, const RECT* clip) {
    return TextOut(s, text, text ? (int)wcslen(text) : 0, x, y, clip);
}

bool TextOutRight(Surface* s, const wchar_t* text, int length, int right, int y, const RECT* clip) {
    if (!text || length <= 0) return false;
    HDC dc = s->memoryDC;
    UINT options = clip ? ETO_CLIPPED : 0;
    int stack[64];
    int* ends = length <= 64 ? stack : (int*)HeapAlloc(GetProcessHeap(), 0, sizeof(int) * (size_t)length);
    SIZE size{};
    bool ok;
    UINT align;
    // Without a count to fill, every character's extent is measured.
    if (ends && GetTextExtentExPointW(dc, text, length, 0, nullptr, ends, &size)) {
        // The partial extents become the advances, in place.
        for (int i = length - 1; i > 0; i--) ends[i] -= ends[i - 1];
        align = SetTextAlign(dc, TA_LEFT | TA_TOP);
        ok = ExtTextOutW(dc, right - size.cx, y, options, clip, text, (UINT)length, ends) != 0;
    } else {
        // Not measured: the font engine's own right alignment.
        align = SetTextAlign(dc, TA_RIGHT | TA_TOP);
        ok = ExtTextOutW(dc, right, y, options, clip, text, (UINT)length, nullptr) != 0;
    }
    SetTextAlign(dc, align);
    if (ends && ends != stack) HeapFree(GetProcessHeap(), 0, ends);
    return ok;
}

bool TextOutLimited(Surface* s, const wchar_t* text, int x, int y) {
    if (!text) return false;
    int n = (int)wcsnlen(text, 1000);
    return TextOut(s, text, n, x, y, nullptr);
}

SIZE TextSize(Surface* s, const wchar_t* text, int length) {
    SIZE size{};
    if (text && length > 0) GetTextExtentPoint32W(s->memoryDC, text, length, &size);
    return size;
}

int FontHeight(Surface* s, HFONT font) {
    HGDIOBJ old = SelectObject(s->memoryDC, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(s->memoryDC, &tm);
    if (old) SelectObject(s->memoryDC, old);
    return tm.tmHeight;
}
