#include "media/cue_sheet.h"

bool HasEmbeddedCueSheet(const wchar_t*) { return false; }
bool PlayCueTrack(const wchar_t*) { return false; }
