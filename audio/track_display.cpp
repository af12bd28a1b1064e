#include "audio/track_display.h"

void RefreshTrackDisplay() {}
