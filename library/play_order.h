// The play order as the rest of the player sees it.
#pragma once

// Makes the path the current track and plays it at once, outside the playlist.
void PlayFileNow(const wchar_t* path);
// Plays the playlist's current entry (the play button while stopped).
void PlayCurrentEntry();
