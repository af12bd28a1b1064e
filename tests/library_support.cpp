#include "tests/library_support.h"
#include "media/file_groups.h"
#include "base/paths.h"
#include "app/general_settings.h"
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

static CRITICAL_SECTION g_lock;
static std::vector<std::wstring> g_seen;

static BOOL CALLBACK FindAnyBox(HWND hwnd, LPARAM found) {
    wchar_t cls[16];
    GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId() && !wcscmp(cls, L"#32770") && IsWindowVisible(hwnd)) {
        *(HWND*)found = hwnd;
        return FALSE;
    }
    return TRUE;
}

static DWORD WINAPI CatchAny(void* arg) {
    AnyBoxCatcher* c = (AnyBoxCatcher*)arg;
    while (!InterlockedCompareExchange(&c->stop, 0, 0)) {
        HWND box = nullptr;
        EnumWindows(FindAnyBox, (LPARAM)&box);
        if (box) {
            wchar_t caption[256] = {}, text[1024] = {};
            GetWindowTextW(box, caption, 256);
            GetDlgItemTextW(box, 0xFFFF, text, 1024);
            EnterCriticalSection(&g_lock);
            g_seen.push_back(std::wstring(caption) + L"|" + text);
            LeaveCriticalSection(&g_lock);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            while (IsWindow(box)) Sleep(5);
        }
        Sleep(5);
    }
    return 0;
}

AnyBoxCatcher::AnyBoxCatcher() {
    static bool ready = (InitializeCriticalSection(&g_lock), true);
    (void)ready;
    EnterCriticalSection(&g_lock);
    g_seen.clear();
    LeaveCriticalSection(&g_lock);
    thread = CreateThread(nullptr, 0, CatchAny, this, 0, nullptr);
}

AnyBoxCatcher::~AnyBoxCatcher() {
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
}

std::vector<std::wstring> AnyBoxCatcher::Seen() {
    EnterCriticalSection(&g_lock);
    std::vector<std::wstring> copy = g_seen;
    LeaveCriticalSection(&g_lock);
    return copy;
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

void ResetLibraryState(const std::wstring& folder) {
    SetGeneralDefaults();
    SetProgramFolder(folder);
    g_playList = PlayListState{};
    SetNowPlayingPattern(L"");
}
