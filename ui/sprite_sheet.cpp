#include "ui/sprite_sheet.h"
#include "base/messages.h"

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
