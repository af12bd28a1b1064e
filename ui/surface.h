// The back buffer: a memory DC with a bitmap the size of the window, and the
// window's own DC that finished pictures are copied to.
#pragma once
#include <windows.h>
#include <stdint.h>

struct Surface {
    HBITMAP bitmap;
    HGDIOBJ savedObject;   // what a control's font replaced in the memory DC
    bool owns;             // created the DCs and the bitmap, releases them
    HWND hwnd;
    HDC windowDC;
    HDC memoryDC;
    int32_t width, height;
    HGDIOBJ firstBitmap;   // the memory DC's own bitmap, put back before deleting ours
    HFONT restingFont;     // selected between paints (see CreateSurface)
    HGDIOBJ firstFont;     // the memory DC's own font, put back before deleting ours
};

// Creates both DCs and a w x h bitmap. On a failure it shows the box for the
// step that failed, releases what it had made and returns false.
bool CreateSurface(Surface* s, HWND hwnd, int w, int h);
// Grows at once, shrinks only by more than 10 pixels; the new bitmap is exactly w x h.
bool ResizeSurface(Surface* s, int w, int h);
// Releases the DCs and the bitmap when owned; a borrowed surface is just forgotten.
void ReleaseSurface(Surface* s);
// Borrows another surface's DCs (controls share their window's).
void BorrowSurface(Surface* s, const Surface* from);
// Copies a rectangle of the memory DC to the same place on the window.
void CopyToScreen(const Surface* s, int x, int y, int w, int h);
