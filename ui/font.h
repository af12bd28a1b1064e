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
    int32_t height = 0;
    StringBuffer faceName;
};

// Replaces an owned font with a new one of the record's face.
void SetFont(FontSpec* f, int height, int weight, int charset);
// Takes the source's handle and face without owning them (only when the record inherits the window's font).
void ShareFont(FontSpec* f, const FontSpec* source);
// Deletes an owned font; a shared one is only forgotten.
void ReleaseFont(FontSpec* f);
