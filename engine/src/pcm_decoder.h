// Uncompressed sample data in a byte range of a source: the common part of the
// WAVE and AIFF readers.
#pragma once
#include "decoder.h"

struct PcmLayout {
    int64_t dataStart = 0;
    int64_t dataBytes = 0;
    int bits = 16;          // 8, 16, 24, 32 (integer) or 32/64 (float)
    int containerBytes = 2; // bytes per sample as stored
    bool isFloat = false;
    bool bigEndian = false;
    bool unsigned8 = true;  // WAVE stores 8-bit unsigned, AIFF signed
};

std::unique_ptr<Decoder> MakePcmDecoder(std::unique_ptr<ByteSource> src, const PcmLayout& layout, StreamFormat format);
