// Helpers for the audio library's tests: the test media made by
// scripts/make-test-media.sh (linked as media\ beside the test programs),
// reference decodes, and whole-stream decoding through the library.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "bass.h"

std::wstring MediaPath(const char* name);
bool MediaExists(const char* name);
std::string MediaBytes(const char* name);
// A reference decode: raw float32 (.f32) or signed 16-bit (.s16) as floats.
std::vector<float> ReferenceF32(const char* name);
std::vector<int16_t> ReferenceS16(const char* name);

HSTREAM OpenDecode(const char* name, DWORD flags = 0);
// Everything the channel gives through BASS_ChannelGetData with BASS_DATA_FLOAT.
std::vector<float> DecodeFloat(DWORD handle, size_t maxFrames = 1u << 26);
std::vector<int16_t> DecodeS16(DWORD handle, size_t maxSamples = 1u << 27);

// Largest absolute difference over the common part; sizes must match separately.
double MaxDiff(const std::vector<float>& a, const std::vector<float>& b, size_t count);

// The audio of an MP3 file's bytes: after its ID3v2 tag, before its ID3v1 tag.
std::string Mp3AudioPart(const std::string& file);

// cbr.mp3's audio and ID3v1 tag after an ID3v2 tag (version 3 or 4) holding
// a title ("Before"), a picture of `pictureBytes`, an artist ("After"), an
// album in UTF-16 ("Un") and some padding.
std::string Mp3WithPicture(int version, size_t pictureBytes);

// cbr.mp3's frames alone (no tags, no Info frame): copies of it joined make a
// valid endless stream, as a radio server sends.
std::string RadioFrames();
