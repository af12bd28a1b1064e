// The information panel's view of the current track.
#pragma once

void RefreshTrackDisplay();
