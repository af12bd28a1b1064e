// CUE sheets as the rest of the player sees them.
#pragma once

// True when the file's tags carry a CUE sheet.
bool HasEmbeddedCueSheet(const wchar_t* path);
// Plays a virtual CUE track path within its bounds; false when it cannot.
bool PlayCueTrack(const wchar_t* trackPath);
