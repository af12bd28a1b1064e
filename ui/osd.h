// The on-screen display of the current track.
#pragma once

void ShowOsd(int countdown);
// The hot key's show/hide: switches between shown always and shown for a while.
void ToggleOsd();
