#include "app/hand_off.h"
#include "library/adding.h"
#include "library/file_browser.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "media/cue_files.h"
#include "ui/list_view.h"
#include <shlwapi.h>

static bool g_plainOpenSet = false;
static SYSTEMTIME g_lastPlainOpenTime;
static HandOffPlan g_lastPlan;

int MillisecondsOfDay(const SYSTEMTIME& t) {
    return ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

uint8_t EffectiveMode(uint8_t mode, const SYSTEMTIME* last, const SYSTEMTIME& now) {
    if (mode != ModeOpen || !last) return mode;
    int elapsed = MillisecondsOfDay(now) - MillisecondsOfDay(*last);
    if (elapsed < 0) elapsed += 24 * 3600 * 1000;  // across midnight
    return elapsed < 100 ? (uint8_t)ModeAdd : mode;
}

const HandOffPlan& LastHandOff() { return g_lastPlan; }

static bool CtrlDown() { return GetKeyState(VK_CONTROL) < 0; }

// Empties the playlist for a fresh start, unless Ctrl keeps it.
static void SelectAllAndMaybeClearPlayList() {
    PlayListSelectAll();
    if (!CtrlDown() && PlayListCount() > 0 && !IsAdding()) ClearPlayList();
}

static void Execute(const HandOffPlan& p) {
    const wchar_t* path = p.path.c_str();
    if (p.isCue) {
        // The sheet shows as the folder of its tracks; one that cannot be read
        // shows in its folder, selected.
        if (ShowSheetAsFolder(path)) SetCurrent(g_fileList, 0);
        else NavigateFileListTo(path);
        if (p.mode == ModeAddNearby) FileListReplacePlayList();
        return;
    }
    switch (p.mode) {
    case ModeOpen:
        if (p.isFolder) {
            NavigateFileList(path);
            if (!IsAdding()) {
                SelectAllAndMaybeClearPlayList();
                FileListSelectAll();
                FileListAddSelectionNow();
            }
            FocusFileList();
        } else {
            PlayFileNow(path);
        }
        break;
    case ModeFollow:
        NavigateFileListTo(path);
        FileListEnter();
        FocusFileList();
        break;
    case ModeAddNearby:
        SelectAllAndMaybeClearPlayList();
        if (HasEmbeddedCueSheet(path)) {
            NavigateFileList(path);
            FileListAddSelection();
            PlayListSelectFirst();
        } else {
            PlayFileNow(path);
            NavigateFileListTo(path);
            FileListMarkAllFiles();
            FileListAddSelection();
        }
        FocusPlayList();
        break;
    case ModeAdd:
        if (p.isFolder) {
            NavigateFileList(path);
            if (!IsAdding()) {
                FileListSelectAll();
                FileListAddSelection();
            }
            FocusPlayList();
        } else {
            NavigateFileListTo(path);
            FocusFileList();
            if (!IsAdding()) FileListAddSelection();
        }
        break;
    }
}

void HandleHandOff(const HandOffRecord& record) {
    wchar_t raw[MAX_PATH + 1];
    memcpy(raw, record.path, sizeof(record.path));
    raw[MAX_PATH - 1] = 0;  // a record from another process may lack its terminator
    if (!raw[0]) return;

    SuspendListDrawing(true);
    HandOffPlan p;
    wchar_t longPath[MAX_PATH * 2] = {};
    DWORD n = GetLongPathNameW(raw, longPath, MAX_PATH * 2);
    p.path = n > 0 && n < MAX_PATH * 2 ? longPath : raw;
    p.isFolder = PathIsDirectoryW(p.path.c_str()) != FALSE;

    SYSTEMTIME now;
    GetLocalTime(&now);
    p.mode = record.mode <= ModeAdd ? record.mode : (uint8_t)ModeOpen;
    uint8_t asked = p.mode;
    p.mode = EffectiveMode(p.mode, g_plainOpenSet ? &g_lastPlainOpenTime : nullptr, now);
    if (asked == ModeOpen) {
        g_lastPlainOpenTime = now;
        g_plainOpenSet = true;
    }
    const wchar_t* ext = PathFindExtensionW(p.path.c_str());
    p.isCue = !p.isFolder && lstrcmpiW(ext, L".cue") == 0;

    g_lastPlan = p;
    Execute(p);
    SuspendListDrawing(false);
}

// ---- the second instance's side ----

static const wchar_t kClosingMark[] = L"Sonvale.Closing";

void MarkPlayerClosing(HWND mainWindow) {
    if (mainWindow) SetPropW(mainWindow, kClosingMark, (HANDLE)1);
}

void UnmarkPlayerClosing(HWND mainWindow) {
    if (mainWindow) RemovePropW(mainWindow, kClosingMark);
}

bool IsPlayerClosing(HWND window) { return window && GetPropW(window, kClosingMark) != nullptr; }

HWND FindRunningPlayer(const wchar_t* title, HWND* closing) {
    *closing = nullptr;
    for (HWND w = FindWindowExW(nullptr, nullptr, nullptr, title); w; w = FindWindowExW(nullptr, w, nullptr, title)) {
        if (!IsPlayerClosing(w)) return w;
        if (!*closing) *closing = w;
    }
    return nullptr;
}

bool SendHandOff(HWND running, const HandOffRecord& record, DWORD timeoutMs) {
    COPYDATASTRUCT cds{0, sizeof(HandOffRecord), (void*)&record};
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeoutW(running, WM_COPYDATA, 0, (LPARAM)&cds, SMTO_ABORTIFHUNG, timeoutMs, &answer);
    return sent != 0 && answer == TRUE;
}

void WaitForPlayerToEnd(HWND window, DWORD ms) {
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid) || !pid || pid == GetCurrentProcessId()) return;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    WaitForSingleObject(process, ms);
    CloseHandle(process);
}
