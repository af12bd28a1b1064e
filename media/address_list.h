// A ".m3u" or ".cue" list opened as a track: its lines are addresses (of
// internet streams, or files) that the player tries one after another.
// Pure text work: no file, no window.
#pragma once
#include <string>

// The list's lines joined with "|": blanks and CRs trimmed from both ends,
// empty lines and "#" comment lines left out.
std::wstring JoinListFileLines(const std::wstring& text);
