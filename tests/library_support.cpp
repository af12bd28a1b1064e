#include "tests/library_support.h"
#include "media/file_groups.h"
#include "base/paths.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "library/adding.h"
#include "library/file_browser.h"
#include "library/playlist.h"
#include "library/playlist_file.h"
#include "ui/theme.h"

LibraryWindow::LibraryWindow() {
    // The main window's order: path bar, file list, playlist, status line.
    AddControl(win.ui, pathBar);
    InitPathBar(pathBar);
    AddControl(win.ui, files);
    InitFileListControl(files);
    AddControl(win.ui, playList);
    InitPlayListControl(playList);
    AddControl(win.ui, status);
    InitStatusLine(status);
    ApplyTheme(win.ui, ThemeWindows2000);
    FocusPlayList();
}

LibraryWindow::~LibraryWindow() {
    FinishAdding();
    InitFileListControl(nullptr);
    InitPathBar(nullptr);
    InitPlayListControl(nullptr);
    InitStatusLine(nullptr);
}

void LibraryWindow::FocusPlayList() { SetFocusIndex(win.ui, playList->index, true); }
void LibraryWindow::FocusFiles() { SetFocusIndex(win.ui, files->index, true); }

void LibraryWindow::Key(WPARAM vk, bool shift, bool ctrl) {
    Modifiers m(shift, ctrl);
    win.Key(vk);
}

std::wstring LibraryWindow::StatusText(int row) const {
    const wchar_t* t = row < status->rowCount ? status->rows[row].cells[0].text : nullptr;
    return t ? t : L"";
}

std::vector<int> Orders() {
    std::vector<int> o;
    for (int r = 0; r < PlayListCount(); r++) o.push_back(EntryOrder(r));
    return o;
}

std::string PlayListBytes(const std::vector<std::wstring>& paths, const std::vector<int>& lengths,
                          const std::vector<int>& orders, int nowPlaying) {
    std::vector<PlayListRecord> records(paths.size());
    for (size_t i = 0; i < paths.size(); i++) {
        SplitEntryPath(paths[i], &records[i]);
        records[i].lengthMs = lengths[i];
        records[i].playOrder = orders[i];
    }
    return SerializePlayList(records, (uint32_t)nowPlaying);
}

void LibraryTest::SetUp() {
    ResetLibraryState(dir.path);
    w = new LibraryWindow;
}

void LibraryTest::TearDown() {
    delete w;
    g_playList = PlayListState{};
    SetNowPlayingPattern(L"");
    SetProgramFolder(ScratchFolder::Root());
}

std::vector<std::wstring> LibraryTest::FileNames() const {
    std::vector<std::wstring> n;
    for (int r = 0; r < w->files->rowCount; r++) n.push_back(w->files->rows[r].cells[FileListName].text);
    return n;
}

std::vector<std::wstring> LibraryTest::EntryNames() const {
    std::vector<std::wstring> n;
    for (int r = 0; r < PlayListCount(); r++) n.push_back(w->playList->rows[r].cells[PlayListName].text);
    return n;
}

int LibraryTest::Row(const wchar_t* name) const { return FindRow(w->files, FileListName, name); }

std::wstring LibraryTest::Current() const { return w->files->rows[w->files->currentRow].cells[FileListName].text; }

void HandOver(uint8_t mode, const std::wstring& path) {
    HandOffRecord r{};
    r.mode = mode;
    lstrcpynW(r.path, path.c_str(), MAX_PATH);
    HandleHandOff(r);
}

void ResetLibraryState(const std::wstring& folder) {
    SetGeneralDefaults();
    SetProgramFolder(folder);
    g_playList = PlayListState{};
    SetNowPlayingPattern(L"");
}
