#include "library/statistics.h"

void StatsAccountListened() {}
void StatsStampResume() {}
void StatsStopListen() {}
void StatsNowPlaying(const TagRecord&) {}
