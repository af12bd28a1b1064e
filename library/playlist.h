// The playlist as the rest of the player sees it.
#pragma once

class ListView;

// The main window creates the playlist and the status line (the three-row
// summary under it); the playlist gives them their columns, texts and behaviour.
void InitPlayListControl(ListView* list);
void InitStatusLine(ListView* statusLine);
// Refreshes the status line's "Time.", "Tracks." and "Selected." rows.
void RefreshStatusLine();

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
