#include "wave_codec_decoder.h"
#include <string.h>
#include <algorithm>
#include "bass.h"

namespace {

int16_t Le16s(const uint8_t* p) { return (int16_t)(p[0] | p[1] << 8); }

int16_t Clamp16(int v) { return (int16_t)(v < -32768 ? -32768 : v > 32767 ? 32767 : v); }

const int kImaSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int kImaIndex[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

const int kMsAdapt[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};
const int16_t kMsStandardCoefs[14] = {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232};

// A block: per channel a 4-byte head (first sample, step index), then groups
// of 4 bytes per channel in turn, 8 samples each, low nibble first.
int DecodeImaBlock(const uint8_t* in, size_t bytes, int chans, int16_t* out, int maxFrames) {
    if (bytes < (size_t)(4 * chans) || maxFrames < 1) return 0;
    int pred[8], index[8];
    for (int c = 0; c < chans; c++) {
        pred[c] = Le16s(in + 4 * c);
        index[c] = in[4 * c + 2] > 88 ? 88 : in[4 * c + 2];
        out[c] = (int16_t)pred[c];
    }
    size_t groups = (bytes - 4 * chans) / (4 * chans);
    int frames = 1 + (int)groups * 8;
    if (frames > maxFrames) frames = maxFrames;
    const uint8_t* p = in + 4 * chans;
    for (size_t g = 0; g < groups; g++) {
        for (int c = 0; c < chans; c++, p += 4) {
            for (int k = 0; k < 8; k++) {
                int frame = 1 + (int)g * 8 + k;
                int n = (p[k >> 1] >> ((k & 1) * 4)) & 15;
                int step = kImaSteps[index[c]];
                int diff = step >> 3;
                if (n & 4) diff += step;
                if (n & 2) diff += step >> 1;
                if (n & 1) diff += step >> 2;
                pred[c] = Clamp16((n & 8) ? pred[c] - diff : pred[c] + diff);
                index[c] += kImaIndex[n];
                index[c] = index[c] < 0 ? 0 : index[c] > 88 ? 88 : index[c];
                if (frame < frames) out[frame * chans + c] = (int16_t)pred[c];
            }
        }
    }
    return frames;
}

// A block: per channel the predictor number, then per channel the step, the
// newer and the older sample; the two samples come out oldest first, then
// nibbles, high first, channels taking turns.
int DecodeMsBlock(const uint8_t* in, size_t bytes, int chans, const std::vector<int16_t>& coefs, int16_t* out,
                  int maxFrames) {
    if (bytes < (size_t)(7 * chans) || maxFrames < 2) return 0;
    int c1[2], c2[2], delta[2], s1[2], s2[2];
    const int pairs = (int)coefs.size() / 2;
    for (int c = 0; c < chans; c++) {
        int which = in[c];
        if (which >= pairs) return 0;  // damaged block: nothing trustworthy in it
        c1[c] = coefs[2 * which];
        c2[c] = coefs[2 * which + 1];
        delta[c] = Le16s(in + chans + 2 * c);
        s1[c] = Le16s(in + 3 * chans + 2 * c);
        s2[c] = Le16s(in + 5 * chans + 2 * c);
        out[c] = (int16_t)s2[c];
        out[chans + c] = (int16_t)s1[c];
    }
    const uint8_t* p = in + 7 * chans;
    size_t nibbles = (bytes - 7 * chans) * 2;
    int frames = 2 + (int)(nibbles / chans);
    if (frames > maxFrames) frames = maxFrames;
    int16_t* o = out + 2 * chans;
    size_t i = 0;
    for (int f = 2; f < frames; f++) {
        for (int c = 0; c < chans; c++, i++) {
            int n = (i & 1) ? p[i >> 1] & 15 : p[i >> 1] >> 4;
            int predicted = (s1[c] * c1[c] + s2[c] * c2[c]) >> 8;
            int v = Clamp16(predicted + ((n ^ 8) - 8) * delta[c]);  // the nibble is signed
            s2[c] = s1[c];
            s1[c] = v;
            delta[c] = std::max((kMsAdapt[n] * delta[c]) >> 8, 16);
            o[i] = (int16_t)v;
        }
    }
    return frames;
}

int16_t UlawToLinear(uint8_t u) {
    u = (uint8_t)~u;
    int t = ((u & 0x0F) << 3) + 0x84;
    t <<= (u & 0x70) >> 4;
    return (int16_t)((u & 0x80) ? 0x84 - t : t - 0x84);
}

int16_t AlawToLinear(uint8_t a) {
    a ^= 0x55;
    int t = (a & 0x0F) << 4;
    int seg = (a & 0x70) >> 4;
    if (seg == 0) t += 8;
    else t = (t + 0x108) << (seg - 1);
    return (int16_t)((a & 0x80) ? t : -t);
}

class WaveCodecDecoder : public Decoder {
public:
    WaveCodecDecoder(std::unique_ptr<ByteSource> src, const WaveCodecLayout& l) : src_(std::move(src)), l_(l) {
        int64_t blocks = l_.dataBytes / l_.blockAlign;
        int64_t rest = l_.dataBytes % l_.blockAlign;
        frames_ = blocks * l_.samplesPerBlock + (rest ? RestFrames(rest) : 0);
        if (l_.factFrames >= 0 && l_.factFrames < frames_) frames_ = l_.factFrames;
        raw_.resize((size_t)l_.blockAlign);
        block_.resize((size_t)l_.samplesPerBlock * l_.chans);
    }
    int64_t Read(float* out, int64_t frames) override {
        int64_t done = 0;
        while (done < frames && pos_ < frames_) {
            if (used_ >= have_ && !LoadBlock(pos_ / l_.samplesPerBlock)) {
                frames_ = pos_;  // shorter than the header said
                break;
            }
            int64_t take = std::min<int64_t>({frames - done, have_ - used_, frames_ - pos_});
            const int16_t* in = block_.data() + (size_t)used_ * l_.chans;
            float* o = out + done * l_.chans;
            for (int64_t i = 0; i < take * l_.chans; i++) o[i] = in[i] / 32768.0f;
            used_ += (int)take;
            pos_ += take;
            done += take;
        }
        return done;
    }
    bool Seek(int64_t frame) override {
        if (frame < 0 || frame > frames_) return false;
        pos_ = frame;
        used_ = have_ = 0;
        if (frame == frames_) return true;
        if (!LoadBlock(frame / l_.samplesPerBlock)) return false;
        used_ = (int)(frame % l_.samplesPerBlock);
        return used_ <= have_;
    }
    int64_t Length() override { return frames_; }
    ByteSource* Source() override { return src_.get(); }

private:
    // Frames in a last block cut short to bytes.
    int64_t RestFrames(int64_t bytes) const {
        switch (l_.tag) {
        case kWaveImaAdpcm: return bytes < 4 * l_.chans ? 0 : 1 + (bytes - 4 * l_.chans) / (4 * l_.chans) * 8;
        case kWaveMsAdpcm: return bytes < 7 * l_.chans ? 0 : 2 + (bytes - 7 * l_.chans) * 2 / l_.chans;
        default: return bytes / l_.chans;  // G.711: a frame a byte per channel
        }
    }
    bool LoadBlock(int64_t index) {
        int64_t at = index * l_.blockAlign;
        if (at >= l_.dataBytes || !src_->Seek(l_.dataStart + at)) return false;
        size_t want = (size_t)std::min<int64_t>(l_.blockAlign, l_.dataBytes - at);
        size_t got = src_->Read(raw_.data(), want);
        int n = 0;
        switch (l_.tag) {
        case kWaveImaAdpcm: n = DecodeImaBlock(raw_.data(), got, l_.chans, block_.data(), l_.samplesPerBlock); break;
        case kWaveMsAdpcm:
            n = DecodeMsBlock(raw_.data(), got, l_.chans, l_.coefs, block_.data(), l_.samplesPerBlock);
            break;
        case kWaveUlaw:
        case kWaveAlaw:
            n = (int)(got / l_.chans);
            for (size_t i = 0; i < (size_t)n * l_.chans; i++)
                block_[i] = l_.tag == kWaveUlaw ? UlawToLinear(raw_[i]) : AlawToLinear(raw_[i]);
            break;
        }
        have_ = n;
        used_ = 0;
        return n > 0;
    }

    std::unique_ptr<ByteSource> src_;
    WaveCodecLayout l_;
    int64_t frames_ = 0;
    int64_t pos_ = 0;
    std::vector<uint8_t> raw_;
    std::vector<int16_t> block_;
    int have_ = 0, used_ = 0;  // frames in block_, and handed out of it
};

}  // namespace

bool CheckWaveCodecLayout(WaveCodecLayout* l, const uint8_t* extra, size_t extraBytes, int* error) {
    *error = BASS_ERROR_FORMAT;
    const int ch = l->chans;
    switch (l->tag) {
    case kWaveUlaw:
    case kWaveAlaw:
        if (l->blockAlign != ch) return false;
        // One byte per sample: read 4096 frames at a time.
        l->samplesPerBlock = 4096;
        l->blockAlign = 4096 * ch;
        break;
    case kWaveImaAdpcm: {
        if (ch > 8 || l->blockAlign < 4 * ch || (l->blockAlign - 4 * ch) % (4 * ch) != 0) return false;
        l->samplesPerBlock = 1 + (l->blockAlign - 4 * ch) / (4 * ch) * 8;
        break;
    }
    case kWaveMsAdpcm: {
        if (ch > 2 || l->blockAlign < 7 * ch) return false;
        l->samplesPerBlock = 2 + (l->blockAlign - 7 * ch) * 2 / ch;
        // The extra bytes: samples per block, the number of predictor pairs, the pairs.
        int count = extraBytes >= 4 ? extra[2] | extra[3] << 8 : 0;
        if (count >= 1 && count <= 256 && extraBytes >= 4 + 4 * (size_t)count) {
            for (int i = 0; i < 2 * count; i++) l->coefs.push_back(Le16s(extra + 4 + 2 * i));
        } else {
            l->coefs.assign(kMsStandardCoefs, kMsStandardCoefs + 14);
        }
        break;
    }
    default: *error = BASS_ERROR_CODEC; return false;
    }
    // A header's own samples-per-block may only say less than the block holds.
    if (l->tag == kWaveImaAdpcm || l->tag == kWaveMsAdpcm) {
        int said = extraBytes >= 2 ? extra[0] | extra[1] << 8 : 0;
        if (said >= (l->tag == kWaveMsAdpcm ? 2 : 1) && said < l->samplesPerBlock) l->samplesPerBlock = said;
    }
    if (l->dataBytes < 1) {
        *error = BASS_ERROR_EMPTY;
        return false;
    }
    *error = 0;
    return true;
}

std::unique_ptr<Decoder> MakeWaveCodecDecoder(std::unique_ptr<ByteSource> src, const WaveCodecLayout& layout,
                                              StreamFormat format) {
    auto d = std::make_unique<WaveCodecDecoder>(std::move(src), layout);
    d->format = format;
    if (d->Length() <= 0) return nullptr;
    return d;
}
