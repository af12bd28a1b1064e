// CUE sheets: one audio file split into tracks, each track a virtual file
// (the sheet's path used as a folder: D:\Rips\Album.cue\01 Intro.flac).
// The sheet's bytes are searched for keywords; only the values taken are
// converted.
#pragma once
#include <stdint.h>
#include <memory>
#include <string>
#include <vector>
#include "media/tags.h"

// No sheet is larger: a bigger file is no sheet at all.
constexpr size_t kMaxCueSheetBytes = 1 << 20;

// ---- the sheet itself ----
// Reads a ".cue" (or ".m3u") file, or the sheet embedded in an audio file's tags.
bool LoadSheet(const wchar_t* path, TagRecord* sheet);
// A sheet file's bytes as the text the sheet is read from: UTF-16 (with its
// mark) becomes UTF-8 with a UTF-8 mark; anything else stays as it is.
std::string SheetTextFromFile(std::string bytes);
int CountSheetFiles(const TagRecord& sheet);
// The audio file of a track ("03 Title"): its FILE line, in the sheet's folder.
std::wstring SheetAudioFile(const TagRecord& sheet, const wchar_t* trackName);
// True when the file exists, or a sibling with another audio extension does
// (then the path is changed to it).
bool FindAudioFile(std::wstring* path);
// Start and length of the track whose TRACK keyword is at `position`.
bool TrackTimes(const TagRecord& sheet, size_t position, int32_t totalMs, int32_t* startMs, int32_t* lengthMs);
// A track's length; 0 when the sheet has no such track.
int32_t TrackLength(TagRecord* sheet, const wchar_t* trackName);
// What playing a track takes from the sheet: the sheet's album fields and the
// track's own (number, title, performer) go into the record; the audio file the
// track plays (empty when the sheet names none) and its place in the sheet.
// False when the sheet has no such track.
bool SheetTrackFields(TagRecord* sheet, const wchar_t* trackName, std::wstring* audio, size_t* trackIndex);
// Start and length of the track at that place, its audio file being totalMs long.
bool SheetTrackTimes(const TagRecord& sheet, size_t trackIndex, int32_t totalMs, int32_t* startMs, int32_t* lengthMs);
// One track as the lists show it.
struct SheetTrackRow {
    std::wstring number;     // "01 ": the number and the space after it
    std::wstring title;      // its TITLE, else "Track 01"
    std::wstring performer;  // its own PERFORMER; empty when none
    bool timed;              // start and length are known (against the sheet's lengthMs)
    int32_t startMs, lengthMs;
};
// The sheet's tracks in order, but those whose block holds REM SKIP; the
// extension of its first FILE name and the album's performer. False when the
// sheet names no file.
bool ListSheetTracks(const TagRecord& sheet, std::vector<SheetTrackRow>* rows, std::wstring* extension,
                     std::wstring* albumPerformer);
// mm:ss:ff (75 frames a second) in milliseconds; missing fields count 0.
int32_t CueTimeMs(const std::string& text);

// ---- what the rest of the player calls ----
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
