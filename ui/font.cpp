#include "ui/font.h"
#include "ui/dpi.h"

void ReleaseFont(FontSpec* f) {
    if (f->owns && f->handle) DeleteObject(f->handle);
    f->handle = nullptr;
    f->owns = false;
}

void SetFont(FontSpec* f, int height, int weight, int charset) {
    ReleaseFont(f);
    f->baseHeight = height;
    f->weight = weight;
    f->charset = charset;
    height = Scale(height);
    f->handle = CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, charset, OUT_TT_PRECIS, 0, f->quality, 0,
                            f->faceName.c_str());
    f->height = height;
    f->owns = f->handle != nullptr;
}

void ShareFont(FontSpec* f, const FontSpec* source) {
    if (!f->inheritsWindowFont || f->handle == source->handle) return;
    ReleaseFont(f);
    f->handle = source->handle;
    f->faceName.Set(source->faceName.c_str());
    f->height = source->height;
    HDC screen = GetDC(nullptr);
    if (screen) {
        HGDIOBJ old = SelectObject(screen, f->handle);
        TEXTMETRICW tm;
        if (GetTextMetricsW(screen, &tm)) f->height = tm.tmHeight;
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
    }
}

void RescaleFont(FontSpec* f) {
    if (f->owns && f->baseHeight) SetFont(f, f->baseHeight, f->weight, f->charset);
}
