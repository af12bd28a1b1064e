// CUE sheets as the rest of the player sees them.
#pragma once
#include <stdint.h>
#include <string>
#include <vector>

class ListView;

// What adding needs of a sheet: where it lies and the audio files its tracks play.
struct CueSheet {
    std::wstring path;                    // the .cue file, or the audio file whose tags carry it
    std::vector<std::wstring> audioFiles;  // full paths, in the order the sheet names them
};

// True when the file's tags carry a CUE sheet.
bool HasEmbeddedCueSheet(const wchar_t* path);
// Plays a virtual CUE track path within its bounds; false when it cannot.
bool PlayCueTrack(const wchar_t* trackPath);
// The file list's CUE merge: a sheet naming one audio file beside it joins
// that file's row ("Album.ape | cue"). The list shows the folder given.
void MergeCueSheets(ListView* fileList, const wchar_t* folder);

// ---- what adding files uses; reading runs on any thread ----
// Reads a .cue file; false when it cannot be read or does not parse.
bool ReadCueSheet(const wchar_t* path, CueSheet* sheet);
// Reads the sheet embedded in an audio file's tags; false when there is none.
bool ReadEmbeddedCueSheet(const wchar_t* audioPath, CueSheet* sheet);
// The sheet names exactly one audio file and that file exists: its path.
bool SingleAudioFile(const CueSheet& sheet, std::wstring* audioPath);
// A virtual track path (the sheet's path used as a folder): the track's length.
// False when the path is no track of a readable sheet.
bool CueTrackLength(const wchar_t* trackPath, int32_t* lengthMs);
// Appends the sheet's tracks as playlist entries (the window's thread only),
// the audio file being audioLengthMs long; returns how many were appended.
int AppendCueTracks(const CueSheet& sheet, int32_t audioLengthMs);
