// The play order as the rest of the player sees it.
#pragma once
#include <windows.h>
#include <stdint.h>

// Makes the path the current track and plays it at once, outside the playlist;
// with seekToOld (Alt held) at the position the seek panel showed.
void PlayFileNow(const wchar_t* path, bool seekToOld = false);
// Starts the loaded file again outside the playlist (Ctrl with the play
// button); with seekToOld at the position the seek panel showed.
void PlayCurrentFile(bool seekToOld);
// Plays the playlist's current entry (the play button while stopped).
void PlayCurrentEntry();
// Next and Previous (buttons, keys); opposite inverts shuffle for one step.
bool PlayNext(bool opposite);
void PlayPrevious(bool opposite);
// Plays entry n. An entry played before moves to the end of the history
// unless keepPosition; seekToOld starts at the position the seek panel showed.
bool PlayEntry(uint32_t n, bool keepPosition, bool seekToOld);
// Stops the engine and takes the now-playing look off the playlist.
void StopPlayOrder(bool keepDisplay, bool repaintPlaylist);
void RestartPlayList(bool repaint);
// The "Show Current" report.
void ShowCurrent();
// The main window's timer: position into the seek panel, end of track detection.
void PositionTick();
// The engine stopped by itself: go on, stop, or shut the system down.
void TrackEnded();
// The menu commands 40035 to 40041 that belong to the play order (the
// caller updates the shuffle and loop buttons from the settings); false for others.
bool RunPlayOrderCommand(UINT id);

// Not stored: shut the system down when the playlist ends.
extern bool shutdownAfterPlayList;
// What shuts the system down; true when it is on its way. Tests replace it.
extern bool (*g_shutDownSystem)();
