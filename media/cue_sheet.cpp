#include "media/cue_sheet.h"
#include <windows.h>

bool HasEmbeddedCueSheet(const wchar_t*) { return false; }
bool PlayCueTrack(const wchar_t*) { return false; }
// Sheets are not read yet: every sheet stays a row of its own.
void MergeCueSheets(ListView*, const wchar_t*) {}

// Sheets are not read yet: a sheet adds nothing, as one that does not parse.
bool ReadCueSheet(const wchar_t*, CueSheet*) { return false; }
bool ReadEmbeddedCueSheet(const wchar_t*, CueSheet*) { return false; }
bool CueTrackLength(const wchar_t*, int32_t*) { return false; }
int AppendCueTracks(const CueSheet&, int32_t) { return 0; }

bool SingleAudioFile(const CueSheet& sheet, std::wstring* audioPath) {
    if (sheet.audioFiles.size() != 1) return false;
    DWORD a = GetFileAttributesW(sheet.audioFiles[0].c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return false;
    *audioPath = sheet.audioFiles[0];
    return true;
}
