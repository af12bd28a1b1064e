#include "app/notifications.h"
#include "app/main_frame.h"
#include "app/main_layout.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/osd.h"
#include "app/settings/settings_window.h"
#include "audio/player_events.h"
#include "audio/track_display.h"
#include "media/cue_files.h"
#include "base/general_settings.h"
#include "media/file_groups.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "library/statistics.h"
#include "system/system_actions.h"

static HWND MainWindow() { return g_mainWindow; }
static UiWindow* MainUi() { return g_mainFrame.window; }
static ListView* InfoPanel() { return g_mainFrame.info; }
static Slider* SeekPanel() { return g_mainFrame.seek; }
static ListView* MainFileList() { return g_mainFrame.fileList; }
static ListView* MainPlayList() { return g_mainFrame.playList; }

static void TrackOpened() {
    if (g_general.OSDView != 2) ShowOsd(200);
}

static void ShowNowPlaying(const wchar_t* path) {
    SetNowPlayingPattern(path);
    RepaintPlayList();
}

void InstallNotifications() {
    PlayerEvents& e = g_playerEvents;
    e.mainWindow = MainWindow;
    e.mainUi = MainUi;
    e.infoPanel = InfoPanel;
    e.seekPanel = SeekPanel;
    e.mainFileList = MainFileList;
    e.mainPlayList = MainPlayList;
    e.repaintSeekPanel = RepaintSeekPanel;
    e.updateTitleAndTime = UpdateTitleAndTime;
    e.updatePositionDisplay = UpdatePositionDisplay;
    e.showPlayButtonState = ShowPlayButtonState;
    e.repaintSpectrum = RepaintSpectrum;
    e.fitInfoColumns = FitInfoColumns;
    e.trackOpened = TrackOpened;
    e.trackTextsChanged = RepaintShownOsd;
    e.listenPaused = StatsAccountListened;
    e.listenResumed = StatsStampResume;
    e.listenStopped = StatsStopListen;
    e.nowPlaying = StatsNowPlaying;
    e.playingFromPlayList = PlayingFromPlayList;
    e.markNowPlayingEntry = MarkNowPlayingEntry;
    e.playCurrentEntry = PlayCurrentEntry;
    e.refreshStatusLine = RefreshStatusLine;
    e.showNowPlaying = ShowNowPlaying;
    g_settingsWindowHandle = SettingsWindowHandle;
    g_cueProbes.tags = ProbeTags;
    g_cueProbes.length = ProbeLength;
}
