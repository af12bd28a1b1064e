// bass_aac.dll and basswma.dll: AAC and ALAC (MP4/M4A, raw ADTS) and WMA 1
// and 2 (ASF) through a minimal, LGPL-only static build of FFmpeg's
// libavformat, libavcodec and libavutil, as add-ons of our bass.dll
// (interface in sonvale_addon.h). One source, built twice: SV_FAMILY_WMA
// picks the WMA add-on.
//
// The demuxer is chosen from the first bytes (FFmpeg's own probing is never
// asked, so no other format's data is ever handed to it). MP4's encoder delay
// (edit list or iTunSMPB) reaches the decoder as skipped samples; the end
// padding is cut at the edit list's length, or at iTunSMPB's sample count. Tags come out as the MP4 or WMA
// block, name=value in UTF-8.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}
#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <new>
#include <string>
#include <vector>
#include "addon_entry.h"

namespace {

#ifdef SV_FAMILY_WMA
const DWORD kCtypeWma = 0x10300;
const BASS_PLUGINFORM kFormats[] = {
    {kCtypeWma, "Windows Media Audio", "*.wma"},
};
#else
const DWORD kCtypeAac = 0x10b00;
const DWORD kCtypeMp4 = 0x10b01;
const DWORD kCtypeAlac = 0x10e00;
const BASS_PLUGINFORM kFormats[] = {
    {kCtypeAac, "AAC", "*.aac;*.m4a;*.mp4;*.m4b"},
    {kCtypeMp4, "AAC (MP4)", "*.m4a;*.mp4;*.m4b"},
    {kCtypeAlac, "Apple Lossless", "*.m4a;*.mp4"},
};
#endif

enum class Container { None, Mp4, Adts, Asf };

// A WMA seek point: an ASF data packet in which an object of the stream
// begins, and the output frame where the decoder's first sample from there lands.
struct WmaMark {
    int64_t pos;
    int64_t frame;
};

struct Stream {
    SvReader r;
    AVIOContext* io = nullptr;
    AVFormatContext* fmt = nullptr;
    AVCodecContext* dec = nullptr;
    AVPacket* pkt = nullptr;
    AVFrame* frame = nullptr;
    int index = -1;
    int chans = 0;
    int rate = 0;
    int64_t total = -1;   // frames, when known
    int64_t pos = 0;      // frames handed out
    int64_t dropTo = -1;  // after a seek: frames before this are decoded and dropped
    int64_t outAt = -1;   // WMA after a seek: the output frame of the decoder's next sample
    Container container = Container::None;
    std::vector<WmaMark> marks;
    bool ended = false;
    int frameAt = 0;  // samples of the decoded frame already handed out or dropped
    DWORD tagType = 0;
    std::string tags;
    std::string id3v2;  // an ADTS file's leading ID3v2 tag, whole
    ~Stream() {
        av_frame_free(&frame);
        av_packet_free(&pkt);
        avcodec_free_context(&dec);
        if (fmt) avformat_close_input(&fmt);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }
};

int ReadCb(void* c, uint8_t* buf, int n) {
    auto* r = (SvReader*)c;
    size_t got = n > 0 ? r->read(r->context, buf, (size_t)n) : 0;
    return got ? (int)got : AVERROR_EOF;
}
int64_t SeekCb(void* c, int64_t offset, int whence) {
    auto* r = (SvReader*)c;
    int64_t size = r->size(r->context);
    if (whence & AVSEEK_SIZE) return size;
    whence &= ~AVSEEK_FORCE;
    int64_t to = whence == SEEK_CUR ? r->tell(r->context) + offset : whence == SEEK_END ? size + offset : offset;
    if (to < 0 || to > size || !r->seek(r->context, to)) return -1;
    return to;
}

// ADTS frame length at p, or 0 when p is no ADTS header.
int AdtsFrameBytes(const uint8_t* p) {
    if (p[0] != 0xFF || (p[1] & 0xF6) != 0xF0 || ((p[2] >> 2) & 15) > 12) return 0;
    return (p[3] & 3) << 11 | p[4] << 3 | p[5] >> 5;
}

#ifndef SV_FAMILY_WMA
// The size of an ID3v2 tag at the start (raw AAC files often have one), or 0.
int64_t Id3v2Bytes(const SvReader* r) {
    uint8_t h[10];
    r->seek(r->context, 0);
    if (r->read(r->context, h, 10) != 10 || memcmp(h, "ID3", 3) != 0 || ((h[6] | h[7] | h[8] | h[9]) & 0x80))
        return 0;
    int64_t size = 10 + ((int64_t)h[6] << 21 | h[7] << 14 | h[8] << 7 | h[9]) + ((h[5] & 0x10) ? 10 : 0);
    return size <= r->size(r->context) ? size : 0;
}
#endif

Container Probe(const SvReader* r, int64_t* start) {
    uint8_t h[64] = {};
    *start = 0;
    r->seek(r->context, 0);
    size_t n = r->read(r->context, h, sizeof(h));
#ifdef SV_FAMILY_WMA
    static const uint8_t kAsfHeader[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                           0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    if (n >= 30 && memcmp(h, kAsfHeader, 16) == 0) return Container::Asf;
#else
    if (n >= 12 && memcmp(h + 4, "ftyp", 4) == 0) return Container::Mp4;
    // ADTS: three frames in a row, after an ID3v2 tag if there is one.
    *start = Id3v2Bytes(r);
    if (n >= 7) {
        int64_t at = *start;
        for (int i = 0; i < 3; i++) {
            uint8_t f[7];
            if (!r->seek(r->context, at) || r->read(r->context, f, 7) != 7) return Container::None;
            int len = AdtsFrameBytes(f);
            if (len < 7) return Container::None;
            at += len;
        }
        return Container::Adts;
    }
#endif
    return Container::None;
}

// ADTS has no index: the frames are counted, 1024 samples each, by their headers.
int64_t CountAdtsFrames(const SvReader* r, int64_t start) {
    int64_t at = start, frames = 0, size = r->size(r->context);
    uint8_t f[7];
    while (at + 7 <= size && r->seek(r->context, at) && r->read(r->context, f, 7) == 7) {
        int len = AdtsFrameBytes(f);
        if (len < 7) break;
        frames += 1 + (f[6] & 3);
        at += len;
    }
    return frames * 1024;
}

// WMA 1 and 2 as FFmpeg's decoder gives them. Each packet is cut into
// superframes of block_align bytes. Without the bit reservoir a superframe is
// one frame; with it, the low four bits of its first byte count the frames
// that end in it, and a decoder that starts afresh (at the start, after a
// seek) loses the one frame that began before it. The decoder drops its first
// two frames and gives one more at the end. So counting superframes gives the
// exact length without decoding anything, and where each superframe's audio
// comes out: started afresh at a superframe whose predecessors count n frames,
// the decoder's first sample is output frame n * frame length.
int WmaFrameLength(int rate, AVCodecID id) {
    if (rate <= 16000) return 512;
    if (rate <= 22050 || (rate <= 32000 && id == AV_CODEC_ID_WMAV1)) return 1024;
    return 2048;
}

bool WmaBitReservoir(const AVCodecParameters* par) {
    int at = par->codec_id == AV_CODEC_ID_WMAV1 ? 2 : 4;
    return par->extradata && par->extradata_size >= at + 2 && (par->extradata[at] & 2);
}

// Back to the first data packet (which also clears the demuxer's packet
// state), then on to the data packet at pos when there is one.
bool WmaReposition(Stream* s, int64_t pos) {
    if (av_seek_frame(s->fmt, s->index, 0, AVSEEK_FLAG_BACKWARD) < 0) return false;
    return pos < 0 || avio_seek(s->fmt->pb, pos, SEEK_SET) >= 0;
}

// Demuxes every packet once (about as fast as reading the file), notes the
// seek marks and returns the frames the decoder will give, or -1.
int64_t ScanWma(Stream* s) {
    const AVCodecParameters* par = s->fmt->streams[s->index]->codecpar;
    int64_t length = WmaFrameLength(s->rate, par->codec_id);
    bool reservoir = WmaBitReservoir(par);
    int align = par->block_align;
    if (align <= 0) return -1;
    int64_t counted = 0, lastPos = -1;
    while (av_read_frame(s->fmt, s->pkt) >= 0) {
        const AVPacket* p = s->pkt;
        if (p->stream_index == s->index) {
            // A fresh start delivers the first object that begins in a data
            // packet; with the reservoir it needs two frames in its first
            // superframe to take the usual path.
            if (p->pos >= 0 && p->pos != lastPos && p->size >= align && (!reservoir || (p->data[0] & 15) >= 2))
                s->marks.push_back({p->pos, counted * length});
            lastPos = p->pos;
            for (int at = 0; at + align <= p->size; at += align) counted += reservoir ? (p->data[at] & 15) : 1;
        }
        av_packet_unref(s->pkt);
    }
    if (!WmaReposition(s, -1)) return -1;
    int64_t frames = counted - (reservoir ? 1 : 0);
    return frames > 1 ? (frames - 1) * length : 0;
}

void AddTag(std::string& block, const std::string& name, const char* value) {
    if (!value || !*value) return;
    block += name + "=" + value;
    block.push_back('\0');
}

// FFmpeg's metadata names back to the ones each block uses.
void CollectTags(Stream* s, Container c) {
    static const struct {
        const char* ffmpeg;
        const char* mp4;
        const char* wma;
    } kNames[] = {
        {"title", "Title", "Title"},          {"artist", "Artist", "Author"},
        {"album", "Album", "WM/AlbumTitle"},  {"date", "Date", "WM/Year"},
        {"genre", "Genre", "WM/Genre"},       {"track", "Track", "WM/TrackNumber"},
        {"comment", "Comment", "Description"}, {"album_artist", "AlbumArtist", "WM/AlbumArtist"},
        {"composer", "Composer", "WM/Composer"}, {"disc", "Disc", "WM/PartOfSet"},
    };
    s->tagType = c == Container::Asf ? BASS_TAG_WMA : BASS_TAG_MP4;
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(s->fmt->metadata, "", e, AV_DICT_IGNORE_SUFFIX))) {
        std::string name = e->key;
        for (auto& k : kNames)
            if (name == k.ffmpeg) name = c == Container::Asf ? k.wma : k.mp4;
        if (name == "major_brand" || name == "minor_version" || name == "compatible_brands" || name == "encoder")
            continue;
        AddTag(s->tags, name, e->value);
    }
    if (!s->tags.empty()) s->tags.push_back('\0');
}

bool CodecAllowed(AVCodecID id, Container c, DWORD* ctype) {
#ifdef SV_FAMILY_WMA
    (void)c;
    *ctype = kCtypeWma;
    return id == AV_CODEC_ID_WMAV1 || id == AV_CODEC_ID_WMAV2;
#else
    if (id == AV_CODEC_ID_AAC) return *ctype = c == Container::Mp4 ? kCtypeMp4 : kCtypeAac, true;
    if (id == AV_CODEC_ID_ALAC && c == Container::Mp4) return *ctype = kCtypeAlac, true;
    return false;
#endif
}

void* __cdecl Open(const SvReader* reader, DWORD, SvStreamInfo* info, int* error) {
    *error = BASS_ERROR_FILEFORM;
    int64_t start = 0;
    Container c = Probe(reader, &start);
    if (c == Container::None) return nullptr;
    reader->seek(reader->context, 0);
    auto* s = new (std::nothrow) Stream();
    if (!s) return (*error = BASS_ERROR_MEM, nullptr);
    s->r = *reader;
    s->container = c;
    av_log_set_level(AV_LOG_QUIET);
    const int kBuffer = 32768;
    auto* buffer = (uint8_t*)av_malloc(kBuffer);
    s->io = buffer ? avio_alloc_context(buffer, kBuffer, 0, &s->r, ReadCb, nullptr, SeekCb) : nullptr;
    s->fmt = avformat_alloc_context();
    s->pkt = av_packet_alloc();
    s->frame = av_frame_alloc();
    if (!s->io) av_free(buffer);
    if (!s->io || !s->fmt || !s->pkt || !s->frame) {
        delete s;
        return (*error = BASS_ERROR_MEM, nullptr);
    }
    s->fmt->pb = s->io;
    s->fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
    const char* demuxer = c == Container::Mp4 ? "mov" : c == Container::Adts ? "aac" : "asf";
    if (avformat_open_input(&s->fmt, nullptr, av_find_input_format(demuxer), nullptr) < 0) {
        s->fmt = nullptr;  // freed by the failed open
        delete s;
        return nullptr;
    }
    if (avformat_find_stream_info(s->fmt, nullptr) < 0) {
        delete s;
        return nullptr;
    }
    s->index = av_find_best_stream(s->fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    DWORD ctype = 0;
    if (s->index < 0 || !CodecAllowed(s->fmt->streams[s->index]->codecpar->codec_id, c, &ctype)) {
        *error = s->index < 0 ? BASS_ERROR_FILEFORM : BASS_ERROR_CODEC;
        delete s;
        return nullptr;
    }
    AVStream* st = s->fmt->streams[s->index];
    for (unsigned i = 0; i < s->fmt->nb_streams; i++)
        if ((int)i != s->index) s->fmt->streams[i]->discard = AVDISCARD_ALL;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    s->dec = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!s->dec || avcodec_parameters_to_context(s->dec, st->codecpar) < 0) {
        delete s;
        return (*error = BASS_ERROR_CODEC, nullptr);
    }
    s->dec->pkt_timebase = st->time_base;
    s->dec->thread_count = 1;
    if (avcodec_open2(s->dec, codec, nullptr) < 0) {
        delete s;
        return (*error = BASS_ERROR_CODEC, nullptr);
    }
    s->chans = s->dec->ch_layout.nb_channels;
    s->rate = s->dec->sample_rate;
    if (s->chans < 1 || s->chans > 8 || s->rate < 1000 || s->rate > 384000) {
        delete s;
        return (*error = BASS_ERROR_FORMAT, nullptr);
    }
    if (c == Container::Adts) {
        // Behind the demuxer's back: its reading goes on from where it was.
        int64_t at = reader->tell(reader->context);
        s->total = CountAdtsFrames(reader, start);
        if (start > 0 && start <= (16 << 20)) {  // the ID3v2 tag, for the player's tag reading
            s->id3v2.resize((size_t)start);
            if (!reader->seek(reader->context, 0) || reader->read(reader->context, s->id3v2.data(), s->id3v2.size()) != s->id3v2.size())
                s->id3v2.clear();
        }
        reader->seek(reader->context, at);
    } else if (c == Container::Asf) {
        s->total = ScanWma(s);
    }
    // Else the container's duration.
    if (s->total < 0 && st->duration > 0 && st->duration != AV_NOPTS_VALUE)
        s->total = av_rescale_q(st->duration, st->time_base, AVRational{1, s->rate});
    else if (s->total < 0 && s->fmt->duration > 0)
        s->total = av_rescale_q(s->fmt->duration, AV_TIME_BASE_Q, AVRational{1, s->rate});
    // iTunes' gapless note: FFmpeg takes the priming from it; the length of
    // the encoded audio is its third number.
    if (const AVDictionaryEntry* e = av_dict_get(s->fmt->metadata, "iTunSMPB", nullptr, 0)) {
        unsigned priming = 0, padding = 0;
        unsigned long long samples = 0;
        if (sscanf(e->value, " %*x %x %x %llx", &priming, &padding, &samples) == 3 && samples > 0 &&
            samples < (1ull << 40))
            s->total = (int64_t)samples;
    }
    CollectTags(s, c);
    info->freq = (DWORD)s->rate;
    info->chans = (DWORD)s->chans;
    info->ctype = ctype;
    info->origres = ctype == 0x10e00 ? (DWORD)std::max(st->codecpar->bits_per_raw_sample, 0) : 0;
    info->frames = s->total;
    *error = 0;
    return s;
}

// Frames [from, from + n) of a decoded frame, interleaved into out; a
// channel the frame lacks, a sample format it should not have and NaNs
// become silence.
void Convert(const AVFrame* f, int from, int n, float* out, int chans) {
    int stride = f->ch_layout.nb_channels, have = std::min(chans, stride);
    bool planar = av_sample_fmt_is_planar((AVSampleFormat)f->format);
    if (f->format == AV_SAMPLE_FMT_FLTP && chans == 2 && have == 2) {  // AAC and WMA stereo
        const float* l = (const float*)f->extended_data[0] + from;
        const float* r = (const float*)f->extended_data[1] + from;
        for (int i = 0; i < n; i++) {
            float a = l[i], b = r[i];
            out[2 * i] = a == a ? a : 0.0f;
            out[2 * i + 1] = b == b ? b : 0.0f;
        }
        return;
    }
    for (int k = 0; k < chans; k++) {
        float* o = out + k;
        size_t step = planar ? 1 : (size_t)stride, first = planar ? (size_t)from : (size_t)from * stride + k;
        const uint8_t* plane = k < have ? f->extended_data[planar ? k : 0] : nullptr;
        switch (plane ? f->format : AV_SAMPLE_FMT_NONE) {
        case AV_SAMPLE_FMT_FLT:
        case AV_SAMPLE_FMT_FLTP: {
            const float* p = (const float*)plane + first;
            for (int i = 0; i < n; i++) {
                float v = p[i * step];
                o[(size_t)i * chans] = v == v ? v : 0.0f;
            }
            break;
        }
        case AV_SAMPLE_FMT_S16:
        case AV_SAMPLE_FMT_S16P: {
            const int16_t* p = (const int16_t*)plane + first;
            for (int i = 0; i < n; i++) o[(size_t)i * chans] = p[i * step] * (1.0f / 32768.0f);
            break;
        }
        case AV_SAMPLE_FMT_S32:
        case AV_SAMPLE_FMT_S32P: {
            const int32_t* p = (const int32_t*)plane + first;
            for (int i = 0; i < n; i++) o[(size_t)i * chans] = (float)p[i * step] * (1.0f / 2147483648.0f);
            break;
        }
        default:
            for (int i = 0; i < n; i++) o[(size_t)i * chans] = 0.0f;
        }
    }
}

// Decodes the next frame into s->frame, past what a seek drops. False at the end.
bool DecodeMore(Stream* s) {
    av_frame_unref(s->frame);
    s->frameAt = 0;
    for (int guard = 0; guard < 100000; guard++) {
        int r = avcodec_receive_frame(s->dec, s->frame);
        if (r == 0) {
            int got = s->frame->ch_layout.nb_channels > 0 ? std::max(s->frame->nb_samples, 0) : 0;
            // After a seek: drop what lies before the wanted frame, placed by
            // counting from the seek mark (WMA) or by the frame's time.
            if (s->dropTo >= 0 && got > 0) {
                int64_t first = s->outAt;
                if (first < 0) {
                    int64_t ts = s->frame->best_effort_timestamp;
                    AVStream* st = s->fmt->streams[s->index];
                    int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
                    first = ts == AV_NOPTS_VALUE ? s->dropTo
                                                 : av_rescale_q(ts - start, st->time_base, AVRational{1, s->rate});
                }
                s->frameAt = (int)std::clamp<int64_t>(s->dropTo - first, 0, got);
                if (s->outAt >= 0) s->outAt += got;
                if (first + got > s->dropTo) s->dropTo = s->outAt = -1;
            }
            if (s->frameAt < got) return true;
            av_frame_unref(s->frame);
            s->frameAt = 0;
            continue;
        }
        if (r == AVERROR_EOF) return false;
        if (r != AVERROR(EAGAIN)) return false;
        if (s->ended) return false;
        int rr = av_read_frame(s->fmt, s->pkt);
        if (rr < 0) {
            s->ended = true;
            avcodec_send_packet(s->dec, nullptr);  // drain
            continue;
        }
        if (s->pkt->stream_index == s->index) {
            int sr = avcodec_send_packet(s->dec, s->pkt);
            (void)sr;  // a damaged packet is skipped
        }
        av_packet_unref(s->pkt);
    }
    return false;
}

// Straight from the decoded frame into the caller's buffer.
int64_t __cdecl Read(void* stream, float* out, int64_t frames) {
    auto* s = (Stream*)stream;
    if (s->total >= 0 && frames > s->total - s->pos) frames = std::max<int64_t>(0, s->total - s->pos);
    int64_t done = 0;
    while (done < frames) {
        int have = s->frame->nb_samples - s->frameAt;
        if (have > 0) {
            int take = (int)std::min<int64_t>(have, frames - done);
            Convert(s->frame, s->frameAt, take, out + done * s->chans, s->chans);
            s->frameAt += take;
            done += take;
            continue;
        }
        if (!DecodeMore(s)) break;
    }
    s->pos += done;
    return done;
}

int __cdecl Seek(void* stream, int64_t frame) {
    auto* s = (Stream*)stream;
    if (frame < 0 || (s->total >= 0 && frame > s->total)) return 0;
    s->outAt = -1;
    if (s->container == Container::Asf) {
        // ASF times are milliseconds: WMA starts at the last mark before the
        // frame and counts its way there.
        auto after = std::upper_bound(s->marks.begin(), s->marks.end(), frame,
                                      [](int64_t f, const WmaMark& m) { return f < m.frame; });
        WmaMark from = after == s->marks.begin() ? WmaMark{-1, 0} : after[-1];
        if (!WmaReposition(s, from.pos)) return 0;
        s->outAt = from.frame;
    } else {
        // A little before, so that a decoder's warm-up frames lie ahead of the
        // wanted one; before the first packet when that is near, where the
        // demuxer gives the encoder delay to skip again.
        AVStream* st = s->fmt->streams[s->index];
        int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
        int64_t ts = start + av_rescale_q(frame, AVRational{1, s->rate}, st->time_base);
        int64_t early = av_rescale_q(4096, AVRational{1, s->rate}, st->time_base);
        if (av_seek_frame(s->fmt, s->index, ts - early > start ? ts - early : INT64_MIN / 2, AVSEEK_FLAG_BACKWARD) < 0 &&
            av_seek_frame(s->fmt, s->index, start, AVSEEK_FLAG_BACKWARD) < 0)
            return 0;
    }
    avcodec_flush_buffers(s->dec);
    av_frame_unref(s->frame);
    s->frameAt = 0;
    s->ended = false;
    s->dropTo = frame;
    s->pos = frame;
    return 1;
}

const char* __cdecl Tags(void* stream, DWORD type, DWORD* bytes) {
    auto* s = (Stream*)stream;
    if (const char* id3v2 = TagBlockOf(s->id3v2, BASS_TAG_ID3V2, type, bytes)) return id3v2;
    return TagBlockOf(s->tags, s->tagType, type, bytes);
}

const SvAddon kAddon = {
    SV_ADDON_VERSION,
    {0x02040000, (DWORD)(sizeof(kFormats) / sizeof(kFormats[0])), kFormats},
    Open,
    Read,
    Seek,
    Tags,
    CloseStream<Stream>,
};

}  // namespace

SV_EXPORT_ADDON(kAddon)
