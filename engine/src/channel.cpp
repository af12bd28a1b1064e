#include "channel.h"
#include <math.h>
#include <algorithm>
#include <string.h>
#include <map>
#include "output.h"
#include "sync_thread.h"

namespace {
std::mutex gTableMu;
std::map<DWORD, ChannelPtr> gTable;
DWORD gNextHandle = 0x10001;
}  // namespace

Channel::~Channel() {
    if (resampler) soxr_delete(resampler);
}

DWORD AddChannel(ChannelPtr ch) {
    std::lock_guard<std::mutex> lock(gTableMu);
    DWORD h = gNextHandle++;
    if (gNextHandle < 0x10001) gNextHandle = 0x10001;
    ch->handle = h;
    gTable[h] = std::move(ch);
    return h;
}

ChannelPtr FindChannel(DWORD handle) {
    std::lock_guard<std::mutex> lock(gTableMu);
    auto it = gTable.find(handle);
    return it == gTable.end() ? nullptr : it->second;
}

bool RemoveChannel(DWORD handle) {
    ChannelPtr ch;
    {
        std::lock_guard<std::mutex> lock(gTableMu);
        auto it = gTable.find(handle);
        if (it == gTable.end()) return false;
        ch = std::move(it->second);
        gTable.erase(it);
    }
    // Wait for a render in progress before the last reference goes.
    std::lock_guard<RecursiveLock> lock(ch->mu);
    ch->state = PlayState::Stopped;
    return true;
}

std::vector<ChannelPtr> AllChannels() {
    std::lock_guard<std::mutex> lock(gTableMu);
    std::vector<ChannelPtr> all;
    for (auto& kv : gTable) all.push_back(kv.second);
    return all;
}

int64_t NowUs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (int64_t)((double)now.QuadPart * 1e6 / (double)freq.QuadPart);
}

static void RunSync(Channel& ch, const Sync& s, DWORD data) {
    if ((s.type & BASS_SYNC_MIXTIME) || ch.decodeOnly)
        s.proc(s.id, ch.handle, data, s.user);
    else
        QueueSync(s.id, ch.handle, data, s.proc, s.user, OutputLatencyUs());
}

void FireSyncs(Channel& ch, DWORD type, DWORD data) {
    // Copy first: a callback may add or remove syncs.
    std::vector<Sync> due;
    for (auto it = ch.syncs.begin(); it != ch.syncs.end();) {
        if ((it->type & 0xFFFFFF) == type) {
            due.push_back(*it);
            if (it->type & BASS_SYNC_ONETIME) {
                it = ch.syncs.erase(it);
                continue;
            }
        }
        ++it;
    }
    for (auto& s : due) RunSync(ch, s, data);
}

// The next POS sync frame after the current position, or -1.
static int64_t NextSyncFrame(Channel& ch) {
    int64_t best = -1;
    for (auto& s : ch.syncs)
        if ((s.type & 0xFFFFFF) == BASS_SYNC_POS && s.frame > ch.pos && (best < 0 || s.frame < best)) best = s.frame;
    return best;
}

static void Remember(Channel& ch, const float* frames, int64_t n) {
    if (ch.decodeOnly || n <= 0) return;
    if (ch.historyFrames == 0) {
        ch.historyFrames = 1 << 16;
        ch.history.assign((size_t)(ch.historyFrames * ch.chans), 0.0f);
    }
    // Only the newest historyFrames frames can stay; they go in as at most
    // two runs, one up to the ring's end and one from its start.
    int64_t skip = n > ch.historyFrames ? n - ch.historyFrames : 0;
    int64_t at = (ch.historyEnd + skip) % ch.historyFrames;
    const float* from = frames + skip * ch.chans;
    for (int64_t left = n - skip; left > 0;) {
        int64_t run = std::min(left, ch.historyFrames - at);
        memcpy(&ch.history[(size_t)(at * ch.chans)], from, (size_t)(run * ch.chans) * sizeof(float));
        from += run * ch.chans;
        left -= run;
        at = 0;
    }
    ch.historyEnd += n;
}

// One decoder read for ReadFrames: floats, scaled and kept for the analysis,
// or 16-bit samples as the source stores them.
static int64_t DecodeBlock(Channel& ch, float* out, int64_t frames) {
    int64_t got = ch.dec->Read(out, frames);
    if (got > 0) {
        if (ch.dspVolume != 1.0f)
            for (int64_t i = 0, n = got * ch.chans; i < n; i++) out[i] *= ch.dspVolume;
        Remember(ch, out, got);
    }
    return got;
}

static int64_t DecodeBlock(Channel& ch, int16_t* out, int64_t frames) { return ch.dec->ReadInt16(out, frames); }

template <typename Sample>
static int64_t ReadLoop(Channel& ch, Sample* out, int64_t frames) {
    int64_t done = 0;
    int loops = 0;
    while (done < frames && !ch.ended) {
        int64_t want = frames - done;
        int64_t sync = NextSyncFrame(ch);
        if (sync > 0 && sync - ch.pos < want) want = sync - ch.pos;
        if (ch.endFrame >= 0 && ch.endFrame - ch.pos < want) want = ch.endFrame - ch.pos;
        int64_t got = want > 0 ? DecodeBlock(ch, out + done * ch.chans, want) : 0;
        if (got == Decoder::kStalled) break;  // an internet stream waits for data
        if (got > 0) {
            int64_t before = ch.pos;
            ch.pos += got;
            done += got;
            loops = 0;
            // POS syncs whose frame was just reached.
            std::vector<Sync> due;
            for (auto it = ch.syncs.begin(); it != ch.syncs.end();) {
                if ((it->type & 0xFFFFFF) == BASS_SYNC_POS && it->frame > before && it->frame <= ch.pos) {
                    due.push_back(*it);
                    if (it->type & BASS_SYNC_ONETIME) {
                        it = ch.syncs.erase(it);
                        continue;
                    }
                }
                ++it;
            }
            if (!due.empty()) {
                for (auto& s : due) RunSync(ch, s, 0);
                break;  // a callback may have moved or stopped the channel
            }
            // A decoder ends a read where its news is due (a new logical stream).
            if (FireStreamEvents(ch)) break;
            continue;
        }
        // The end (or an error that ends the stream).
        FireSyncs(ch, BASS_SYNC_END, 0);
        if ((ch.flags & BASS_SAMPLE_LOOP) && ++loops < 3 && ch.dec->Seek(0)) {
            ch.pos = 0;
            ch.playFrom = 0;  // the heard position wraps with it
            continue;
        }
        ch.ended = true;
    }
    FireStreamEvents(ch);
    return done;
}

int64_t ReadFrames(Channel& ch, float* out, int64_t frames) { return ReadLoop(ch, out, frames); }

bool CanReadInt16(const Channel& ch) { return ch.decodeOnly && ch.dspVolume == 1.0f && ch.dec->ReadsInt16(); }

int64_t ReadFramesInt16(Channel& ch, int16_t* out, int64_t frames) { return ReadLoop(ch, out, frames); }

bool FireStreamEvents(Channel& ch) {
    DWORD events = ch.dec->TakeEvents(ch.pos);
    if (events & Decoder::kEventMeta) FireSyncs(ch, BASS_SYNC_META, 0);
    if (events & Decoder::kEventOggChange) FireSyncs(ch, BASS_SYNC_OGG_CHANGE, 0);
    if (events & Decoder::kEventStall) FireSyncs(ch, BASS_SYNC_STALL, 0);
    if (events & Decoder::kEventResume) FireSyncs(ch, BASS_SYNC_STALL, 1);
    return events != 0;
}

bool SetChannelFrame(Channel& ch, int64_t frame) {
    if (!ch.dec->Seek(frame)) return false;
    ch.pos = frame;
    ch.ended = false;
    ch.inUsed = ch.inHave = 0;
    ch.sourceDone = false;
    ch.drained = false;
    ch.endHeardUs = 0;
    if (ch.resampler) soxr_clear(ch.resampler);
    ch.mixedPos = (double)frame;
    ch.playFrom = frame;
    ch.historyEnd = frame;
    return true;
}

int64_t HeardFrame(Channel& ch) {
    if (ch.decodeOnly) return ch.pos;
    if (ch.drained && NowUs() >= ch.endHeardUs) return (int64_t)ch.mixedPos;
    if (ch.state != PlayState::Playing) return (int64_t)ch.mixedPos > ch.playFrom ? (int64_t)ch.mixedPos : ch.playFrom;
    double buffered = OutputBufferedSeconds() * ch.freq;
    int64_t heard = (int64_t)floor(ch.mixedPos - buffered);
    return heard < ch.playFrom ? ch.playFrom : heard;
}

float VolumeAt(Channel& ch, int64_t us) {
    if (!ch.slide.active) return ch.volume;
    const Slide& s = ch.slide;
    if (us >= s.startUs + s.durationUs || s.durationUs <= 0) return s.to;
    if (us <= s.startUs) return s.from;
    return s.from + (s.to - s.from) * (float)((double)(us - s.startUs) / (double)s.durationUs);
}
