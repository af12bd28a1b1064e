// The player's one door to the audio library (bass.dll). Nothing else in the
// player includes the library's header; everything goes through these calls.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>

typedef uint32_t AudioChannel;  // a stream or music handle, 0 for none
typedef uint32_t AudioSync;

// What BASS_ChannelIsActive reports.
enum AudioActivity { AudioStopped = 0, AudioPlaying = 1, AudioStalled = 2, AudioPaused = 3 };

// Called on a library thread: (sync, channel, data, user).
typedef void(CALLBACK* AudioSyncProc)(AudioSync sync, AudioChannel channel, DWORD data, void* user);

uint32_t AudioVersion();
bool AudioInit(int device, uint32_t frequency, HWND window);
void AudioFree();
int AudioErrorCode();
// Name of an output device numbered from 1; false past the last one.
bool AudioDeviceName(int device, std::wstring* name);
// The output's CPU load in percent (BASS_GetCPU).
float AudioCpu();

// Opens a file as a stream, or failing that as a tracker module. A decoding
// copy never plays; it serves scans and probes.
AudioChannel AudioOpenFile(const wchar_t* path, bool decode, bool loop);
void AudioFreeChannel(AudioChannel ch);
// The length in ms of a file opened for decoding only (a stream, else a
// module) and freed again; 0 when it cannot be opened. Any thread.
int32_t AudioFileLengthMs(const wchar_t* path);

int64_t AudioLengthBytes(AudioChannel ch);
int64_t AudioPositionBytes(AudioChannel ch);
bool AudioSetPositionBytes(AudioChannel ch, int64_t bytes);
double AudioBytesToSeconds(AudioChannel ch, int64_t bytes);  // -1.0 on failure
int64_t AudioSecondsToBytes(AudioChannel ch, double seconds);

bool AudioPlay(AudioChannel ch);  // never restarts
bool AudioPause(AudioChannel ch);
bool AudioStop(AudioChannel ch);
AudioActivity AudioIsActive(AudioChannel ch);

void AudioSetVolume(AudioChannel ch, float volume);
void AudioSlideVolume(AudioChannel ch, float volume, uint32_t ms);
float AudioGetVolume(AudioChannel ch);
void AudioSetLoop(AudioChannel ch, bool loop);

// Mix-time syncs: at a byte position, at the end of a volume slide (once).
AudioSync AudioSyncAtPosition(AudioChannel ch, int64_t bytes, AudioSyncProc proc, void* user);
AudioSync AudioSyncSlideEnd(AudioChannel ch, AudioSyncProc proc, void* user);
AudioSync AudioSyncAtEnd(AudioChannel ch, AudioSyncProc proc, void* user);
