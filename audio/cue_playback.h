// Playing a CUE sheet's track: its audio file opened within the track's bounds.
#pragma once
#include <stdint.h>
#include <string>
#include "media/tags.h"

// Opens a track's audio file within the track's bounds and shows the sheet's tags.
bool PlaySheetTrack(TagRecord* sheet, const wchar_t* trackName);
// Plays a virtual CUE track path within its bounds; false when it cannot. The
// track the current one runs on into (see PrepareNextTrack) goes on on the
// same channel without opening the file again; one opened ahead and already
// sounding is taken over as it is.
bool PlayCueTrack(const wchar_t* trackPath);
// Where a virtual CUE track's sound is: its audio file, and its bounds once
// the file's length is known.
struct SheetTrackPlace {
    TagRecord sheet;
    size_t track = 0;
    std::wstring audio;
};
bool FindSheetTrack(const wchar_t* trackPath, SheetTrackPlace* place);
bool SheetTrackBounds(const SheetTrackPlace& place, int32_t fileMs, int32_t* startMs, int32_t* lengthMs);
// True when a virtual CUE track plays from the audio file audioPath (fileMs
// long) and starts where endMs of it ends; then its bounds.
bool SheetTrackFollows(const wchar_t* trackPath, const wchar_t* audioPath, int32_t fileMs, int32_t endMs,
                       int32_t* startMs, int32_t* lengthMs);
