#include "library/file_actions.h"
#include "audio/player_events.h"
#include "library/file_browser.h"
#include "media/file_groups.h"
#include "library/open_outside.h"
#include "library/play_order.h"
#include "base/general_settings.h"
#include "base/messages.h"
#include "audio/engine.h"
#include "media/cue_files.h"
#include "ui/list_view.h"

bool fileOperationsAllowed = true;

static int ShellFileOperation(SHFILEOPSTRUCTW* op) { return SHFileOperationW(op); }
int (*g_fileOperation)(SHFILEOPSTRUCTW*) = ShellFileOperation;

static bool Held(int vk) { return GetKeyState(vk) < 0; }

static bool IsFile(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

static std::wstring EntryPath(int row) {
    const wchar_t* name = FileListRowName(row);
    if (FileListShowsDrives()) return std::wstring(1, name[0]) + L":\\";
    return g_general.Path.text + name;
}

static void ShowSheet(const std::wstring& sheetPath) {
    if (ShowSheetAsFolder(sheetPath.c_str())) SetCurrent(g_fileList, 0);
    else ShowInformation(L"Failed to read the CUE sheet");
}

void OpenFileListEntry(OpenMode how, bool alt) {
    ListView* l = g_fileList;
    if (!l || l->currentRow < 0 || l->currentRow >= l->rowCount) return;
    int row = l->currentRow;
    bool folder = FileListRowIsFolder(row);
    std::wstring path = EntryPath(row);
    if (how == OpenElsewhere) {
        OpenOutside(path.c_str(), folder);
        return;
    }
    if (folder) {
        FileListEnterFolder();
        return;
    }
    const wchar_t* name = FileListRowName(row);
    const wchar_t* dot = wcsrchr(name, L'.');
    const wchar_t* extension = dot ? dot + 1 : L"";
    if (!_wcsicmp(extension, L"cue") && IsFile(path)) {
        ShowSheet(path);
        return;
    }
    if (IsMergedCueName(name)) {
        // "Album.ape | cue" stands for Album.cue beside its audio file.
        std::wstring sheetPath = path.substr(0, path.rfind(L'.') + 1) + L"cue";
        CueSheet sheet;
        std::wstring audio;
        if (how == OpenAtOnce && ReadCueSheet(sheetPath.c_str(), &sheet) && SingleAudioFile(sheet, &audio))
            PlayFileNow(audio.c_str());
        else
            ShowSheet(sheetPath);
        return;
    }
    if (how == OpenAtOnce) {
        PlayFileNow(path.c_str());
        return;
    }
    if (IsAudioExtension(extension)) {
        // A sheet's track is virtual: only a real file can carry a sheet.
        if (!FileListShowsSheet() && HasEmbeddedCueSheet(path.c_str())) ShowSheet(path);
        else PlayFileNow(path.c_str(), alt);
        return;
    }
    if (IsListFile(path.c_str())) {
        PlayFileNow(path.c_str(), alt);
        return;
    }
    ShellExecuteW(g_playerEvents.mainWindow(), L"open", path.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void FileListEnter() { OpenFileListEntry(OpenEnter, false); }

std::wstring PathRoot(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2) + L"\\";
    if (path.compare(0, 2, L"\\\\") != 0) return {};
    size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos || server == 2) return {};
    size_t share = path.find(L'\\', server + 1);
    if (share == std::wstring::npos) return server + 1 < path.size() ? path + L"\\" : std::wstring();
    return share > server + 1 ? path.substr(0, share + 1) : std::wstring();
}

// Ctrl+1: the current track in its folder (a sheet's track in its sheet).
static void ShowCurrentTrack() {
    if (currentPath.empty()) return;
    std::wstring path = currentPath.text;
    size_t bar = path.find(L'|');  // a list of addresses: its first
    if (bar != std::wstring::npos) path.resize(bar);
    NavigateFileListTo(path.c_str());
}

static void AddDeletePath(std::wstring* list, const std::wstring& path) {
    list->append(path);
    list->push_back(L'\0');
}

void DeleteMarkedEntries() {
    ListView* l = g_fileList;
    // Drives and a sheet's tracks are nothing the shell could delete.
    if (!fileOperationsAllowed || !l || l->rowCount == 0 || FileListShowsDrives() || FileListShowsSheet()) return;
    bool marked = false;
    for (int r = 0; r < l->rowCount; r++) marked = marked || l->rows[r].selected;
    if (!marked && l->currentRow >= 0 && l->currentRow < l->rowCount) l->rows[l->currentRow].selected = true;
    std::wstring list;  // the shell's list: each path ends with a NUL, the list with one more
    for (int r = 0; r < l->rowCount; r++) {
        if (!l->rows[r].selected) continue;
        const wchar_t* name = FileListRowName(r);
        if (!wcscmp(name, L"..")) {
            l->rows[r].selected = false;
            continue;
        }
        std::wstring path = g_general.Path.text + name;
        if (IsMergedCueName(name)) {
            // The row is a sheet and its audio file: both go.
            std::wstring sheetPath = path.substr(0, path.rfind(L'.') + 1) + L"cue";
            CueSheet sheet;
            std::wstring audio;
            if (ReadCueSheet(sheetPath.c_str(), &sheet) && SingleAudioFile(sheet, &audio)) AddDeletePath(&list, audio);
            AddDeletePath(&list, sheetPath);
        } else {
            AddDeletePath(&list, path);
        }
    }
    if (list.empty()) return;
    SHFILEOPSTRUCTW op{};
    op.hwnd = g_playerEvents.mainWindow();
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();  // c_str() adds the closing NUL
    g_fileOperation(&op);
    for (int r = 0; r < l->rowCount; r++) l->rows[r].selected = false;
    FileListReRead();
}

LRESULT FileListKey(UINT msg, WPARAM key) {
    if ((msg != WM_KEYDOWN && msg != WM_SYSKEYDOWN) || !g_fileList) return msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
    bool ctrl = Held(VK_CONTROL), shift = Held(VK_SHIFT), alt = msg == WM_SYSKEYDOWN;
    switch (key) {
    case VK_RETURN:
        if (!ctrl) OpenFileListEntry(shift ? OpenElsewhere : OpenEnter, alt);
        return 1;
    case VK_NEXT:
        if (ctrl) OpenFileListEntry(OpenAtOnce, alt);
        return 1;
    case VK_F1:
    case VK_F2:
        if (alt) ListDrives(L'C');
        return 1;
    }
    if (alt) return 1;
    switch (key) {
    case VK_BACK:
        // Without Ctrl, Backspace belongs to a name being typed in the search box.
        if (ctrl || !g_fileList->searchActive) FileListGoUp();
        break;
    case VK_PRIOR:
        if (ctrl) FileListGoUp();
        break;
    case 'R':
        if (ctrl) FileListReRead();
        break;
    case VK_F12:
        FileListReRead();
        break;
    case '1':
        if (ctrl) ShowCurrentTrack();
        break;
    case '2':
        if (ctrl && !g_general.MusicFolder.empty()) NavigateFileList(g_general.MusicFolder.c_str());
        break;
    case VK_OEM_5:  // the backslash key
        if (ctrl && !FileListShowsDrives()) {
            std::wstring root = PathRoot(g_general.Path.text);
            if (!root.empty()) NavigateFileList(root.c_str());
        }
        break;
    case VK_DELETE:
    case VK_F8:
        DeleteMarkedEntries();
        break;
    case VK_F5:
        FileListAddSelection();
        break;
    case VK_F6:
        FileListReplacePlayList();
        break;
    }
    return 1;
}

void PathBarEnter(const wchar_t* typed) {
    std::wstring text = typed ? typed : L"";
    if (_wcsnicmp(text.c_str(), L"http", 4) == 0) {
        PlayFileNow(text.c_str());
        return;
    }
    if (!text.empty() && text[0] == L'"') {
        // "C:\Music\a b.mp3" as copied with its quotes: what the quotes hold.
        text.erase(0, 1);
        size_t last = text.rfind(L'"');
        if (last != std::wstring::npos) text.resize(last);
    }
    std::wstring expanded(32768, L'\0');
    DWORD n = GetLongPathNameW(text.c_str(), expanded.data(), (DWORD)expanded.size());
    if (n > 0 && n < expanded.size()) text.assign(expanded.c_str(), n);
    if (IsFile(text)) {
        NavigateFileListTo(text.c_str());
        PlayFileNow(text.c_str());
        FocusFileList();
        return;
    }
    NavigateFileList(text.c_str());
}
