// A font record: the handle, whether we own it, and what it was made from.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "base/string_buffer.h"

// Controls and windows are made with new: without these defaults a record starts
// with whatever the heap held there, and its first SetFont deletes that as its font.
struct FontSpec {
    bool owns = false;
    int32_t quality = ANTIALIASED_QUALITY;
    HFONT handle = nullptr;
    bool inheritsWindowFont = true;
    int32_t height = 0;  // in pixels at the DPI it was made for
    int32_t baseHeight = 0, weight = 0, charset = 0;  // as asked, in 96-DPI units
    StringBuffer faceName;
};

// Replaces an owned font with a new one of the record's face; height is in
// 96-DPI units and made at the toolkit's DPI.
void SetFont(FontSpec* f, int height, int weight, int charset);
// Makes an owned font again at the toolkit's DPI (after a DPI change).
void RescaleFont(FontSpec* f);
// Takes the source's handle and face without owning them (only when the record inherits the window's font).
void ShareFont(FontSpec* f, const FontSpec* source);
// Deletes an owned font; a shared one is only forgotten.
void ReleaseFont(FontSpec* f);
