// CUE sheets: one audio file split into tracks, each track a virtual file
// (the sheet's path used as a folder: D:\Rips\Album.cue\01 Intro.flac).
// The sheet's bytes are searched for keywords; only the values taken are
// converted. Pure reading of a sheet's text: no file, no window (the files
// are media/cue_files.h).
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>
#include "media/tags.h"

// A sheet file's bytes as the text the sheet is read from: UTF-16 (with its
// mark) becomes UTF-8 with a UTF-8 mark; anything else stays as it is.
std::string SheetTextFromFile(std::string bytes);
int CountSheetFiles(const TagRecord& sheet);
// The audio file of a track ("03 Title"): its FILE line, in the sheet's folder.
std::wstring SheetAudioFile(const TagRecord& sheet, const wchar_t* trackName);
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
