// The play order as the rest of the player sees it.
#pragma once

// Makes the path the current track and plays it at once, outside the playlist.
void PlayFileNow(const wchar_t* path);
// Plays the playlist's current entry (the play button while stopped).
void PlayCurrentEntry();
// Next and Previous (buttons, keys); opposite inverts shuffle for one step.
bool PlayNext(bool opposite);
void PlayPrevious(bool opposite);
// Stops the engine and takes the now-playing look off the playlist.
void StopPlayOrder(bool keepDisplay, bool repaintPlaylist);
void RestartPlayList(bool repaint);
// The "Show Current" report.
void ShowCurrent();
// The main window's timer: position into the seek panel, end of track detection.
void PositionTick();
// Not stored: shut the system down when the playlist ends.
extern bool shutdownAfterPlayList;
