#include "library/file_browser.h"
#include "library/cue_lists.h"
#include "audio/player_events.h"
#include "library/adding.h"
#include "library/file_actions.h"
#include "media/file_groups.h"
#include "library/group_looks.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "base/general_settings.h"
#include "base/messages.h"
#include "media/cue_files.h"
#include "ui/dpi.h"
#include "ui/list_view.h"
#include "ui/ui_window.h"
#include "ui/edit_box.h"
#include "ui/natural_order.h"
#include <shlwapi.h>
#include <stdio.h>
#include <algorithm>
#include <unordered_map>
#include <vector>

const wchar_t* const kChooseDrive = L"Choose drive";
ListView* g_fileList;
EditBox* g_pathBar;

static const wchar_t kFolderText[] = L"<\u041f\u0430\u043f\u043a\u0430>";  // <Папка>
static const wchar_t kUpText[] = L"<\u0412\u0432\u0435\u0440\u0445>";        // <Вверх>
static const wchar_t kDrivesText[] = L"<\u0414\u0438\u0441\u043a\u0438>";    // <Диски>
static const wchar_t kEnterText[] = L"<\u0412\u043e\u0439\u0442\u0438>";     // <Войти>

static std::wstring& CurrentPath() { return g_general.Path.text; }
static bool ShowingDrives() { return CurrentPath().compare(0, 12, kChooseDrive) == 0; }

static void Repaint(Control* c) {
    if (c && c->surface.memoryDC) Redraw(c);
}

static void ShowPathInBar() {
    if (!g_pathBar) return;
    SetEditText(g_pathBar, CurrentPath().c_str());
    Repaint(g_pathBar);
}

static const wchar_t* RowName(int row) {
    const wchar_t* t = g_fileList->rows[row].cells[FileListName].text;
    return t ? t : L"";
}
static bool RowIsFolder(int row) { return g_fileList->rows[row].cells[FileListName].value != 0; }
const wchar_t* FileListRowName(int row) { return RowName(row); }
bool FileListRowIsFolder(int row) { return RowIsFolder(row); }
bool FileListShowsDrives() { return ShowingDrives(); }

// The list shows a CUE sheet's tracks; cleared with the rows.
static bool g_showingSheet = false;
bool FileListShowsSheet() { return g_showingSheet; }

std::wstring GetFileName(const wchar_t* path) {
    size_t n = wcslen(path);
    const wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash) return path;
    if (n > 3 && path[n - 1] == L'\\') ShowInformation(L"GetFileName FAAILED!!!");
    return slash + 1;
}

bool IsAlbumName(const wchar_t* name) {
    return (name[0] == L'1' || name[0] == L'2') && iswdigit(name[1]) && iswdigit(name[2]) && iswdigit(name[3]) &&
           (name[4] == L' ' || name[4] == L'-');
}

// ---- looks ----------------------------------------------------------------

struct Look {
    int icon;
    int group;  // gives the colour
};

// The groups of a file name by its extension: the default, then the first
// other group that matches. Cached per extension while one folder is listed.
class ExtensionLooks {
public:
    Look For(const wchar_t* name) {
        const wchar_t* dot = wcsrchr(name, L'.');
        std::wstring ext = dot ? dot + 1 : L"";
        CharLowerBuffW(&ext[0], (DWORD)ext.size());
        auto it = cache.find(ext);
        if (it != cache.end()) return it->second;
        Look look{GroupIcon(GroupOther), GroupOther};
        for (int g = 0; g < g_fileGroups.count; g++) {
            const FileGroup& group = g_fileGroups.groups[g];
            if (g == GroupOther || !group.show || group.mode != MatchExtension) continue;
            if (GroupMatches(g, L"", name)) {
                look = Look{group.icon, g};
                break;
            }
        }
        cache.emplace(ext, look);
        return look;
    }

private:
    std::unordered_map<std::wstring, Look> cache;
};

// A row merged with its CUE sheet ("Album.ape | cue") looks like its audio file.
static std::wstring LookName(const wchar_t* name) {
    if (!IsMergedCueName(name)) return name;
    std::wstring n(name, (size_t)(wcsrchr(name, L'|') - name));
    while (!n.empty() && n.back() == L' ') n.pop_back();
    return n;
}

static Look FileLook(ExtensionLooks* looks, const wchar_t* folder, const wchar_t* rowName) {
    std::wstring real = LookName(rowName);
    const wchar_t* name = real.c_str();
    Look look = looks->For(name);
    for (int g = 0; g < g_fileGroups.count; g++) {
        const FileGroup& group = g_fileGroups.groups[g];
        if (group.mode == MatchFullPath && group.show && !group.patterns.empty() && GroupMatches(g, folder, name))
            return Look{group.icon, g};
    }
    return look;
}

// Names of folders and of "..", kept here rather than by the list: the list
// draws a text it does not own whole, so a folder's name is never split at a
// dot like a file's name and extension. Emptied with the rows.
static std::vector<std::wstring*> g_folderNames;

static void ClearRows() {
    Clear(g_fileList, true);
    for (std::wstring* s : g_folderNames) delete s;
    g_folderNames.clear();
    g_showingSheet = false;
}

static void AddBrowserRow(const wchar_t* name, bool folder, const wchar_t* second, Look look, bool hidden,
                          bool drive = false) {
    ListView* l = g_fileList;
    if (!AddRow(l)) return;
    if (folder && !drive) {
        g_folderNames.push_back(new std::wstring(name));
        SetCellText(l, FileListName, g_folderNames.back()->c_str(), -1, 0);
    } else {
        SetCellText(l, FileListName, name);  // a drive's type is drawn at the right like an extension
    }
    SetCellValue(l, FileListName, folder ? 1 : 0);
    if (second) SetCellText(l, FileListTitle, second);
    SetCellValue(l, FileListIcon, hidden ? -look.icon : look.icon);
    SetRowGroupColor(l, -1, hidden ? GroupHidden : look.group);
}

void RefreshFileListLooks() {
    ListView* l = g_fileList;
    if (!l || ShowingDrives()) return;
    ExtensionLooks looks;
    const wchar_t* folder = CurrentPath().c_str();
    for (int r = 0; r < l->rowCount; r++) {
        if (RowIsFolder(r)) continue;
        ListCell& icon = l->rows[r].cells[FileListIcon];
        Look look = FileLook(&looks, folder, RowName(r));
        bool hidden = icon.value < 0;
        icon.value = hidden ? -look.icon : look.icon;
        SetRowGroupColor(l, r, hidden ? GroupHidden : look.group);
    }
    Repaint(l);
}

// ---- listing --------------------------------------------------------------

// Sorts rows 1 to the end (".." stays first): rows of rank 1 first, then
// natural order of the names. Rank: the folder mark, or with albums also an
// album-like name.
static void SortRows(bool albums) {
    ListView* l = g_fileList;
    int n = l->rowCount - 1;
    if (n < 2) return;
    std::vector<const wchar_t*> names((size_t)n);
    for (int i = 0; i < n; i++) names[(size_t)i] = RowName(i + 1);
    NaturalKeys keys{};
    if (!BuildNaturalKeys(&keys, names.data(), n)) {
        ShowInformation(L"Not enough memory");
        return;
    }
    std::vector<int> order((size_t)n);
    std::vector<char> rank((size_t)n);
    for (int i = 0; i < n; i++) {
        order[(size_t)i] = i;
        rank[(size_t)i] = RowIsFolder(i + 1) || (albums && IsAlbumName(names[(size_t)i]));
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (rank[(size_t)a] != rank[(size_t)b]) return rank[(size_t)a] > rank[(size_t)b];
        return CompareNaturalKeys(&keys, a, b) < 0;
    });
    ReleaseNaturalKeys(&keys);
    std::vector<ListRow> rows(l->rows + 1, l->rows + 1 + n);
    for (int i = 0; i < n; i++) l->rows[i + 1] = rows[(size_t)order[(size_t)i]];
}

bool ListFolder(const wchar_t* path, bool sort) {
    ListView* l = g_fileList;
    if (!l) return false;
    std::wstring folder = path;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return false;
    ClearRows();
    bool root = std::count(folder.begin(), folder.end(), L'\\') == 1;
    AddBrowserRow(L"..", true, root ? kDrivesText : kUpText, Look{GroupIcon(root ? GroupDrive : GroupParent), GroupParent},
                  false);
    ExtensionLooks looks;
    int seen = 0;
    do {
        const wchar_t* name = fd.cFileName;
        if (!wcscmp(name, L".") || !wcscmp(name, L"..")) continue;
        bool dir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool hidden = (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        if (dir) {
            AddBrowserRow(name, true, kFolderText, Look{GroupIcon(GroupFolder), GroupFolder}, hidden);
        } else {
            // Every group is shown and group 10 takes any name, so every file is listed.
            AddBrowserRow(name, false, nullptr, FileLook(&looks, folder.c_str(), name), hidden);
        }
        if (++seen % 100 == 0 && GetAsyncKeyState(VK_ESCAPE) < 0) break;
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    if (sort) SortRows(false);
    if (l->currentRow >= l->rowCount) l->currentRow = l->rowCount - 1;  // the cursor survives a clear as an index
    Repaint(l);
    return true;
}

static const wchar_t* DriveType(UINT type) {
    switch (type) {
    case DRIVE_UNKNOWN: return L"Unknown";
    case DRIVE_REMOVABLE: return L"Removable drive";
    case DRIVE_FIXED: return L"Fixed drive";
    case DRIVE_REMOTE: return L"Remote drive";
    case DRIVE_CDROM: return L"CD-ROM";
    case DRIVE_RAMDISK: return L"RAM drive";
    }
    return L"ERR";
}

void ListDrives(wchar_t letter) {
    ListView* l = g_fileList;
    if (!l) return;
    ClearRows();
    CurrentPath() = kChooseDrive;
    DWORD mask = GetLogicalDrives();
    int focus = 0;
    for (int i = 0; i < 26; i++) {
        if (!(mask & (1u << i))) continue;
        wchar_t root[4] = {(wchar_t)(L'A' + i), L':', L'\\', 0};
        wchar_t label[MAX_PATH + 1] = {};
        // Floppy drives are never asked: that would spin them up.
        if (i >= 2 && !GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
            label[0] = 0;
        UINT type = GetDriveTypeW(root);
        wchar_t text[MAX_PATH + 40];
        if (label[0]) swprintf(text, MAX_PATH + 40, L"%c:  [%ls].%ls", root[0], label, DriveType(type));
        else swprintf(text, MAX_PATH + 40, L"%c:.%ls", root[0], DriveType(type));
        int group = type == DRIVE_REMOVABLE ? GroupImage : type == DRIVE_CDROM ? GroupVideo
                  : type == DRIVE_REMOTE    ? GroupAudio : GroupFolder;
        AddBrowserRow(text, true, kEnterText, Look{GroupIcon(GroupDrive), group}, false, true);
        if (towupper(letter) == root[0]) focus = l->rowCount - 1;
    }
    l->currentRow = -1;  // SetCurrent below always tells the owner
    SetCurrent(l, focus);
    ShowPathInBar();
    Repaint(l);
}

// The album and CUE conventions over a fresh listing of the current path.
static void ApplyConventions() {
    ListView* l = g_fileList;
    if (g_general.isMergeCue) MergeCueSheets(l, CurrentPath().c_str());
    if (!g_general.isUseAlbums) return;
    std::wstring focused = l->currentRow < l->rowCount ? RowName(l->currentRow) : L"";
    SortRows(true);
    int album = GroupIcon(GroupAlbum);
    for (int r = 1; r < l->rowCount; r++)
        if (IsAlbumName(RowName(r))) l->rows[r].cells[FileListIcon].value = album;
    int again = FindRow(l, FileListName, focused.c_str());
    if (again >= 0) l->currentRow = again;
    Repaint(l);
}

static std::wstring WithoutTrailingSlash(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

void BeginFileListRows() {
    if (!g_fileList) return;
    ClearRows();
    AddBrowserRow(L"..", true, kUpText, Look{GroupIcon(GroupParent), GroupParent}, false);
}

bool AddFileListFileRow(const wchar_t* name) {
    if (!g_fileList) return false;
    ExtensionLooks looks;
    int before = g_fileList->rowCount;
    AddBrowserRow(name, false, nullptr, FileLook(&looks, CurrentPath().c_str(), name), false);
    return g_fileList->rowCount > before;
}

bool ShowSheetAsFolder(const wchar_t* sheetPath) {
    ListView* l = g_fileList;
    TagRecord sheet;
    if (!l || !LoadSheet(sheetPath, &sheet)) return false;
    CurrentPath() = std::wstring(sheetPath) + L"\\";  // the tracks' looks need it first
    ImportSheetToFileList(sheet);
    g_showingSheet = true;
    if (l->currentRow >= l->rowCount) l->currentRow = l->rowCount - 1;
    ShowPathInBar();
    Repaint(l);
    return true;
}

// Lists a folder with the conventions; the current path changes only on success.
// A path that is no folder but a CUE sheet shows the sheet's tracks.
static bool ShowFolder(const std::wstring& path) {
    if (!ListFolder(path.c_str(), !g_general.isUseAlbums)) {
        std::wstring sheet = WithoutTrailingSlash(path);
        return sheet.size() > 3 && ShowSheetAsFolder(sheet.c_str());
    }
    CurrentPath() = path;
    ApplyConventions();
    ShowPathInBar();
    return true;
}

bool RefreshFileList() {
    if (!g_fileList) return false;
    if (ShowingDrives()) {
        wchar_t letter = g_fileList->rowCount > 0 ? RowName(g_fileList->currentRow)[0] : L'C';
        ListDrives(letter);
        return true;
    }
    std::wstring path = CurrentPath();
    if (ShowFolder(path)) return true;
    // A sheet shown as a folder that cannot be read any more: its folder instead.
    std::wstring file = WithoutTrailingSlash(path);
    DWORD a = GetFileAttributesW(file.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return false;
    NavigateFileListTo(file.c_str());
    return true;
}

// The row of an entry by name; a sheet merged with its audio file is found by
// its merged row.
static int FindEntryRow(const std::wstring& name) {
    ListView* l = g_fileList;
    int row = FindRow(l, FileListName, name.c_str());
    size_t dot = name.rfind(L'.');
    if (row >= 0 || dot == std::wstring::npos || _wcsicmp(name.c_str() + dot, L".cue") != 0) return row;
    for (int r = 0; r < l->rowCount; r++)
        if (IsMergedCueName(RowName(r)) && _wcsnicmp(RowName(r), name.c_str(), dot + 1) == 0) return r;
    return -1;
}

void NavigateFileList(const wchar_t* path) {
    if (!g_fileList) return;
    std::wstring p = path ? path : L"";
    if (!p.empty() && p.back() != L'\\') p += L'\\';
    if (p.empty() || p.compare(0, 12, kChooseDrive) == 0 || !ShowFolder(p)) {
        // A folder that is gone (a stale setting, a removed disk) shows the drives.
        ListDrives(p.size() > 1 && p[1] == L':' ? p[0] : L'C');
        return;
    }
    SetCurrent(g_fileList, 0);
    Repaint(g_fileList);
}

void NavigateFileListTo(const wchar_t* file) {
    if (!g_fileList || !file) return;
    const wchar_t* slash = wcsrchr(file, L'\\');
    if (!slash) return;
    NavigateFileList(std::wstring(file, slash + 1).c_str());
    int row = FindEntryRow(slash + 1);
    if (row >= 0) SetCurrentCentred(g_fileList, row);
    Repaint(g_fileList);
}

void FileListGoUp() {
    ListView* l = g_fileList;
    if (!l || ShowingDrives()) return;
    std::wstring path = CurrentPath();
    if (path.size() <= 3 && path.size() >= 2 && path[1] == L':') {
        ListDrives(path[0]);
        return;
    }
    if (path.compare(0, 2, L"\\\\") == 0) {
        // \\server\share\ is a network root: above it are only the drives.
        size_t server = path.find(L'\\', 2);
        size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        if (share == std::wstring::npos || share + 1 >= path.size()) {
            ListDrives(L'C');
            return;
        }
    }
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        ListDrives(L'C');
        return;
    }
    std::wstring left = path.substr(slash + 1);
    if (!ShowFolder(path.substr(0, slash + 1))) {
        ShowInformation(L"Failed to enter directory");
        return;
    }
    int row = FindEntryRow(left);
    SetCurrent(l, row >= 0 ? row : 0);
    Repaint(l);
}

void FileListEnterFolder() {
    ListView* l = g_fileList;
    if (!l || l->rowCount == 0 || !RowIsFolder(l->currentRow)) return;
    const wchar_t* name = RowName(l->currentRow);
    if (!ShowingDrives() && !wcscmp(name, L"..")) {
        FileListGoUp();
        return;
    }
    std::wstring path = ShowingDrives() ? std::wstring(1, name[0]) + L":\\" : CurrentPath() + name + L"\\";
    if (!ShowFolder(path)) {
        ShowInformation(L"Failed to enter directory");
        return;
    }
    SetCurrent(l, 0);
    Repaint(l);
}

void FileListReRead() {
    if (!g_fileList) return;
    ListView* l = g_fileList;
    std::vector<char> marks((size_t)l->rowCount);
    for (int r = 0; r < l->rowCount; r++) marks[(size_t)r] = l->rows[r].selected;
    int current = l->currentRow;
    if (!RefreshFileList()) return;
    for (int r = 0; r < l->rowCount && r < (int)marks.size(); r++) l->rows[r].selected = marks[(size_t)r] != 0;
    SetCurrent(l, current);
    Repaint(l);
}

static void FitColumns() {
    ListView* l = g_fileList;
    if (!l || l->columnCount < kFileListColumns) return;
    int w = l->width - 2 - l->columns[FileListIcon].width - Scale(16);
    l->columns[FileListName].width = w > 40 ? w : 40;
}

static LRESULT FileListNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_SIZE) FitColumns();
    return FileListKey(msg, wp);
}

void InitFileListControl(ListView* list) {
    if (g_fileList && g_fileList != list) ClearRows();  // a list going away keeps no names of ours
    g_fileList = list;
    if (!list) return;
    BuildFileGroups();
    list->notify = FileListNotify;
    list->notifyGeometry = true;
    if (list->columnCount == 0) AddColumns(list, kFileListColumns);
    static const wchar_t* const titles[kFileListColumns] = {L"", L"Name", L"Title", L"Artist", L"Album", L"Year", L"Genre", L"\u2116"};
    for (int c = 0; c < kFileListColumns && c < list->columnCount; c++) SetColumnTitle(list, c, titles[c]);
    list->columns[FileListIcon].type = ColumnIcon;
    list->columns[FileListIcon].width = Scale(21);
    list->columns[FileListIcon].resizable = false;
    list->columns[FileListName].type = ColumnFileName;
    list->columns[FileListTitle].width = Scale(70);
    list->keyColumn = FileListName;
    FitColumns();
    g_fileGroups.iconColumn = FileListIcon;
    g_fileGroups.nameColumn = FileListName;
}

static LRESULT PathBarNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    // The box passes Enter on as the character it makes.
    if (msg == WM_CHAR && wp == L'\r' && g_pathBar) {
        std::wstring typed = g_pathBar->text.text;
        PathBarEnter(typed.c_str());
    }
    return 0;
}

void InitPathBar(EditBox* pathBar) {
    g_pathBar = pathBar;
    if (!pathBar) return;
    pathBar->notify = PathBarNotify;
    SetEditText(pathBar, CurrentPath().empty() ? L"C:\\" : CurrentPath().c_str());
}

void FileListSelectAll() {
    ListView* l = g_fileList;
    if (!l) return;
    for (int r = 0; r < l->rowCount; r++) l->rows[r].selected = wcscmp(RowName(r), L"..") != 0;
}

void FileListMarkAllFiles() {
    ListView* l = g_fileList;
    if (!l) return;
    for (int r = 0; r < l->rowCount; r++)
        if (!RowIsFolder(r)) l->rows[r].selected = true;
}

void FileListAddSelection() {
    if (g_fileList && !IsAdding()) StartAdding(g_fileList, CurrentPath().c_str());
}

void FileListAddSelectionNow() {
    if (g_fileList && !IsAdding()) AddNow(g_fileList, CurrentPath().c_str());
}

void FileListReplacePlayList() {
    if (!g_fileList || IsAdding()) return;
    PlayListSelectAll();
    if (GetKeyState(VK_CONTROL) >= 0 && PlayListCount() > 0) ClearPlayList();
    FileListAddSelection();
}

void FocusFileList() {
    UiWindow* ui = g_playerEvents.mainUi();
    if (ui && g_fileList && g_playerEvents.mainFileList() == g_fileList && g_fileList->visible)
        SetFocusIndex(ui, g_fileList->index, true);
}

void SuspendListDrawing(bool suspend) {
    if (suspend) return;
    Repaint(g_fileList);
    RepaintPlayList();
}
