// The file groups: name patterns with their looks.
#pragma once

// Makes the path the only pattern of the now-playing group.
void SetNowPlayingPattern(const wchar_t* path);
// A list file (group 18): "cue" or "m3u".
bool IsListFile(const wchar_t* path);
