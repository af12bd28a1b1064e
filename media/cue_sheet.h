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

class ListView;

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
// Appends the sheet's tracks to the playlist; returns how many.
int ImportSheetToPlayList(const TagRecord& sheet);
// Fills the file list with the sheet's tracks: ".." back to the folder, then
// one row per track ("01 Intro.flac", "02 Duet [Guest].flac" when the track's
// performer is not the album's). Returns how many tracks.
int ImportSheetToFileList(const TagRecord& sheet);
// Opens a track's audio file within the track's bounds and shows the sheet's tags.
bool PlaySheetTrack(TagRecord* sheet, const wchar_t* trackName);
// mm:ss:ff (75 frames a second) in milliseconds; missing fields count 0.
int32_t CueTimeMs(const std::string& text);

// ---- what the rest of the player calls ----
// True when the file's tags carry a CUE sheet.
bool HasEmbeddedCueSheet(const wchar_t* path);
// Plays a virtual CUE track path within its bounds; false when it cannot.
bool PlayCueTrack(const wchar_t* trackPath);
// The file list's CUE merge: a sheet naming one audio file beside it joins
// that file's row ("Album.ape | cue"). The list shows the folder given.
void MergeCueSheets(ListView* fileList, const wchar_t* folder);
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
// Appends the sheet's tracks as playlist entries (the window's thread only),
// the audio file being audioLengthMs long; returns how many were appended.
int AppendCueTracks(const CueSheet& sheet, int32_t audioLengthMs);
