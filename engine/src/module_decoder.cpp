// Tracker modules (MOD, S3M, XM, IT, MTM, UMX, MO3, ...) through libopenmpt.
// The whole file is read into memory first; modules are small, and a limit
// keeps a hostile size from taking the machine's memory.
//
// Flags: RAMP and RAMPS turn on volume ramping (off by default, as the library
// always did); NONINTER and SINCINTER choose the interpolation (linear by
// default); POSRESET is what libopenmpt does anyway: a seek stops the notes
// that were playing. Looping is done by the channel layer like any stream.
#include <libopenmpt/libopenmpt.h>
#include <math.h>
#include <string.h>
#include <vector>
#include "bass.h"
#include "decoder.h"

namespace {

const int64_t kMaxModuleBytes = 256 * 1024 * 1024;

class ModuleDecoder : public Decoder {
public:
    ~ModuleDecoder() override {
        if (mod_) openmpt_module_destroy(mod_);
    }
    bool Open(ByteSource& src, DWORD flags, DWORD freq, int* error) {
        if (src.Size() > kMaxModuleBytes) return (*error = BASS_ERROR_FILEFORM, false);
        std::vector<uint8_t> data((size_t)src.Size());
        if (!src.ReadAt(0, data.data(), data.size())) return (*error = BASS_ERROR_FILEOPEN, false);
        int err = 0;
        mod_ = openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent, nullptr,
                                                  openmpt_error_func_ignore, nullptr, &err, nullptr, nullptr);
        if (!mod_) return (*error = BASS_ERROR_FILEFORM, false);
        openmpt_module_set_repeat_count(mod_, 0);
        int ramp = (flags & BASS_MUSIC_RAMPS) ? 10 : (flags & BASS_MUSIC_RAMP) ? -1 : 0;
        openmpt_module_set_render_param(mod_, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, ramp);
        int taps = (flags & BASS_MUSIC_NONINTER) ? 1 : (flags & BASS_MUSIC_SINCINTER) ? 8 : 2;
        openmpt_module_set_render_param(mod_, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, taps);

        format.freq = freq ? freq : 44100;
        if (format.freq < 1000 || format.freq > 384000) return (*error = BASS_ERROR_FREQ, false);
        format.chans = (flags & BASS_MUSIC_MONO) ? 1 : 2;
        std::string type = Meta("type"), container = Meta("container");
        DWORD ctype = BASS_CTYPE_MUSIC_MOD;
        if (type == "s3m") ctype = BASS_CTYPE_MUSIC_S3M;
        else if (type == "xm") ctype = BASS_CTYPE_MUSIC_XM;
        else if (type == "it" || type == "mptm") ctype = BASS_CTYPE_MUSIC_IT;
        else if (type == "mtm") ctype = BASS_CTYPE_MUSIC_MTM;
        if (container == "mo3") ctype |= BASS_CTYPE_MUSIC_MO3;
        format.ctype = ctype;
        double seconds = openmpt_module_get_duration_seconds(mod_);
        length_ = seconds > 0 && seconds < 1e7 ? (int64_t)llround(seconds * format.freq) : -1;
        tags[BASS_TAG_MUSIC_NAME] = Meta("title") + '\0';
        tags[BASS_TAG_MUSIC_MESSAGE] = Meta("message") + '\0';
        tags[BASS_TAG_MUSIC_AUTH] = Meta("artist") + '\0';
        return true;
    }
    int64_t Read(float* out, int64_t frames) override {
        // The song ends at its measured length, also after a seek (where
        // libopenmpt's own loop detection starts afresh).
        if (length_ >= 0 && frames > length_ - pos_) frames = length_ - pos_;
        if (frames <= 0) return 0;
        size_t n = format.chans == 1 ? openmpt_module_read_float_mono(mod_, (int32_t)format.freq, (size_t)frames, out)
                                     : openmpt_module_read_interleaved_float_stereo(mod_, (int32_t)format.freq,
                                                                                    (size_t)frames, out);
        pos_ += (int64_t)n;
        return (int64_t)n;
    }
    bool Seek(int64_t frame) override {
        if (frame < 0 || (length_ >= 0 && frame > length_)) return false;
        openmpt_module_set_position_seconds(mod_, (double)frame / format.freq);
        pos_ = frame;
        return true;
    }
    int64_t Length() override { return length_; }

private:
    std::string Meta(const char* key) {
        const char* v = openmpt_module_get_metadata(mod_, key);
        std::string s = v ? v : "";
        if (v) openmpt_free_string(v);
        return s;
    }
    openmpt_module* mod_ = nullptr;
    int64_t length_ = -1;
    int64_t pos_ = 0;
};

}  // namespace

std::unique_ptr<Decoder> OpenModule(std::unique_ptr<ByteSource>& src, DWORD flags, DWORD freq, int* error) {
    auto d = std::make_unique<ModuleDecoder>();
    if (!d->Open(*src, flags, freq, error)) return nullptr;
    *error = 0;
    return d;
}
