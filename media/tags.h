// Track metadata from the tag blocks the audio library hands out: ID3v1,
// ID3v2, the name=value blocks of Ogg, APE, MP4 and WMA files, and the
// metadata of internet streams. Pure parsing: no window, no library call.
#pragma once
#include <stdint.h>
#include <stddef.h>
#include <string>
#include "base/string_buffer.h"
#include "media/replay_gain.h"

// The audio library's tag block types.
enum TagBlockType { TagId3 = 0, TagId3v2 = 1, TagOgg = 2, TagHttp = 3, TagIcy = 4, TagMeta = 5, TagApe = 6,
                    TagMp4 = 7, TagWma = 8 };

struct TagRecord {
    StringBuffer path;
    StringBuffer album;
    StringBuffer artist;
    StringBuffer comment;
    StringBuffer genre;
    StringBuffer title;
    StringBuffer track;
    StringBuffer year;
    int32_t lengthMs = 0;
    std::string cueText;       // a CUE sheet found in the tags (UTF-8), or read from a ".cue" file
    bool hasCue = false;
    bool cueEmbedded = false;  // cueText came from a tag
    ReplayGainTags replayGain;
};

// Parses one block of `size` bytes into the record; later blocks win field by field.
// `codePage` is the one for text without an encoding of its own (0: the system's).
void ParseTagBlock(TagRecord* r, const char* block, size_t size, int type, unsigned codePage);
// One named value: the field-name mapping and the text clean-up. `count` -1: up to the NUL.
void SetTagField(TagRecord* r, const char* name, const char* bytes, ptrdiff_t count, unsigned codePage, int type);
// The captions shown when no track is loaded.
void FillCaptions(TagRecord* r);
// The ID3v1 genre name of a number, "(n)" past the table.
std::wstring GenreName(int n);

// How long a tag block is, for the library's blocks that carry no length:
// ID3v1 128 bytes, ID3v2 its header's size, name=value lists up to the empty
// string, stream metadata up to its NUL. `limit` bounds the search.
size_t TagBlockSize(const char* block, int type, size_t limit);
