// The playlist in its list control: PlayList.dcp through the real rows,
// looks, removing and unmarking, the status line, the playlist's keys.
#include <gtest/gtest.h>
#include "tests/library_support.h"
#include "tests/test_support.h"
#include "library/playlist.h"
#include "library/playlist_file.h"
#include "media/file_groups.h"
#include "library/group_looks.h"
#include "library/file_browser.h"
#include "base/disk_file.h"
#include "app/general_settings.h"
#include "base/paths.h"
#include "ui/theme.h"

struct PlayListTest : LibraryTest {
    PlayListTest() : LibraryTest(L"playlist") {}
    std::wstring File() const { return dir.File(L"PlayList.dcp"); }
    // Six entries a..f of 1 to 6 seconds with the given play orders.
    void LoadSix(const std::vector<int>& orders, int nowPlaying) {
        std::vector<std::wstring> paths;
        for (wchar_t c = L'a'; c <= L'f'; c++) paths.push_back(std::wstring(L"C:\\Music\\") + c + L".mp3");
        ASSERT_TRUE(WriteFileBytes(File(), PlayListBytes(paths, {1000, 2000, 3000, 4000, 5000, 6000}, orders, nowPlaying)));
        ASSERT_TRUE(LoadPlayList());
    }
    std::wstring Name(int r) const { return w->playList->rows[r].cells[PlayListName].text; }
    int Icon(int r) const { return (int)w->playList->rows[r].cells[PlayListIcon].value; }
    COLORREF Color(int r) const { return w->playList->rows[r].textColor; }
};

TEST_F(PlayListTest, SaveAfterLoadGivesTheSameBytesAndTheRowsShowTheirState) {
    std::vector<std::wstring> paths = {L"C:\\Music\\a.mp3", L"D:\\\u041c\u0443\u0437\\b c.flac", L"C:\\x.y\\song.it",
                                       L"C:\\Music\\README", L"track.ogg"};
    std::string bytes = PlayListBytes(paths, {61000, 2500, 3000, 0, 3600000}, {1, -1, 0, -1, 2}, 4);
    ASSERT_TRUE(WriteFileBytes(File(), bytes));
    ASSERT_TRUE(LoadPlayList());
    ASSERT_EQ(PlayListCount(), 5);
    EXPECT_EQ(g_playList.playedCount, 3u);
    EXPECT_EQ(g_playList.nowPlaying, 4u);
    EXPECT_EQ(g_playList.totalLength, 61000 + 2500 + 3000 + 3600000);
    EXPECT_EQ(g_playList.playedLength, 61000 + 3000 + 3600000);
    EXPECT_EQ(EntryFullPath(1), paths[1]);
    EXPECT_EQ(Name(2), L"song");
    // Unplayed rows: their kind's icon and colour; played ones: the played colour, icon negated.
    EXPECT_EQ(Icon(1), GroupIcon(GroupLossless));
    EXPECT_EQ(Color(1), GroupColor(GroupLossless));
    EXPECT_EQ(Icon(0), -GroupIcon(GroupLossy));
    EXPECT_EQ(Color(0), GroupColor(GroupPlayed));
    EXPECT_EQ(Icon(2), -GroupIcon(GroupMusic));
    EXPECT_EQ(w->StatusText(0), L"Time.1:01:04 / 1:01:06");
    EXPECT_EQ(w->StatusText(1), L"Tracks.3 / 5");
    EXPECT_EQ(w->StatusText(2), L"Selected.\u21160");

    ASSERT_TRUE(DeleteFileW(File().c_str()));
    SavePlayList();
    // Paths without a dot or a backslash come back as the reader split them.
    std::string again = ReadFileBytes(File());
    PlayListFile f;
    ASSERT_TRUE(ParsePlayList(again.data(), again.size(), &f));
    EXPECT_EQ(again.substr(0, 60), bytes.substr(0, 60));
    ASSERT_EQ(f.records.size(), 5u);
    EXPECT_EQ(EntryPath(f.records[0]), paths[0]);
    EXPECT_EQ(f.records[2].playOrder, 0);
    EXPECT_EQ(f.records[4].lengthMs, 3600000);
    EXPECT_EQ(f.nowPlaying, 4u);
    // A second save of what was read is byte for byte the same.
    ASSERT_TRUE(LoadPlayList());
    SavePlayList();
    EXPECT_EQ(ReadFileBytes(File()), again);
}

TEST_F(PlayListTest, BadFilesLeaveAnEmptyOrUnchangedPlaylist) {
    LoadSix({-1, -1, -1, -1, -1, -1}, 0);
    AnyBoxCatcher boxes;  // each damaged file is kept aside, and that is said
    // A missing file: false, and the rows stay.
    ASSERT_TRUE(DeleteFileW(File().c_str()));
    EXPECT_FALSE(LoadPlayList());
    EXPECT_EQ(PlayListCount(), 6);
    // Another header: false and empty.
    ASSERT_TRUE(WriteFileBytes(File(), std::string("\xEF\xBB\xBF[Other 1.0 PlayList]\0\r\n", 26)));
    EXPECT_FALSE(LoadPlayList());
    EXPECT_EQ(PlayListCount(), 0);
    // Cut at every byte: the complete entries so far, counts that agree with the rows.
    std::string one = PlayListBytes({L"C:\\a.mp3"}, {5}, {0}, 0);
    for (size_t n = 0; n < one.size(); n++) {
        ASSERT_TRUE(WriteFileBytes(File(), one.substr(0, n)));
        LoadPlayList();
        ASSERT_LE(PlayListCount(), 1);
        EXPECT_EQ(g_playList.playedCount, (uint32_t)PlayListCount()) << n;
        EXPECT_LT(g_playList.nowPlaying, 1u);
    }
}

TEST_F(PlayListTest, AFailedSaveKeepsTheOldFileAndSaysSo) {
    LoadSix({-1, -1, -1, -1, -1, -1}, 0);
    std::string before = ReadFileBytes(File());
    EmptyPlayList();
    // The new file cannot be made beside the old one.
    ASSERT_TRUE(CreateDirectoryW(SaveTempPath(File()).c_str(), nullptr));
    {
        AnyBoxCatcher boxes;
        SavePlayList();
        std::vector<std::wstring> seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].rfind(L"Error occurred|Error code \"", 0), 0u) << seen[0];
    }
    EXPECT_EQ(ReadFileBytes(File()), before);
    RemoveDirectoryW(SaveTempPath(File()).c_str());
}

TEST_F(PlayListTest, AFileThatDidNotReadWholeIsKeptAsideOnceBeforeTheFirstSave) {
    std::vector<std::wstring> paths = {L"C:\\Music\\a.mp3", L"C:\\Music\\b.mp3", L"C:\\Music\\c.mp3"};
    std::string good = PlayListBytes(paths, {1000, 2000, 3000}, {0, -1, 1}, 2);
    // A bad header byte: nothing reads, the next save would have lost all three.
    std::string badHeader = good;
    badHeader[5] ^= 0x20;
    ASSERT_TRUE(WriteFileBytes(File(), badHeader));
    {
        AnyBoxCatcher boxes;
        EXPECT_FALSE(LoadPlayList());
        EXPECT_EQ(PlayListCount(), 0);
        SavePlayList();
        SavePlayList();
        EXPECT_EQ(boxes.Seen(), (std::vector<std::wstring>{L"Information|PlayList.dcp could not be read whole, so it "
                                                            L"was kept as PlayList.dcp.bad before being saved again."}));  // once
    }
    EXPECT_EQ(ReadFileBytes(File() + L".bad"), badHeader);
    EXPECT_EQ(ReadFileBytes(File()), PlayListBytes({}, {}, {}, 0));

    // A cut in the last entry: two entries read, the copy under the next free name.
    std::string cut = good.substr(0, good.size() - 4);
    ASSERT_TRUE(WriteFileBytes(File(), cut));
    {
        AnyBoxCatcher boxes;
        EXPECT_TRUE(LoadPlayList());
        EXPECT_EQ(PlayListCount(), 2);
        SavePlayList();
        EXPECT_EQ(boxes.Seen().size(), 1u);
    }
    EXPECT_EQ(ReadFileBytes(File() + L".bad2"), cut);
    EXPECT_EQ(ReadFileBytes(File() + L".bad"), badHeader);

    // A whole file is saved over without a copy or a word.
    ASSERT_TRUE(WriteFileBytes(File(), good));
    {
        AnyBoxCatcher boxes;
        EXPECT_TRUE(LoadPlayList());
        SavePlayList();
        EXPECT_TRUE(boxes.Seen().empty());
    }
    EXPECT_EQ(ReadFileBytes(File()), good);
    EXPECT_EQ(GetFileAttributesW((File() + L".bad3").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PlayListTest, RunningOutOfMemoryKeepsTheEntriesReadAndSaysSo) {
    std::vector<std::wstring> paths(60000, L"C:\\Music\\song.mp3");
    std::vector<int> lengths(paths.size(), 1000), orders(paths.size(), -1);
    std::string big = PlayListBytes(paths, lengths, orders, 0);
    ASSERT_TRUE(WriteFileBytes(File(), big));
    {
        AnyBoxCatcher boxes;
        {
            AllocationLimit limit(2 << 20);
            EXPECT_TRUE(LoadPlayList());
        }
        // What was not read is kept aside before a save writes fewer entries.
        std::vector<std::wstring> seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].rfind(L"Information|Not enough memory to read all of PlayList.dcp: the first ", 0), 0u)
            << seen[0];
        EXPECT_EQ(seen[1].rfind(L"Information|PlayList.dcp could not be read whole", 0), 0u) << seen[1];
        EXPECT_GT(PlayListCount(), 1000);
        EXPECT_LT(PlayListCount(), 60000);
        EXPECT_EQ(g_playList.totalLength, 1000 * (int64_t)PlayListCount());
        SavePlayList();
        EXPECT_EQ(boxes.Seen().size(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(File() + L".bad"), big);
    // Too little memory for the file itself: nothing read, the file kept aside all the same.
    ASSERT_TRUE(WriteFileBytes(File(), big));
    {
        AnyBoxCatcher boxes;
        {
            AllocationLimit limit(64 << 10);
            EXPECT_FALSE(LoadPlayList());
        }
        SavePlayList();
        EXPECT_EQ(boxes.Seen(), (std::vector<std::wstring>{L"Information|Not enough memory to read PlayList.dcp.",
                                                            L"Information|PlayList.dcp could not be read whole, so it "
                                                            L"was kept as PlayList.dcp.bad2 before being saved again."}));
    }
    EXPECT_EQ(ReadFileBytes(File() + L".bad2"), big);
}

TEST_F(PlayListTest, RemovingRenumbersThePlayOrdersAndNowPlayingFollowsItsEntry) {
    // a..f played as c, e, a, f, d; d (order 4) is now playing.
    LoadSix({2, -1, 0, 4, 1, 3}, 3);
    MarkNowPlayingEntry();
    EXPECT_EQ(Icon(3), GroupIcon(GroupNowPlaying));
    // a and e selected, b focused: all three go.
    w->playList->rows[0].selected = w->playList->rows[4].selected = true;
    SetCurrent(w->playList, 1);
    w->Key(VK_DELETE);
    ASSERT_EQ(PlayListCount(), 3);
    EXPECT_EQ(Name(0), L"c");
    EXPECT_EQ(Name(1), L"d");
    EXPECT_EQ(Name(2), L"f");
    EXPECT_EQ(Orders(), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(g_playList.nowPlaying, 1u);
    EXPECT_EQ(Icon(1), GroupIcon(GroupNowPlaying));
    EXPECT_EQ(g_playList.playedCount, 3u);
    EXPECT_EQ(g_playList.totalLength, 3000 + 4000 + 6000);
    EXPECT_EQ(g_playList.playedLength, 3000 + 4000 + 6000);
    EXPECT_EQ(w->StatusText(1), L"Tracks.3 / 3");
    // F8 removes too: the focused row alone when nothing is selected.
    SetCurrent(w->playList, 0);
    w->Key(VK_F8);
    EXPECT_EQ(Orders(), (std::vector<int>{1, 0}));
    EXPECT_EQ(g_playList.nowPlaying, 0u);
    EXPECT_EQ(Name(0), L"d");
}

TEST_F(PlayListTest, UnmarkingKeepsEveryEntryAndClearsTheMarks) {
    LoadSix({2, -1, 0, 4, 1, 3}, 3);
    MarkNowPlayingEntry();
    w->playList->rows[2].selected = w->playList->rows[5].selected = true;  // c (0) and f (3)
    SetCurrent(w->playList, 3);                                            // d, now playing (4)
    w->Key(VK_F12, false, true);
    ASSERT_EQ(PlayListCount(), 6);
    EXPECT_EQ(Orders(), (std::vector<int>{1, -1, -1, -1, 0, -1}));
    EXPECT_EQ(g_playList.nowPlaying, 3u);
    EXPECT_EQ(g_playList.playedCount, 2u);
    EXPECT_EQ(g_playList.playedLength, 1000 + 5000);
    for (int r = 0; r < 6; r++) EXPECT_FALSE(w->playList->rows[r].selected);
    // The now-playing entry loses that look too: it is unplayed now.
    EXPECT_EQ(Icon(3), GroupIcon(GroupLossy));
    EXPECT_EQ(Color(3), GroupColor(GroupLossy));
    EXPECT_EQ(Icon(2), GroupIcon(GroupLossy));
    EXPECT_EQ(Icon(0), -GroupIcon(GroupLossy));
}

TEST_F(PlayListTest, TheSelectedRowCountsAndSumsTheMarkedEntries) {
    LoadSix({-1, -1, -1, -1, -1, -1}, 0);
    w->Key(VK_INSERT);  // marks a, moves to b
    w->Key(VK_INSERT);  // marks b, moves to c
    EXPECT_EQ(w->StatusText(2), L"Selected.\u21162 (2 = 00:03)");
    w->Key(VK_SUBTRACT);
    EXPECT_EQ(w->StatusText(2), L"Selected.\u21162");
}

TEST_F(PlayListTest, AnEntryAddedForTheTrackPlayingOutsideThePlaylistBecomesNowPlaying) {
    LoadSix({0, -1, -1, -1, -1, -1}, 0);
    SetNowPlayingPattern(L"c:\\other\\Song.MP3");
    g_playList.fromPlayList = false;
    ASSERT_TRUE(AppendEntry(L"C:\\Music\\", L"x", L"flac", 700));
    EXPECT_EQ(EntryOrder(6), -1);
    ASSERT_TRUE(AppendEntry(L"C:\\Other\\", L"song", L"mp3", 900));
    EXPECT_EQ(EntryOrder(7), 1);
    EXPECT_EQ(g_playList.nowPlaying, 7u);
    EXPECT_TRUE(g_playList.fromPlayList);
    EXPECT_EQ(g_playList.playedCount, 2u);
    EXPECT_EQ(g_playList.playedLength, 1000 + 900);
    EXPECT_EQ(g_playList.totalLength, 21000 + 700 + 900);
    EXPECT_EQ(Icon(7), GroupIcon(GroupNowPlaying));
    // Once from the playlist, the next such entry is an ordinary one.
    ASSERT_TRUE(AppendEntry(L"C:\\Other\\", L"song", L"mp3", 900));
    EXPECT_EQ(EntryOrder(8), -1);
}

TEST_F(PlayListTest, RowsKeepTheirGroupColoursThroughAThemeSwitch) {
    LoadSix({0, -1, -1, -1, -1, -1}, 0);
    ApplyTheme(w->win.ui, ThemeDark);
    EXPECT_EQ(Color(0), GroupColor(GroupPlayed));
    EXPECT_EQ(Color(1), GroupColor(GroupLossy));
    EXPECT_EQ(GroupColor(GroupPlayed), g_theme.palette[1]);
    ApplyTheme(w->win.ui, ThemeWindows2000);
    EXPECT_EQ(Color(0), GroupColor(GroupPlayed));
}

TEST(Durations, ShortAndLongForms) {
    EXPECT_EQ(FormatDuration(0), L"00:00");
    EXPECT_EQ(FormatDuration(3599999), L"59:59");
    EXPECT_EQ(FormatDuration(3600000), L"1:00:00");
    EXPECT_EQ(FormatDuration(-5), L"00:00");
}

TEST_F(PlayListTest, TheGeneralSettingsKeepThePlaylistAndBothListsPositions) {
    ScratchFolder music{L"positions-music"};
    for (int i = 0; i < 30; i++) ASSERT_TRUE(WriteFileBytes(music.File((L"f" + std::to_wstring(i) + L".txt").c_str()), "x"));
    g_general.isUseAlbums = 0;
    NavigateFileList(music.path.c_str());
    SetCurrent(w->files, 25);
    LoadSix({1, -1, 0, -1, -1, -1}, 0);
    MarkNowPlayingEntry();
    SetCurrent(w->playList, 4);
    SaveAllSettings();
    EmptyPlayList();
    NavigateFileList(L"C:\\");
    SetGeneralDefaults();
    LoadGeneralSettings(true, false);
    EXPECT_EQ(g_general.Path.text, music.path);
    EXPECT_EQ(w->files->currentRow, 25);
    ASSERT_EQ(PlayListCount(), 6);
    EXPECT_EQ(w->playList->currentRow, 4);
    EXPECT_EQ(g_playList.nowPlaying, 0u);
    EXPECT_EQ(g_general.lastPlayedFromPL, 1);
    EXPECT_EQ(Orders(), (std::vector<int>{1, -1, 0, -1, -1, -1}));
    // Without a General section the playlist starts empty.
    ASSERT_TRUE(DeleteFileW(dir.File(L"Settings.ini").c_str()));
    LoadGeneralSettings(false, false);
    EXPECT_EQ(PlayListCount(), 0);
    EXPECT_EQ(w->StatusText(1), L"Tracks.0 / 0");
}

TEST_F(PlayListTest, ThePathBarTakesTheUserToAFolder) {
    ScratchFolder music{L"path-bar"};
    ASSERT_TRUE(CreateDirectoryW(music.File(L"Inner").c_str(), nullptr));
    SetFocusIndex(w->win.ui, w->pathBar->index, true);
    SetEditText(w->pathBar, music.path.substr(0, music.path.size() - 1).c_str());  // no trailing backslash
    w->win.Char(L'\r');
    EXPECT_EQ(g_general.Path.text, music.path);
    EXPECT_EQ(FindRow(w->files, FileListName, L"Inner"), 1);
}
