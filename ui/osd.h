// The on-screen display of the current track.
#pragma once

void ShowOsd(int countdown);
