// Listening statistics as the engine sees them.
#pragma once

void StatsAccountListened();
void StatsStampResume();
void StatsStopListen();
