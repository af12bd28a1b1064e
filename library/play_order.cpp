#include "library/play_order.h"
#include "app/main_view.h"
#include "audio/engine.h"
#include "library/playlist.h"

// Opens the path as the current track, outside the playlist, and starts it.
void PlayFileNow(const wchar_t* path) {
    currentPath.Set(path);
    if (OpenCurrent(true)) Resume();
    ShowPlayButtonState(GetStatus() == StatusPlaying);
    RefreshStatusLine();
}

void PlayCurrentEntry() {}

bool shutdownAfterPlayList = false;
bool PlayNext(bool) { return false; }
void PlayPrevious(bool) {}
void StopPlayOrder(bool, bool) { StopPlayback(); }
void RestartPlayList(bool) {}
void ShowCurrent() {}
void PositionTick() {}
