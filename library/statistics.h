// Listening statistics as the engine sees them.
#pragma once

struct TagRecord;

void StatsAccountListened();
void StatsStampResume();
void StatsStopListen();
// The track now playing, as the information panel read it.
void StatsNowPlaying(const TagRecord& tags);
