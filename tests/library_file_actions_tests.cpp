// The file list's keys and the path bar on a real folder tree, and CUE sheets
// in the file list, played through the engine on the silent device.
#include <gtest/gtest.h>
#include "tests/library_support.h"
#include "tests/test_support.h"
#include "library/file_actions.h"
#include "library/file_browser.h"
#include "media/file_groups.h"
#include "library/group_looks.h"
#include "library/open_outside.h"
#include "library/playlist.h"
#include "app/command_line.h"
#include "app/hand_off.h"
#include "app/general_settings.h"
#include "base/paths.h"
#include "audio/engine.h"
#include "media/cue_files.h"

// The shell's delete, without its question: the lists it was given.
static std::vector<std::vector<std::wstring>> g_deletes;
static int DeleteWithoutAsking(SHFILEOPSTRUCTW* op) {
    std::vector<std::wstring> paths;
    for (const wchar_t* p = op->pFrom; *p; p += wcslen(p) + 1) paths.push_back(p);
    g_deletes.push_back(paths);
    SHFILEOPSTRUCTW quiet = *op;
    quiet.fFlags |= FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&quiet);
}

static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct FileActionsTest : LibraryTest {
    FileActionsTest() : LibraryTest(L"file-actions") {}
    static void SetUpTestSuite() { AudioInit(0, 44100, nullptr); }
    static void TearDownTestSuite() {
        StopTrack();
        AudioFree();
    }
    void SetUp() override {
        LibraryTest::SetUp();
        g_general.isUseAlbums = 0;
        g_general.isMergeCue = 1;
        currentPath.Set(L"");
        g_deletes.clear();
        g_fileOperation = DeleteWithoutAsking;
        ASSERT_TRUE(CreateDirectoryW(dir.File(L"sub").c_str(), nullptr));
        for (const wchar_t* f : {L"notes.txt", L"old.txt", L"sub\\inner.txt"}) ASSERT_TRUE(WriteFileBytes(dir.File(f), "x"));
        ASSERT_TRUE(WriteSineWav(dir.File(L"tone.wav"), 1));
        w->FocusFiles();
        NavigateFileList(dir.path.c_str());
    }
    void TearDown() override {
        StopTrack();
        fileOperationsAllowed = true;
        g_fileOperation = DeleteWithoutAsking;
        LibraryTest::TearDown();
    }
    void Focus(const wchar_t* name) {
        ASSERT_GE(Row(name), 0) << name;
        SetCurrent(w->files, Row(name));
    }
};

TEST_F(FileActionsTest, DeleteTakesTheMarkedEntriesOrElseTheFocusedOneButNeverTheParent) {
    // Nothing marked, ".." focused: nothing is deleted.
    SetCurrent(w->files, 0);
    w->Key(VK_DELETE);
    EXPECT_TRUE(g_deletes.empty());
    // Nothing marked: the focused entry alone.
    Focus(L"notes.txt");
    w->Key(VK_DELETE);
    ASSERT_EQ(g_deletes.size(), 1u);
    EXPECT_EQ(g_deletes[0], (std::vector<std::wstring>{dir.File(L"notes.txt")}));
    EXPECT_EQ(Row(L"notes.txt"), -1);  // the folder was read again
    EXPECT_TRUE(Exists(dir.File(L"old.txt")));
    // Marks win over the focus; a marked ".." takes no part; a folder goes whole.
    w->files->rows[0].selected = true;
    w->files->rows[Row(L"sub")].selected = true;
    w->files->rows[Row(L"old.txt")].selected = true;
    Focus(L"tone.wav");
    w->Key(VK_F8);
    ASSERT_EQ(g_deletes.size(), 2u);
    EXPECT_EQ(g_deletes[1], (std::vector<std::wstring>{dir.File(L"sub"), dir.File(L"old.txt")}));
    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"..", L"tone.wav"}));
    for (int r = 0; r < w->files->rowCount; r++) EXPECT_FALSE(w->files->rows[r].selected);
    // Without file operations allowed nothing happens.
    fileOperationsAllowed = false;
    Focus(L"tone.wav");
    w->Key(VK_DELETE);
    EXPECT_EQ(g_deletes.size(), 2u);
    EXPECT_TRUE(Exists(dir.File(L"tone.wav")));
}

TEST_F(FileActionsTest, KeysGoUpToRootsDrivesAndTheMusicFolder) {
    Focus(L"sub");
    w->Key(VK_RETURN);
    ASSERT_EQ(g_general.Path.text, dir.File(L"sub\\"));
    // Backspace while a name is typed edits the name; Ctrl+Backspace goes up anyway.
    w->win.Char(L'i');
    ASSERT_TRUE(w->files->searchActive);
    w->Key(VK_BACK);
    EXPECT_EQ(g_general.Path.text, dir.File(L"sub\\"));
    w->Key(VK_BACK, false, true);
    EXPECT_EQ(g_general.Path.text, dir.path);
    EXPECT_EQ(Current(), L"sub");
    // Ctrl+Page Up goes up as well.
    w->Key(VK_PRIOR, false, true);
    std::wstring parent = dir.path.substr(0, dir.path.rfind(L'\\', dir.path.size() - 2) + 1);
    EXPECT_EQ(g_general.Path.text, parent);
    // Ctrl+2: the music folder; Ctrl+\: the drive's root.
    g_general.MusicFolder.Set(dir.File(L"sub\\").c_str());
    w->Key('2', false, true);
    EXPECT_EQ(g_general.Path.text, dir.File(L"sub\\"));
    w->Key(VK_OEM_5, false, true);
    EXPECT_EQ(g_general.Path.text, dir.path.substr(0, 3));
    // Alt+F1: the drives, C: focused.
    w->win.Send(WM_SYSKEYDOWN, VK_F1, 1 << 29);
    EXPECT_EQ(g_general.Path.text, L"Choose drive");
    EXPECT_EQ(Current().substr(0, 2), L"C:");
}

TEST(PathRoot, DriveAndShareRoots) {
    EXPECT_EQ(PathRoot(L"D:\\Music\\Rock\\"), L"D:\\");
    EXPECT_EQ(PathRoot(L"\\\\server\\share\\folder\\deeper\\"), L"\\\\server\\share\\");
    EXPECT_EQ(PathRoot(L"\\\\server\\share\\"), L"\\\\server\\share\\");
    EXPECT_EQ(PathRoot(L"Choose drive"), L"");
    EXPECT_EQ(PathRoot(L"\\\\server\\"), L"");
}

TEST(OpenOutside, TheSecondPlayersCommandLineQuotesTheExecutableAndTheFile) {
    std::wstring command = SecondPlayerCommand(L"C:\\Program Files\\Sonvale.exe", L"D:\\a b.mp3");
    EXPECT_EQ(command, L"\"C:\\Program Files\\Sonvale.exe\" /fs /f \"D:\\a b.mp3\"");
}

TEST_F(FileActionsTest, ThePathBarPlaysAFileInItsFolderAndCtrlPageDownPlaysTheFocusedFile) {
    NavigateFileList(L"C:\\");
    SetFocusIndex(w->win.ui, w->pathBar->index, true);
    SetEditText(w->pathBar, (L"\"" + dir.File(L"tone.wav") + L"\" and the rest").c_str());
    w->win.Char(L'\r');
    EXPECT_EQ(currentPath.text, dir.File(L"tone.wav"));
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(g_general.Path.text, dir.path);
    EXPECT_EQ(Current(), L"tone.wav");
    StopTrack();
    // Ctrl+Page Down plays the focused row, not one a page further.
    w->FocusFiles();
    ASSERT_TRUE(WriteSineWav(dir.File(L"a.wav"), 1));
    for (int i = 0; i < 40; i++) WriteFileBytes(dir.File((L"z" + std::to_wstring(i) + L".txt").c_str()), "x");
    NavigateFileList(dir.path.c_str());
    Focus(L"a.wav");
    w->Key(VK_NEXT, false, true);
    EXPECT_EQ(currentPath.text, dir.File(L"a.wav"));
    EXPECT_EQ(Current(), L"a.wav");
    EXPECT_EQ(GetStatus(), StatusPlaying);
}

// ---- CUE sheets ---------------------------------------------------------------

static const char kSheet[] =
    "PERFORMER \"Band\"\r\nTITLE \"The Album\"\r\nFILE \"a song.wav\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    PERFORMER \"band\"\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    PERFORMER \"Guest\"\r\n    INDEX 01 00:01:00\r\n"
    "  TRACK 03 AUDIO\r\n    REM SKIP\r\n    INDEX 01 00:02:00\r\n"
    "  TRACK 07 AUDIO\r\n    INDEX 01 00:02:30\r\n";

TEST_F(FileActionsTest, ASheetJoinsItsAudioRowAndOpensAsTheFolderOfItsTracks) {
    ASSERT_TRUE(WriteSineWav(dir.File(L"a song.wav"), 3));
    ASSERT_TRUE(WriteFileBytes(dir.File(L"a song.cue"), kSheet));
    ASSERT_TRUE(WriteFileBytes(dir.File(L"lone.cue"), "FILE \"gone.wav\" WAVE\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\n"));
    NavigateFileList(dir.path.c_str());
    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"..", L"sub", L"a song.wav | cue", L"lone.cue", L"notes.txt",
                                                  L"old.txt", L"tone.wav"}));
    int merged = Row(L"a song.wav | cue");
    EXPECT_EQ(w->files->rows[merged].cells[FileListIcon].value, w->files->rows[Row(L"tone.wav")].cells[FileListIcon].value);
    // Enter: the sheet's tracks, the skipped one left out, a guest performer named.
    SetCurrent(w->files, merged);
    w->Key(VK_RETURN);
    std::wstring sheet = dir.File(L"a song.cue");
    EXPECT_EQ(g_general.Path.text, sheet + L"\\");
    EXPECT_EQ(w->pathBar->text.text, sheet + L"\\");
    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"..", L"01 One.wav", L"02 Two [Guest].wav", L"07 Track 07.wav"}));
    // A track plays within its bounds and shows as now playing.
    SetCurrent(w->files, 2);
    w->Key(VK_RETURN);
    EXPECT_EQ(currentPath.text, sheet + L"\\02 Two [Guest].wav");
    EXPECT_EQ(seekLength, 2000u - 1000u);
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(w->files->rows[2].cells[FileListIcon].value, GroupIcon(GroupNowPlaying));
    // Ctrl+R keeps the sheet; ".." goes back with the merged row focused.
    w->Key('R', false, true);
    EXPECT_EQ(FileNames().size(), 4u);
    SetCurrent(w->files, 0);
    w->Key(VK_RETURN);
    EXPECT_EQ(g_general.Path.text, dir.path);
    EXPECT_EQ(Current(), L"a song.wav | cue");
    // Ctrl+1: the current track in its sheet, its row focused.
    w->Key('1', false, true);
    EXPECT_EQ(g_general.Path.text, sheet + L"\\");
    EXPECT_EQ(Current(), L"02 Two [Guest].wav");
    // Ctrl+Page Down on the merged row plays the whole audio file.
    NavigateFileList(dir.path.c_str());
    SetCurrent(w->files, Row(L"a song.wav | cue"));
    w->Key(VK_NEXT, false, true);
    EXPECT_EQ(currentPath.text, dir.File(L"a song.wav"));
    EXPECT_EQ(seekLength, 3000u);
    StopTrack();
    // Deleting the merged row deletes the sheet and its audio file.
    w->Key(VK_DELETE);
    ASSERT_EQ(g_deletes.size(), 1u);
    EXPECT_EQ(g_deletes[0], (std::vector<std::wstring>{dir.File(L"a song.wav"), sheet}));
    EXPECT_EQ(Row(L"a song.wav | cue"), -1);
    // Without the merge a sheet is a row of its own and Enter opens it.
    g_general.isMergeCue = 0;
    ASSERT_TRUE(WriteSineWav(dir.File(L"a song.wav"), 3));
    ASSERT_TRUE(WriteFileBytes(dir.File(L"a song.cue"), kSheet));
    NavigateFileList(dir.path.c_str());
    ASSERT_GE(Row(L"a song.wav"), 0);
    SetCurrent(w->files, Row(L"a song.cue"));
    w->Key(VK_RETURN);
    EXPECT_EQ(FileNames().size(), 4u);
    EXPECT_EQ(Current(), L"..");
}

TEST_F(FileActionsTest, ASheetHandedOverShowsItsTracks) {
    ASSERT_TRUE(WriteSineWav(dir.File(L"a song.wav"), 3));
    ASSERT_TRUE(WriteFileBytes(dir.File(L"a song.cue"), kSheet));
    std::wstring sheet = dir.File(L"a song.cue");
    // Named on the command line (open), dropped on the window (follow) or sent
    // with /a: the file list shows the tracks, the first row current.
    for (uint8_t mode : {(uint8_t)ModeOpen, (uint8_t)ModeFollow}) {
        NavigateFileList(L"C:\\");
        HandOver(mode, sheet);
        EXPECT_EQ(g_general.Path.text, sheet + L"\\") << mode;
        EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"..", L"01 One.wav", L"02 Two [Guest].wav", L"07 Track 07.wav"}))
            << mode;
        EXPECT_EQ(w->files->currentRow, 0);
        EXPECT_EQ(w->pathBar->text.text, sheet + L"\\");
    }
    // A sheet that cannot be read shows in its folder, selected.
    std::string huge(kMaxCueSheetBytes + 1, ' ');
    huge.replace(0, sizeof(kSheet) - 1, kSheet);
    ASSERT_TRUE(WriteFileBytes(dir.File(L"huge.cue"), huge));
    HandOver(ModeOpen, dir.File(L"huge.cue"));
    EXPECT_EQ(g_general.Path.text, dir.path);
    EXPECT_EQ(Current(), L"huge.cue");
}

// A sheet this large used to be read keyword by keyword, each search running
// to the end of the text: tens of thousands of tracks cost seconds of a frozen
// window. One just under the limit now lists at once; one over it is no sheet.
TEST_F(FileActionsTest, ALargeSheetListsAtOnceAndAnOversizedOneIsAPlainFile) {
    ASSERT_TRUE(WriteSineWav(dir.File(L"big.wav"), 1));
    std::string big = "FILE \"big.wav\" WAVE\r\n";
    int tracks = 0;
    for (;;) {
        char block[64];
        // A title whose quote never closes: its value runs to the line end.
        int n = snprintf(block, sizeof(block), "TRACK %02d AUDIO\r\nTITLE \"t\r\nINDEX 01 00:00:%02d\r\n", tracks + 1,
                         tracks % 60);
        if (big.size() + n > kMaxCueSheetBytes) break;
        big += block;
        tracks++;
    }
    ASSERT_GT(tracks, 15000);
    big.resize(kMaxCueSheetBytes, ' ');  // the largest sheet there may be
    ASSERT_TRUE(WriteFileBytes(dir.File(L"big.cue"), big));
    NavigateFileList(dir.path.c_str());
    ASSERT_GE(Row(L"big.wav | cue"), 0);  // merged: it is a sheet
    SetCurrent(w->files, Row(L"big.wav | cue"));
    DWORD start = GetTickCount();
    w->Key(VK_RETURN);
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(g_general.Path.text, dir.File(L"big.cue") + L"\\");
    EXPECT_EQ(w->files->rowCount, tracks + 1);
    EXPECT_EQ(FileNames()[1], L"01 \"t.wav");
    // A guard against a frozen window (the old reading rescanned the text for every line), not a speed test.
    EXPECT_LT(took, 20000u) << "listing " << tracks << " tracks";
    // The same sheet one byte longer is no sheet: a row of its own that
    // neither merges nor opens.
    w->Key(VK_BACK);
    big.resize(kMaxCueSheetBytes + 1, ' ');
    ASSERT_TRUE(WriteFileBytes(dir.File(L"big.cue"), big));
    w->Key('R', false, true);
    EXPECT_GE(Row(L"big.cue"), 0);
    EXPECT_GE(Row(L"big.wav"), 0);
    TagRecord record;
    EXPECT_FALSE(LoadSheet(dir.File(L"big.cue").c_str(), &record));
    SetCurrent(w->files, Row(L"big.cue"));
    {
        AnyBoxCatcher boxes;
        w->Key(VK_RETURN);
        EXPECT_EQ(boxes.Seen(), (std::vector<std::wstring>{L"Information|Failed to read the CUE sheet"}));
    }
    EXPECT_EQ(g_general.Path.text, dir.path);
}
