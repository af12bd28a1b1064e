// RIFF WAVE: integer PCM of 8 to 32 bits, 32/64-bit float, and the same two
// inside WAVE_FORMAT_EXTENSIBLE; IMA and Microsoft ADPCM, u-law and A-law
// (wave_codec_decoder.cpp); MPEG layer 3 data, handed to the MPEG reader.
// Everything in the header is checked against the file before it is believed.
#include <algorithm>
#include "bass.h"
#include "pcm_decoder.h"
#include "wave_codec_decoder.h"

static uint16_t Le16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
static uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

// The compressed codecs; the channel type is the WAVE flag with the codec's tag.
static std::unique_ptr<Decoder> OpenWaveCodec(std::unique_ptr<ByteSource>& src, DWORD flags, const uint8_t* fmt,
                                              size_t fmtBytes, const PcmLayout& data, int64_t factFrames,
                                              int* error) {
    uint16_t tag = Le16(fmt);
    uint16_t chans = Le16(fmt + 2);
    uint32_t rate = Le32(fmt + 4);
    if (chans < 1 || chans > 8 || rate < 100 || rate > 1000000) {
        *error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    if (tag == kWaveMpegLayer3) {
        // The data chunk alone is an MPEG stream.
        std::unique_ptr<ByteSource> window = src->Window(data.dataStart, data.dataBytes, error);
        if (!window) return *error = BASS_ERROR_FORMAT, nullptr;
        std::unique_ptr<Decoder> d = OpenMpeg(window, flags, error);
        if (!d) {
            if (*error == BASS_ERROR_FILEFORM) *error = BASS_ERROR_FORMAT;
            return nullptr;
        }
        d->format.ctype = BASS_CTYPE_STREAM_WAV | tag;
        src.reset();  // the window took over
        return d;
    }
    WaveCodecLayout l;
    l.tag = tag;
    l.chans = chans;
    l.blockAlign = Le16(fmt + 12);
    l.dataStart = data.dataStart;
    l.dataBytes = data.dataBytes;
    l.factFrames = factFrames;
    // The bytes after cbSize (offset 18), as far as the chunk has them.
    size_t extra = fmtBytes > 18 ? std::min<size_t>(fmtBytes - 18, Le16(fmt + 16)) : 0;
    if (!CheckWaveCodecLayout(&l, fmt + 18, extra, error)) return nullptr;
    StreamFormat f;
    f.freq = rate;
    f.chans = chans;
    f.ctype = BASS_CTYPE_STREAM_WAV | tag;
    f.origres = Le16(fmt + 14) <= 32 ? Le16(fmt + 14) : 0;
    std::unique_ptr<Decoder> d = MakeWaveCodecDecoder(std::move(src), l, f);
    *error = d ? 0 : BASS_ERROR_EMPTY;
    return d;
}

std::unique_ptr<Decoder> OpenWave(std::unique_ptr<ByteSource>& src, DWORD flags, int* error) {
    *error = BASS_ERROR_FILEFORM;
    uint8_t head[12];
    if (!src->ReadAt(0, head, 12) || memcmp(head, "RIFF", 4) != 0 || memcmp(head + 8, "WAVE", 4) != 0) return nullptr;

    int64_t pos = 12;
    const int64_t end = src->Size();
    bool haveFormat = false;
    uint8_t fmt[18 + 4 + 4 * 256] = {};  // room for Microsoft ADPCM's predictor table
    size_t fmtBytes = 0;
    int64_t factFrames = -1;
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
            fmtBytes = n;
            haveFormat = true;
        } else if (memcmp(ch, "fact", 4) == 0 && size >= 4) {
            uint8_t count[4];
            if (src->ReadAt(body, count, 4)) factFrames = Le32(count);
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
    if (tag == kWaveMsAdpcm || tag == kWaveAlaw || tag == kWaveUlaw || tag == kWaveImaAdpcm ||
        tag == kWaveMpegLayer3)
        return OpenWaveCodec(src, flags, fmt, fmtBytes, layout, factFrames, error);
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
