// Tags and length of an MPEG audio file from its head and tail alone: one
// open and two or three reads, no decoder; a long ID3v2 tag's picture is
// passed over, not read. Adding a folder probes every file; this is the quick
// way for the commonest kind.
#pragma once
#include "media/tags.h"

// Fills the record as the audio library's tags and length would (ID3v1, then
// ID3v2; the length from the frame headers, see mpeg_headers.h). False when
// the file cannot be read or is not plainly MPEG audio: the first frame not
// right after the ID3v2 tag, an APE tag at the end, an ID3v2 tag over 16 MiB.
// The caller then asks the audio library. Safe on any thread.
bool QuickProbeMpeg(const wchar_t* path, TagRecord* tags, unsigned codePage);
