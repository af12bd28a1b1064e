#include "pcm_decoder.h"
#include <string.h>
#include <algorithm>
#include <vector>

namespace {

class PcmDecoder : public Decoder {
public:
    PcmDecoder(std::unique_ptr<ByteSource> src, const PcmLayout& layout) : src_(std::move(src)), l_(layout) {
        frameBytes_ = l_.containerBytes * (int)format.chans;
    }
    void Init() {
        frameBytes_ = l_.containerBytes * (int)format.chans;
        frames_ = l_.dataBytes / frameBytes_;
        src_->Seek(l_.dataStart);
    }
    int64_t Read(float* out, int64_t frames) override {
        if (frames > frames_ - pos_) frames = frames_ - pos_;
        if (frames <= 0) return 0;
        // Little-endian samples of up to 4 bytes are read straight into the
        // tail of the output and widened forwards in place: each float is
        // written only over bytes already read. Others go through buf_.
        const bool inPlace = !l_.bigEndian && l_.containerBytes <= 4;
        const int64_t block = inPlace ? frames : std::min<int64_t>(frames, kBlockFrames);
        int64_t done = 0;
        while (done < frames) {
            int64_t chunk = std::min(frames - done, block);
            float* o = out + done * format.chans;
            size_t inBytes = (size_t)(chunk * frameBytes_);
            uint8_t* in;
            if (inPlace) {
                in = (uint8_t*)o + (size_t)(chunk * format.chans) * sizeof(float) - inBytes;
            } else {
                buf_.resize(inBytes);
                in = buf_.data();
            }
            size_t got = src_->Read(in, inBytes);
            int64_t gotFrames = (int64_t)got / frameBytes_;
            Convert(in, o, (size_t)(gotFrames * format.chans));
            done += gotFrames;
            if (gotFrames < chunk) {  // the file is shorter than its header said
                frames_ = pos_ + done;
                break;
            }
        }
        pos_ += done;
        return done;
    }
    bool ReadsInt16() const override { return !l_.bigEndian && !l_.isFloat && l_.containerBytes == 2; }
    // One read of the whole request straight into the caller's buffer.
    int64_t ReadInt16(int16_t* out, int64_t frames) override {
        if (frames > frames_ - pos_) frames = frames_ - pos_;
        if (frames <= 0) return 0;
        size_t want = (size_t)(frames * frameBytes_);
        size_t got = src_->Read(out, want);
        int64_t done = (int64_t)got / frameBytes_;
        if (got < want) frames_ = pos_ + done;  // the file is shorter than its header said
        pos_ += done;
        return done;
    }
    bool Seek(int64_t frame) override {
        if (frame < 0 || frame > frames_) return false;
        if (!src_->Seek(l_.dataStart + frame * frameBytes_)) return false;
        pos_ = frame;
        return true;
    }
    int64_t Length() override { return frames_; }
    ByteSource* Source() override { return src_.get(); }

private:
    static constexpr int64_t kBlockFrames = 16384;

    void Convert(const uint8_t* in, float* out, size_t samples) {
        const int b = l_.containerBytes;
        // The common layouts in tight loops; `in` may lie inside `out`, ahead
        // of it, so each sample is read before its float is stored.
        if (!l_.bigEndian && !l_.isFloat && b == 2) {
            for (size_t i = 0; i < samples; i++) {
                int16_t v;
                memcpy(&v, in + 2 * i, 2);
                out[i] = v * (1.0f / 32768.0f);
            }
            return;
        }
        if (!l_.bigEndian && !l_.isFloat && b == 3) {
            for (size_t i = 0; i < samples; i++, in += 3) {
                int32_t v = (int32_t)((uint32_t)in[0] << 8 | (uint32_t)in[1] << 16 | (uint32_t)in[2] << 24);
                out[i] = (float)(v / 2147483648.0);
            }
            return;
        }
        if (!l_.bigEndian && l_.isFloat && b == 4) {
            for (size_t i = 0; i < samples; i++) {
                float v;
                memcpy(&v, in + 4 * i, 4);
                out[i] = v == v ? v : 0.0f;  // NaN in hostile data
            }
            return;
        }
        for (size_t i = 0; i < samples; i++, in += b) {
            uint8_t s[8];
            if (l_.bigEndian)
                for (int k = 0; k < b; k++) s[k] = in[b - 1 - k];
            else
                memcpy(s, in, b);
            float v;
            if (l_.isFloat) {
                if (b == 4) {
                    float f;
                    memcpy(&f, s, 4);
                    v = f;
                } else {
                    double d;
                    memcpy(&d, s, 8);
                    v = (float)d;
                }
                if (!(v == v)) v = 0;  // NaN in hostile data
            } else if (b == 1) {
                v = l_.unsigned8 ? (s[0] - 128) / 128.0f : (int8_t)s[0] / 128.0f;
            } else {
                // Little-endian integer of b bytes, left-aligned in 32 bits.
                uint32_t u = 0;
                for (int k = 0; k < b; k++) u |= (uint32_t)s[k] << (8 * (4 - b + k));
                v = (float)((int32_t)u / 2147483648.0);
            }
            out[i] = v;
        }
    }

    std::unique_ptr<ByteSource> src_;
    PcmLayout l_;
    int frameBytes_ = 1;
    int64_t frames_ = 0;
    int64_t pos_ = 0;
    std::vector<uint8_t> buf_;
};

}  // namespace

std::unique_ptr<Decoder> MakePcmDecoder(std::unique_ptr<ByteSource> src, const PcmLayout& layout, StreamFormat format) {
    auto d = std::make_unique<PcmDecoder>(std::move(src), layout);
    d->format = format;
    d->Init();
    return d;
}
