// Loudness levelling from a file's tags: the track and album gains and peaks
// (REPLAYGAIN_* names in Vorbis comments, APE tags, ID3v2 TXXX frames and MP4
// freeform atoms; R128_* gains of Opus files) and the scale they give.
// Pure logic: no window, no library call.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct ReplayGainTags {
    float trackGain = 0, trackPeak = 0, albumGain = 0, albumPeak = 0;  // dB; peaks as linear amplitudes
    bool hasTrackGain = false, hasTrackPeak = false, hasAlbumGain = false, hasAlbumPeak = false;
};

enum ReplayGainMode : uint32_t { ReplayGainOff = 0, ReplayGainTrack = 1, ReplayGainAlbum = 2 };

// A gain such as "-6.02 dB", "+3.5dB", " -6,02 " in decibels; false for anything else.
bool ParseGainText(const char* text, size_t n, float* db);
// A peak such as "0.988547": a positive amplitude; false for anything else.
bool ParsePeakText(const char* text, size_t n, float* peak);
// Takes a named value when it is one of the gains or peaks (names in any case);
// true when the name was one of them, whether or not its value made sense.
bool NoteReplayGainField(ReplayGainTags* g, const char* name, const char* value, size_t n);
// The scale for the samples: 1 when off; the track gain (mode 1) or the album
// gain, else the track gain (mode 2), plus the preamp, never driving the
// matching peak above full scale; a file without either gain gets `untaggedDb`.
float ReplayGainScale(const ReplayGainTags& g, uint32_t mode, int32_t preampDb, int32_t untaggedDb);
