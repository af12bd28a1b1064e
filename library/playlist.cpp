#include "library/playlist.h"

void InitPlayListControl(ListView*) {}
void InitStatusLine(ListView*) {}
void RefreshStatusLine() {}

// The playlist holds no entries yet: there is nothing to write, and nothing is loaded.
void SavePlayList() {}
bool LoadPlayList() { return false; }
int PlayListCount() { return 0; }
void PlayListSelectAll() {}
void PlayListSelectFirst() {}
void ClearPlayList() {}
void FocusPlayList() {}
bool PlayingFromPlayList() { return false; }
void MarkNowPlayingEntry() {}
void RepaintPlayList() {}
