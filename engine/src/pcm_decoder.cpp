#include "pcm_decoder.h"
#include <string.h>
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
        int64_t done = 0;
        while (done < frames) {
            int64_t chunk = frames - done;
            if (chunk > 4096) chunk = 4096;
            buf_.resize((size_t)(chunk * frameBytes_));
            size_t got = src_->Read(buf_.data(), buf_.size());
            int64_t gotFrames = (int64_t)got / frameBytes_;
            Convert(buf_.data(), out + done * format.chans, (size_t)(gotFrames * format.chans));
            done += gotFrames;
            if (gotFrames < chunk) {  // the file is shorter than its header said
                frames_ = pos_ + done;
                break;
            }
        }
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
    void Convert(const uint8_t* in, float* out, size_t samples) {
        const int b = l_.containerBytes;
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
