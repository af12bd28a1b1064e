// The playback engine: the one current track and what is done to it.
// Everything here runs on the main window's thread, except the sync callbacks,
// which the audio library calls on its own threads (see engine.cpp).
#pragma once
#include <windows.h>
#include <stdint.h>
#include <atomic>
#include "base/string_buffer.h"
#include "audio/audio_library.h"
#include "audio/plugins.h"

enum PlayState : int32_t { PlayStatePlaying = 0, PlayStatePaused = 1, PlayStateStopped = 2, PlayStateLoaded = 4 };
enum EngineStatus { StatusPlaying = 0, StatusPaused = 1, StatusStopped = 2, StatusStalled = -1 };

struct EngineState {
    int32_t playState = PlayStateStopped;
    std::atomic<int32_t> netState{0};   // written by the connect thread of network streams
    int32_t sampleRate = 0;
    bool initialised = false;
    // The overview scan's claim on its thread slot and its flags.
    std::atomic<HANDLE> scanThread{nullptr};
    std::atomic<bool> scanCancel{false};
    std::atomic<bool> scanComplete{false};
    std::atomic<bool> scanBusy{false};
    // Where the completed overview found the track's final silence (a byte position), -1 for none.
    std::atomic<int64_t> silenceBytes{-1};
    std::vector<InputPluginRecord> plugins;  // the library's decoders, then the loaded plug-ins
};

extern EngineState g_engine;
// Shared with the sync callbacks, hence atomic.
extern std::atomic<AudioChannel> channel;
extern std::atomic<int32_t> cueOffsetMs;
extern std::atomic<bool> pauseRequested;
extern StringBuffer currentPath;       // as the user knows it: file, URL, "a|b" URLs, CUE track
extern wchar_t realPath[MAX_PATH];     // the audio file actually opened
// The seek panel's length and position in milliseconds; length 1 means no track.
extern uint32_t seekLength;
extern uint32_t seekPosition;

bool InitAudio();
void ShutdownAudio();
bool OpenTrack(const wchar_t* path, bool updateUi, bool noScan);
// The same without the "Can't play file" box (a CUE track's audio file).
bool OpenTrackQuietly(const wchar_t* path, bool updateUi, bool noScan);
bool OpenCurrent(bool updateUi);
void TogglePlay();
void Resume();
void Pause();
void StopTrack();
void SeekTo(uint32_t ms);
void SeekByPercent(uint32_t percent, bool forward);
uint32_t SeekByPercentTarget(uint32_t length, uint32_t position, uint32_t percent, bool forward);
int32_t GetPosition();
void SetPlayerVolume(uint32_t volume);
void SetLoop(bool on);
// Gapless playback (on unless switched off): the next track by the play order
// is opened ahead (a CUE track: its file within the track's bounds) and starts
// at the current one's last sample; OpenTrack of that path, or PlayCueTrack of
// that track, takes it over once it sounds. A CUE track followed by the next
// track of its file runs on into it on the same channel instead, and
// PlayCueTrack takes that over once the bound is heard. Not for a looping
// track, with skip silence, or for internet streams; anything else opens as before.
extern bool g_gaplessPlayback;
bool PrepareNextTrack(const wchar_t* path);  // false when nothing was opened ahead
void DropNextTrack();
const wchar_t* NextTrackPath();  // null when nothing is open ahead
// The CUE track opened ahead, once it sounds: its channel becomes the current
// track within the track's bounds. False, and the track ahead kept, otherwise.
bool TakeOverTrackAhead(const wchar_t* trackPath);
// The CUE track the current channel runs on into, once it ran past the bound:
// it becomes the current track (bounds, overview, on-screen display) without
// opening anything. False, and nothing kept ahead, for any other path.
bool ContinueIntoTrackAhead(const wchar_t* trackPath);
// The channel ran on past a CUE track's end into the next track and that end
// has been heard: the play order moves on as at any end.
bool RanIntoNextTrack();
// The loudness levelling of the open track follows the settings again (after a change in them).
void ApplyReplayGain();
int GetStatus();
void SetTrackBounds(int32_t startMs, int32_t lengthMs);
// The overview scan found where the final silence begins: with isSkipSilence
// on, the end rule runs there.
void SetSkipSilenceAt(int64_t bytes);

// What start-up and shutdown need.
int32_t PositionToRemember();   // lastPlayedPos: -1 when nothing is open or loaded
void ReopenLastTrack(const wchar_t* path, int32_t positionMs, bool fromPlayList);
void StopPlayback();
