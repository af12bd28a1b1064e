#include "library/play_order.h"
#include "audio/player_events.h"
#include "library/playlist.h"
#include "library/play_history.h"
#include "media/file_groups.h"
#include "library/file_browser.h"
#include "library/statistics.h"
#include "base/general_settings.h"
#include "base/messages.h"
#include "audio/engine.h"
#include "audio/overview.h"
#include "audio/track_display.h"
#include "ui/list_view.h"
#include <stdio.h>
#include <vector>

bool shutdownAfterPlayList = false;

static bool ShutDownForReal() {
    // The shutdown right is held by every interactive user but is off until asked for.
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES tp{};
        tp.PrivilegeCount = 1;
        tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    wchar_t message[] = L"Sonvale has finished playback of PlayList and is going to shut system down in 30 sec...";
    return InitiateSystemShutdownW(nullptr, message, 30, TRUE, FALSE) != 0;
}

bool (*g_shutDownSystem)() = ShutDownForReal;

// ---- the pass history over the rows ---------------------------------------

static std::vector<int32_t> Orders() {
    std::vector<int32_t> o((size_t)PlayListCount());
    for (size_t i = 0; i < o.size(); i++) o[i] = EntryOrder((int)i);
    return o;
}

static PlayHistory History(std::vector<int32_t>* orders) {
    return PlayHistory{orders, &g_playList.nowPlaying, &g_playList.playedCount};
}

bool PlayEntry(uint32_t n, bool keepPosition, bool seekToOld) {
    ListView* l = g_playListView;
    if (!l || n >= (uint32_t)l->rowCount) return false;
    PlayListState& p = g_playList;
    std::vector<int32_t> orders = Orders();
    if (MarkPlayed(History(&orders), n, keepPosition)) p.playedLength += EntryLength((int)n);
    for (int r = 0; r < l->rowCount; r++) {
        if (orders[(size_t)r] != EntryOrder(r)) SetEntryOrder(r, orders[(size_t)r]);
        // The previous now-playing entry.
        if ((uint32_t)r != n && HasNowPlayingLook(r)) SetEntryLook(r, orders[(size_t)r] < 0 ? LookUnplayed : LookPlayed);
    }
    if (l->currentRow != (int)n) SetCurrent(l, (int)n);
    SetEntryLook((int)n, LookNowPlaying);
    currentPath.Set(EntryFullPath((int)n).c_str());
    p.fromPlayList = true;
    StatsStopListen();
    uint32_t oldPosition = seekPosition;
    bool opened = OpenCurrent(true);
    g_playerEvents.showPlayButtonState(GetStatus() == StatusPlaying);
    RefreshStatusLine();
    RepaintPlayList();
    if (!opened) return false;
    if (seekToOld) {
        SeekTo(oldPosition);
        seekPosition = oldPosition < seekLength ? oldPosition : 0;
    }
    StatsStampResume();
    Resume();
    g_playerEvents.showPlayButtonState(GetStatus() == StatusPlaying);
    RefreshFileListLooks();
    return true;
}

bool PlayNext(bool opposite) {
    int count = PlayListCount();
    if (count == 0) return false;
    std::vector<int32_t> orders = Orders();
    if (g_general.isLoopPlayList && PassComplete(History(&orders), g_general.isShuffle != 0)) RestartPlayList(false);
    bool shuffle = (g_general.isShuffle != 0) != opposite;
    int32_t previous = -1;
    // Every failed try marks its entry played, so the walk ends; the bound guards a damaged history.
    for (int tries = 0; tries <= 2 * count + 1; tries++) {
        orders = Orders();
        int32_t c = NextCandidate(History(&orders), shuffle, &g_random, previous);
        if (c < 0) return false;
        if (PlayEntry((uint32_t)c, true, false)) return true;
        previous = c;
    }
    return false;
}

void PlayPrevious(bool opposite) {
    int count = PlayListCount();
    bool shuffle = (g_general.isShuffle != 0) != opposite;
    int32_t previous = -1;
    for (int tries = 0; tries <= 2 * count + 1; tries++) {
        std::vector<int32_t> orders = Orders();
        int32_t c = PreviousCandidate(History(&orders), shuffle, previous);
        if (c < 0) return;
        if (PlayEntry((uint32_t)c, true, false)) return;
        previous = c;
    }
}

void PlayCurrentEntry() {
    if (PlayListCount() > 0) PlayNext(false);
    else if (!currentPath.empty()) PlayCurrentFile(false);
}

void PlayCurrentFile(bool seekToOld) {
    g_playList.fromPlayList = true;
    StopPlayOrder(true, false);
    g_playList.fromPlayList = false;
    uint32_t oldPosition = seekPosition;
    StatsStopListen();
    bool opened = OpenCurrent(true);
    g_playerEvents.showPlayButtonState(GetStatus() == StatusPlaying);
    if (opened) {
        if (seekToOld) {
            SeekTo(oldPosition);
            seekPosition = oldPosition < seekLength ? oldPosition : 0;
        }
        StatsStampResume();
        Resume();
        RefreshFileListLooks();  // the file now playing shows it in the file list
    }
    g_playerEvents.showPlayButtonState(GetStatus() == StatusPlaying);
    RepaintPlayList();
    RefreshStatusLine();
}

void PlayFileNow(const wchar_t* path, bool seekToOld) {
    currentPath.Set(path);
    PlayCurrentFile(seekToOld);
}

void StopPlayOrder(bool keepDisplay, bool repaintPlaylist) {
    StopTrack();
    if (!keepDisplay) {
        seekLength = 1;
        seekPosition = 0;
        g_playerEvents.updateTitleAndTime();
        g_playerEvents.repaintSeekPanel();
        ClearOverview();
        g_playerEvents.repaintSpectrum();
        RefreshTrackDisplay();
    }
    if (g_playList.fromPlayList) {
        for (int r = 0; r < PlayListCount(); r++) {
            if (!HasNowPlayingLook(r)) continue;
            SetEntryLook(r, EntryOrder(r) < 0 ? LookUnplayed : LookPlayed);
            break;
        }
        if (repaintPlaylist) RepaintPlayList();
    }
    SetNowPlayingPattern(L"");
    RefreshFileListLooks();
    g_playerEvents.showPlayButtonState(false);
    RefreshStatusLine();
}

void RestartPlayList(bool repaint) {
    PlayListState& p = g_playList;
    p.totalLength = 0;
    for (int r = 0; r < PlayListCount(); r++) {
        SetEntryOrder(r, -1);
        SetEntryLook(r, LookUnplayed);
        p.totalLength += EntryLength(r);
    }
    p.nowPlaying = 0;
    p.playedCount = 0;
    p.playedLength = 0;
    RefreshStatusLine();
    if (repaint) RepaintPlayList();
}

void ShowCurrent() {
    wchar_t numbers[64];
    swprintf(numbers, 64, L"%i/%i ms", (int)seekPosition, (int)seekLength);
    std::wstring text = L"Track: " + currentPath.text + L"\nFile: " + realPath + L"\n----------\nPos/Length: " + numbers;
    MessageBoxW(g_playerEvents.mainWindow(), text.c_str(), L"Information", MB_OK | MB_ICONINFORMATION);
}

// The entry TrackEnded would play now, worked out on copies so that nothing
// changes (the shuffle generator included); -1 for none.
static int32_t EntryAfterTheEnd() {
    const PlayListState& p = g_playList;
    int count = PlayListCount();
    if (count == 0 || !p.fromPlayList || !(p.nowPlaying < (uint32_t)count || g_general.isLoopPlayList)) return -1;
    std::vector<int32_t> orders = Orders();
    uint32_t nowPlaying = p.nowPlaying, playedCount = p.playedCount;
    bool shuffle = g_general.isShuffle != 0;
    if (g_general.isLoopPlayList && PassComplete(PlayHistory{&orders, &nowPlaying, &playedCount}, shuffle)) {
        for (int32_t& o : orders) o = -1;
        nowPlaying = 0;
        playedCount = 0;
    }
    Mt19937 random = g_random;
    return NextCandidate(PlayHistory{&orders, &nowPlaying, &playedCount}, shuffle, &random, -1);
}

// Gapless playback: in the last seconds of a track the next one is opened
// ahead, and opened again when the play order changed under it.
static void KeepNextTrackReady(uint32_t position) {
    static DWORD lastCheck = 0;
    if (!g_gaplessPlayback || g_engine.playState != PlayStatePlaying || GetStatus() != StatusPlaying) return;
    if (seekLength <= 1 || seekLength - position > 5000) return;
    // Ten times a second: working out the entry walks the whole list.
    DWORD now = GetTickCount();
    if (now - lastCheck < 100) return;
    lastCheck = now;
    int32_t next = EntryAfterTheEnd();
    if (next < 0) {
        DropNextTrack();
        return;
    }
    std::wstring path = EntryFullPath((int)next);
    const wchar_t* ahead = NextTrackPath();
    if (ahead && path == ahead) return;
    PrepareNextTrack(path.c_str());
}

void PositionTick() {
    // No track, or one stopped with its display kept (the end of the playlist):
    // the seek panel stays where it was left.
    if (seekLength <= 1 || !channel) return;
    int32_t pos = GetPosition();
    uint32_t position = pos < 0 ? 0 : (uint32_t)pos > seekLength ? seekLength : (uint32_t)pos;
    // About one pixel of a seek panel up to a thousand pixels wide, or a new second.
    uint32_t step = seekLength / 1000 ? seekLength / 1000 : 1;
    uint32_t moved = position > seekPosition ? position - seekPosition : seekPosition - position;
    bool changed = moved >= step || position / 1000 != seekPosition / 1000;
    seekPosition = position;
    if (changed) {
        g_playerEvents.updatePositionDisplay();
        if (g_playList.fromPlayList) RefreshStatusTime();
    }
    // The engine stopped by itself: it was started (played state) and its channel ended.
    int net = g_engine.netState;
    if (g_engine.playState == PlayStatePlaying &&
        (((net == 0 || net == 4) && GetStatus() == StatusStopped) || RanIntoNextTrack()))
        TrackEnded();
    else KeepNextTrackReady(position);
}

void TrackEnded() {
    StatsStopListen();
    seekPosition = seekLength;
    g_playerEvents.updatePositionDisplay();
    g_playerEvents.showPlayButtonState(false);
    const PlayListState& p = g_playList;
    int count = PlayListCount();
    if (count > 0 && p.fromPlayList && (p.nowPlaying < (uint32_t)count || g_general.isLoopPlayList))
        if (PlayNext(false)) return;
    StopPlayOrder(true, true);
    if (shutdownAfterPlayList && !g_shutDownSystem()) ShowOsError(GetLastError());
}

bool RunPlayOrderCommand(UINT id) {
    switch (id) {
    case 40035: g_general.isShuffle = !g_general.isShuffle; return true;
    case 40036: SetLoop(!g_general.isLoop); return true;
    case 40040: g_general.isLoopPlayList = !g_general.isLoopPlayList; return true;
    case 40041: shutdownAfterPlayList = !shutdownAfterPlayList; return true;
    case 40038: RestartPlayList(true); return true;
    case 40039: ShowCurrent(); return true;
    }
    return false;
}
