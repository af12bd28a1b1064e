// Sample data, levels and spectra. On a decoding channel these calls decode
// (and so advance the channel); on a playing channel they read, without
// consuming, the frames being heard now from the channel's recent history.
#include <math.h>
#include <emmintrin.h>
#include <stdint.h>
#include <string.h>
#include <memory>
#include <vector>
#include "bass.h"
#include "channel.h"
#include "error.h"
#include "fft.h"

namespace {

// frames frames for analysis: decoded now (decoding channel) or the ones at
// the heard position (playing channel). Returns the frames given.
int64_t TakeFrames(Channel& ch, float* out, int64_t frames, bool centred) {
    if (ch.decodeOnly) return ReadFrames(ch, out, frames);
    if (ch.historyFrames == 0) return 0;
    int64_t heard = HeardFrame(ch);
    int64_t start = centred ? heard - frames / 2 : heard - frames;
    if (start + frames > ch.historyEnd) start = ch.historyEnd - frames;
    int64_t oldest = ch.historyEnd - ch.historyFrames;
    if (start < oldest) start = oldest;
    if (start < 0) start = 0;
    int64_t n = ch.historyEnd - start;
    if (n > frames) n = frames;
    // At most two runs: up to the ring's end, then from its start.
    int64_t at = start % ch.historyFrames;
    for (int64_t left = n; left > 0;) {
        int64_t run = left < ch.historyFrames - at ? left : ch.historyFrames - at;
        memcpy(out, &ch.history[(size_t)(at * ch.chans)], (size_t)(run * ch.chans) * sizeof(float));
        out += run * ch.chans;
        left -= run;
        at = 0;
    }
    return n < 0 ? 0 : n;
}

// Clips, then rounds to nearest (even on ties, as lrintf), eight at a time.
// Clipping first keeps huge values at the right end of the range.
void ToInt16(const float* in, int16_t* out, size_t n) {
    const __m128 scale = _mm_set1_ps(32768.0f), lo = _mm_set1_ps(-32768.0f), hi = _mm_set1_ps(32767.0f);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m128 a = _mm_min_ps(_mm_max_ps(_mm_mul_ps(_mm_loadu_ps(in + i), scale), lo), hi);
        __m128 b = _mm_min_ps(_mm_max_ps(_mm_mul_ps(_mm_loadu_ps(in + i + 4), scale), lo), hi);
        _mm_storeu_si128((__m128i*)(out + i), _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b)));
    }
    for (; i < n; i++) {
        float v = in[i] * 32768.0f;
        v = v > 32767.0f ? 32767.0f : v < -32768.0f ? -32768.0f : v;  // NaN stays NaN
        long s = v == v ? lrintf(v) : -32768;
        out[i] = (int16_t)s;
    }
}

DWORD Fft(Channel& ch, void* buffer, DWORD request) {
    int n = 256 << (request & 7);
    std::vector<float> frames((size_t)n * ch.chans, 0.0f);
    int64_t got = TakeFrames(ch, frames.data(), n, true);
    if (got == 0 && ch.decodeOnly && ch.ended) return Fail(BASS_ERROR_ENDED, (DWORD)-1);
    bool individual = (request & BASS_DATA_FFT_INDIVIDUAL) && ch.chans > 1;
    bool window = !(request & BASS_DATA_FFT_NOWINDOW);
    bool removeDc = (request & BASS_DATA_FFT_REMOVEDC) != 0;
    bool nyquist = (request & BASS_DATA_FFT_NYQUIST) != 0;
    int bins = n / 2 + (nyquist ? 1 : 0);
    std::vector<float> mono((size_t)n), mags((size_t)bins);
    float* out = (float*)buffer;
    int passes = individual ? (int)ch.chans : 1;
    for (int c = 0; c < passes; c++) {
        for (int i = 0; i < n; i++) {
            if (individual) {
                mono[(size_t)i] = frames[(size_t)i * ch.chans + c];
            } else {
                float sum = 0;
                for (DWORD k = 0; k < ch.chans; k++) sum += frames[(size_t)i * ch.chans + k];
                mono[(size_t)i] = sum / ch.chans;
            }
        }
        Spectrum(mono.data(), n, window, removeDc, nyquist, mags.data());
        if (individual)
            for (int i = 0; i < bins; i++) out[i * passes + c] = mags[(size_t)i];
        else
            memcpy(out, mags.data(), bins * sizeof(float));
    }
    return Ok((DWORD)(got * ch.BytesPerFrame()));
}

// Peak per side over frames, 0..1.
void Peaks(const float* f, int64_t frames, DWORD chans, float* left, float* right) {
    float l = 0, r = 0;
    for (int64_t i = 0; i < frames; i++) {
        float a = fabsf(f[i * chans]);
        float b = chans > 1 ? fabsf(f[i * chans + 1]) : a;
        if (a > l) l = a;
        if (b > r) r = b;
    }
    *left = l;
    *right = r;
}

}  // namespace

extern "C" {

DWORD WINAPI BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    ChannelPtr ch = FindChannel(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (DWORD)-1);
    std::lock_guard<RecursiveLock> lock(ch->mu);
    if (length == BASS_DATA_AVAILABLE) {
        if (ch->decodeOnly) return Ok((DWORD)0);
        return Ok((DWORD)((int64_t)ch->mixedPos - HeardFrame(*ch)) * (DWORD)ch->BytesPerFrame());
    }
    if (!buffer) return Fail(BASS_ERROR_ILLPARAM, (DWORD)-1);
    if (!ch->decodeOnly && ch->state == PlayState::Stopped) return Fail(BASS_ERROR_NOPLAY, (DWORD)-1);
    if (length & 0x80000000u) return Fft(*ch, buffer, length);

    bool asFloat = (length & BASS_DATA_FLOAT) || ch->sampleBytes == 4;
    DWORD bytes = length & 0x0FFFFFFF;
    int sampleBytes = asFloat ? 4 : 2;
    int64_t frames = bytes / (sampleBytes * ch->chans);
    if (frames == 0) return Ok((DWORD)0);
    // Floats go straight into an aligned caller's buffer, and so do 16-bit
    // samples of a source that stores them; the rest through a block of the
    // channel's own.
    int64_t got;
    if (asFloat && ((uintptr_t)buffer & 3) == 0) {
        got = TakeFrames(*ch, (float*)buffer, frames, false);
    } else if (!asFloat && CanReadInt16(*ch)) {
        got = ReadFramesInt16(*ch, (int16_t*)buffer, frames);
    } else {
        // Its own block, not the channel's scratch: a sync run while decoding
        // may call back in here. Left uninitialised: TakeFrames fills it.
        std::unique_ptr<float[]> data(new float[(size_t)(frames * ch->chans)]);
        got = TakeFrames(*ch, data.get(), frames, false);
        size_t n = (size_t)(got * ch->chans);
        if (asFloat) memcpy(buffer, data.get(), n * sizeof(float));
        else ToInt16(data.get(), (int16_t*)buffer, n);
    }
    if (got == 0 && ch->decodeOnly && ch->ended) return Fail(BASS_ERROR_ENDED, (DWORD)-1);
    return Ok((DWORD)(got * ch->chans * sampleBytes));
}

DWORD WINAPI BASS_ChannelGetLevel(DWORD handle) {
    ChannelPtr ch = FindChannel(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (DWORD)-1);
    std::lock_guard<RecursiveLock> lock(ch->mu);
    if (!ch->decodeOnly && ch->state != PlayState::Playing) return Fail(BASS_ERROR_NOPLAY, (DWORD)0);
    int64_t frames = ch->freq / 50;  // 20 ms
    if (frames < 1) frames = 1;
    std::vector<float> data((size_t)(frames * ch->chans));
    int64_t got = TakeFrames(*ch, data.data(), frames, false);
    if (got == 0 && ch->decodeOnly) return Fail(BASS_ERROR_ENDED, (DWORD)-1);
    float l, r;
    Peaks(data.data(), got, ch->chans, &l, &r);
    DWORD left = (DWORD)fminf(32768.0f, roundf(l * 32768.0f));
    DWORD right = (DWORD)fminf(32768.0f, roundf(r * 32768.0f));
    return Ok(left | right << 16);
}

BOOL WINAPI BASS_ChannelGetLevelEx(DWORD handle, float* levels, float length, DWORD flags) {
    ChannelPtr ch = FindChannel(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!levels || !(length > 0) || length > 1.0f) return Fail(BASS_ERROR_ILLPARAM, FALSE);
    std::lock_guard<RecursiveLock> lock(ch->mu);
    if (!ch->decodeOnly && ch->state != PlayState::Playing) return Fail(BASS_ERROR_NOPLAY, FALSE);
    int64_t frames = (int64_t)(length * ch->freq);
    if (frames < 1) frames = 1;
    std::vector<float> data((size_t)(frames * ch->chans));
    int64_t got = TakeFrames(*ch, data.data(), frames, false);
    if (got == 0 && ch->decodeOnly) return Fail(BASS_ERROR_ENDED, FALSE);
    int outs = (flags & BASS_LEVEL_MONO) ? 1 : (flags & BASS_LEVEL_STEREO) ? 2 : (int)ch->chans;
    for (int o = 0; o < outs; o++) {
        double peak = 0, sum = 0;
        int64_t count = 0;
        for (int64_t i = 0; i < got; i++) {
            for (DWORD c = 0; c < ch->chans; c++) {
                bool mine = outs == 1 || (outs == 2 ? (int)(c % 2) == o : (int)c == o);
                if (!mine) continue;
                double v = data[(size_t)(i * ch->chans + c)];
                peak = fmax(peak, fabs(v));
                sum += v * v;
                count++;
            }
        }
        levels[o] = (float)((flags & BASS_LEVEL_RMS) ? (count ? sqrt(sum / count) : 0) : peak);
        if (flags & BASS_LEVEL_VOL) levels[o] *= VolumeAt(*ch, NowUs());
    }
    return Ok(TRUE);
}

}  // extern "C"
