// Ogg Vorbis through libvorbisfile, reading through our byte source.
//
// A chained file or radio stream is a series of logical streams, each with its
// own comments and possibly its own rate and channel count. The channel keeps
// the first stream's format: later ones are remixed to its channel count and
// resampled to its rate. Each new logical stream is noted at the frame where
// it begins; its comments become the OGG tag block when that frame is played
// (TakeEvents), which fires BASS_SYNC_OGG_CHANGE.
#include <string.h>
#include <soxr.h>
#define OV_EXCLUDE_STATIC_CALLBACKS  // we give our own callbacks
#include <vorbis/vorbisfile.h>
#include <deque>
#include <vector>
#include "bass.h"
#include "decoder.h"
#include "file_tags.h"

namespace {

size_t ReadCb(void* ptr, size_t size, size_t n, void* h) {
    if (size == 0) return 0;
    return ((ByteSource*)h)->Read(ptr, size * n) / size;
}
int SeekCb(void* h, ogg_int64_t offset, int whence) {
    auto* s = (ByteSource*)h;
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->Tell() : s->Size();
    return s->Seek(base + offset) ? 0 : -1;
}
long TellCb(void* h) { return (long)((ByteSource*)h)->Tell(); }

// The comments of the logical stream being read, as the OGG tag block.
std::string CommentBlock(OggVorbis_File* vf) {
    std::string block;
    if (vorbis_comment* vc = ov_comment(vf, -1))
        for (int i = 0; i < vc->comments; i++)
            if (vc->user_comments[i])
                AppendTagString(block, std::string(vc->user_comments[i], (size_t)vc->comment_lengths[i]).c_str());
    if (block.empty()) block.assign(1, '\0');
    return block;
}

class VorbisDecoder : public Decoder {
public:
    ~VorbisDecoder() override {
        if (open_) ov_clear(&vf_);
        if (resampler_) soxr_delete(resampler_);
    }
    bool Open(std::unique_ptr<ByteSource>& src, int* error) {
        uint8_t magic[4];
        if (!src->ReadAt(0, magic, 4) || memcmp(magic, "OggS", 4) != 0) return (*error = BASS_ERROR_FILEFORM, false);
        src->Seek(0);
        // Without a seek callback vorbisfile streams: it never looks for the end.
        ov_callbacks cb{ReadCb, src->Seekable() ? SeekCb : nullptr, nullptr, TellCb};
        if (ov_open_callbacks(src.get(), &vf_, nullptr, 0, cb) < 0) return (*error = BASS_ERROR_FILEFORM, false);
        open_ = true;
        src_ = std::move(src);
        // After looking for the links of a chained file vorbisfile may stand in the last one.
        if (ov_seekable(&vf_) && ov_streams(&vf_) > 1 && ov_pcm_tell(&vf_) != 0 && ov_pcm_seek(&vf_, 0) != 0)
            return (*error = BASS_ERROR_FILEFORM, false);
        vorbis_info* vi = ov_info(&vf_, -1);
        if (!vi || vi->channels < 1 || vi->channels > 32 || vi->rate < 1) return (*error = BASS_ERROR_FORMAT, false);
        format.freq = (DWORD)vi->rate;
        format.chans = (DWORD)vi->channels;
        format.ctype = BASS_CTYPE_STREAM_OGG;
        if (vi->bitrate_nominal > 0) format.bitrate = (DWORD)vi->bitrate_nominal;
        length_ = TotalFrames();
        tags[BASS_TAG_OGG] = CommentBlock(&vf_);
        if (vorbis_comment* vc = ov_comment(&vf_, -1))
            if (vc->vendor) tags[BASS_TAG_VENDOR] = std::string(vc->vendor) + '\0';
        serial_ = ov_serialnumber(&vf_, -1);
        if (!UseLink(vi)) return (*error = BASS_ERROR_MEM, false);
        return true;
    }
    std::unique_ptr<ByteSource> Release() {
        if (open_) ov_clear(&vf_);
        open_ = false;
        return std::move(src_);
    }
    int64_t Read(float* out, int64_t frames) override {
        const size_t c = format.chans;
        int64_t done = 0;
        for (;;) {
            int64_t ready = (int64_t)(ready_.size() / c - readyAt_);
            // Decoding runs one packet ahead, so that a new logical stream is
            // known before the last frames of the one before are handed out.
            if (ready == 0 && !ended_) {
                if (!DecodePacket()) ended_ = failed_ = true;
                continue;
            }
            if (ready == 0 || done == frames) break;
            int64_t n = frames - done < ready ? frames - done : ready;
            // A read ends where a new logical stream begins, so that its news
            // comes exactly there.
            if (!changes_.empty() && changes_.front().frame >= given_) {
                int64_t toChange = changes_.front().frame - given_;
                if (toChange == 0 && done > 0) break;
                if (toChange > 0 && n > toChange) n = toChange;
            }
            memcpy(out + done * c, &ready_[readyAt_ * c], (size_t)n * c * sizeof(float));
            readyAt_ += (size_t)n;
            given_ += n;
            done += n;
            if (readyAt_ * c == ready_.size()) {
                ready_.clear();
                readyAt_ = 0;
            }
        }
        return done == 0 && failed_ ? -1 : done;
    }
    bool Seek(int64_t frame) override {
        ogg_int64_t raw = RawFrame(frame);
        if (raw < 0 || ov_pcm_seek(&vf_, raw) != 0) return false;
        vorbis_info* vi = ov_info(&vf_, -1);
        if (!vi || !UseLink(vi)) return false;
        serial_ = ov_serialnumber(&vf_, -1);
        section_ = vf_.current_link;
        ready_.clear();
        readyAt_ = 0;
        changes_.clear();
        ended_ = failed_ = false;
        given_ = produced_ = frame;
        SetBlock(CommentBlock(&vf_));  // the comments of the stream the seek landed in
        return true;
    }
    int64_t Length() override { return length_; }
    ByteSource* Source() override { return src_.get(); }
    DWORD TakeEvents(int64_t mixedFrame) override {
        DWORD events = 0;
        while (!changes_.empty() && changes_.front().frame <= mixedFrame) {
            SetBlock(changes_.front().block);
            changes_.pop_front();
            events |= kEventOggChange;
        }
        return events;
    }

private:
    // One packet of the stream onto ready_; at the end the resampler's rest.
    // False on an error that ends the stream.
    bool DecodePacket() {
        for (int holes = 0; holes < 100; holes++) {
            float** pcm = nullptr;
            int section = 0;
            long n = ov_read_float(&vf_, &pcm, 4096, &section);
            if (n == OV_HOLE) continue;  // a gap in the data: go on after it
            if (n < 0) return false;
            if (n == 0) {
                Flush();
                ended_ = true;
                return true;
            }
            long serial = ov_serialnumber(&vf_, -1);
            if (serial != serial_ || section != section_) {
                serial_ = serial;
                section_ = section;
                vorbis_info* vi = ov_info(&vf_, -1);
                if (!vi || vi->channels < 1 || vi->channels > 32 || vi->rate < 1) return false;
                Flush();  // the last frames of the stream before come first
                if (produced_ > 0) changes_.push_back({produced_, CommentBlock(&vf_)});
                if (!UseLink(vi)) return false;
            }
            Convert(pcm, n);
            return true;
        }
        return false;
    }

    struct Change {
        int64_t frame;      // where the new logical stream begins, in the channel's frames
        std::string block;  // its comments
    };

    // The OGG block; one handed out before stays readable a while.
    void SetBlock(const std::string& block) {
        auto it = tags.find(BASS_TAG_OGG);
        if (it != tags.end()) {
            if (it->second == block) return;
            retired_.push_back(std::move(it->second));
            if (retired_.size() > 16) retired_.pop_front();
        }
        std::string fresh;
        fresh.reserve(block.size() + 32);  // never in the string's own small buffer
        fresh = block;
        tags[BASS_TAG_OGG] = std::move(fresh);
    }

    // Frames of the whole chain at the first stream's rate; -1 when unknown.
    int64_t TotalFrames() {
        if (!ov_seekable(&vf_)) return -1;
        double total = 0;
        for (int i = 0; i < ov_streams(&vf_); i++) {
            vorbis_info* vi = ov_info(&vf_, i);
            ogg_int64_t n = ov_pcm_total(&vf_, i);
            if (!vi || vi->rate < 1 || n < 0) return -1;
            total += (double)n * format.freq / vi->rate;
        }
        return (int64_t)(total + 0.5);
    }
    // The position in vorbisfile's own count (each stream at its own rate).
    ogg_int64_t RawFrame(int64_t frame) {
        if (!ov_seekable(&vf_)) return frame;
        ogg_int64_t raw = 0;
        double at = 0;
        for (int i = 0; i < ov_streams(&vf_); i++) {
            vorbis_info* vi = ov_info(&vf_, i);
            ogg_int64_t n = ov_pcm_total(&vf_, i);
            if (!vi || vi->rate < 1 || n < 0) return -1;
            double span = (double)n * format.freq / vi->rate;
            if ((double)frame < at + span || i + 1 == ov_streams(&vf_))
                return raw + (ogg_int64_t)(((double)frame - at) * vi->rate / format.freq + 0.5);
            at += span;
            raw += n;
        }
        return frame;
    }

    // Sets up the conversion of a logical stream to the channel's format.
    bool UseLink(vorbis_info* vi) {
        linkChans_ = vi->channels;
        if (resampler_) soxr_delete(resampler_);
        resampler_ = nullptr;
        if ((DWORD)vi->rate == format.freq) return true;
        soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        soxr_quality_spec_t q = soxr_quality_spec(SOXR_HQ, 0);
        soxr_error_t err = nullptr;
        resampler_ = soxr_create((double)vi->rate, (double)format.freq, format.chans, &err, &io, &q, nullptr);
        ratio_ = (double)format.freq / vi->rate;
        return resampler_ && !err;
    }
    // n frames of the current stream, remixed and resampled, onto ready_.
    void Convert(float** pcm, long n) {
        const int c = (int)format.chans, l = linkChans_;
        mixed_.resize((size_t)n * c);
        for (long i = 0; i < n; i++)
            for (int k = 0; k < c; k++) {
                float v;
                if (l == c) {
                    v = pcm[k][i];
                } else if (l < c) {
                    v = pcm[k % l][i];  // fewer channels: repeated
                } else {
                    float sum = 0;  // more: the ones that fold onto this one, averaged
                    int count = 0;
                    for (int j = k; j < l; j += c, count++) sum += pcm[j][i];
                    v = sum / (float)count;
                }
                mixed_[(size_t)i * c + k] = v;
            }
        if (!resampler_) {
            ready_.insert(ready_.end(), mixed_.begin(), mixed_.end());
            produced_ += n;
            return;
        }
        size_t at = 0;
        while (at < (size_t)n) {
            size_t room = (size_t)((n - at) * ratio_) + 64;
            size_t base = ready_.size();
            ready_.resize(base + room * c);
            size_t idone = 0, odone = 0;
            soxr_process(resampler_, &mixed_[at * c], (size_t)n - at, &idone, &ready_[base], room, &odone);
            ready_.resize(base + odone * c);
            produced_ += (int64_t)odone;
            at += idone;
            if (idone == 0 && odone == 0) break;
        }
    }
    // What the resampler still holds of the current stream, onto ready_.
    void Flush() {
        if (!resampler_) return;
        const size_t c = format.chans;
        for (int rounds = 0; rounds < 64; rounds++) {
            size_t base = ready_.size(), odone = 0;
            ready_.resize(base + 4096 * c);
            soxr_process(resampler_, nullptr, 0, nullptr, &ready_[base], 4096, &odone);
            ready_.resize(base + odone * c);
            produced_ += (int64_t)odone;
            if (odone == 0) break;
        }
    }

    OggVorbis_File vf_{};
    bool open_ = false;
    std::unique_ptr<ByteSource> src_;
    int64_t length_ = -1;
    long serial_ = 0;
    int section_ = 0;
    int linkChans_ = 0;
    soxr_t resampler_ = nullptr;
    double ratio_ = 1.0;
    std::vector<float> mixed_;  // one read of the current stream in the channel's channels
    std::vector<float> ready_;  // converted frames not yet given out, from readyAt_
    size_t readyAt_ = 0;
    int64_t produced_ = 0;      // frames put into ready_ since the start
    int64_t given_ = 0;         // frames handed out since the start
    bool ended_ = false, failed_ = false;
    std::deque<Change> changes_;
    std::deque<std::string> retired_;
};

}  // namespace

std::unique_ptr<Decoder> OpenVorbis(std::unique_ptr<ByteSource>& src, int* error) {
    auto d = std::make_unique<VorbisDecoder>();
    if (!d->Open(src, error)) {
        if (!src) src = d->Release();
        return nullptr;
    }
    *error = 0;
    return d;
}
