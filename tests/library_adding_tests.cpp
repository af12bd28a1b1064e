// Adding files and folders from the file list to the playlist, on a folder
// tree of real short files made here.
#include <atomic>
#include <mutex>
#include <set>
#include <gtest/gtest.h>
#include "tests/library_support.h"
#include "library/cue_lists.h"
#include "audio/cue_playback.h"
#include "tests/test_support.h"
#include "library/adding.h"
#include "library/file_browser.h"
#include "media/file_groups.h"
#include "library/playlist.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "base/paths.h"
#include "audio/engine.h"
#include "media/cue_files.h"
#include "media/tags.h"

struct AddingTest : LibraryTest {
    AddingTest() : LibraryTest(L"adding") {}
    void SetUp() override {
        LibraryTest::SetUp();
        g_general.isUseAlbums = 0;
        for (const wchar_t* d : {L"a_sub", L"b_sub", L"b_sub\\deep"})
            ASSERT_TRUE(CreateDirectoryW(dir.File(d).c_str(), nullptr));
        for (const wchar_t* f : {L"a_sub\\a1.wav", L"b_sub\\c1.wav", L"b_sub\\deep\\d1.wav", L"top.wav"})
            ASSERT_TRUE(WriteSineWav(dir.File(f), 1));
        ASSERT_TRUE(WriteSineWav(dir.File(L"b_sub\\noext"), 1));  // playable, but no "." in its name
        ASSERT_TRUE(WriteTinyModule(dir.File(L"tune.mod"), 2));
        ASSERT_TRUE(WriteFileBytes(dir.File(L"junk.mp3"), "not audio at all"));
        ASSERT_TRUE(WriteFileBytes(dir.File(L"notes.txt"), "x"));
        w->FocusFiles();
        NavigateFileList(dir.path.c_str());
    }
    // A track of a sheet plays: on the silent device, started once for the suite.
    static void SetUpTestSuite() { AudioInit(0, 44100, nullptr); }
    static void TearDownTestSuite() {
        StopTrack();
        AudioFree();
    }
    // The adding thread hands its work to this thread: take it until the add ends.
    static void WaitForAdding() {
        for (DWORD start = GetTickCount(); IsAdding() && GetTickCount() - start < 10000; Sleep(1)) PumpMessages();
        ASSERT_FALSE(IsAdding());
        PumpMessages();
    }
    void SelectFiles(std::initializer_list<const wchar_t*> names) {
        for (int r = 0; r < w->files->rowCount; r++) w->files->rows[r].selected = false;
        for (const wchar_t* n : names) {
            int r = FindRow(w->files, FileListName, n);
            ASSERT_GE(r, 0) << n;
            w->files->rows[r].selected = true;
        }
    }
};

TEST_F(AddingTest, ParentRowAloneAddsEverythingShownSubFoldersFirstWithTheirLengths) {
    SetCurrent(w->files, 0);  // "..", nothing selected
    w->Key(VK_F5);
    WaitForAdding();
    // Rows in the file list's order; inside b_sub its sub-folder comes before its
    // own file, and "noext" and notes.txt are no audio.
    ASSERT_EQ(EntryNames(), (std::vector<std::wstring>{L"a1", L"d1", L"c1", L"junk", L"top", L"tune"}));
    EXPECT_EQ(EntryFullPath(1), dir.File(L"b_sub\\deep\\d1.wav"));
    EXPECT_EQ(EntryLength(4), 1000);
    EXPECT_EQ(EntryLength(3), 0);  // cannot be opened: still an entry
    EXPECT_GT(EntryLength(5), 1000);  // a module: opened as one when no stream
    EXPECT_EQ(g_playList.totalLength, 4000 + EntryLength(5));
    EXPECT_EQ(w->StatusText(1), L"Tracks.0 / 6");
    EXPECT_EQ(w->playList->currentRow, 5);
    for (int r = 0; r < w->files->rowCount; r++) EXPECT_FALSE(w->files->rows[r].selected);
}

TEST_F(AddingTest, NewEntriesGoAfterTheFocusedRowAndTheRowsAfterItKeepTheirState) {
    std::vector<std::wstring> paths;
    for (const wchar_t* n : {L"p0", L"p1", L"p2", L"p3", L"p4"}) paths.push_back(std::wstring(L"C:\\Old\\") + n + L".mp3");
    ASSERT_TRUE(WriteFileBytes(dir.File(L"PlayList.dcp"),
                               PlayListBytes(paths, {100, 200, 300, 400, 500}, {-1, -1, 1, 0, 2}, 3)));
    ASSERT_TRUE(LoadPlayList());
    MarkNowPlayingEntry();
    COLORREF played = w->playList->rows[4].textColor;
    SetCurrent(w->playList, 1);
    SelectFiles({L"top.wav", L"tune.mod"});
    w->Key(VK_F5);
    WaitForAdding();
    ASSERT_EQ(EntryNames(), (std::vector<std::wstring>{L"p0", L"p1", L"top", L"tune", L"p2", L"p3", L"p4"}));
    EXPECT_EQ(EntryOrder(4), 1);
    EXPECT_EQ(EntryOrder(5), 0);
    EXPECT_EQ(EntryOrder(6), 2);
    EXPECT_EQ(EntryLength(6), 500);
    EXPECT_EQ(g_playList.nowPlaying, 5u);
    EXPECT_TRUE(HasNowPlayingLook(5));
    EXPECT_EQ(w->playList->rows[6].textColor, played);
    EXPECT_LT(w->playList->rows[6].cells[PlayListIcon].value, 0);
    EXPECT_EQ(EntryOrder(2), -1);
    EXPECT_EQ(w->playList->currentRow, 3);  // the last entry added
    EXPECT_EQ(g_playList.totalLength, 1500 + 1000 + EntryLength(3));
}

TEST_F(AddingTest, F6ReplacesThePlayListCtrlF6KeepsItAndAFolderHandedOverReplacesAtOnce) {
    AppendEntry(L"C:\\Old\\", L"old", L"mp3", 100);
    SelectFiles({L"top.wav"});
    w->Key(VK_F6);
    WaitForAdding();
    EXPECT_EQ(EntryNames(), (std::vector<std::wstring>{L"top"}));
    EXPECT_EQ(g_playList.totalLength, 1000);
    SelectFiles({L"tune.mod"});
    w->Key(VK_F6, false, true);
    WaitForAdding();
    EXPECT_EQ(EntryNames(), (std::vector<std::wstring>{L"top", L"tune"}));
    // A folder from the command line or a second instance: added on this
    // thread, done when the hand-off returns.
    HandOver(ModeOpen, dir.File(L"b_sub"));
    EXPECT_FALSE(IsAdding());
    EXPECT_EQ(EntryNames(), (std::vector<std::wstring>{L"d1", L"c1"}));
}

// ---- CUE sheets ----------------------------------------------------------------

static const char kSheet[] =
    "REM GENRE Ambient\r\nPERFORMER \"Band\"\r\nTITLE \"The Album\"\r\nFILE \"a song.wav\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    INDEX 00 00:01:00\r\n    INDEX 01 00:01:37\r\n"
    "  TRACK 03 AUDIO\r\n    REM SKIP\r\n    INDEX 01 00:02:00\r\n"
    "  TRACK 07 AUDIO\r\n    INDEX 01 00:02:50\r\n";

TEST(CueTimes, FramesTrackEndsAndTheLastTrack) {
    EXPECT_EQ(CueTimeMs("03:10:37"), 190493);
    EXPECT_EQ(CueTimeMs("1:02"), 62000);
    EXPECT_EQ(CueTimeMs(""), 0);
    TagRecord s;
    s.cueText = "FILE \"x.flac\" WAVE\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\nTRACK 02 AUDIO\r\n"
                "INDEX 00 03:08:00\r\nINDEX 01 03:10:37\r\n";
    s.lengthMs = 250000;
    int32_t start = 0, length = 0;
    ASSERT_TRUE(TrackTimes(s, s.cueText.find("TRACK 01"), s.lengthMs, &start, &length));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(length, 188000);
    EXPECT_EQ(TrackLength(&s, L"02 Two.flac"), 250000 - 190493);  // the last ends with the audio
    EXPECT_EQ(TrackLength(&s, L"5 x"), 0);
    // Bare line feeds: only the first line counts, so no track is found.
    s.cueText = "FILE x.flac WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
    EXPECT_EQ(TrackLength(&s, L"01 x"), 0);
    // Every cut and byte flip of a sheet is read without harm.
    std::string base = kSheet;
    for (size_t i = 0; i <= base.size(); i++) {
        for (int bit = -1; bit < 8; bit++) {
            TagRecord m;
            m.cueText = bit < 0 ? base.substr(0, i) : base;
            if (bit >= 0 && i < base.size()) m.cueText[i] = (char)(m.cueText[i] ^ (1 << bit));
            m.path.Set(L"C:\\x.cue");
            m.lengthMs = 3000;
            CountSheetFiles(m);
            SheetAudioFile(m, L"02 Two.wav");
            TrackLength(&m, L"07 x");
        }
    }
}

TEST_F(AddingTest, ASheetBesideItsAudioBecomesItsTracksAndATrackPlaysWithinItsBounds) {
    ASSERT_TRUE(WriteSineWav(dir.File(L"a song.wav"), 3));
    ASSERT_TRUE(WriteFileBytes(dir.File(L"b.cue"), kSheet));
    NavigateFileList(dir.path.c_str());
    SelectFiles({L"a song.wav", L"b.cue"});  // the audio file first: its entry is replaced by the tracks
    SetCurrent(w->files, FindRow(w->files, FileListName, L"b.cue"));
    w->Key(VK_F5);
    WaitForAdding();
    ASSERT_EQ(EntryNames(), (std::vector<std::wstring>{L"01 One", L"02 Two", L"07 Track 07"}));
    std::wstring sheetPath = dir.File(L"b.cue");
    EXPECT_EQ(EntryFullPath(1), sheetPath + L"\\02 Two.wav");
    EXPECT_EQ(EntryLength(0), 1000);
    EXPECT_EQ(EntryLength(1), 2000 - 1493);
    EXPECT_EQ(EntryLength(2), 3000 - 2666);
    // Playing a track opens the audio file within the track.
    ASSERT_TRUE(PlayCueTrack((sheetPath + L"\\02 Two.wav").c_str()));
    EXPECT_EQ(seekLength, 2000u - 1493u);
    EXPECT_EQ(_wcsicmp(realPath, dir.File(L"a song.wav").c_str()), 0);
    StopTrack();
    EXPECT_FALSE(PlayCueTrack((sheetPath + L"\\09 Gone.wav").c_str()));
    // A UTF-16 sheet with its mark reads as UTF-8; a missing audio file adds nothing.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("FILE \"a song.wav\" WAVE\r\nTRACK 01 AUDIO\r\nTITLE \"")) utf16 += c, utf16 += '\0';
    utf16 += (char)0xE9;  // é
    utf16 += (char)0;
    for (char c : std::string("\"\r\nINDEX 01 00:00:00\r\n")) utf16 += c, utf16 += '\0';
    ASSERT_TRUE(WriteFileBytes(dir.File(L"c.cue"), utf16));
    TagRecord sheet;
    ASSERT_TRUE(LoadSheet(dir.File(L"c.cue").c_str(), &sheet));
    sheet.lengthMs = 3000;
    int before = PlayListCount();
    EXPECT_EQ(ImportSheetToPlayList(sheet), 1);
    EXPECT_EQ(EntryNames().back(), L"01 \x00E9");
    EXPECT_EQ(PlayListCount(), before + 1);
}

// Adding the tracks of a sheet shown as a folder: the sheet is read and its
// audio file probed once for all of them, not once per track.
TEST_F(AddingTest, TheTracksOfALongSheetAddQuicklyWithTheirLengths) {
    ASSERT_TRUE(WriteSineWav(dir.File(L"long.wav"), 3));
    std::string sheet = "FILE \"long.wav\" WAVE\r\n";
    const int tracks = 3000;
    for (int i = 0; i < tracks; i++) {
        char block[64];
        snprintf(block, sizeof(block), "TRACK %02d AUDIO\r\nINDEX 01 00:%02d:00\r\n", i + 1, i == tracks - 1 ? 1 : 0);
        sheet += block;
    }
    ASSERT_TRUE(WriteFileBytes(dir.File(L"long.cue"), sheet));
    ASSERT_TRUE(ShowSheetAsFolder(dir.File(L"long.cue").c_str()));
    ASSERT_EQ(w->files->rowCount, tracks + 1);
    SetCurrent(w->files, 0);  // ".." alone: every track
    // Count the audio probes: one for the whole sheet, never one per track.
    static CueProbes real;
    static std::atomic<int> lengthProbes;
    real = g_cueProbes;
    lengthProbes = 0;
    g_cueProbes.length = [](const wchar_t* path) {
        lengthProbes++;
        return real.length(path);
    };
    DWORD start = GetTickCount();
    w->Key(VK_F5);
    WaitForAdding();
    DWORD took = GetTickCount() - start;
    g_cueProbes = real;
    ASSERT_EQ(PlayListCount(), tracks);
    EXPECT_LE(lengthProbes.load(), 2) << "the audio is probed once per sheet";
    EXPECT_EQ(EntryLength(tracks - 2), 1000);  // up to the last track's start
    EXPECT_EQ(EntryLength(tracks - 1), 2000);  // the last ends with the audio
    EXPECT_EQ(EntryLength(0), 0);
    // Only a guard against a frozen window, far above what any machine needs.
    EXPECT_LT(took, 30000u) << tracks << " tracks";
}

// ---- the probing pool ----------------------------------------------------------

// A folder of many files whose probes end in another order than they began:
// the name is the length, and some names are slow.
struct PoolTest : AddingTest {
    static std::mutex lock;
    static std::set<DWORD> threads;
    static std::atomic<int> probes;
    decltype(g_addingProbe) realProbe = g_addingProbe;
    std::vector<std::wstring> listing;  // the names as the folder lists them
    void TearDown() override {
        g_addingProbe = realProbe;
        AddingTest::TearDown();
    }
    static bool SlowAndFast(const wchar_t* path, TagRecord* tags) {
        int n = _wtoi(wcsrchr(path, L'\\') + 1);
        {
            std::lock_guard<std::mutex> g(lock);
            threads.insert(GetCurrentThreadId());
        }
        probes++;
        Sleep(n % 7 == 0 ? 12 : n % 3 == 0 ? 2 : 0);
        tags->lengthMs = n;
        return true;
    }
    void MakeFolder(const wchar_t* name, int count) {
        std::wstring folder = dir.File(name);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        for (int i = 0; i < count; i++) {
            wchar_t file[32];
            swprintf(file, 32, L"%d.mp3", (i * 7919) % 10007 + 1);  // created out of order
            ASSERT_TRUE(WriteFileBytes(folder + L"\\" + file, ""));
        }
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
        ASSERT_NE(find, INVALID_HANDLE_VALUE);
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) listing.push_back(fd.cFileName);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
        threads.clear();
        probes = 0;
        g_addingProbe = SlowAndFast;
    }
    // The first `count` of these files are the playlist, in this order.
    void ExpectOrder(const std::vector<std::wstring>& files, size_t count) {
        ASSERT_EQ((size_t)PlayListCount(), count);
        for (size_t r = 0; r < count; r++) {
            std::wstring name = files[r].substr(0, files[r].size() - 4);
            ASSERT_EQ(w->playList->rows[r].cells[PlayListName].text, name) << r;
            ASSERT_EQ(EntryLength((int)r), _wtoi(name.c_str())) << r;
        }
    }
    std::vector<std::wstring> FileListOrder() const {
        std::vector<std::wstring> names;
        for (int r = 1; r < w->files->rowCount; r++) names.push_back(w->files->rows[r].cells[FileListName].text);
        return names;
    }
};
std::mutex PoolTest::lock;
std::set<DWORD> PoolTest::threads;
std::atomic<int> PoolTest::probes;

// F5 on the adding thread and a folder from the command line on the window's
// (both the file list's rows, in its order): either way the entries keep the
// scan's order whichever probe ends first.
TEST_F(PoolTest, EntriesKeepTheScansOrderWhateverOrderTheProbesEndIn) {
    MakeFolder(L"many", 400);
    NavigateFileList(dir.File(L"many").c_str());
    std::vector<std::wstring> shown = FileListOrder();
    ASSERT_EQ(shown.size(), listing.size());
    SetCurrent(w->files, 0);
    w->Key(VK_F5);
    WaitForAdding();
    ExpectOrder(shown, shown.size());
    EXPECT_GE(threads.size(), 2u) << "probed on a pool";
    // The status line, refreshed once a batch, counts them all.
    EXPECT_EQ(w->StatusText(1), L"Tracks.0 / " + std::to_wstring(shown.size()));

    EmptyPlayList();
    HandOver(ModeOpen, dir.File(L"many"));
    EXPECT_FALSE(IsAdding());
    ExpectOrder(shown, shown.size());

    // Rows handed over one by one (dropped files): their own order, a missing
    // file still an entry after the check.
    EmptyPlayList();
    ListView rows(0, 0, 100, 100, nullptr);
    ASSERT_TRUE(AddColumns(&rows, g_fileGroups.nameColumn + 1));
    std::vector<std::wstring> expected;
    for (size_t i = listing.size(); i-- > 0;) {
        ASSERT_TRUE(AddRow(&rows));
        SetCellText(&rows, 0, (dir.File(L"many") + L"\\").c_str());
        SetCellText(&rows, g_fileGroups.nameColumn, listing[i].c_str());
        rows.rows[rows.rowCount - 1].selected = true;
        expected.push_back(listing[i].substr(0, listing[i].size() - 4));
    }
    ASSERT_TRUE(AddRow(&rows));
    SetCellText(&rows, 0, (dir.File(L"many") + L"\\").c_str());
    SetCellText(&rows, g_fileGroups.nameColumn, L"gone.mp3");
    rows.rows[rows.rowCount - 1].selected = true;
    expected.push_back(L"gone");
    ASSERT_TRUE(AddNow(&rows, nullptr));
    EXPECT_EQ(EntryNames(), expected);
    EXPECT_EQ(EntryLength(PlayListCount() - 1), 0);
}

// Esc part-way through a folder: its scan stops, what is in is a run from
// the start of the order without gaps, and nothing more arrives afterwards.
TEST_F(PoolTest, EscPartWayLeavesTheFirstEntriesInOrderAndNothingArrivesLater) {
    MakeFolder(L"slow", 400);
    g_addingProbe = [](const wchar_t* path, TagRecord* tags) {
        Sleep(4);
        return SlowAndFast(path, tags);
    };
    NavigateFileList(dir.path.c_str());
    SelectFiles({L"slow"});
    w->Key(VK_F5);
    for (DWORD start = GetTickCount(); PlayListCount() < 60 && GetTickCount() - start < 10000; Sleep(1)) PumpMessages();
    CancelAdding();
    WaitForAdding();
    int count = PlayListCount();
    EXPECT_GE(count, 60);
    EXPECT_LT(count, (int)listing.size());
    ExpectOrder(listing, (size_t)count);
    int probed = probes;
    EXPECT_LT(probed, count + 300) << "the probes stop with the scan";
    Sleep(100);
    PumpMessages();
    EXPECT_EQ(PlayListCount(), count);
    EXPECT_EQ(probes.load(), probed);
}
