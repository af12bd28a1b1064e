// The file browser on a real folder tree made here.
#include <gtest/gtest.h>
#include "tests/library_support.h"
#include "tests/test_support.h"
#include "library/file_browser.h"
#include "media/file_groups.h"
#include "library/group_looks.h"
#include "library/playlist.h"
#include "app/general_settings.h"
#include "ui/theme.h"

struct BrowserTest : LibraryTest {
    BrowserTest() : LibraryTest(L"browser") {}
    void SetUp() override {
        LibraryTest::SetUp();
        for (const wchar_t* d : {L"1998 Album", L"998 Album", L"1998Album", L"Zeta"})
            ASSERT_TRUE(CreateDirectoryW(dir.File(d).c_str(), nullptr));
        for (const wchar_t* f : {L"file10.mp3", L"file9.mp3", L"pic.jpg", L"readme.txt", L"song.flac", L"2003-Live.ape",
                                 L"secret.mp3", L"Zeta\\inner.ogg"})
            ASSERT_TRUE(WriteFileBytes(dir.File(f), "x"));
        SetFileAttributesW(dir.File(L"secret.mp3").c_str(), FILE_ATTRIBUTE_HIDDEN);
        w->FocusFiles();
    }
    int Icon(const wchar_t* name) const { return (int)w->files->rows[Row(name)].cells[FileListIcon].value; }
    COLORREF Color(const wchar_t* name) const { return w->files->rows[Row(name)].textColor; }
    std::wstring Second(const wchar_t* name) const {
        const wchar_t* t = w->files->rows[Row(name)].cells[FileListTitle].text;
        return t ? t : L"";
    }
};

TEST_F(BrowserTest, FoldersFirstInNaturalOrderWithTheGroupsLooks) {
    g_general.isUseAlbums = 0;
    NavigateFileList(dir.path.c_str());
    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"..", L"998 Album", L"1998 Album", L"1998Album", L"Zeta",
                                                  L"2003-Live.ape", L"file9.mp3", L"file10.mp3", L"pic.jpg",
                                                  L"readme.txt", L"secret.mp3", L"song.flac"}));
    EXPECT_EQ(g_general.Path.text, dir.path);
    EXPECT_EQ(w->pathBar->text.text, dir.path);
    EXPECT_EQ(Second(L".."), L"<\u0412\u0432\u0435\u0440\u0445>");
    EXPECT_EQ(Icon(L".."), GroupIcon(GroupParent));
    EXPECT_EQ(Second(L"Zeta"), L"<\u041f\u0430\u043f\u043a\u0430>");
    EXPECT_EQ(Icon(L"Zeta"), 1);
    EXPECT_EQ(Color(L"Zeta"), g_theme.palette[5]);
    EXPECT_EQ(Icon(L"file9.mp3"), 7);  // audio known without plug-ins
    EXPECT_EQ(Color(L"file9.mp3"), g_theme.palette[0]);
    EXPECT_EQ(Icon(L"pic.jpg"), 10);
    EXPECT_EQ(Color(L"pic.jpg"), g_theme.palette[3]);
    EXPECT_EQ(Icon(L"readme.txt"), 4);  // any other file
    EXPECT_EQ(Color(L"readme.txt"), g_theme.palette[6]);
    // Hidden: the hidden colour, the icon drawn faded.
    EXPECT_EQ(Icon(L"secret.mp3"), -7);
    EXPECT_EQ(Color(L"secret.mp3"), g_theme.palette[7]);
    // The file now loaded takes the now-playing look.
    SetNowPlayingPattern((dir.path + L"FILE9.mp3").c_str());
    RefreshFileListLooks();
    EXPECT_EQ(Icon(L"file9.mp3"), 3);
    EXPECT_EQ(Color(L"file9.mp3"), g_theme.palette[3]);
    EXPECT_EQ(Icon(L"file10.mp3"), 7);
    // What a person sees: the file list and a playlist beside it.
    AppendEntry(dir.path.c_str(), L"file9", L"mp3", 61000);
    AppendEntry(dir.path.c_str(), L"song", L"flac", 3000);
    Show(w->win.ui, SW_SHOWNORMAL);
    RepaintAll(w->win.ui);
    Present(w->win.ui);
    PumpMessages();
    ScreenShot shot;
    ASSERT_TRUE(shot.Capture(w->win.hwnd()));
    shot.SaveBmp(ArtefactFolder() + L"library_panels.bmp");
    EmptyPlayList();
}

TEST_F(BrowserTest, AlbumsSortAmongFoldersAndTakeTheAlbumIcon) {
    g_general.isUseAlbums = 1;
    NavigateFileList(dir.path.c_str());
    std::vector<std::wstring> n = FileNames();
    ASSERT_EQ(n.size(), 12u);
    EXPECT_EQ(n[0], L"..");
    // "2003-Live.ape" is album-like: among the folders.
    EXPECT_EQ(std::vector<std::wstring>(n.begin() + 1, n.begin() + 6),
              (std::vector<std::wstring>{L"998 Album", L"1998 Album", L"1998Album", L"2003-Live.ape", L"Zeta"}));
    EXPECT_EQ(Icon(L"1998 Album"), GroupIcon(GroupAlbum));
    EXPECT_EQ(Icon(L"2003-Live.ape"), GroupIcon(GroupAlbum));
    EXPECT_EQ(Icon(L"998 Album"), 1);
    EXPECT_EQ(Icon(L"1998Album"), 1);
    EXPECT_TRUE(IsAlbumName(L"2003-x"));
    EXPECT_FALSE(IsAlbumName(L"3003 x"));
    EXPECT_FALSE(IsAlbumName(L"199"));
}

TEST_F(BrowserTest, EnterAndBackspaceWalkTheTree) {
    g_general.isUseAlbums = 0;
    NavigateFileList(dir.path.c_str());
    SetCurrent(w->files, Row(L"Zeta"));
    w->Key(VK_RETURN);
    EXPECT_EQ(g_general.Path.text, dir.path + L"Zeta\\");
    EXPECT_EQ(w->pathBar->text.text, dir.path + L"Zeta\\");
    EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"..", L"inner.ogg"}));
    EXPECT_EQ(w->files->currentRow, 0);
    w->Key(VK_BACK);
    EXPECT_EQ(g_general.Path.text, dir.path);
    EXPECT_EQ(Current(), L"Zeta");
    // Enter on "..": up as well, the folder just left focused.
    SetCurrent(w->files, Row(L"1998 Album"));
    w->Key(VK_RETURN);
    w->Key(VK_RETURN);  // ".." is the first row
    EXPECT_EQ(Current(), L"1998 Album");
    // A folder gone since it was listed: a message, and nothing changes.
    ASSERT_TRUE(RemoveDirectoryW(dir.File(L"998 Album").c_str()));
    SetCurrent(w->files, Row(L"998 Album"));
    {
        AnyBoxCatcher boxes;
        w->Key(VK_RETURN);
        EXPECT_EQ(boxes.Seen(), (std::vector<std::wstring>{L"Information|Failed to enter directory"}));
    }
    EXPECT_EQ(g_general.Path.text, dir.path);
    EXPECT_EQ(Row(L"998 Album"), 1);
    // Ctrl+R reads the folder again, marks kept by position.
    w->files->rows[3].selected = true;
    w->Key('R', false, true);
    EXPECT_EQ(Row(L"998 Album"), -1);
    EXPECT_TRUE(w->files->rows[3].selected);
}

TEST_F(BrowserTest, UpFromADriveRootShowsTheDrivesWithItFocused) {
    NavigateFileList(L"C:\\");
    EXPECT_EQ(Second(L".."), L"<\u0414\u0438\u0441\u043a\u0438>");
    EXPECT_EQ(Icon(L".."), GroupIcon(GroupDrive));
    w->Key(VK_BACK);
    EXPECT_EQ(g_general.Path.text, L"Choose drive");
    EXPECT_EQ(Current().substr(0, 2), L"C:");
    EXPECT_NE(Current().find(L".Fixed drive"), std::wstring::npos);
    EXPECT_EQ(w->files->rows[w->files->currentRow].textColor, g_theme.palette[5]);  // fixed drives: the folder colour
    EXPECT_EQ(w->files->rows[w->files->currentRow].cells[FileListIcon].value, GroupIcon(GroupDrive));
    EXPECT_EQ(w->files->rows[w->files->currentRow].cells[FileListTitle].text, std::wstring(L"<\u0412\u043e\u0439\u0442\u0438>"));
    w->Key(VK_RETURN);
    EXPECT_EQ(g_general.Path.text, L"C:\\");
    // A path that is gone shows the drives.
    NavigateFileList((dir.path + L"nowhere\\").c_str());
    EXPECT_EQ(g_general.Path.text, L"Choose drive");
}

TEST(FileName, ThePartAfterTheLastBackslash) {
    EXPECT_EQ(GetFileName(L"C:\\a\\b.mp3"), L"b.mp3");
    EXPECT_EQ(GetFileName(L"plain"), L"plain");
    EXPECT_EQ(GetFileName(L"C:\\"), L"");
    AnyBoxCatcher boxes;
    EXPECT_EQ(GetFileName(L"C:\\a\\"), L"");
    EXPECT_EQ(boxes.Seen(), (std::vector<std::wstring>{L"Information|GetFileName FAAILED!!!"}));
}
