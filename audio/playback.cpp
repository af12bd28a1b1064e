#include "audio/playback.h"

// No track can be open until the engine exists, so nothing is remembered.
int32_t PositionToRemember() { return -1; }

void ReopenLastTrack(const wchar_t*, int32_t, bool) {}

void StopPlayback() {}
