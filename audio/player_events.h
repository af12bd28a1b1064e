// What playback and the lists tell the main window and the listening
// statistics, and the few things they ask of them. The layers below app/ never
// call the window's code: app/ fills g_playerEvents at start-up
// (InstallNotifications); until then every call does nothing and every
// question gets an empty answer.
#pragma once
#include <windows.h>

class ListView;
class Slider;
class UiWindow;
struct TagRecord;

struct PlayerEvents {
    // The main window and its controls as they are now (a restart of the
    // window makes new ones): null when there is none.
    HWND (*mainWindow)();
    UiWindow* (*mainUi)();
    ListView* (*infoPanel)();
    Slider* (*seekPanel)();
    ListView* (*mainFileList)();
    ListView* (*mainPlayList)();

    // The window's views.
    void (*repaintSeekPanel)();
    void (*updateTitleAndTime)();
    void (*updatePositionDisplay)();
    void (*showPlayButtonState)(bool playing);
    void (*repaintSpectrum)();
    void (*fitInfoColumns)();
    // A track opened: the on-screen display shows it, as OSDView says.
    void (*trackOpened)();
    // The information panel's texts changed.
    void (*trackTextsChanged)();

    // The listening statistics.
    void (*listenPaused)();
    void (*listenResumed)();
    void (*listenStopped)();
    void (*nowPlaying)(const TagRecord& tags);

    // The playlist.
    bool (*playingFromPlayList)();
    void (*markNowPlayingEntry)();
    void (*playCurrentEntry)();
    void (*refreshStatusLine)();
    // The file now playing: both lists mark it.
    void (*showNowPlaying)(const wchar_t* path);
};

extern PlayerEvents g_playerEvents;

// The table before start-up: every call does nothing.
PlayerEvents SilentPlayerEvents();
