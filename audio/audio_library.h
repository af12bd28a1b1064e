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
// An output device numbered from 1: its name and driver (system code page) and
// BASS_DEVICE_* flags; false past the last one.
struct AudioDeviceDetails {
    std::string name, driver;
    uint32_t flags = 0;
};
bool AudioDeviceDetailsOf(int device, AudioDeviceDetails* d);
enum : uint32_t { AudioDeviceEnabled = 1, AudioDeviceInitialised = 4 };
// The device in use; -1 when none.
int AudioCurrentDevice();
// What BASS_GetInfo reports of the device in use.
struct AudioOutputInfo {
    uint32_t flags, hwsize, hwfree, freesam, free3d, minrate, maxrate, dsver, speakers, freq;
};
bool AudioGetOutputInfo(AudioOutputInfo* info);
// The output's CPU load in percent (BASS_GetCPU).
float AudioCpu();

// Input plug-ins: load one (0 when it does not load), read its first format
// (its decoder name and extension list such as "*.flac;*.fla"), free it.
uint32_t AudioPluginLoad(const wchar_t* path);
bool AudioPluginFirstFormat(uint32_t plugin, std::string* name, std::string* extensions);
void AudioPluginFree(uint32_t plugin);

// What the library says of a channel's format.
struct AudioChannelFormat {
    uint32_t frequency = 0;
    uint32_t channels = 0;
    uint32_t type = 0;          // BASS_CTYPE_*
    uint32_t sourceBits = 0;    // the source's resolution, 0 when it has none
    uint32_t plugin = 0;        // the plug-in that decodes it, 0 for the library itself
};
bool AudioGetFormat(AudioChannel ch, AudioChannelFormat* f);
// The name a plug-in gives a channel type; false when it lists no such type.
bool AudioPluginFormatName(uint32_t plugin, uint32_t type, std::string* name);
// A tag block of the channel (BASS_TAG_*), or null.
const char* AudioGetTags(AudioChannel ch, uint32_t type);
// The size of the channel's file in bytes, -1 when unknown.
int64_t AudioFileSize(AudioChannel ch);

// The 512 magnitudes of a 1024-point FFT of what plays now.
bool AudioGetFft1024(AudioChannel ch, float* magnitudes512);
// Interleaved float samples of what plays now; false on failure.
bool AudioGetFloats(AudioChannel ch, float* out, uint32_t count);
// The level of the next 20 ms (loword left, hiword right); 0xFFFFFFFF at the end or on failure.
uint32_t AudioGetLevel(AudioChannel ch);

// Opens a file as a stream, or failing that as a tracker module. A decoding
// copy never plays; it serves scans and probes.
AudioChannel AudioOpenFile(const wchar_t* path, bool decode, bool loop);
void AudioFreeChannel(AudioChannel ch);

int64_t AudioLengthBytes(AudioChannel ch);
int64_t AudioPositionBytes(AudioChannel ch);
bool AudioSetPositionBytes(AudioChannel ch, int64_t bytes);
// Where the channel ends, as a file ends at its last sample (its END sync, and
// stopped once that sample is heard); the length or past it for the file's own end.
bool AudioSetEndBytes(AudioChannel ch, int64_t bytes);
double AudioBytesToSeconds(AudioChannel ch, int64_t bytes);  // -1.0 on failure
int64_t AudioSecondsToBytes(AudioChannel ch, double seconds);

bool AudioPlay(AudioChannel ch);  // never restarts
bool AudioPause(AudioChannel ch);
bool AudioStop(AudioChannel ch);
AudioActivity AudioIsActive(AudioChannel ch);

void AudioSetVolume(AudioChannel ch, float volume);
void AudioSlideVolume(AudioChannel ch, float volume, uint32_t ms);
float AudioGetVolume(AudioChannel ch);
// A scale on the decoded samples (the loudness levelling), apart from the volume and its slides.
void AudioSetSampleScale(AudioChannel ch, float scale);
float AudioGetSampleScale(AudioChannel ch);
void AudioSetLoop(AudioChannel ch, bool loop);

// Mix-time syncs: at a byte position, at the end of a volume slide (once).
AudioSync AudioSyncAtPosition(AudioChannel ch, int64_t bytes, AudioSyncProc proc, void* user);
AudioSync AudioSyncSlideEnd(AudioChannel ch, AudioSyncProc proc, void* user);
AudioSync AudioSyncAtEnd(AudioChannel ch, AudioSyncProc proc, void* user);
void AudioRemoveSync(AudioChannel ch, AudioSync sync);

// Internet streams. A URL in the system code page, streamed in blocks, the
// server's headers given to proc (buffer, 0), freed by the library at its end.
typedef void(CALLBACK* AudioDownloadProc)(const void* buffer, DWORD length, void* user);
AudioChannel AudioOpenUrl(const char* url, AudioDownloadProc proc, void* user);
enum AudioFilePos { AudioFileBuffered, AudioFileEnd, AudioFileConnected };
uint64_t AudioFilePosition(AudioChannel ch, AudioFilePos which);  // all ones on failure
// New stream titles (ICY metadata, Ogg comments).
void AudioSyncTitles(AudioChannel ch, AudioSyncProc proc, void* user);
