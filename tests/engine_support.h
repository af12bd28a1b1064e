// Helpers for the audio library's tests: the test media made by
// scripts/make-test-media.sh (linked as media\ beside the test programs),
// reference decodes, and whole-stream decoding through the library.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "bass.h"
#include "media/tags.h"

std::wstring MediaPath(const char* name);
bool MediaExists(const char* name);
std::string MediaBytes(const char* name);
// A reference decode: raw float32 (.f32) or signed 16-bit (.s16) as floats.
std::vector<float> ReferenceF32(const char* name);
std::vector<int16_t> ReferenceS16(const char* name);

HSTREAM OpenDecode(const char* name, DWORD flags = 0);
// A decoding stream of bytes in memory (they must outlive it).
HSTREAM OpenMemory(const std::string& bytes, DWORD flags = 0);
BASS_CHANNELINFO ChannelInfo(DWORD handle);
// An add-on from the Plugins folder beside the test program.
HPLUGIN LoadTestAddon(const wchar_t* dll);
// The entries of a tag block of NUL-terminated texts, and whether one is there.
std::vector<std::string> TagEntries(const char* block);
bool HasEntry(const std::vector<std::string>& entries, const std::string& entry);
// Everything the channel gives through BASS_ChannelGetData with BASS_DATA_FLOAT.
std::vector<float> DecodeFloat(DWORD handle, size_t maxFrames = 1u << 26);
std::vector<int16_t> DecodeS16(DWORD handle, size_t maxSamples = 1u << 27);

// Largest absolute difference over the common part; sizes must match separately.
double MaxDiff(const std::vector<float>& a, const std::vector<float>& b, size_t count);

// The tags the library reads from a file it opens (false: it does not), and
// what the quick probe of MPEG files must agree with.
bool LibraryTags(const wchar_t* path, TagRecord* tags);
void ExpectSameTags(const TagRecord& quick, const TagRecord& library);

std::string Le32(uint32_t v);
std::string Be32(uint32_t v);

// The audio of an MP3 file's bytes: after its ID3v2 tag, before its ID3v1 tag.
std::string Mp3AudioPart(const std::string& file);

// cbr.mp3's audio and ID3v1 tag after an ID3v2 tag (version 3 or 4) holding
// a title ("Before"), a picture of `pictureBytes`, an artist ("After"), an
// album in UTF-16 ("Un") and some padding.
std::string Mp3WithPicture(int version, size_t pictureBytes);

// cbr.mp3's frames alone (no tags, no Info frame): copies of it joined make a
// valid endless stream, as a radio server sends.
std::string RadioFrames();
