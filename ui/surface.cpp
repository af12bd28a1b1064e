#include "ui/surface.h"
#include "base/messages.h"

bool CreateSurface(Surface* s, HWND hwnd, int w, int h) {
    ReleaseSurface(s);
    HDC windowDC = GetDC(hwnd);
    if (!windowDC) {
        ShowInformation(L"Failed to create a Device Context!");
        return false;
    }
    HDC memoryDC = CreateCompatibleDC(windowDC);
    if (!memoryDC) {
        ReleaseDC(hwnd, windowDC);
        ShowInformation(L"Failed to create a Fast Device Context!");
        return false;
    }
    SetGraphicsMode(memoryDC, GM_ADVANCED);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDC, w > 0 ? w : 1, h > 0 ? h : 1);
    HGDIOBJ first = bitmap ? SelectObject(memoryDC, bitmap) : nullptr;
    if (!first) {
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(memoryDC);
        ReleaseDC(hwnd, windowDC);
        ShowInformation(L"Failed in \"SelectObject()\"");
        return false;
    }
    SetBkMode(memoryDC, TRANSPARENT);
    // Controls select their font for a paint and put back what was there.
    // Between paints the DC holds a font like its own system font but of a
    // set quality: selecting a font of the default quality has Wine look
    // for X resource files on disk each time, dozens of times a second.
    LOGFONTW lf{};
    HFONT resting = nullptr;
    if (GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf)) {
        lf.lfQuality = ANTIALIASED_QUALITY;
        resting = CreateFontIndirectW(&lf);
    }
    s->firstFont = resting ? SelectObject(memoryDC, resting) : nullptr;
    s->restingFont = s->firstFont ? resting : nullptr;
    if (resting && !s->firstFont) DeleteObject(resting);
    s->bitmap = bitmap;
    s->firstBitmap = first;
    s->savedObject = nullptr;
    s->owns = true;
    s->hwnd = hwnd;
    s->windowDC = windowDC;
    s->memoryDC = memoryDC;
    s->width = w;
    s->height = h;
    return true;
}

bool ResizeSurface(Surface* s, int w, int h) {
    if (!s->memoryDC) return false;
    bool replace = abs(s->width - w) > 10 || s->width < w || abs(s->height - h) > 10 || s->height < h;
    if (!replace) return true;
    HBITMAP bitmap = CreateCompatibleBitmap(s->windowDC, w > 0 ? w : 1, h > 0 ? h : 1);
    if (!bitmap || !SelectObject(s->memoryDC, bitmap)) {
        // The old bitmap stays selected and in use; the buffer keeps its size.
        if (bitmap) DeleteObject(bitmap);
        ShowInformation(L"Window Failed");
        return false;
    }
    DeleteObject(s->bitmap);
    s->bitmap = bitmap;
    s->width = w;
    s->height = h;
    return true;
}

void ReleaseSurface(Surface* s) {
    if (s->owns) {
        if (s->memoryDC) {
            if (s->firstBitmap) SelectObject(s->memoryDC, s->firstBitmap);
            if (s->firstFont) SelectObject(s->memoryDC, s->firstFont);
            DeleteDC(s->memoryDC);
        }
        if (s->bitmap) DeleteObject(s->bitmap);
        if (s->restingFont) DeleteObject(s->restingFont);
        if (s->windowDC) ReleaseDC(s->hwnd, s->windowDC);
    }
    *s = Surface{};
}

void BorrowSurface(Surface* s, const Surface* from) {
    ReleaseSurface(s);
    s->hwnd = from->hwnd;
    s->windowDC = from->windowDC;
    s->memoryDC = from->memoryDC;
    s->bitmap = from->bitmap;
    s->width = from->width;
    s->height = from->height;
    s->owns = false;
}

void CopyToScreen(const Surface* s, int x, int y, int w, int h) {
    if (s->windowDC && s->memoryDC) BitBlt(s->windowDC, x, y, w, h, s->memoryDC, x, y, SRCCOPY);
}
