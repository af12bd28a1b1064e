// AIFF and uncompressed AIFF-C (NONE, twos, sowt, fl32, fl64).
#include <math.h>
#include "bass.h"
#include "pcm_decoder.h"

static uint16_t Be16(const uint8_t* p) { return (uint16_t)(p[0] << 8 | p[1]); }
static uint32_t Be32(const uint8_t* p) { return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// The 80-bit IEEE extended sample rate of the COMM chunk.
static double Extended(const uint8_t* p) {
    int exponent = ((p[0] & 0x7F) << 8 | p[1]) - 16383;
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; i++) mantissa = mantissa << 8 | p[2 + i];
    if (exponent < -64 || exponent > 64) return 0;
    double v = ldexp((double)mantissa, exponent - 63);
    return (p[0] & 0x80) ? -v : v;
}

std::unique_ptr<Decoder> OpenAiff(std::unique_ptr<ByteSource>& src, int* error) {
    *error = BASS_ERROR_FILEFORM;
    uint8_t head[12];
    if (!src->ReadAt(0, head, 12) || memcmp(head, "FORM", 4) != 0) return nullptr;
    bool aifc = memcmp(head + 8, "AIFC", 4) == 0;
    if (!aifc && memcmp(head + 8, "AIFF", 4) != 0) return nullptr;

    int64_t pos = 12;
    const int64_t end = src->Size();
    uint8_t comm[26] = {};
    bool haveComm = false;
    PcmLayout layout;
    bool haveData = false;
    for (int guard = 0; guard < 10000 && pos + 8 <= end; guard++) {
        uint8_t ch[8];
        if (!src->ReadAt(pos, ch, 8)) break;
        uint64_t size = Be32(ch + 4);
        int64_t body = pos + 8;
        if (memcmp(ch, "COMM", 4) == 0) {
            if (size < 18) return nullptr;
            size_t n = size < sizeof(comm) ? (size_t)size : sizeof(comm);
            if (!src->ReadAt(body, comm, n)) return nullptr;
            if (!aifc) memcpy(comm + 18, "NONE", 4);
            else if (n < 22) return nullptr;
            haveComm = true;
        } else if (memcmp(ch, "SSND", 4) == 0) {
            uint8_t o[8];
            if (size < 8 || !src->ReadAt(body, o, 8)) return nullptr;
            uint32_t offset = Be32(o);
            layout.dataStart = body + 8 + offset;
            layout.dataBytes = (int64_t)size - 8 - offset;
            if (layout.dataStart > end) layout.dataBytes = 0;
            else if (layout.dataBytes > end - layout.dataStart) layout.dataBytes = end - layout.dataStart;
            haveData = true;
        }
        if (haveComm && haveData) break;
        pos = body + (int64_t)size + (size & 1);
    }
    if (!haveComm || !haveData) return nullptr;

    uint16_t chans = Be16(comm);
    uint32_t frames = Be32(comm + 2);
    uint16_t bits = Be16(comm + 6);
    double rate = Extended(comm + 8);
    const uint8_t* kind = comm + 18;
    layout.bigEndian = true;
    layout.unsigned8 = false;
    if (memcmp(kind, "NONE", 4) == 0 || memcmp(kind, "twos", 4) == 0) {
    } else if (memcmp(kind, "sowt", 4) == 0) {
        layout.bigEndian = false;
    } else if (memcmp(kind, "fl32", 4) == 0 || memcmp(kind, "FL32", 4) == 0) {
        layout.isFloat = true;
        bits = 32;
    } else if (memcmp(kind, "fl64", 4) == 0 || memcmp(kind, "FL64", 4) == 0) {
        layout.isFloat = true;
        bits = 64;
    } else {
        *error = BASS_ERROR_CODEC;
        return nullptr;
    }
    if (chans < 1 || chans > 32 || bits < 1 || bits > 64 || !(rate >= kMinSourceRate && rate <= kMaxSourceRate) ||
        (!layout.isFloat && bits > 32)) {
        *error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    layout.bits = bits;
    layout.containerBytes = (bits + 7) / 8;
    int64_t declared = (int64_t)frames * layout.containerBytes * chans;
    if (declared < layout.dataBytes) layout.dataBytes = declared;
    if (layout.dataBytes < layout.containerBytes * chans) {
        *error = BASS_ERROR_EMPTY;
        return nullptr;
    }

    StreamFormat f;
    f.freq = (DWORD)(rate + 0.5);
    f.chans = chans;
    f.ctype = BASS_CTYPE_STREAM_AIFF;
    f.origres = layout.isFloat ? (bits | BASS_ORIGRES_FLOAT) : bits;
    *error = 0;
    return MakePcmDecoder(std::move(src), layout, f);
}
