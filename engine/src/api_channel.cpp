// Channel calls: information, tags, flags, playback, attributes, positions and syncs.
#include <math.h>
#include <atomic>
#include "bass.h"
#include "channel.h"
#include "mixer.h"
#include "error.h"
#include "library_state.h"
#include "output.h"

namespace {

std::atomic<DWORD> gNextSync{1};

// Finds and locks a channel for the rest of the call.
struct Locked {
    ChannelPtr ch;
    std::unique_lock<RecursiveLock> lock;
    explicit Locked(DWORD handle) : ch(FindChannel(handle)) {
        if (ch) lock = std::unique_lock<RecursiveLock>(ch->mu);
    }
    explicit operator bool() const { return ch != nullptr; }
    Channel* operator->() const { return ch.get(); }
};

// Stops feeding the device and puts the decoder back where the listener is,
// so nothing decoded ahead is lost.
void HoldAtHeard(Channel& ch) {
    int64_t heard = HeardFrame(ch);
    ch.state = PlayState::Paused;
    if (heard != ch.pos || ch.inHave != ch.inUsed) {
        if (!SetChannelFrame(ch, heard)) {
            ch.mixedPos = (double)heard;
            ch.playFrom = heard;
        }
    }
}

}  // namespace

extern "C" {

BOOL WINAPI BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!info) return Fail(BASS_ERROR_ILLPARAM, FALSE);
    info->freq = ch->freq;
    info->chans = ch->chans;
    info->flags = ch->flags;
    info->ctype = ch->dec->format.ctype;
    info->origres = ch->dec->format.origres;
    info->plugin = ch->plugin;
    info->sample = 0;
    info->filename = ch->filename.empty() ? nullptr : ch->filename.c_str();
    return Ok(TRUE);
}

const char* WINAPI BASS_ChannelGetTags(DWORD handle, DWORD tags) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (const char*)nullptr);
    FireStreamEvents(*ch.ch);  // an internet stream's newest title
    auto it = ch->dec->tags.find(tags);
    if (it == ch->dec->tags.end()) return Fail(BASS_ERROR_NOTAVAIL, (const char*)nullptr);
    return Ok(it->second.c_str());
}

DWORD WINAPI BASS_ChannelFlags(DWORD handle, DWORD flags, DWORD mask) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (DWORD)-1);
    // Only these may change after creation.
    const DWORD changeable = BASS_SAMPLE_LOOP | BASS_STREAM_AUTOFREE |
                             (ch->isMusic ? (BASS_MUSIC_RAMP | BASS_MUSIC_RAMPS | BASS_MUSIC_POSRESET |
                                             BASS_MUSIC_POSRESETEX | BASS_MUSIC_NONINTER | BASS_MUSIC_SINCINTER)
                                          : 0);
    mask &= changeable;
    ch->flags = (ch->flags & ~mask) | (flags & mask);
    return Ok(ch->flags);
}

BOOL WINAPI BASS_ChannelUpdate(DWORD handle, DWORD length) {
    Locked ch(handle);
    return ch ? Ok(TRUE) : Fail(BASS_ERROR_HANDLE, FALSE);
}

BOOL WINAPI BASS_ChannelLock(DWORD handle, BOOL lock) {
    ChannelPtr ch = FindChannel(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (lock) ch->mu.lock();
    else ch->mu.unlock();
    return Ok(TRUE);
}

BOOL WINAPI BASS_ChannelPlay(DWORD handle, BOOL restart) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (ch->decodeOnly) return Fail(BASS_ERROR_DECODE, FALSE);
    if (!OutputRunning()) return Fail(BASS_ERROR_START, FALSE);
    // A stream that has played to its end starts again from the beginning.
    bool finished = ch->drained || (ch->ended && ch->state == PlayState::Stopped);
    if (restart || finished) {
        if (!SetChannelFrame(*ch.ch, 0)) return Fail(BASS_ERROR_POSITION, FALSE);
    }
    if (ch->state != PlayState::Playing) {
        ch->playFrom = HeardFrame(*ch.ch);
        ch->state = PlayState::Playing;
        // Started from a MIXTIME sync of a channel being rendered: it follows that one's last frame.
        DWORD rendering = (DWORD)RenderingChannel();
        ch->chainedTo = rendering != handle ? rendering : 0;
    }
    return Ok(TRUE);
}

BOOL WINAPI BASS_ChannelStop(DWORD handle) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (ch->decodeOnly) {
        ch->ended = true;
    } else if (ch->state == PlayState::Playing) {
        HoldAtHeard(*ch.ch);
    }
    ch->state = PlayState::Stopped;
    if (ch->flags & BASS_STREAM_AUTOFREE) {
        FireSyncs(*ch.ch, BASS_SYNC_FREE, 0);
        RemoveChannel(handle);
    }
    return Ok(TRUE);
}

BOOL WINAPI BASS_ChannelPause(DWORD handle) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (ch->decodeOnly) return Fail(BASS_ERROR_DECODE, FALSE);
    if (ch->state != PlayState::Playing) return Fail(ch->state == PlayState::Paused ? BASS_ERROR_ALREADY : BASS_ERROR_NOPLAY, FALSE);
    HoldAtHeard(*ch.ch);
    return Ok(TRUE);
}

DWORD WINAPI BASS_ChannelIsActive(DWORD handle) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (DWORD)BASS_ACTIVE_STOPPED);
    if (ch->decodeOnly) return Ok((DWORD)(ch->ended ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING));
    switch (ch->state) {
    case PlayState::Playing:
        // Playing until the last sample given to the device has been heard.
        if (ch->drained && NowUs() >= ch->endHeardUs) {
            ch->state = PlayState::Stopped;
            return Ok((DWORD)BASS_ACTIVE_STOPPED);
        }
        return Ok((DWORD)(ch->dec->Stalled() ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING));
    case PlayState::Paused: return Ok((DWORD)BASS_ACTIVE_PAUSED);
    default: return Ok((DWORD)BASS_ACTIVE_STOPPED);
    }
}

BOOL WINAPI BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (attrib == BASS_ATTRIB_VOLDSP) {
        // Any scale, amplifying too; nonsense leaves the samples as they are.
        ch->dspVolume = value >= 0 && value <= 1000.0f ? value : 1.0f;
        return Ok(TRUE);
    }
    if (attrib != BASS_ATTRIB_VOL) return Fail(BASS_ERROR_ILLTYPE, FALSE);
    if (!(value >= 0)) value = 0;
    ch->slide.active = false;
    ch->volume = value;
    return Ok(TRUE);
}

BOOL WINAPI BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!value) return Fail(BASS_ERROR_ILLPARAM, FALSE);
    switch (attrib) {
    case BASS_ATTRIB_VOL: *value = VolumeAt(*ch.ch, NowUs()); return Ok(TRUE);
    case BASS_ATTRIB_VOLDSP: *value = ch->dspVolume; return Ok(TRUE);
    case BASS_ATTRIB_FREQ: *value = (float)ch->freq; return Ok(TRUE);
    case BASS_ATTRIB_PAN: *value = 0; return Ok(TRUE);
    case BASS_ATTRIB_CPU: *value = OutputCpuPercent(); return Ok(TRUE);
    default: return Fail(BASS_ERROR_ILLTYPE, FALSE);
    }
}

BOOL WINAPI BASS_ChannelSlideAttribute(DWORD handle, DWORD attrib, float value, DWORD time) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    if ((attrib & ~BASS_SLIDE_LOG) != BASS_ATTRIB_VOL) return Fail(BASS_ERROR_ILLTYPE, FALSE);
    if (!(value >= 0)) value = 0;
    int64_t now = NowUs();
    float from = VolumeAt(*ch.ch, now);
    ch->volume = from;
    ch->slide.active = true;
    ch->slide.from = from;
    ch->slide.to = value;
    ch->slide.startUs = now;
    ch->slide.durationUs = (int64_t)time * 1000;
    if (ch->decodeOnly || !OutputRunning()) {
        // Nothing renders this channel: the slide is over at once.
        ch->slide.active = false;
        ch->volume = value;
        FireSyncs(*ch.ch, BASS_SYNC_SLIDE, BASS_ATTRIB_VOL);
    }
    return Ok(TRUE);
}

BOOL WINAPI BASS_ChannelIsSliding(DWORD handle, DWORD attrib) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    bool sliding = ch->slide.active && (attrib == 0 || attrib == BASS_ATTRIB_VOL);
    return Ok(sliding ? TRUE : FALSE);
}

QWORD WINAPI BASS_ChannelGetLength(DWORD handle, DWORD mode) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (QWORD)-1);
    if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, (QWORD)-1);
    int64_t frames = ch->dec->Length();
    if (frames < 0) return Fail(BASS_ERROR_NOTAVAIL, (QWORD)-1);
    return Ok((QWORD)frames * ch->BytesPerFrame());
}

BOOL WINAPI BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    int64_t frame = (int64_t)(pos / ch->BytesPerFrame());
    int64_t length = ch->dec->Length();
    if ((mode & 0xFF) == BASS_POS_END) {
        if ((int64_t)pos < 0) return Fail(BASS_ERROR_POSITION, FALSE);
        // At or past the length it is the stream's own end again. An end the
        // decoding already reached may move on while the output still plays.
        ch->endFrame = length >= 0 && frame >= length ? -1 : frame;
        if (ch->ended && !ch->drained && !ch->sourceDone && (ch->endFrame < 0 || ch->endFrame > ch->pos) &&
            (length < 0 || ch->pos < length))
            ch->ended = false;
        return Ok(TRUE);
    }
    if ((mode & 0xFF) != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, FALSE);
    if ((int64_t)pos < 0 || (length >= 0 && frame > length)) return Fail(BASS_ERROR_POSITION, FALSE);
    if (!SetChannelFrame(*ch.ch, frame)) return Fail(BASS_ERROR_POSITION, FALSE);
    FireSyncs(*ch.ch, BASS_SYNC_SETPOS, 0);
    return Ok(TRUE);
}

QWORD WINAPI BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (QWORD)-1);
    if ((mode & 0xFF) != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, (QWORD)-1);
    int64_t frame = (mode & BASS_POS_DECODE) ? ch->pos : HeardFrame(*ch.ch);
    return Ok((QWORD)frame * ch->BytesPerFrame());
}

double WINAPI BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, -1.0);
    if ((int64_t)pos < 0) return Fail(BASS_ERROR_ILLPARAM, -1.0);
    return Ok((double)(pos / ch->BytesPerFrame()) / ch->freq);
}

QWORD WINAPI BASS_ChannelSeconds2Bytes(DWORD handle, double pos) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (QWORD)-1);
    if (!(pos >= 0) || pos > 1e9) return Fail(BASS_ERROR_ILLPARAM, (QWORD)-1);
    // Rounded to whole frames, so a round trip lands on the same frame.
    return Ok((QWORD)llround(pos * ch->freq) * ch->BytesPerFrame());
}

HSYNC WINAPI BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (HSYNC)0);
    if (!proc) return Fail(BASS_ERROR_ILLPARAM, (HSYNC)0);
    DWORD kind = type & 0xFFFFFF;
    Sync s{};
    switch (kind) {
    case BASS_SYNC_POS:
        if ((int64_t)param < 0) return Fail(BASS_ERROR_ILLPARAM, (HSYNC)0);
        s.frame = (int64_t)(param / ch->BytesPerFrame());
        break;
    case BASS_SYNC_END:
    case BASS_SYNC_SLIDE:
    case BASS_SYNC_FREE:
    case BASS_SYNC_SETPOS:
    case BASS_SYNC_META:        // a new ICY title of an internet stream
    case BASS_SYNC_OGG_CHANGE:  // a new logical stream of a chained Ogg file or stream
    case BASS_SYNC_STALL:
        break;
    default: return Fail(BASS_ERROR_ILLTYPE, (HSYNC)0);
    }
    s.id = gNextSync++;
    s.type = type;
    s.proc = proc;
    s.user = user;
    ch->syncs.push_back(s);
    return Ok(s.id);
}

BOOL WINAPI BASS_ChannelRemoveSync(DWORD handle, HSYNC sync) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, FALSE);
    for (auto it = ch->syncs.begin(); it != ch->syncs.end(); ++it)
        if (it->id == sync) {
            ch->syncs.erase(it);
            return Ok(TRUE);
        }
    return Fail(BASS_ERROR_HANDLE, FALSE);
}

DWORD WINAPI BASS_ChannelGetDevice(DWORD handle) {
    Locked ch(handle);
    if (!ch) return Fail(BASS_ERROR_HANDLE, (DWORD)-1);
    if (ch->decodeOnly) return Ok((DWORD)0x20000);  // BASS_NODEVICE
    return Ok((DWORD)Library().device);
}

}  // extern "C"
