// bassopus.dll: Ogg Opus through libopus and opusfile, as an add-on of our
// bass.dll (interface in sonvale_addon.h). opusfile removes the pre-skip and
// the end trimming, applies the header's output gain, seeks to the sample and
// follows chained streams; the first link's comments are the OGG tag block.
// The output is always 48 kHz, the rate Opus decodes at.
#include <opus/opusfile.h>
#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <new>
#include <string>
#include <vector>
#include "addon_entry.h"

namespace {

const DWORD kCtypeOpus = 0x11200;

const BASS_PLUGINFORM kFormats[] = {
    {kCtypeOpus, "Opus", "*.opus"},
};

struct Stream {
    SvReader r;
    OggOpusFile* of = nullptr;
    int chans = 0;
    bool stereo = false;         // links differ in channels: everything is read as stereo
    std::vector<float> pending;  // decoded frames not yet handed out
    size_t used = 0;             // floats of pending already handed out
    std::string ogg;             // name=value\0 ... \0
    ~Stream() {
        if (of) op_free(of);
    }
};

int ReadCb(void* c, unsigned char* p, int n) {
    auto* r = (SvReader*)c;
    return n <= 0 ? 0 : (int)r->read(r->context, p, (size_t)n);
}
int SeekCb(void* c, opus_int64 offset, int whence) {
    auto* r = (SvReader*)c;
    int64_t base = whence == SEEK_CUR ? r->tell(r->context) : whence == SEEK_END ? r->size(r->context) : 0;
    int64_t to = base + offset;
    if (to < 0 || to > r->size(r->context)) return -1;
    return r->seek(r->context, to) ? 0 : -1;
}
opus_int64 TellCb(void* c) {
    auto* r = (SvReader*)c;
    return r->tell(r->context);
}

const OpusFileCallbacks kCallbacks = {ReadCb, SeekCb, TellCb, nullptr};

// An Ogg stream whose first packet is an Opus header, before opusfile is asked.
bool Probe(const SvReader* r) {
    uint8_t page[300];
    r->seek(r->context, 0);
    size_t n = r->read(r->context, page, sizeof(page));
    if (n < 36 || memcmp(page, "OggS", 4) != 0) return false;
    for (size_t i = 27; i + 8 <= n; i++)
        if (memcmp(page + i, "OpusHead", 8) == 0) return true;
    return false;
}

void* __cdecl Open(const SvReader* reader, DWORD, SvStreamInfo* info, int* error) {
    *error = BASS_ERROR_FILEFORM;
    if (!Probe(reader)) return nullptr;
    reader->seek(reader->context, 0);
    auto* s = new (std::nothrow) Stream();
    if (!s) return (*error = BASS_ERROR_MEM, nullptr);
    s->r = *reader;
    int err = 0;
    s->of = op_open_callbacks(&s->r, &kCallbacks, nullptr, 0, &err);
    if (!s->of) {
        delete s;
        *error = err == OP_EFAULT ? BASS_ERROR_MEM : err == OP_EIMPL ? BASS_ERROR_CODEC : BASS_ERROR_FILEFORM;
        return nullptr;
    }
    s->chans = op_channel_count(s->of, -1);
    for (int li = 1; li < op_link_count(s->of); li++)
        if (op_channel_count(s->of, li) != s->chans) s->stereo = true;
    if (s->stereo) s->chans = 2;
    if (s->chans < 1 || s->chans > 8) {
        delete s;
        return (*error = BASS_ERROR_FORMAT, nullptr);
    }
    if (const OpusTags* t = op_tags(s->of, 0)) {
        for (int i = 0; i < t->comments; i++) {
            if (!t->user_comments[i] || t->comment_lengths[i] <= 0) continue;
            std::string text(t->user_comments[i], (size_t)t->comment_lengths[i]);
            text.resize(strnlen(text.c_str(), text.size()));
            if (text.empty()) continue;
            s->ogg += text;
            s->ogg.push_back('\0');
        }
        if (!s->ogg.empty()) s->ogg.push_back('\0');
    }
    ogg_int64_t total = op_seekable(s->of) ? op_pcm_total(s->of, -1) : -1;
    info->freq = 48000;
    info->chans = (DWORD)s->chans;
    info->ctype = kCtypeOpus;
    info->origres = 0;
    info->frames = total >= 0 ? (int64_t)total : -1;
    *error = 0;
    return s;
}

int64_t __cdecl Read(void* stream, float* out, int64_t frames) {
    auto* s = (Stream*)stream;
    int64_t done = 0;
    int holes = 0;
    while (done < frames) {
        size_t have = (s->pending.size() - s->used) / s->chans;
        if (have > 0) {
            size_t take = (size_t)std::min<int64_t>((int64_t)have, frames - done);
            memcpy(out + done * s->chans, s->pending.data() + s->used, take * s->chans * sizeof(float));
            s->used += take * s->chans;
            done += (int64_t)take;
            continue;
        }
        // 120 ms, the longest an Opus packet can hold.
        s->pending.resize((size_t)5760 * s->chans);
        s->used = 0;
        int n = s->stereo ? op_read_float_stereo(s->of, s->pending.data(), (int)s->pending.size())
                          : op_read_float(s->of, s->pending.data(), (int)s->pending.size(), nullptr);
        if (n == OP_HOLE && ++holes < 100) {  // a gap in the data: go on after it
            s->pending.clear();
            continue;
        }
        if (n <= 0) {
            s->pending.clear();
            if (n < 0 && done == 0) return -1;
            break;
        }
        s->pending.resize((size_t)n * s->chans);
    }
    return done;
}

// opusfile lands on the sample with 80 ms of decoder warm-up; the decoder's
// state takes longer than that to match a decode from the start (about 3 dB
// closer every 10 ms), so 200 ms more are decoded and dropped here.
int __cdecl Seek(void* stream, int64_t frame) {
    auto* s = (Stream*)stream;
    s->pending.clear();
    s->used = 0;
    const int64_t kWarmUp = 9600;
    int64_t from = frame > kWarmUp ? frame - kWarmUp : 0;
    if (op_pcm_seek(s->of, (ogg_int64_t)from) != 0) return 0;
    std::vector<float> drop((size_t)2048 * s->chans);
    for (int64_t left = frame - from; left > 0;) {
        int64_t got = Read(stream, drop.data(), std::min<int64_t>(left, 2048));
        if (got <= 0) return 0;
        left -= got;
    }
    return 1;
}

const char* __cdecl Tags(void* stream, DWORD type, DWORD* bytes) {
    return TagBlockOf(((Stream*)stream)->ogg, BASS_TAG_OGG, type, bytes);
}

const SvAddon kAddon = {
    SV_ADDON_VERSION, {0x02040000, 1, kFormats}, Open, Read, Seek, Tags, CloseStream<Stream>,
};

}  // namespace

SV_EXPORT_ADDON(kAddon)
