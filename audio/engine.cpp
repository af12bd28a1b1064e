#include "audio/engine.h"
#include "audio/cue_playback.h"
#include "audio/player_events.h"
#include "base/general_settings.h"
#include "base/string_buffer.h"
#include "audio/net_stream.h"
#include "audio/overview.h"
#include "audio/plugins.h"
#include "audio/track_display.h"
#include "media/address_list.h"
#include "media/cue_files.h"
#include "base/disk_file.h"
#include <shlwapi.h>
#include <stdio.h>

// Threads. The library calls the sync callbacks below on its mixing thread.
// They only call the library and read `channel`, `cueOffsetMs`,
// `pauseRequested` and the loop flag, all atomic. Each callback acts on the
// channel it was set on and only while that is still the current one, so a
// callback that races StopTrack touches a handle the library already refuses
// rather than a newer track.

EngineState g_engine;
std::atomic<AudioChannel> channel{0};
std::atomic<int32_t> cueOffsetMs{0};
std::atomic<bool> pauseRequested{false};
static std::atomic<bool> loopForSyncs{false};
StringBuffer currentPath;
wchar_t realPath[MAX_PATH];
uint32_t seekLength = 1;
uint32_t seekPosition = 0;

static const uint32_t kFadeMs = 320;

bool g_gaplessPlayback = true;
// The track opened ahead (gapless): a channel that the current one's END sync
// (MIXTIME) starts, so that its first sample follows the last one in the
// mixer; and the path it belongs to. Only the window's thread touches these.
static AudioChannel g_nextChannel = 0;
static std::wstring g_nextPath;
// A CUE track opened ahead: its audio file, opened within the bounds below.
static bool g_nextBounded = false;
static std::wstring g_nextAudio;
// Or the CUE track that follows the current one in the same file: the current
// channel runs on into it (g_nextContinues), within these bounds.
static bool g_nextContinues = false;
static int32_t g_nextStartMs = 0, g_nextLengthMs = 0;
// A path that could not be opened ahead after this channel, not tried again.
static std::wstring g_refusedPath;
static AudioChannel g_refusedAfter = 0;
static bool g_bounded = false;  // the current track has an end of its own (a CUE track)
static AudioSync g_boundSync = 0;  // the sync at that end
static int64_t g_boundEndBytes = 0;  // where that end is: the channel ends there as at a file's end
// Read by the end rule on the mixing thread: run on at the bound, to the end
// of the next track, instead of ending there; and set by it when it did.
static std::atomic<bool> g_runOnAtBound{false};
static std::atomic<int64_t> g_runOnEndBytes{0};
static std::atomic<bool> g_ranOnPastBound{false};
// Reopening the last track at start-up stays quiet when the file is gone.
static bool g_quietOpen = false;

static float VolumeScale(uint32_t v) { return (float)(v > 65535 ? 65535 : v) / 65535.0f; }

bool InitAudio() {
    if (HIWORD(AudioVersion()) != 0x0204)
        MessageBoxW(nullptr, L"An incorrect version of BASS.DLL was loaded.", nullptr, MB_OK | MB_ICONERROR);
    g_engine.playState = PlayStateStopped;
    if (!AudioInit(-1, 192000, g_playerEvents.mainWindow())) {
        int devices = 0;
        std::wstring name;
        while (AudioDeviceName(devices + 1, &name)) devices++;
        if (devices == 0) {
            MessageBoxW(nullptr, L"No audio devices found", L"Initialization error", MB_OK | MB_ICONERROR);
        } else {
            char text[128];
            snprintf(text, sizeof(text), "%s\n(error code: %d)", "Can't initialize device", AudioErrorCode());
            MessageBoxA(nullptr, text, "Information", MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
        }
        return false;
    }
    LoadPlugins();
    g_engine.scanThread = nullptr;
    g_engine.initialised = true;
    g_playerEvents.repaintSpectrum();
    return true;
}

void ShutdownAudio() {
    StopTrack();
    if (g_engine.initialised) AudioFree();
    g_engine.initialised = false;
}

static bool StartsWithHttp(const wchar_t* path) { return _wcsnicmp(path, L"http", 4) == 0; }

// The levelling scale of a file's channel from its tags and the settings.
static void SetReplayGainOf(AudioChannel ch) {
    float scale = 1.0f;
    if (g_general.ReplayGainMode) {
        TagRecord tags;
        ReadChannelTags(ch, &tags);
        scale = ReplayGainScale(tags.replayGain, g_general.ReplayGainMode, g_general.ReplayGainPreamp,
                                g_general.ReplayGainUntagged);
    }
    AudioSetSampleScale(ch, scale);
}

static void CALLBACK StartNextChannel(AudioSync, AudioChannel, DWORD, void* user) {
    AudioPlay((AudioChannel)(uintptr_t)user);
}

void DropNextTrack() {
    if (g_nextChannel) {
        AudioStop(g_nextChannel);
        AudioFreeChannel(g_nextChannel);
    }
    g_nextChannel = 0;
    g_nextBounded = false;
    g_nextAudio.clear();
    // A bound the mixer already ran past stays passed: the tick ends the
    // track when that is heard, and the play order goes on from there; the
    // channel ends at the bound again (at once, when it is past it).
    g_runOnAtBound = false;
    if (g_nextContinues && channel) AudioSetEndBytes(channel, g_boundEndBytes);
    g_nextContinues = false;
    g_nextPath.clear();
}

const wchar_t* NextTrackPath() { return g_nextChannel || g_nextContinues ? g_nextPath.c_str() : nullptr; }

static uint32_t LengthMsOf(AudioChannel ch) {
    double seconds = AudioBytesToSeconds(ch, AudioLengthBytes(ch));
    double ms = seconds < 0 ? 1.0 : seconds * 1000.0;
    return ms < 1.0 ? 1 : ms > 4294967295.0 ? 0xFFFFFFFFu : (uint32_t)ms;
}

static bool IsCueTrackPath(const wchar_t* path);

// Where a CUE track of a channel's file ends. One at the file's end (give or
// take the rounding of milliseconds) is the file's own end.
static int64_t BoundEndBytes(AudioChannel ch, int32_t startMs, int32_t lengthMs) {
    int64_t end = AudioSecondsToBytes(ch, ((double)startMs + lengthMs) * 0.001);
    int64_t total = AudioLengthBytes(ch);
    return total >= 0 && total - end <= AudioSecondsToBytes(ch, 0.002) ? total : end;
}

// The CUE track after the current one, when it starts where the current one
// ends in the same file: the channel will run on into it.
static bool RunOnInto(const wchar_t* path, AudioChannel current) {
    int32_t start = 0, length = 0;
    if (!IsCueTrackPath(path) ||
        !SheetTrackFollows(path, realPath, (int32_t)LengthMsOf(current), cueOffsetMs + (int32_t)seekLength, &start, &length))
        return false;
    g_nextContinues = true;
    g_nextPath = path;
    g_nextStartMs = start;
    g_nextLengthMs = length;
    g_runOnEndBytes = BoundEndBytes(current, start, length);
    g_runOnAtBound = true;
    return true;
}

// Any other next entry, a plain file or a CUE track (its file within the
// track's bounds): opened now and started by the current channel's end.
static bool OpenAhead(const wchar_t* path, AudioChannel current) {
    SheetTrackPlace place;
    bool track = IsCueTrackPath(path);
    if (track && !FindSheetTrack(path, &place)) return false;
    std::wstring file = track ? place.audio : path;
    DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) || IsListFile(file.c_str()))
        return false;
    AudioChannel next = AudioOpenFile(file.c_str(), false, false);
    if (!next) return false;
    int32_t start = 0, length = 0;
    bool placed = !track || (SheetTrackBounds(place, (int32_t)LengthMsOf(next), &start, &length) &&
                             AudioSetPositionBytes(next, AudioSecondsToBytes(next, start * 0.001)) &&
                             AudioSetEndBytes(next, BoundEndBytes(next, start, length)));
    if (placed) {
        AudioSetVolume(next, VolumeScale(g_general.PlayerVolume));
        SetReplayGainOf(next);
    }
    if (!placed || !AudioSyncAtEnd(current, StartNextChannel, (void*)(uintptr_t)next)) {
        AudioFreeChannel(next);
        return false;
    }
    g_nextChannel = next;
    g_nextPath = path;
    g_nextBounded = track;
    g_nextAudio = file;
    g_nextStartMs = start;
    g_nextLengthMs = length;
    return true;
}

bool PrepareNextTrack(const wchar_t* path) {
    if ((g_nextChannel || g_nextContinues) && g_nextPath == path) return true;
    DropNextTrack();
    AudioChannel current = channel;
    if (!g_gaplessPlayback || !current || !path || !*path) return false;
    // A looping track has no end; skip silence ends it early, where the
    // overview finds the silence, and then the next one opens as always.
    if (g_general.isLoop || g_general.isSkipSilence || g_engine.netState != 0 || StartsWithHttp(realPath) ||
        StartsWithHttp(path))
        return false;
    if (current == g_refusedAfter && g_refusedPath == path) return false;
    // After a CUE track the next track of its file goes on on the same channel.
    bool ready = (g_bounded && RunOnInto(path, current)) || OpenAhead(path, current);
    if (!ready) {
        g_refusedAfter = current;
        g_refusedPath = path;
    }
    return ready;
}

static void CALLBACK EndRule(AudioSync, AudioChannel ch, DWORD, void* user);
static void* const kBoundEnd = (void*)1;  // the end rule's user value at a CUE track's end

// A CUE track's end: the channel ends there as a file ends, so that the track
// stops when its last sample is heard rather than when it is decoded, and its
// END sync starts a track opened ahead. The end rule there loops or runs on.
static void SetBoundSync(AudioChannel ch, int32_t startMs, int32_t lengthMs) {
    int64_t end = BoundEndBytes(ch, startMs, lengthMs);
    g_boundEndBytes = end;
    AudioSetEndBytes(ch, end);
    AudioRemoveSync(ch, g_boundSync);
    g_boundSync = AudioSyncAtPosition(ch, end, EndRule, kBoundEnd);
}

bool ContinueIntoTrackAhead(const wchar_t* trackPath) {
    AudioChannel ch = channel;
    if (!g_nextContinues || g_nextPath != trackPath || !g_ranOnPastBound || !ch) {
        DropNextTrack();
        return false;
    }
    // The new track's overview, as any open but a reopening starts one.
    g_engine.scanBusy = true;
    CancelOverviewScan();
    g_engine.scanComplete = false;
    g_engine.silenceBytes = -1;
    ClearOverview();
    cueOffsetMs = g_nextStartMs;
    seekLength = g_nextLengthMs < 1 ? 1 : (uint32_t)g_nextLengthMs;
    seekPosition = 0;
    SetBoundSync(ch, g_nextStartMs, g_nextLengthMs);
    g_nextContinues = false;
    g_nextPath.clear();
    g_runOnAtBound = false;
    g_ranOnPastBound = false;
    g_refusedPath.clear();
    g_engine.playState = PlayStateLoaded;
    g_playerEvents.trackOpened();
    return true;
}

bool RanIntoNextTrack() {
    return g_ranOnPastBound && channel && GetPosition() >= (int32_t)seekLength;
}

void ApplyReplayGain() {
    AudioChannel ch = channel;
    if (ch && !StartsWithHttp(realPath)) SetReplayGainOf(ch);
    if (g_nextChannel) SetReplayGainOf(g_nextChannel);
}

static AudioChannel OpenStream(const wchar_t* path, bool decode, bool loop) {
    if (!decode && StartsWithHttp(path)) return StartNetStream(path) ? 1 : 0;
    return AudioOpenFile(path, decode, loop);
}

// Opens a file as the current track, or makes `ahead` (a channel opened ahead
// of it and already sounding) the current track.
static bool OpenChannel(const wchar_t* path, AudioChannel ahead, bool updateUi, bool noScan) {
    bool wasBusy = g_engine.scanBusy.exchange(true);
    CancelOverviewScan();
    // Only a reopening of the same track (a device switch, a reload) keeps the
    // overview; any other open starts a new one, CUE tracks of one file too.
    if (!wasBusy) {
        g_engine.scanComplete = false;
        g_engine.silenceBytes = -1;
        ClearOverview();
    }

    cueOffsetMs = 0;
    g_bounded = false;
    g_boundSync = 0;
    StopTrack();
    seekLength = 1;
    seekPosition = 0;

    loopForSyncs = g_general.isLoop != 0;
    AudioChannel ch = ahead;
    if (ch) AudioSetLoop(ch, g_general.isLoop != 0);
    else ch = OpenStream(path, false, g_general.isLoop != 0);
    if (ch) {
        AudioSetVolume(ch, VolumeScale(g_general.PlayerVolume));
        g_engine.playState = PlayStateLoaded;
    }
    channel = ch;
    if (!ch) {
        g_engine.scanBusy = false;
        g_playerEvents.repaintSeekPanel();
        if (!g_playerEvents.playingFromPlayList() && !g_quietOpen)
            MessageBoxW(g_playerEvents.mainWindow(), L"Can't play file", path, MB_OK);
        return false;
    }
    wcsncpy(realPath, path, MAX_PATH - 1);
    realPath[MAX_PATH - 1] = 0;
    if (!StartsWithHttp(path) && !ahead) SetReplayGainOf(ch);

    seekLength = LengthMsOf(ch);

    // A kept overview's silence applies to the new channel as it did to the old one.
    if (wasBusy && g_engine.scanComplete) SetSkipSilenceAt(g_engine.silenceBytes);
    if (!noScan && !(wasBusy && g_engine.scanComplete)) {
        g_engine.scanComplete = false;
        g_engine.scanBusy = false;
        StartOverviewScan();
    }
    if (updateUi) {
        RefreshTrackDisplay();
        g_playerEvents.updateTitleAndTime();
        g_playerEvents.showNowPlaying(path);
        g_playerEvents.repaintSeekPanel();
    }
    g_playerEvents.trackOpened();
    return true;
}

// The track opened ahead when it is this one and already sounds (the one
// before ended into it); 0 otherwise, and then the open drops it.
static AudioChannel TakeAhead(const wchar_t* path, bool bounded) {
    if (!g_nextChannel || g_nextBounded != bounded || g_nextPath != path || AudioIsActive(g_nextChannel) != AudioPlaying)
        return 0;
    AudioChannel ahead = g_nextChannel;
    g_nextChannel = 0;
    g_nextPath.clear();
    return ahead;
}

bool OpenTrack(const wchar_t* path, bool updateUi, bool noScan) {
    return OpenChannel(path, TakeAhead(path, false), updateUi, noScan);
}

bool TakeOverTrackAhead(const wchar_t* trackPath) {
    std::wstring audio = g_nextAudio;
    int32_t start = g_nextStartMs, length = g_nextLengthMs;
    AudioChannel ahead = TakeAhead(trackPath, true);
    if (!ahead || !OpenChannel(audio.c_str(), ahead, false, true)) return false;
    g_bounded = true;
    cueOffsetMs = start;
    seekLength = (uint32_t)length;
    SetBoundSync(ahead, start, length);
    return true;
}

bool OpenTrackQuietly(const wchar_t* path, bool updateUi, bool noScan) {
    bool wasQuiet = g_quietOpen;
    g_quietOpen = true;
    bool opened = OpenTrack(path, updateUi, noScan);
    g_quietOpen = wasQuiet;
    return opened;
}

static bool IsCueTrackPath(const wchar_t* path) {
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return false;
    std::wstring p = path;
    size_t slash = p.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0) return false;
    return GetFileAttributesW(p.substr(0, slash).c_str()) != INVALID_FILE_ATTRIBUTES;
}

static bool IsExistingFile(const wchar_t* path) {
    DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

static const size_t kMaxListFile = 4 * 1024 * 1024;

bool OpenCurrent(bool updateUi) {
    const wchar_t* path = currentPath.c_str();
    bool opened;
    if (!*path) {
        opened = false;
    } else if (IsCueTrackPath(path)) {
        opened = PlayCueTrack(path);
        if (opened && updateUi) {
            g_playerEvents.updateTitleAndTime();
            g_playerEvents.showNowPlaying(path);
        }
    } else if (IsListFile(path) && IsExistingFile(path)) {
        std::string bytes;
        if (!ReadWholeFile(path, &bytes, kMaxListFile)) bytes.clear();
        StringBuffer text;
        text.SetFromBytes(bytes.data(), bytes.size(), CP_ACP);
        std::wstring list = JoinListFileLines(text.text);
        // An unreadable or empty list keeps its own path, which the failure then names.
        if (!list.empty()) currentPath.Set(list.c_str());
        opened = OpenTrack(currentPath.c_str(), updateUi, false);
    } else {
        opened = OpenTrack(path, updateUi, false);
    }
    g_playerEvents.repaintSeekPanel();
    return opened;
}

void Resume() {
    if (g_engine.netState == 1) return;
    AudioChannel ch = channel;
    pauseRequested = false;
    float v = VolumeScale(g_general.PlayerVolume);
    if (g_general.isSmoothPause) {
        AudioPlay(ch);
        AudioSlideVolume(ch, v, kFadeMs);
    } else {
        AudioSetVolume(ch, v);
        AudioPlay(ch);
    }
    g_engine.playState = PlayStatePlaying;
}

// End of the fade towards a pause: pause only if no resume came in between,
// and only the channel that faded.
static void CALLBACK FadeOutEnded(AudioSync, AudioChannel ch, DWORD, void*) {
    if (pauseRequested && ch == channel) AudioPause(ch);
}

void Pause() {
    DropNextTrack();
    AudioChannel ch = channel;
    if (g_general.isSmoothPause) {
        pauseRequested = true;
        AudioSlideVolume(ch, 0.0f, kFadeMs);
        AudioSyncSlideEnd(ch, FadeOutEnded, nullptr);
    } else {
        AudioPause(ch);
    }
    g_engine.playState = PlayStatePaused;
}

void TogglePlay() {
    switch (GetStatus()) {
    case StatusPlaying:
        g_playerEvents.listenPaused();
        Pause();
        break;
    case StatusPaused:
        if (g_general.isScrobblerEnabled) g_playerEvents.listenResumed();
        Resume();
        break;
    case StatusStopped:
        g_playerEvents.playCurrentEntry();
        break;
    default:
        break;
    }
    g_playerEvents.showPlayButtonState(GetStatus() == StatusPlaying);
}

void StopTrack() {
    DropNextTrack();
    CancelOverviewScan();
    CancelNetStream();
    AudioChannel ch = channel.exchange(0);
    g_ranOnPastBound = false;
    if (ch) {
        g_engine.netState = 0;
        pauseRequested = false;
        AudioStop(ch);
        AudioFreeChannel(ch);
    }
    g_engine.playState = PlayStateStopped;
}

int GetStatus() {
    AudioChannel ch = channel;
    if (!ch) return StatusStopped;
    switch (AudioIsActive(ch)) {
    case AudioStopped: return g_engine.playState == PlayStateLoaded ? StatusPaused : StatusStopped;
    case AudioPlaying: return g_engine.playState == PlayStatePaused ? StatusPaused : StatusPlaying;
    case AudioPaused: return StatusPaused;
    case AudioStalled: return StatusStalled;
    }
    return StatusStopped;
}

void SeekTo(uint32_t ms) {
    DropNextTrack();
    g_ranOnPastBound = false;
    AudioChannel ch = channel;
    AudioSetPositionBytes(ch, AudioSecondsToBytes(ch, ((double)cueOffsetMs + ms) * 0.001));
    // A run on past the bound that raced the drop ends at the bound again.
    if (g_bounded) AudioSetEndBytes(ch, g_boundEndBytes);
}

uint32_t SeekByPercentTarget(uint32_t length, uint32_t position, uint32_t percent, bool forward) {
    uint32_t step = (uint32_t)((uint64_t)length * percent / 100);
    if (!forward) return position > step ? position - step : 0;
    uint64_t target = (uint64_t)position + step;
    uint32_t last = length ? length - 1 : 0;
    return target >= last ? last : (uint32_t)target;
}

void SeekByPercent(uint32_t percent, bool forward) {
    uint32_t target = SeekByPercentTarget(seekLength, seekPosition, percent, forward);
    SeekTo(target);
    seekPosition = target;
    g_playerEvents.updatePositionDisplay();
}

int32_t GetPosition() {
    if (g_engine.netState != 0) return 0;
    AudioChannel ch = channel;
    double s = AudioBytesToSeconds(ch, AudioPositionBytes(ch));
    if (s < 0) return 0;
    return (int32_t)(s * 1000.0) - cueOffsetMs;
}

void SetPlayerVolume(uint32_t volume) {
    if (volume > 65535) volume = 65535;
    AudioSetVolume(channel, VolumeScale(volume));
    if (g_nextChannel) AudioSetVolume(g_nextChannel, VolumeScale(volume));
    g_general.PlayerVolume = volume;
}

void SetLoop(bool on) {
    if (on) DropNextTrack();
    g_general.isLoop = on;
    loopForSyncs = on;
    AudioSetLoop(channel, on);
}

// The end of a CUE track, or the start of trailing silence: loop back to the
// track's own start, run on into the next track of the file (its end is the
// channel's end now), or end, which the play order sees once it is heard. At
// trailing silence the channel stops at once.
static void CALLBACK EndRule(AudioSync, AudioChannel ch, DWORD, void* user) {
    if (ch != channel) return;
    if (loopForSyncs) {
        int64_t start = AudioSecondsToBytes(ch, cueOffsetMs * 0.001);
        if (AudioSetPositionBytes(ch, start)) return;
    }
    if (user != kBoundEnd) {
        AudioStop(ch);
    } else if (g_runOnAtBound) {
        AudioSetEndBytes(ch, g_runOnEndBytes);
        g_ranOnPastBound = true;
    }
}

void SetTrackBounds(int32_t startMs, int32_t lengthMs) {
    DropNextTrack();
    g_bounded = true;
    cueOffsetMs = startMs;
    seekLength = lengthMs < 1 ? 1 : (uint32_t)lengthMs;
    SetBoundSync(channel, startMs, lengthMs);
    SeekTo(0);
}

void SetSkipSilenceAt(int64_t bytes) {
    AudioChannel ch = channel;
    if (g_general.isSkipSilence && ch && bytes >= 0) AudioSyncAtPosition(ch, bytes, EndRule, nullptr);
}

int32_t PositionToRemember() {
    AudioChannel ch = channel;
    if (!ch) return -1;
    if (AudioIsActive(ch) == AudioStopped && g_engine.playState != PlayStateLoaded) return -1;
    int32_t pos = GetPosition();
    if (pos < 0) pos = 0;
    if ((uint32_t)pos > seekLength) pos = (int32_t)seekLength;
    return pos;
}

void ReopenLastTrack(const wchar_t* path, int32_t positionMs, bool fromPlayList) {
    if (fromPlayList) g_playerEvents.markNowPlayingEntry();
    g_playerEvents.listenStopped();
    currentPath.Set(path);
    g_quietOpen = true;
    bool opened = OpenCurrent(true);
    g_quietOpen = false;
    if (opened) {
        SeekTo((uint32_t)(positionMs < 0 ? 0 : positionMs));
        seekPosition = (uint32_t)(positionMs < 0 ? 0 : positionMs);
        // The position tick sees no change from here: the seek panel and the
        // time display take the position now.
        g_playerEvents.updatePositionDisplay();
    }
    g_playerEvents.showPlayButtonState(GetStatus() == StatusPlaying);
    g_playerEvents.refreshStatusLine();
}

void StopPlayback() {
    StopTrack();
    g_playerEvents.showPlayButtonState(false);
    g_playerEvents.refreshStatusLine();
}
