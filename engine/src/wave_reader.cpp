// RIFF WAVE: integer PCM of 8 to 32 bits, 32/64-bit float, and the same two
// inside WAVE_FORMAT_EXTENSIBLE. Everything in the header is checked against
// the file before it is believed.
#include "bass.h"
#include "pcm_decoder.h"

static uint16_t Le16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
static uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

std::unique_ptr<Decoder> OpenWave(std::unique_ptr<ByteSource>& src, int* error) {
    *error = BASS_ERROR_FILEFORM;
    uint8_t head[12];
    if (!src->ReadAt(0, head, 12) || memcmp(head, "RIFF", 4) != 0 || memcmp(head + 8, "WAVE", 4) != 0) return nullptr;

    int64_t pos = 12;
    const int64_t end = src->Size();
    bool haveFormat = false;
    uint8_t fmt[40] = {};
    PcmLayout layout;
    bool haveData = false;
    // Walk the chunks; a hostile size ends the walk, it never loops back.
    for (int guard = 0; guard < 10000 && pos + 8 <= end; guard++) {
        uint8_t ch[8];
        if (!src->ReadAt(pos, ch, 8)) break;
        uint64_t size = Le32(ch + 4);
        int64_t body = pos + 8;
        if (memcmp(ch, "fmt ", 4) == 0 && !haveFormat) {
            if (size < 16) return nullptr;
            size_t n = size < sizeof(fmt) ? (size_t)size : sizeof(fmt);
            if (!src->ReadAt(body, fmt, n)) return nullptr;
            haveFormat = true;
        } else if (memcmp(ch, "data", 4) == 0 && haveFormat) {
            layout.dataStart = body;
            layout.dataBytes = (int64_t)size;
            if (layout.dataBytes > end - body) layout.dataBytes = end - body;  // truncated file
            haveData = true;
            break;
        }
        pos = body + (int64_t)size + (size & 1);
    }
    if (!haveFormat || !haveData) return nullptr;

    uint16_t tag = Le16(fmt);
    uint16_t chans = Le16(fmt + 2);
    uint32_t rate = Le32(fmt + 4);
    uint16_t align = Le16(fmt + 12);
    uint16_t bits = Le16(fmt + 14);
    if (tag == 0xFFFE) tag = Le16(fmt + 24);  // the sub-format GUID starts with the tag
    if (tag != 1 && tag != 3) {
        *error = BASS_ERROR_CODEC;
        return nullptr;
    }
    if (chans < 1 || chans > 32 || rate < kMinSourceRate || rate > kMaxSourceRate || bits == 0) {
        *error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    int container = align / chans;
    bool okBits = tag == 1 ? (container >= 1 && container <= 4 && bits <= container * 8)
                           : ((container == 4 && bits == 32) || (container == 8 && bits == 64));
    if (!okBits || align != container * chans) {
        *error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    layout.bits = bits;
    layout.containerBytes = container;
    layout.isFloat = tag == 3;
    layout.unsigned8 = true;
    if (layout.dataBytes < align) {
        *error = BASS_ERROR_EMPTY;
        return nullptr;
    }

    StreamFormat f;
    f.freq = rate;
    f.chans = chans;
    f.ctype = tag == 3 ? BASS_CTYPE_STREAM_WAV_FLOAT : BASS_CTYPE_STREAM_WAV_PCM;
    f.origres = tag == 3 ? (bits | BASS_ORIGRES_FLOAT) : bits;
    *error = 0;
    return MakePcmDecoder(std::move(src), layout, f);
}
