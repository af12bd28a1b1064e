#include "media/mpeg_headers.h"
#include <math.h>
#include <string.h>

static uint32_t Be32(const uint8_t* p) { return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

static bool LetterOrDigit(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool ParseMpegFrameHeader(const uint8_t* h, MpegFrameHeader* out) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
    int version = (h[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
    int layer = 4 - ((h[1] >> 1) & 3);
    int bitrateIndex = h[2] >> 4;
    int rateIndex = (h[2] >> 2) & 3;
    int padding = (h[2] >> 1) & 1;
    if (version == 1 || layer == 4 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    static const int rates[3] = {44100, 48000, 32000};
    static const int kbps[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    MpegFrameHeader f;
    f.layer = layer;
    f.mpeg1 = version == 3;
    f.rate = rates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    f.bitrate = kbps[f.mpeg1 ? 0 : 1][layer - 1][bitrateIndex] * 1000;
    f.channels = (h[3] >> 6) == 3 ? 1 : 2;
    f.crc = !(h[1] & 1);
    if (layer == 1) {
        f.samples = 384;
        f.bytes = (12 * f.bitrate / f.rate + padding) * 4;
    } else if (layer == 3 && !f.mpeg1) {
        f.samples = 576;
        f.bytes = 72 * f.bitrate / f.rate + padding;
    } else {
        f.samples = 1152;
        f.bytes = 144 * f.bitrate / f.rate + padding;
    }
    *out = f;
    return true;
}

// The smallest frame this layer and rate can have: the bound on how many
// frames the audio can hold.
static int SmallestFrame(const MpegFrameHeader& f) {
    int bitrate = f.mpeg1 || f.layer == 1 ? 32000 : 8000;
    int bytes = f.layer == 1 ? 12 * bitrate / f.rate * 4 : (f.layer == 3 && !f.mpeg1 ? 72 : 144) * bitrate / f.rate;
    return bytes > 0 ? bytes : 1;
}

// The first frame and the two after it agree on layer and rate; one or two
// frames that end the audio exactly also count. False when `have` bytes do
// not reach far enough to tell.
static bool ThreeFrames(const uint8_t* audio, size_t have, int64_t audioBytes, const MpegFrameHeader& first) {
    int64_t p = first.bytes;
    for (int found = 1; found < 3; found++) {
        if (p == audioBytes) return true;
        if (p + 4 > audioBytes || p + 4 > (int64_t)have) return false;
        MpegFrameHeader next;
        if (!ParseMpegFrameHeader(audio + p, &next) || next.layer != first.layer || next.rate != first.rate)
            return false;
        p += next.bytes;
    }
    return true;
}

// Where the Xing/Info or VBRI tag of the first frame would start.
static size_t XingOffset(const MpegFrameHeader& f) {
    size_t side = f.mpeg1 ? (f.channels == 1 ? 17 : 32) : (f.channels == 1 ? 9 : 17);
    return 4 + (f.crc ? 2 : 0) + side;
}

// The frame count of a Xing/Info tag, with the LAME tag's delay and padding
// that follow it; false without a usable count.
static bool ReadXing(const uint8_t* frame, size_t frameBytes, const MpegFrameHeader& f, uint32_t* frames,
                     int* delay, int* padding) {
    size_t x = XingOffset(f);
    if (x + 12 > frameBytes) return false;
    const uint8_t* t = frame + x;
    if (memcmp(t, "Xing", 4) != 0 && memcmp(t, "Info", 4) != 0) return false;
    uint32_t flags = Be32(t + 4);
    if (!(flags & 1)) return false;
    *frames = Be32(t + 8);
    size_t lame = x + 8 + 4 + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0);
    *delay = *padding = 0;
    // An encoder's name in letters and digits, then the fields; delay and
    // padding are twelve bits each at 21.
    if (lame + 24 <= frameBytes) {
        const uint8_t* l = frame + lame;
        if (LetterOrDigit(l[0]) && LetterOrDigit(l[1]) && LetterOrDigit(l[2]) && LetterOrDigit(l[3])) {
            *delay = l[21] << 4 | l[22] >> 4;
            *padding = (l[22] & 15) << 8 | l[23];
        }
    }
    return true;
}

// The frame count of a VBRI tag (32 bytes after the header, whatever the mode).
static bool ReadVbri(const uint8_t* frame, size_t frameBytes, uint32_t* frames) {
    const size_t v = 4 + 32;
    if (v + 18 > frameBytes || memcmp(frame + v, "VBRI", 4) != 0) return false;
    *frames = Be32(frame + v + 14);
    return true;
}

bool MpegLengthFromHeaders(const uint8_t* audio, size_t have, int64_t audioBytes, MpegLength* out) {
    *out = MpegLength{};
    if (!audio || have < 4 || audioBytes < 4) return false;
    if ((int64_t)have > audioBytes) have = (size_t)audioBytes;
    MpegFrameHeader f;
    if (!ParseMpegFrameHeader(audio, &f) || !ThreeFrames(audio, have, audioBytes, f)) return false;
    out->rate = f.rate;
    out->channels = f.channels;
    out->layer = f.layer;

    size_t frameBytes = (size_t)f.bytes < have ? (size_t)f.bytes : have;
    // No more frames than the audio could hold at the lowest bit rate.
    int64_t mostFrames = audioBytes / SmallestFrame(f) + 1;
    uint32_t frames = 0;
    int delay = 0, padding = 0;
    bool xing = f.layer == 3 && ReadXing(audio, frameBytes, f, &frames, &delay, &padding);
    if (xing && frames > 0 && frames <= mostFrames) {
        int64_t samples = (int64_t)frames * f.samples;
        if (delay + padding < samples) samples -= delay + padding;
        out->samples = samples;
        out->source = MpegLengthXing;
        return true;
    }
    bool vbri = !xing && ReadVbri(audio, frameBytes, &frames);
    if (vbri && frames > 0 && frames <= mostFrames) {
        out->samples = (int64_t)frames * f.samples;
        out->source = MpegLengthVbri;
        return true;
    }
    // By the bytes, past a tag's frame (its count not believed). One bit rate
    // in the frames here: a constant one, whose mean frame is samples / 8 *
    // bitrate / rate bytes; else the mean of the frames here.
    int64_t p = xing || vbri ? f.bytes : 0;
    const int64_t from = p;
    int bitrate = 0, count = 0;
    bool constant = true;
    MpegFrameHeader g;
    while (p + 4 <= (int64_t)have && ParseMpegFrameHeader(audio + p, &g) && g.layer == f.layer && g.rate == f.rate &&
           p + g.bytes <= audioBytes) {
        if (count == 0) bitrate = g.bitrate;
        constant = constant && g.bitrate == bitrate;
        count++;
        p += g.bytes;
    }
    int64_t bytes = audioBytes - from;
    if (count == 0 || constant) {
        out->samples = (int64_t)((double)bytes * 8.0 * f.rate / (count ? bitrate : f.bitrate));
    } else {
        out->samples = (int64_t)((double)bytes / ((double)(p - from) / count) * f.samples);
    }
    out->source = MpegLengthBytes;
    return true;
}

int32_t MpegMilliseconds(int64_t samples, int rate) {
    if (samples <= 0 || rate <= 0) return 0;
    double ms = (double)samples / rate * 1000.0;
    return ms >= 2147483647.0 ? 2147483647 : (int32_t)lround(ms);
}
