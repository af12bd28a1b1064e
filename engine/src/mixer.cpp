#include "mixer.h"
#include <math.h>
#include <string.h>
#include "channel.h"

namespace {

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
        if (got == 0 && ch.ended) ch.drained = true;
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
    int got = RenderSource(ch, buf, frames, rate);
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

}  // namespace

void MixBlock(float* out, int frames, int chans, int rate, int64_t nowUs) {
    memset(out, 0, sizeof(float) * frames * chans);
    for (ChannelPtr& ch : AllChannels()) {
        if (ch->decodeOnly) continue;
        std::lock_guard<RecursiveLock> lock(ch->mu);
        // Slides run on the clock whether the channel plays or not.
        if (ch->slide.active && nowUs >= ch->slide.startUs + ch->slide.durationUs) {
            ch->volume = ch->slide.to;
            ch->slide.active = false;
            FireSyncs(*ch, BASS_SYNC_SLIDE, BASS_ATTRIB_VOL);
        }
        if (ch->state == PlayState::Playing && !ch->drained) RenderChannel(*ch, out, frames, chans, rate, nowUs);
        // An AUTOFREE channel goes once its last sample has been heard.
        if ((ch->flags & BASS_STREAM_AUTOFREE) && ch->drained && NowUs() >= ch->endHeardUs) {
            FireSyncs(*ch, BASS_SYNC_FREE, 0);
            RemoveChannel(ch->handle);
        }
    }
}
