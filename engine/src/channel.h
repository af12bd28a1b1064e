// A channel: one opened stream or module with its playback state.
//
// Threads. Every exported call may come from any thread. Each channel has its
// own recursive lock, taken by the exported calls, by the mixer thread while it
// renders the channel, and by the sync thread while it runs a callback; the
// table of handles has a short lock of its own and hands out shared pointers, so
// a channel freed during a render stays alive until the render ends. MIXTIME
// syncs run on the thread that decodes (the mixer, or the caller of a decoding
// channel) with the channel's lock held; as the lock is recursive their
// callbacks may call back into the library on the same channel.
#pragma once
#include <windows.h>
#include <soxr.h>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>
#include "bass.h"
#include "decoder.h"
#include "locks.h"

struct Sync {
    HSYNC id;
    DWORD type;   // BASS_SYNC_xxx with its MIXTIME/ONETIME bits
    int64_t frame;  // POS: the frame where it fires
    SYNCPROC* proc;
    void* user;
};

struct Slide {
    bool active = false;
    float from = 0, to = 0;
    int64_t startUs = 0, durationUs = 0;
};

enum class PlayState { Stopped, Playing, Paused };

struct Channel {
    RecursiveLock mu;
    DWORD handle = 0;
    bool isMusic = false;
    bool decodeOnly = false;
    DWORD flags = 0;
    HPLUGIN plugin = 0;
    std::unique_ptr<Decoder> dec;
    DWORD freq = 0, chans = 0;
    int sampleBytes = 2;  // output: 2 (16-bit) or 4 (float)
    std::string filename;

    // Decoding: the frame the decoder gives next.
    int64_t pos = 0;
    bool ended = false;
    int64_t endFrame = -1;  // the end set by BASS_POS_END, -1 for the stream's own end

    // Playback, touched by the mixer.
    PlayState state = PlayState::Stopped;
    float volume = 1.0f;
    float dspVolume = 1.0f;  // a scale on the decoded samples themselves, apart from the volume
    Slide slide;
    soxr_t resampler = nullptr;
    DWORD resamplerRate = 0;
    std::vector<float> inBuf;
    size_t inUsed = 0, inHave = 0;
    bool sourceDone = false;   // the decoder has ended and the resampler is flushing
    bool drained = false;      // everything was handed to the device
    int drainedAt = -1;        // the frame of the current block where its output ended, -1 when it did not
    std::atomic<DWORD> chainedTo{0};  // started at the end of this channel's output (see mixer.h)
    int64_t endHeardUs = 0;    // when the last sample given to the device is heard
    double mixedPos = 0;       // source frame at the end of what the device was given
    int64_t playFrom = 0;      // the heard position never goes below this (last play or seek)
    std::vector<Sync> syncs;

    // Recent decoded frames for levels, FFT and oscilloscope of a playing channel.
    std::vector<float> history;  // ring of historyFrames frames
    int64_t historyEnd = 0;      // stream frame after the newest frame in the ring
    int64_t historyFrames = 0;

    std::vector<float> scratch;

    ~Channel();
    int64_t BytesPerFrame() const { return (int64_t)chans * sampleBytes; }
};

using ChannelPtr = std::shared_ptr<Channel>;

DWORD AddChannel(ChannelPtr ch);
ChannelPtr FindChannel(DWORD handle);
bool RemoveChannel(DWORD handle);
std::vector<ChannelPtr> AllChannels();

// Decodes up to frames frames, firing POS and END syncs exactly at their frame
// and looping when the loop flag is set. An end set with BASS_POS_END is the
// stream's end as its own would be. Returns the frames given.
int64_t ReadFrames(Channel& ch, float* out, int64_t frames);
// The same as 16-bit samples copied from the source, for a decoding channel
// whose source stores exactly those and whose samples are not scaled.
bool CanReadInt16(const Channel& ch);
int64_t ReadFramesInt16(Channel& ch, int16_t* out, int64_t frames);
// A stream's news (a new title, a stall, a resume, a new logical stream) to
// its syncs. Returns whether anything happened.
bool FireStreamEvents(Channel& ch);
// Moves the decoder; resets what the mixer holds for the channel.
bool SetChannelFrame(Channel& ch, int64_t frame);
// Runs or queues the syncs of a type (END, SLIDE) for a channel.
void FireSyncs(Channel& ch, DWORD type, DWORD data);
// The stream frame being heard now, for a playing or paused channel.
int64_t HeardFrame(Channel& ch);
// Volume of the channel at a time on the library's clock (microseconds).
float VolumeAt(Channel& ch, int64_t us);
int64_t NowUs();
