// bassflac.dll: FLAC and Ogg FLAC through libFLAC, as an add-on of our bass.dll
// (interface in sonvale_addon.h). The Vorbis comments, a CUESHEET comment among
// them, come out as the OGG tag block.
#include <FLAC/stream_decoder.h>
#include <string.h>
#include <string>
#include <vector>
#include "addon_entry.h"

namespace {

const DWORD kCtypeFlac = 0x10900;
const DWORD kCtypeOggFlac = 0x10901;

const BASS_PLUGINFORM kFormats[] = {
    {kCtypeFlac, "FLAC", "*.flac;*.fla"},
    {kCtypeOggFlac, "Ogg FLAC", "*.oga;*.ogg"},
};

struct Stream {
    SvReader r;
    FLAC__StreamDecoder* dec = nullptr;
    DWORD freq = 0, chans = 0, bits = 0;
    int64_t total = -1;
    std::vector<float> pending;  // decoded frames not yet handed out
    size_t used = 0;             // floats of pending already handed out
    std::string ogg;             // name=value\0 ... \0
    bool badFrame = false;
    ~Stream() {
        if (dec) FLAC__stream_decoder_delete(dec);
    }
};

FLAC__StreamDecoderReadStatus ReadCb(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes, void* c) {
    auto* s = (Stream*)c;
    if (*bytes == 0) return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    *bytes = s->r.read(s->r.context, buffer, *bytes);
    return *bytes ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
}
FLAC__StreamDecoderSeekStatus SeekCb(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* c) {
    auto* s = (Stream*)c;
    return s->r.seek(s->r.context, (int64_t)offset) ? FLAC__STREAM_DECODER_SEEK_STATUS_OK
                                                    : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
}
FLAC__StreamDecoderTellStatus TellCb(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* c) {
    auto* s = (Stream*)c;
    *offset = (FLAC__uint64)s->r.tell(s->r.context);
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
}
FLAC__StreamDecoderLengthStatus LengthCb(const FLAC__StreamDecoder*, FLAC__uint64* length, void* c) {
    auto* s = (Stream*)c;
    *length = (FLAC__uint64)s->r.size(s->r.context);
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
}
FLAC__bool EofCb(const FLAC__StreamDecoder*, void* c) {
    auto* s = (Stream*)c;
    return s->r.tell(s->r.context) >= s->r.size(s->r.context);
}

FLAC__StreamDecoderWriteStatus WriteCb(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                       const FLAC__int32* const buffer[], void* c) {
    auto* s = (Stream*)c;
    unsigned n = frame->header.blocksize;
    unsigned ch = frame->header.channels;
    unsigned bits = frame->header.bits_per_sample;
    // A frame that does not match the stream (hostile data) is dropped.
    if (ch != s->chans || bits < 4 || bits > 32) {
        s->badFrame = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }
    if (s->used > 0 && s->used == s->pending.size()) {
        s->pending.clear();
        s->used = 0;
    }
    const double scale = 1.0 / (double)(1ull << (bits - 1));
    size_t at = s->pending.size();
    s->pending.resize(at + (size_t)n * ch);
    for (unsigned i = 0; i < n; i++)
        for (unsigned k = 0; k < ch; k++) s->pending[at + (size_t)i * ch + k] = (float)(buffer[k][i] * scale);
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void MetadataCb(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* m, void* c) {
    auto* s = (Stream*)c;
    if (m->type == FLAC__METADATA_TYPE_STREAMINFO) {
        s->freq = m->data.stream_info.sample_rate;
        s->chans = m->data.stream_info.channels;
        s->bits = m->data.stream_info.bits_per_sample;
        s->total = m->data.stream_info.total_samples ? (int64_t)m->data.stream_info.total_samples : -1;
    } else if (m->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
        const auto& vc = m->data.vorbis_comment;
        for (FLAC__uint32 i = 0; i < vc.num_comments; i++) {
            const auto& e = vc.comments[i];
            if (!e.entry) continue;
            std::string text((const char*)e.entry, e.length);
            text.resize(strnlen(text.c_str(), text.size()));
            s->ogg += text;
            s->ogg.push_back('\0');
        }
    }
}

void ErrorCb(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* c) { ((Stream*)c)->badFrame = true; }

// Where the FLAC data starts: after an ID3v2 tag, if any.
bool Probe(const SvReader* r, bool* isOgg) {
    uint8_t h[10];
    int64_t start = 0;
    r->seek(r->context, 0);
    if (r->read(r->context, h, 10) != 10) return false;
    if (memcmp(h, "ID3", 3) == 0) {
        start = 10 + ((int64_t)(h[6] & 0x7F) << 21 | (h[7] & 0x7F) << 14 | (h[8] & 0x7F) << 7 | (h[9] & 0x7F));
        if (!r->seek(r->context, start) || r->read(r->context, h, 4) != 4) return false;
    }
    if (memcmp(h, "fLaC", 4) == 0) {
        *isOgg = false;
        return true;
    }
    if (memcmp(h, "OggS", 4) != 0 || start != 0) return false;
    uint8_t page[128];
    r->seek(r->context, 0);
    size_t n = r->read(r->context, page, sizeof(page));
    for (size_t i = 27; i + 5 <= n; i++)
        if (memcmp(page + i, "\x7F" "FLAC", 5) == 0) {
            *isOgg = true;
            return true;
        }
    return false;
}

void* __cdecl Open(const SvReader* reader, DWORD flags, SvStreamInfo* info, int* error) {
    *error = BASS_ERROR_FILEFORM;
    bool isOgg = false;
    if (!Probe(reader, &isOgg)) return nullptr;
    reader->seek(reader->context, 0);
    auto* s = new (std::nothrow) Stream();
    if (!s) return (*error = BASS_ERROR_MEM, nullptr);
    s->r = *reader;
    s->dec = FLAC__stream_decoder_new();
    if (!s->dec) {
        delete s;
        return (*error = BASS_ERROR_MEM, nullptr);
    }
    FLAC__stream_decoder_set_md5_checking(s->dec, false);
    FLAC__stream_decoder_set_metadata_respond(s->dec, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    FLAC__StreamDecoderInitStatus st =
        isOgg ? FLAC__stream_decoder_init_ogg_stream(s->dec, ReadCb, SeekCb, TellCb, LengthCb, EofCb, WriteCb,
                                                     MetadataCb, ErrorCb, s)
              : FLAC__stream_decoder_init_stream(s->dec, ReadCb, SeekCb, TellCb, LengthCb, EofCb, WriteCb, MetadataCb,
                                                 ErrorCb, s);
    if (st != FLAC__STREAM_DECODER_INIT_STATUS_OK || !FLAC__stream_decoder_process_until_end_of_metadata(s->dec) ||
        s->freq == 0 || s->chans == 0 || s->chans > 8 || s->bits < 4 || s->bits > 32) {
        delete s;
        *error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    if (s->freq > 1000000) {
        delete s;
        return (*error = BASS_ERROR_FORMAT, nullptr);
    }
    if (!s->ogg.empty()) s->ogg.push_back('\0');
    info->freq = s->freq;
    info->chans = s->chans;
    info->ctype = isOgg ? kCtypeOggFlac : kCtypeFlac;
    info->origres = s->bits;
    info->frames = s->total;
    *error = 0;
    return s;
}

int64_t __cdecl Read(void* stream, float* out, int64_t frames) {
    auto* s = (Stream*)stream;
    int64_t done = 0;
    int idle = 0;
    while (done < frames) {
        size_t have = (s->pending.size() - s->used) / s->chans;
        if (have > 0) {
            size_t take = (size_t)std::min<int64_t>((int64_t)have, frames - done);
            memcpy(out + done * s->chans, s->pending.data() + s->used, take * s->chans * sizeof(float));
            s->used += take * s->chans;
            done += (int64_t)take;
            idle = 0;
            continue;
        }
        s->pending.clear();
        s->used = 0;
        FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(s->dec);
        if (state == FLAC__STREAM_DECODER_END_OF_STREAM || state >= FLAC__STREAM_DECODER_OGG_ERROR) break;
        if (!FLAC__stream_decoder_process_single(s->dec)) return done ? done : -1;
        if (++idle > 10000) break;  // nothing but damaged data
    }
    return done;
}

int __cdecl Seek(void* stream, int64_t frame) {
    auto* s = (Stream*)stream;
    s->pending.clear();
    s->used = 0;
    if (FLAC__stream_decoder_seek_absolute(s->dec, (FLAC__uint64)frame)) return 1;
    if (FLAC__stream_decoder_get_state(s->dec) == FLAC__STREAM_DECODER_SEEK_ERROR) FLAC__stream_decoder_flush(s->dec);
    s->pending.clear();
    s->used = 0;
    return 0;
}

const char* __cdecl Tags(void* stream, DWORD type, DWORD* bytes) {
    return TagBlockOf(((Stream*)stream)->ogg, BASS_TAG_OGG, type, bytes);
}

const SvAddon kAddon = {
    SV_ADDON_VERSION, {0x02040000, 2, kFormats}, Open, Read, Seek, Tags, CloseStream<Stream>,
};

}  // namespace

SV_EXPORT_ADDON(kAddon)
