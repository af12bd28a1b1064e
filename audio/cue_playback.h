// Playing a CUE sheet's track: its audio file opened within the track's bounds.
#pragma once
#include "media/tags.h"

// Opens a track's audio file within the track's bounds and shows the sheet's tags.
bool PlaySheetTrack(TagRecord* sheet, const wchar_t* trackName);
// Plays a virtual CUE track path within its bounds; false when it cannot.
bool PlayCueTrack(const wchar_t* trackPath);
