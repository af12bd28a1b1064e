// CUE sheets as the rest of the player sees them.
#pragma once

class ListView;

// True when the file's tags carry a CUE sheet.
bool HasEmbeddedCueSheet(const wchar_t* path);
// Plays a virtual CUE track path within its bounds; false when it cannot.
bool PlayCueTrack(const wchar_t* trackPath);
// The file list's CUE merge: a sheet naming one audio file beside it joins
// that file's row ("Album.ape | cue"). The list shows the folder given.
void MergeCueSheets(ListView* fileList, const wchar_t* folder);
