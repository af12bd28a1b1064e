#include "mixer.h"
#include <math.h>
#include <string.h>
#include <algorithm>
#include "channel.h"

namespace {

thread_local DWORD tRendering = 0;

// Source frames of the channel at the device rate into buf (frames * ch.chans).
int RenderSource(Channel& ch, float* buf, int frames, int rate) {
    if (ch.freq == (DWORD)rate) {
        int got = 0;
        // A sync stops a read at its frame; go on unless its callback stopped the channel.
        for (int guard = 0; got < frames && !ch.ended && ch.state == PlayState::Playing && guard < 64; guard++) {
            int n = (int)ReadFrames(ch, buf + (size_t)got * ch.chans, frames - got);
            if (n == 0 && !ch.ended) break;  // stalled: the rest of the block is silence
            got += n;
        }
        ch.mixedPos = (double)ch.pos;
        if (ch.ended) ch.drained = true;  // this block holds its last frame
        return got;
    }
    if (!ch.resampler || ch.resamplerRate != (DWORD)rate) {
        if (ch.resampler) soxr_delete(ch.resampler);
        soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        soxr_quality_spec_t q = soxr_quality_spec(SOXR_HQ, 0);
        soxr_error_t err = nullptr;
        ch.resampler = soxr_create(ch.freq, rate, ch.chans, &err, &io, &q, nullptr);
        ch.resamplerRate = (DWORD)rate;
        if (err || !ch.resampler) {
            ch.resampler = nullptr;
            ch.drained = true;
            return 0;
        }
    }
    const size_t kChunk = 1024;
    if (ch.inBuf.size() < kChunk * ch.chans) ch.inBuf.resize(kChunk * ch.chans);
    int produced = 0;
    for (int guard = 0; produced < frames && guard < 1000; guard++) {
        size_t odone = 0;
        if (ch.inUsed == ch.inHave && !ch.sourceDone) {
            int64_t got = ReadFrames(ch, ch.inBuf.data(), kChunk);
            if (got == 0 && (ch.state != PlayState::Playing || !ch.ended)) break;
            ch.inUsed = 0;
            ch.inHave = (size_t)got;
            if (got == 0 && ch.ended) ch.sourceDone = true;
            if (!ch.resampler) break;  // a callback changed the channel under us
        }
        if (ch.sourceDone) {
            soxr_process(ch.resampler, nullptr, 0, nullptr, buf + produced * ch.chans, frames - produced, &odone);
            if (odone == 0) {
                ch.drained = true;
                break;
            }
        } else {
            size_t idone = 0;
            soxr_process(ch.resampler, ch.inBuf.data() + ch.inUsed * ch.chans, ch.inHave - ch.inUsed, &idone,
                         buf + produced * ch.chans, frames - produced, &odone);
            ch.inUsed += idone;
        }
        produced += (int)odone;
    }
    double delayIn = soxr_delay(ch.resampler) * ch.freq / rate;
    ch.mixedPos = (double)ch.pos - (double)(ch.inHave - ch.inUsed) - delayIn;
    return produced;
}

void RenderChannel(Channel& ch, float* out, int frames, int chans, int rate, int64_t nowUs) {
    if (ch.scratch.size() < (size_t)frames * ch.chans) ch.scratch.resize((size_t)frames * ch.chans);
    float* buf = ch.scratch.data();
    bool wasDrained = ch.drained;
    tRendering = ch.handle;
    int got = RenderSource(ch, buf, frames, rate);
    tRendering = 0;
    if (ch.drained && !wasDrained) ch.drainedAt = got;
    if (ch.drained && ch.endHeardUs == 0) ch.endHeardUs = nowUs + (int64_t)got * 1000000 / rate;
    float v0 = VolumeAt(ch, nowUs);
    float v1 = VolumeAt(ch, nowUs + (int64_t)frames * 1000000 / rate);
    const int sc = (int)ch.chans;
    for (int i = 0; i < got; i++) {
        float v = v0 + (v1 - v0) * i / frames;
        const float* in = buf + i * sc;
        float* o = out + i * chans;
        if (sc == 1) {
            for (int c = 0; c < chans; c++) o[c] += in[0] * v;
        } else {
            for (int c = 0; c < chans; c++) o[c] += in[c < sc ? c : c % sc] * v;
        }
    }
}

// What a channel's render in this block left, for the channels chained to it.
struct BlockEnd {
    DWORD handle;
    bool playing, drained;
    int drainedAt;
};

void MixChannel(Channel& ch, float* out, int frames, int chans, int rate, int64_t nowUs, int start,
                std::vector<BlockEnd>* ends) {
    ch.drainedAt = -1;
    // Slides run on the clock whether the channel plays or not.
    if (ch.slide.active && nowUs >= ch.slide.startUs + ch.slide.durationUs) {
        ch.volume = ch.slide.to;
        ch.slide.active = false;
        FireSyncs(ch, BASS_SYNC_SLIDE, BASS_ATTRIB_VOL);
    }
    if (ch.state == PlayState::Playing && !ch.drained && start < frames) {
        RenderChannel(ch, out + (size_t)start * chans, frames - start, chans, rate, nowUs + (int64_t)start * 1000000 / rate);
        if (ch.drainedAt >= 0) ch.drainedAt += start;
    }
    ends->push_back({ch.handle, ch.state == PlayState::Playing, ch.drained, ch.drainedAt});
    // An AUTOFREE channel goes once its last sample has been heard.
    if ((ch.flags & BASS_STREAM_AUTOFREE) && ch.drained && NowUs() >= ch.endHeardUs) {
        FireSyncs(ch, BASS_SYNC_FREE, 0);
        RemoveChannel(ch.handle);
    }
}

// Where a chained channel starts in this block: the frame where the channel it
// follows ended, 0 once that one is gone or stopped, -1 while it still sounds.
int ChainStart(DWORD first, const std::vector<BlockEnd>& ends) {
    for (const BlockEnd& e : ends) {
        if (e.handle != first) continue;
        if (!e.playing) return 0;
        if (!e.drained) return -1;
        return e.drainedAt >= 0 ? e.drainedAt : 0;
    }
    return 0;
}

}  // namespace

unsigned long RenderingChannel() { return tRendering; }

void MixBlock(float* out, int frames, int chans, int rate, int64_t nowUs) {
    memset(out, 0, sizeof(float) * frames * chans);
    std::vector<ChannelPtr> all = AllChannels();
    std::vector<BlockEnd> ends;
    ends.reserve(all.size());
    // Chained channels go after the others: a channel may be chained during
    // this pass (a MIXTIME sync starts it), and then starts in this very block.
    for (ChannelPtr& ch : all) {
        if (ch->decodeOnly || ch->chainedTo) continue;
        std::lock_guard<RecursiveLock> lock(ch->mu);
        if (ch->chainedTo) continue;
        MixChannel(*ch, out, frames, chans, rate, nowUs, 0, &ends);
    }
    for (ChannelPtr& ch : all) {
        if (ch->decodeOnly || !ch->chainedTo) continue;
        std::lock_guard<RecursiveLock> lock(ch->mu);
        DWORD first = ch->chainedTo;
        if (!first) continue;
        int start = ChainStart(first, ends);
        if (start < 0) continue;  // what it follows still sounds
        ch->chainedTo = 0;
        MixChannel(*ch, out, frames, chans, rate, nowUs, start, &ends);
    }
}
