// Adding files and folders from the file list to the playlist, on a folder
// tree of real short files made here.
#include <gtest/gtest.h>
#include "tests/library_support.h"
#include "tests/test_support.h"
#include "library/adding.h"
#include "library/file_browser.h"
#include "library/file_groups.h"
#include "library/playlist.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "app/paths.h"

struct AddingTest : testing::Test {
    ScratchFolder tree{L"adding"};
    LibraryWindow* w = nullptr;
    void SetUp() override {
        ResetLibraryState(tree.path);
        g_general.isUseAlbums = 0;
        for (const wchar_t* d : {L"a_sub", L"b_sub", L"b_sub\\deep"})
            ASSERT_TRUE(CreateDirectoryW(tree.File(d).c_str(), nullptr));
        for (const wchar_t* f : {L"a_sub\\a1.wav", L"b_sub\\c1.wav", L"b_sub\\deep\\d1.wav", L"top.wav"})
            ASSERT_TRUE(WriteSineWav(tree.File(f), 1));
        ASSERT_TRUE(WriteSineWav(tree.File(L"b_sub\\noext"), 1));  // playable, but no "." in its name
        ASSERT_TRUE(WriteTinyModule(tree.File(L"tune.mod"), 2));
        ASSERT_TRUE(WriteFileBytes(tree.File(L"junk.mp3"), "not audio at all"));
        ASSERT_TRUE(WriteFileBytes(tree.File(L"notes.txt"), "x"));
        w = new LibraryWindow;
        w->FocusFiles();
        NavigateFileList(tree.path.c_str());
    }
    void TearDown() override {
        delete w;
        g_playList = PlayListState{};
        SetProgramFolder(ScratchFolder::Root());
    }
    // The adding thread hands its work to this thread: take it until the add ends.
    static void WaitForAdding() {
        for (DWORD start = GetTickCount(); IsAdding() && GetTickCount() - start < 10000; Sleep(1)) PumpMessages();
        ASSERT_FALSE(IsAdding());
        PumpMessages();
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> n;
        for (int r = 0; r < PlayListCount(); r++) n.push_back(w->playList->rows[r].cells[PlayListName].text);
        return n;
    }
    void SelectFiles(std::initializer_list<const wchar_t*> names) {
        for (int r = 0; r < w->files->rowCount; r++) w->files->rows[r].selected = false;
        for (const wchar_t* n : names) w->files->rows[FindRow(w->files, FileListName, n)].selected = true;
    }
};

TEST_F(AddingTest, ParentRowAloneAddsEverythingShownSubFoldersFirstWithTheirLengths) {
    SetCurrent(w->files, 0);  // "..", nothing selected
    w->Key(VK_F5);
    WaitForAdding();
    // Rows in the file list's order; inside b_sub its sub-folder comes before its
    // own file, and "noext" and notes.txt are no audio.
    ASSERT_EQ(Names(), (std::vector<std::wstring>{L"a1", L"d1", L"c1", L"junk", L"top", L"tune"}));
    EXPECT_EQ(EntryFullPath(1), tree.File(L"b_sub\\deep\\d1.wav"));
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
    ASSERT_TRUE(WriteFileBytes(tree.File(L"PlayList.dcp"),
                               PlayListBytes(paths, {100, 200, 300, 400, 500}, {-1, -1, 1, 0, 2}, 3)));
    ASSERT_TRUE(LoadPlayList());
    MarkNowPlayingEntry();
    COLORREF played = w->playList->rows[4].textColor;
    SetCurrent(w->playList, 1);
    SelectFiles({L"top.wav", L"tune.mod"});
    w->Key(VK_F5);
    WaitForAdding();
    ASSERT_EQ(Names(), (std::vector<std::wstring>{L"p0", L"p1", L"top", L"tune", L"p2", L"p3", L"p4"}));
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
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"top"}));
    EXPECT_EQ(g_playList.totalLength, 1000);
    SelectFiles({L"tune.mod"});
    w->Key(VK_F6, false, true);
    WaitForAdding();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"top", L"tune"}));
    // A folder from the command line or a second instance: added on this
    // thread, done when the hand-off returns.
    HandOffRecord r{};
    r.mode = ModeOpen;
    lstrcpynW(r.path, tree.File(L"b_sub").c_str(), MAX_PATH);
    HandleHandOff(r);
    EXPECT_FALSE(IsAdding());
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"d1", L"c1"}));
}
