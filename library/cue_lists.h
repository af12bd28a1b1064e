// CUE sheets in the lists: a sheet's tracks as playlist entries or file-list
// rows, and the file list's merge of a sheet with its audio file's row.
#pragma once
#include <stdint.h>
#include "media/cue_files.h"

class ListView;

// Appends the sheet's tracks to the playlist; returns how many.
int ImportSheetToPlayList(const TagRecord& sheet);
// Fills the file list with the sheet's tracks: ".." back to the folder, then
// one row per track ("01 Intro.flac", "02 Duet [Guest].flac" when the track's
// performer is not the album's). Returns how many tracks.
int ImportSheetToFileList(const TagRecord& sheet);
// The file list's CUE merge: a sheet naming one audio file beside it joins
// that file's row ("Album.ape | cue"). The list shows the folder given.
void MergeCueSheets(ListView* fileList, const wchar_t* folder);
// Appends the sheet's tracks as playlist entries (the window's thread only),
// the audio file being audioLengthMs long; returns how many were appended.
int AppendCueTracks(const CueSheet& sheet, int32_t audioLengthMs);
