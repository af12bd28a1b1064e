// The information panel's view of the current track: its tags in the first
// column, the stream's format in the second; and the probes that read a
// file's length and tags without playing it.
#pragma once
#include <stdint.h>
#include <string>
#include "audio/audio_library.h"
#include "media/tags.h"

void RefreshTrackDisplay();
void ShowStreamInfo(bool repaint);
// Writes a tag record into the panel's first column and repaints it.
void ShowTagRecord(const TagRecord& tags);
// What the panel shows now: the title without its track number, the artist
// and the album (the on-screen display's lines).
struct ShownTrackText {
    std::wstring title, artist, album;
};
const ShownTrackText& ShownTrack();
bool ProbeTags(const wchar_t* path, TagRecord* tags);
// Milliseconds, -1 when the file does not open.
int32_t ProbeLength(const wchar_t* path);

// Reads the channel's tag blocks into the record: ID3v1 first, then the first
// of APE, ID3v2, OGG, WMA, MP4 and META; then its length.
void ReadChannelTags(AudioChannel ch, TagRecord* tags);
// The format name shown for a channel type (plug-in formats aside).
std::wstring FormatName(uint32_t type, bool loaded);
// kbit/s from a file's size and length; 0 when the length is unknown.
int BitRate(int64_t fileBytes, double seconds);
