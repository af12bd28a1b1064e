// MPEG audio layers 1, 2 and 3 through libmpg123 (its own DLL, replaceable,
// reached through mpg123_library.cpp).
// libmpg123 reads through our byte source, gives float samples, and with its
// gapless mode trims the encoder delay and padding that a LAME/Xing header
// declares, so the stream holds exactly the samples that were encoded.
#define _FILE_OFFSET_BITS 64
#include <sys/types.h>
#include <string.h>
#include <mpg123.h>
#include <mutex>
#include <vector>
#include "bass.h"
#include "decoder.h"
#include "file_tags.h"

namespace {

// Frame length in bytes of a valid MPEG audio header, or 0.
int FrameBytes(const uint8_t* h, int* layerOut, int* rateOut) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return 0;
    int version = (h[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
    int layer = 4 - ((h[1] >> 1) & 3);
    int bitrateIndex = h[2] >> 4;
    int rateIndex = (h[2] >> 2) & 3;
    int padding = (h[2] >> 1) & 1;
    if (version == 1 || layer == 4 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return 0;
    static const int rates[3] = {44100, 48000, 32000};
    int rate = rates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    static const int kbps[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    int bitrate = kbps[version == 3 ? 0 : 1][layer - 1][bitrateIndex] * 1000;
    *layerOut = layer;
    *rateOut = rate;
    if (layer == 1) return (12 * bitrate / rate + padding) * 4;
    if (layer == 3 && version != 3) return 72 * bitrate / rate + padding;
    return 144 * bitrate / rate + padding;
}

// Looks for three consecutive frames of one layer and rate near the start of
// the audio, so that arbitrary data is not taken for MPEG.
bool LooksLikeMpeg(ByteSource& src, int64_t start, int64_t end) {
    std::vector<uint8_t> buf(16000 + 4 * 2000);
    int64_t avail = end - start;
    if (avail < 4) return false;
    size_t n = (size_t)std::min<int64_t>(avail, (int64_t)buf.size());
    if (!src.ReadAt(start, buf.data(), n)) return false;
    for (size_t i = 0; i + 4 <= n && i < 16000; i++) {
        int layer, rate;
        int len = FrameBytes(&buf[i], &layer, &rate);
        if (!len) continue;
        size_t p = i + len;
        int found = 1;
        while (found < 3) {
            int layer2, rate2;
            if (p + 4 > n) {
                // A file of one or two frames: accept when it ends exactly there.
                if (p >= n && n == (size_t)avail) found = 3;
                break;
            }
            int len2 = FrameBytes(&buf[p], &layer2, &rate2);
            if (!len2 || layer2 != layer || rate2 != rate) break;
            p += len2;
            found++;
        }
        if (found >= 3) return true;
    }
    return false;
}

struct Mpg123Init {
    Mpg123Init() { mpg123_init(); }
};

class MpegDecoder : public Decoder {
public:
    ~MpegDecoder() override {
        if (mh_) {
            mpg123_close(mh_);
            mpg123_delete(mh_);
        }
    }
    bool Open(std::unique_ptr<ByteSource> src, AudioRange range, DWORD flags, int* error) {
        src_ = std::move(src);
        end_ = range.end;
        static Mpg123Init once;
        int err = 0;
        mh_ = mpg123_new(nullptr, &err);
        if (!mh_) return (*error = BASS_ERROR_MEM, false);
        long mflags = MPG123_QUIET | MPG123_SEEKBUFFER;
        if (!(flags & BASS_MP3_IGNOREDELAY)) mflags |= MPG123_GAPLESS;
        mpg123_param(mh_, MPG123_FLAGS, mflags, 0);
        mpg123_param(mh_, MPG123_RESYNC_LIMIT, 64 * 1024, 0);
        mpg123_format_none(mh_);
        const long* rates;
        size_t count;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; i++) mpg123_format(mh_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
        mpg123_replace_reader_handle(mh_, ReadCb, SeekCb, nullptr);
        src_->Seek(0);
        if (mpg123_open_handle(mh_, this) != MPG123_OK) return (*error = BASS_ERROR_FILEFORM, false);
        long rate;
        int chans, enc;
        if (mpg123_getformat(mh_, &rate, &chans, &enc) != MPG123_OK) return (*error = BASS_ERROR_FILEFORM, false);
        mpg123_format_none(mh_);  // keep this format for the whole stream
        mpg123_format(mh_, rate, chans, MPG123_ENC_FLOAT_32);
        mpg123_frameinfo fi{};
        mpg123_info(mh_, &fi);
        if (flags & BASS_STREAM_PRESCAN) mpg123_scan(mh_);
        format.freq = (DWORD)rate;
        format.chans = (DWORD)chans;
        format.bitrate = fi.bitrate > 0 ? (DWORD)fi.bitrate * 1000 : 0;
        format.ctype = fi.layer == 1 ? BASS_CTYPE_STREAM_MP1 : fi.layer == 2 ? BASS_CTYPE_STREAM_MP2 : BASS_CTYPE_STREAM_MP3;
        off_t len = mpg123_length(mh_);
        length_ = len > 0 ? (int64_t)len : -1;
        return true;
    }
    int64_t Read(float* out, int64_t frames) override {
        if (ended_ || failed_) return failed_ ? -1 : 0;
        size_t want = (size_t)frames * format.chans * sizeof(float);
        size_t got = 0;
        int rc = MPG123_OK;
        // A few empty rounds are normal (headers, a format note); many mean garbage.
        for (int rounds = 0; got == 0 && rounds < 64; rounds++) {
            rc = mpg123_read(mh_, (unsigned char*)out, want, &got);
            if (rc == MPG123_NEW_FORMAT && !SameFormat()) rc = MPG123_ERR;
            if (rc == MPG123_DONE || (rc != MPG123_OK && rc != MPG123_NEW_FORMAT)) break;
        }
        // A decoding error leaves the handle in no state to go on from, nor to
        // seek in: the stream ends there for good.
        if (rc != MPG123_OK && rc != MPG123_DONE && rc != MPG123_NEW_FORMAT) failed_ = true;
        if (got == 0 || failed_) {
            ended_ = true;
            return rc == MPG123_DONE || rc == MPG123_OK ? 0 : -1;
        }
        return (int64_t)(got / (format.chans * sizeof(float)));
    }
    bool Seek(int64_t frame) override {
        if (failed_) return false;
        off_t r = mpg123_seek(mh_, (off_t)frame, SEEK_SET);
        if (r < 0) return false;
        ended_ = false;
        return true;
    }
    int64_t Length() override { return length_; }
    ByteSource* Source() override { return src_.get(); }
    // After a failed Open: the source goes back to the caller for the next probe.
    std::unique_ptr<ByteSource> Release() {
        if (mh_) {
            mpg123_close(mh_);
            mpg123_delete(mh_);
            mh_ = nullptr;
        }
        return std::move(src_);
    }

private:
    // The output format is still the one the stream opened with.
    bool SameFormat() {
        long rate = 0;
        int chans = 0, enc = 0;
        return mpg123_getformat(mh_, &rate, &chans, &enc) == MPG123_OK && (DWORD)rate == format.freq &&
               (DWORD)chans == format.chans && enc == MPG123_ENC_FLOAT_32;
    }
    static ssize_t ReadCb(void* h, void* buf, size_t bytes) {
        auto* d = (MpegDecoder*)h;
        int64_t left = d->end_ - d->src_->Tell();
        if (left <= 0) return 0;
        if ((int64_t)bytes > left) bytes = (size_t)left;
        return (ssize_t)d->src_->Read(buf, bytes);
    }
    static off_t SeekCb(void* h, off_t offset, int whence) {
        auto* d = (MpegDecoder*)h;
        if (!d->src_->Seekable()) return -1;  // a download: libmpg123 streams it
        int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? d->src_->Tell() : d->end_;
        int64_t to = base + (int64_t)offset;
        if (to < 0 || to > d->end_ || !d->src_->Seek(to)) return -1;
        return (off_t)to;
    }

    std::unique_ptr<ByteSource> src_;
    mpg123_handle* mh_ = nullptr;
    int64_t end_ = 0;
    int64_t length_ = -1;
    bool ended_ = false;
    bool failed_ = false;  // a decoding error ended the stream
};

}  // namespace

std::unique_ptr<Decoder> OpenMpeg(std::unique_ptr<ByteSource>& src, DWORD flags, int* error) {
    *error = BASS_ERROR_FILEFORM;
    std::map<DWORD, std::string> tags;
    AudioRange range = ReadFileTags(*src, tags);
    if (!LooksLikeMpeg(*src, range.start, range.end)) return nullptr;
    auto d = std::make_unique<MpegDecoder>();
    if (!d->Open(std::move(src), range, flags, error)) {
        src = d->Release();
        return nullptr;
    }
    d->tags = std::move(tags);
    *error = 0;
    return d;
}
