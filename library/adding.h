// The adding thread as the rest of the player sees it.
#pragma once

// True while the adding thread fills the playlist.
bool IsAdding();
// Esc: asks the adding thread to stop.
void CancelAdding();
