#include "media/cue_sheet.h"

bool HasEmbeddedCueSheet(const wchar_t*) { return false; }
bool PlayCueTrack(const wchar_t*) { return false; }
// Sheets are not read yet: every sheet stays a row of its own.
void MergeCueSheets(ListView*, const wchar_t*) {}
