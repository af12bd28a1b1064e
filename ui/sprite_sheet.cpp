#include "ui/sprite_sheet.h"
#include "base/messages.h"
#include "ui/dpi.h"

static void Premultiply(uint32_t* px, size_t count) {
    for (size_t i = 0; i < count; i++) {
        uint32_t p = px[i];
        uint32_t a = p >> 24;
        uint32_t b = (p & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, r = ((p >> 16) & 0xFF) * a / 255;
        px[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
}

bool PremultiplyAlpha(HDC dc, HBITMAP bitmap) {
    DIBSECTION ds{};
    if (GetObjectW(bitmap, sizeof(ds), &ds) == sizeof(ds) && ds.dsBm.bmBits && ds.dsBm.bmBitsPixel == 32) {
        GdiFlush();
        Premultiply((uint32_t*)ds.dsBm.bmBits, (size_t)ds.dsBm.bmWidth * abs(ds.dsBm.bmHeight));
        return true;
    }
    BITMAP bm{};
    if (!GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        ShowInformation(L"DIBits failed");
        return false;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    size_t count = (size_t)bm.bmWidth * bm.bmHeight;
    uint32_t* px = (uint32_t*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * 4);
    if (!px) {
        ShowInformation(L"Not enough memory");
        return false;
    }
    // GetDIBits wants the bitmap out of any DC; the caller's DC may hold it.
    HGDIOBJ held = nullptr;
    if (dc && GetCurrentObject(dc, OBJ_BITMAP) == bitmap) held = SelectObject(dc, CreateCompatibleBitmap(dc, 1, 1));
    HDC screen = GetDC(nullptr);
    bool ok = GetDIBits(screen, bitmap, 0, bm.bmHeight, px, &bi, DIB_RGB_COLORS) == bm.bmHeight;
    if (ok) {
        Premultiply(px, count);
        ok = SetDIBits(screen, bitmap, 0, bm.bmHeight, px, &bi, DIB_RGB_COLORS) == bm.bmHeight;
    }
    ReleaseDC(nullptr, screen);
    if (held) DeleteObject(SelectObject(dc, held));
    HeapFree(GetProcessHeap(), 0, px);
    if (!ok) ShowInformation(L"DIBits failed");
    return ok;
}

HBITMAP NewTopDownSection(int w, int h, uint32_t** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    *bits = (uint32_t*)p;
    return b;
}

// The sheet at the toolkit's DPI: each cell resampled on its own (bilinear over
// premultiplied pixels, so no colour of one cell bleeds into the next and the
// transparent edges stay clean). The 96-DPI sheet comes back unchanged.
HBITMAP ScaleSheetBitmap(HBITMAP bitmap, int cellWidth, int* scaledCellWidth) {
    *scaledCellWidth = cellWidth;
    BITMAP bm{};
    if (!GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0 || cellWidth <= 0) return bitmap;
    int cw = Scale(cellWidth), ch = Scale(bm.bmHeight);
    if (cw == cellWidth && ch == bm.bmHeight) return bitmap;
    int cells = bm.bmWidth / cellWidth;
    if (cells <= 0) return bitmap;
    size_t count = (size_t)bm.bmWidth * bm.bmHeight;
    uint32_t* src = (uint32_t*)HeapAlloc(GetProcessHeap(), 0, count * 4);
    if (!src) return bitmap;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    bool ok = GetDIBits(screen, bitmap, 0, bm.bmHeight, src, &bi, DIB_RGB_COLORS) == bm.bmHeight;
    ReleaseDC(nullptr, screen);
    uint32_t* dst = nullptr;
    HBITMAP scaled = ok ? NewTopDownSection(cells * cw, ch, &dst) : nullptr;
    if (!scaled || !dst) {
        HeapFree(GetProcessHeap(), 0, src);
        return bitmap;
    }
    double fx = (double)cellWidth / cw, fy = (double)bm.bmHeight / ch;
    for (int c = 0; c < cells; c++)
        for (int y = 0; y < ch; y++) {
            double sy = (y + 0.5) * fy - 0.5;
            if (sy < 0) sy = 0;
            if (sy > bm.bmHeight - 1) sy = bm.bmHeight - 1;
            int y0 = (int)sy, y1 = y0 + 1 < bm.bmHeight ? y0 + 1 : y0;
            double wy = sy - y0;
            for (int x = 0; x < cw; x++) {
                double sx = (x + 0.5) * fx - 0.5;
                if (sx < 0) sx = 0;
                if (sx > cellWidth - 1) sx = cellWidth - 1;
                int x0 = (int)sx, x1 = x0 + 1 < cellWidth ? x0 + 1 : x0;
                double wx = sx - x0;
                const uint32_t* row0 = src + (size_t)y0 * bm.bmWidth + c * cellWidth;
                const uint32_t* row1 = src + (size_t)y1 * bm.bmWidth + c * cellWidth;
                uint32_t out = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    double v = (1 - wy) * ((1 - wx) * ((row0[x0] >> shift) & 0xFF) + wx * ((row0[x1] >> shift) & 0xFF)) +
                               wy * ((1 - wx) * ((row1[x0] >> shift) & 0xFF) + wx * ((row1[x1] >> shift) & 0xFF));
                    int iv = (int)(v + 0.5);
                    out |= (uint32_t)(iv > 255 ? 255 : iv) << shift;
                }
                dst[(size_t)y * cells * cw + c * cw + x] = out;
            }
        }
    HeapFree(GetProcessHeap(), 0, src);
    DeleteObject(bitmap);
    *scaledCellWidth = cw;
    return scaled;
}

bool LoadSpriteSheet(SpriteSheet* sheet, int resourceId, int cellWidth, HMODULE module) {
    if (sheet->dc) return true;
    if (!module) module = GetModuleHandleW(nullptr);
    HBITMAP bitmap =
        (HBITMAP)LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!bitmap) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(bitmap);
        return false;
    }
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    PremultiplyAlpha(nullptr, bitmap);
    bitmap = ScaleSheetBitmap(bitmap, cellWidth, &cellWidth);
    GetObjectW(bitmap, sizeof(bm), &bm);
    sheet->firstBitmap = SelectObject(dc, bitmap);
    sheet->bitmap = bitmap;
    sheet->dc = dc;
    sheet->resourceId = resourceId;
    sheet->cellWidth = cellWidth;
    sheet->cellHeight = bm.bmHeight;
    sheet->width = bm.bmWidth;
    return true;
}

void ReleaseSpriteSheet(SpriteSheet* sheet) {
    if (sheet->dc) {
        SelectObject(sheet->dc, sheet->firstBitmap);
        DeleteDC(sheet->dc);
    }
    if (sheet->bitmap) DeleteObject(sheet->bitmap);
    *sheet = SpriteSheet{};
}

void DrawCell(Surface* s, const SpriteSheet* sheet, int cell, int x, int y, int w, int h, uint8_t alpha) {
    if (!sheet || !sheet->dc || cell < 0) return;
    int sx = cell * sheet->cellWidth;
    if (sx + w > sheet->width) w = sheet->width - sx;
    if (h > sheet->cellHeight) h = sheet->cellHeight;
    if (w <= 0 || h <= 0) return;
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    AlphaBlend(s->memoryDC, x, y, w, h, sheet->dc, sx, 0, w, h, bf);
}
