// The playlist as the rest of the player sees it.
#pragma once

// Writes PlayList.dcp.
void SavePlayList();
// Reads PlayList.dcp; false when nothing was loaded.
bool LoadPlayList();
int PlayListCount();
void PlayListSelectAll();
void PlayListSelectFirst();
// Removes the selected entries.
void ClearPlayList();
void FocusPlayList();
// The current track was started from the playlist (suppresses "Can't play file").
bool PlayingFromPlayList();
void MarkNowPlayingEntry();
void RepaintPlayList();
