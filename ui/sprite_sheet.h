// Icon and glyph strips: one bitmap resource of cells side by side, with
// premultiplied alpha, kept in a memory DC for the whole run.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "ui/surface.h"

struct SpriteSheet {
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ firstBitmap;
    int32_t resourceId;
    int32_t cellWidth, cellHeight;
    int32_t width;
};

// Once per sheet; false when the resource or a DC cannot be had.
bool LoadSpriteSheet(SpriteSheet* sheet, int resourceId, int cellWidth, HMODULE module = nullptr);
void ReleaseSpriteSheet(SpriteSheet* sheet);
// The strip resampled cell by cell to the toolkit's DPI (the old bitmap is deleted);
// at 96 DPI the same bitmap.
HBITMAP ScaleSheetBitmap(HBITMAP bitmap, int cellWidth, int* scaledCellWidth);
// Every pixel's colour times its alpha / 255; "DIBits failed" when the bits cannot be read.
bool PremultiplyAlpha(HDC dc, HBITMAP bitmap);
// A 32-bit DIB section of w x h whose rows run from the top, and its pixels.
HBITMAP NewTopDownSection(int w, int h, uint32_t** bits);
void DrawCell(Surface* s, const SpriteSheet* sheet, int cell, int x, int y, int w, int h, uint8_t alpha);
