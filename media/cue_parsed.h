// A CUE sheet's text read in one pass: the places of the keyword lines the
// player reads, and the questions answered from them. Shared by the sheet's
// pure reading (cue_sheet.cpp) and the reading of sheet files (cue_files.cpp).
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>
#include "media/tags.h"

enum SheetKey : uint8_t { KeyFile, KeyTrack, KeyTitle, KeyPerformer, KeyIndex00, KeyIndex01, KeyRemSkip,
                          KeyRemGenre, KeyRemDate, KeyRemComment, kSheetKeys };

// A line that starts with a keyword: where the keyword stands and where the line ends.
struct KeyLine {
    size_t at = std::string::npos, end = std::string::npos;
    SheetKey key = KeyFile;
    bool Found() const { return at != std::string::npos; }
};

struct ParsedTrack {
    KeyLine line;            // its TRACK line
    KeyLine title, performer, index01, skip;  // the first of each in its block
    KeyLine index00;         // its pregap, which ends the track before it
    int file = -1;           // the FILE line before it (index into files)
    bool fileInBlock = false;  // a FILE line stands between it and the next TRACK
};

struct ParsedSheet {
    std::vector<KeyLine> files;  // every FILE line
    std::vector<ParsedTrack> tracks;
    KeyLine album[kSheetKeys];   // the sheet's own fields: the first of each before the first FILE
};

ParsedSheet ParseSheet(const std::string& text);
// A keyword's value as bytes: quotes taken off.
std::string SheetValue(const std::string& text, const KeyLine& line);
// The track whose TRACK line reads "TRACK 07" (at least two digits), or -1.
int FindSheetTrack(const std::string& text, const ParsedSheet& s, int number);
// A value as text: UTF-8 in an embedded sheet or one with a UTF-8 mark, else
// the code page of the settings (file names: the system's).
std::wstring DecodeSheetValue(const TagRecord& sheet, const std::string& value, bool fileName = false);
// The folder of a path with its last backslash; empty without one.
std::wstring FolderOfPath(const std::wstring& path);
// The number a track's name starts with ("03 Title": 3).
int TrackNumberOf(const wchar_t* name);
// Start and length of a track, its audio file being totalMs long; false without an INDEX 01.
bool SheetTimesOf(const std::string& text, const ParsedSheet& s, size_t track, int32_t totalMs, int32_t* startMs,
                  int32_t* lengthMs);
