// CUE sheets as files: reading a ".cue" (or ".m3u") file or the sheet in an
// audio file's tags, finding the audio files a sheet names, and the lengths
// of its tracks as virtual files.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <memory>
#include <string>
#include <vector>
#include "media/cue_sheet.h"

// No sheet is larger: a bigger file is no sheet at all.
constexpr size_t kMaxCueSheetBytes = 1 << 20;

// Reads a ".cue" (or ".m3u") file, or the sheet embedded in an audio file's tags.
bool LoadSheet(const wchar_t* path, TagRecord* sheet);
// True when the file exists, or a sibling with another audio extension does
// (then the path is changed to it).
bool FindAudioFile(std::wstring* path);

// What reading sheets asks of the audio layer: a file's tags (for an embedded
// sheet) and an audio file's length. Start-up puts the track display's probes
// here; until then no file has either.
struct CueProbes {
    bool (*tags)(const wchar_t* path, TagRecord* out);
    int32_t (*length)(const wchar_t* path);
};
extern CueProbes g_cueProbes;
// A virtual track path split at its last backslash: the sheet and the track's name.
bool SplitTrackPath(const wchar_t* trackPath, std::wstring* container, std::wstring* name);
// A list file (the file groups' group 18) by its extension: "cue" or "m3u".
bool IsListFile(const wchar_t* path);
// True when the file's tags carry a CUE sheet.
bool HasEmbeddedCueSheet(const wchar_t* path);
// A file-list name of a merged row: the part from its last "|" is "| cue".
bool IsMergedCueName(const wchar_t* name);

// What adding needs of a sheet: where it lies and the audio files its tracks play.
struct CueSheet {
    std::wstring path;                     // the .cue file, or the audio file whose tags carry it
    std::vector<std::wstring> audioFiles;  // full paths, in the order the sheet names them
    TagRecord record;
};
// Reads a .cue file; false when it cannot be read or names no file.
bool ReadCueSheet(const wchar_t* path, CueSheet* sheet);
// Reads the sheet embedded in an audio file's tags; false when there is none.
bool ReadEmbeddedCueSheet(const wchar_t* audioPath, CueSheet* sheet);
// The sheet names exactly one audio file and that file exists: its path.
bool SingleAudioFile(const CueSheet& sheet, std::wstring* audioPath);
// A virtual track path (the sheet's path used as a folder): the track's length.
// False when the path is no track of a readable sheet.
bool CueTrackLength(const wchar_t* trackPath, int32_t* lengthMs);
// The same for many tracks in a row (adding a sheet's tracks): the sheet is
// read and its audio file probed once, not once per track.
class CueTrackLengths {
public:
    CueTrackLengths();
    ~CueTrackLengths();
    bool Length(const wchar_t* trackPath, int32_t* lengthMs);

private:
    struct Sheet;
    std::unique_ptr<Sheet> last;
};
