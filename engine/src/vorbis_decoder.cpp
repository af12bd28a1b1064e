// Ogg Vorbis through libvorbisfile, reading through our byte source.
#include <string.h>
#include <vorbis/vorbisfile.h>
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

class VorbisDecoder : public Decoder {
public:
    ~VorbisDecoder() override {
        if (open_) ov_clear(&vf_);
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
        vorbis_info* vi = ov_info(&vf_, -1);
        if (!vi || vi->channels < 1 || vi->channels > 32 || vi->rate < 1) return (*error = BASS_ERROR_FORMAT, false);
        format.freq = (DWORD)vi->rate;
        format.chans = (DWORD)vi->channels;
        format.ctype = BASS_CTYPE_STREAM_OGG;
        if (vi->bitrate_nominal > 0) format.bitrate = (DWORD)vi->bitrate_nominal;
        ogg_int64_t total = ov_pcm_total(&vf_, -1);
        length_ = total >= 0 ? total : -1;
        if (vorbis_comment* vc = ov_comment(&vf_, -1)) {
            std::string block;
            for (int i = 0; i < vc->comments; i++)
                if (vc->user_comments[i])
                    AppendTagString(block, std::string(vc->user_comments[i], (size_t)vc->comment_lengths[i]).c_str());
            if (block.empty()) block.assign(1, '\0');
            tags[BASS_TAG_OGG] = block;
            if (vc->vendor) tags[BASS_TAG_VENDOR] = std::string(vc->vendor) + '\0';
        }
        return true;
    }
    std::unique_ptr<ByteSource> Release() {
        if (open_) ov_clear(&vf_);
        open_ = false;
        return std::move(src_);
    }
    int64_t Read(float* out, int64_t frames) override {
        for (int holes = 0; holes < 100; holes++) {
            float** pcm = nullptr;
            int section = 0;
            long n = ov_read_float(&vf_, &pcm, (int)std::min<int64_t>(frames, 4096), &section);
            if (n == OV_HOLE) continue;  // a gap in the data: go on after it
            if (n <= 0) return n == 0 ? 0 : -1;
            vorbis_info* vi = ov_info(&vf_, -1);
            if (!vi || (DWORD)vi->channels != format.chans) return -1;  // a chained stream changed shape
            const int c = (int)format.chans;
            for (long i = 0; i < n; i++)
                for (int k = 0; k < c; k++) out[i * c + k] = pcm[k][i];
            return n;
        }
        return -1;
    }
    bool Seek(int64_t frame) override { return ov_pcm_seek(&vf_, frame) == 0; }
    int64_t Length() override { return length_; }
    ByteSource* Source() override { return src_.get(); }

private:
    OggVorbis_File vf_{};
    bool open_ = false;
    std::unique_ptr<ByteSource> src_;
    int64_t length_ = -1;
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
