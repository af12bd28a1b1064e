// The playback engine as the rest of the player sees it.
#pragma once
#include <stdint.h>

// The position to keep as lastPlayedPos: -1 when no track is open.
int32_t PositionToRemember();
// Opens the last track of the previous run at its position, loaded and not playing.
void ReopenLastTrack(const wchar_t* path, int32_t positionMs, bool fromPlayList);
// Stops whatever plays (shutdown).
void StopPlayback();
