#include "library/playlist.h"
#include "audio/player_events.h"
#include "ui/dpi.h"
#include "ui/ui_window.h"
#include "library/playlist_file.h"
#include "media/file_groups.h"
#include "library/group_looks.h"
#include "library/play_order.h"
#include "library/adding.h"
#include "library/file_browser.h"
#include "library/open_outside.h"
#include "library/kept_aside.h"
#include "base/disk_file.h"
#include "base/general_settings.h"
#include "base/messages.h"
#include "base/paths.h"
#include "audio/engine.h"
#include "ui/list_view.h"
#include "ui/list_view_parts.h"
#include <shellapi.h>
#include <stdio.h>
#include <algorithm>
#include <new>

PlayListState g_playList;
ListView* g_playListView;
ListView* g_statusLine;
void (*g_statusTimeLengthChanged)();
// Where appended entries go while an insertion runs; -1: at the end.
static int g_insertAt = -1;

// Column widths in 96-DPI units.
static const int kIconWidth = 21;
static const int kLengthWidth = 40;
static const int kLengthWidthLarge = 42;  // with the larger list font
static const int64_t kMaxPlayListFile = 1024LL * 1024 * 1024;

// ---- cells ----------------------------------------------------------------

static ListCell& Cell(int entry, int column) { return g_playListView->rows[entry].cells[column]; }
static const wchar_t* CellText(int entry, int column) {
    const wchar_t* t = Cell(entry, column).text;
    return t ? t : L"";
}

int32_t EntryOrder(int entry) { return (int32_t)Cell(entry, PlayListOrder).value; }
void SetEntryOrder(int entry, int32_t order) { Cell(entry, PlayListOrder).value = order; }
int32_t EntryLength(int entry) { return (int32_t)Cell(entry, PlayListLength).value; }

std::wstring EntryFullPath(int entry) {
    std::wstring path = CellText(entry, PlayListFolder);
    path += CellText(entry, PlayListName);
    path += L'.';
    path += CellText(entry, PlayListExtension);
    return path;
}

int EntryKindGroup(int entry) {
    int kind = ExtensionKind(CellText(entry, PlayListExtension));
    return kind ? kind : GroupLossy;
}

void SetEntryLook(int entry, EntryLook look) {
    int kind = EntryKindGroup(entry);
    int colorGroup = look == LookUnplayed ? kind : look == LookPlayed ? GroupPlayed : GroupNowPlaying;
    int icon = look == LookNowPlaying ? GroupIcon(GroupNowPlaying) : GroupIcon(kind);
    Cell(entry, PlayListIcon).value = look == LookPlayed ? -icon : icon;
    SetRowGroupColor(g_playListView, entry, colorGroup);
}

bool HasNowPlayingLook(int entry) { return Cell(entry, PlayListIcon).value == GroupIcon(GroupNowPlaying); }

static void Repaint(ListView* l) {
    if (l && l->surface.memoryDC) Redraw(l);
}

void RepaintPlayList() { Repaint(g_playListView); }

// The name column takes what the icon and length columns leave.
static void FitColumns() {
    ListView* l = g_playListView;
    if (!l || l->columnCount < 6) return;
    int others = 0;
    for (int c = 0; c < l->columnCount; c++)
        if (c != PlayListName && l->columns[c].visible) others += l->columns[c].width;
    bool bar = l->rowCount > VisibleRows(l);
    int w = l->width - 2 - others - (bar ? Scale(16) : 0);
    l->columns[PlayListName].width = w > 20 ? w : 20;
}

// ---- the status line ------------------------------------------------------

std::wstring FormatDuration(int64_t ms) {
    int64_t s = ms > 0 ? ms / 1000 : 0;
    wchar_t text[48];
    if (s < 3600) swprintf(text, 48, L"%02i:%02i", (int)(s / 60), (int)(s % 60));
    else swprintf(text, 48, L"%i:%02i:%02i", (int)(s / 3600), (int)(s / 60 % 60), (int)(s % 60));
    return text;
}

// False when the row already reads so.
static bool SetStatusRow(int row, const wchar_t* label, const std::wstring& value) {
    ListView* s = g_statusLine;
    if (!s || row >= s->rowCount) return false;
    std::wstring text = label;
    text += value;
    const wchar_t* old = s->rows[row].cells[0].text;
    if (old && text == old) return false;
    return SetCellText(s, 0, text.c_str(), row);
}

void RefreshStatusTime() {
    const PlayListState& p = g_playList;
    int64_t elapsed = p.playedLength;
    // Length 1 is the seek panel with no track: nothing is left to hear.
    if (p.fromPlayList && seekLength > 1)
        elapsed -= (int64_t)seekLength - (seekPosition < seekLength ? seekPosition : seekLength);
    if (elapsed < 0) elapsed = 0;
    const wchar_t* before = g_statusLine && g_statusLine->rowCount > 0 ? g_statusLine->rows[0].cells[0].text : nullptr;
    size_t length = before ? wcslen(before) : 0;
    if (!SetStatusRow(0, L"Time.", FormatDuration(elapsed) + L" / " + FormatDuration(p.totalLength))) return;
    const wchar_t* after = g_statusLine->rows[0].cells[0].text;
    if (wcslen(after) != length && g_statusTimeLengthChanged) g_statusTimeLengthChanged();
    Repaint(g_statusLine);
}

static void RefreshStatusSelected() {
    ListView* l = g_playListView;
    if (!l) return;
    int selected = 0;
    int64_t length = 0;
    for (int r = 0; r < l->rowCount; r++) {
        if (!l->rows[r].selected) continue;
        selected++;
        length += EntryLength(r);
    }
    wchar_t text[64];
    std::wstring value;
    if (selected == 0) {
        swprintf(text, 64, L"\u2116%i", l->currentRow);
        value = text;
    } else {
        swprintf(text, 64, L"\u2116%i (%i = ", l->currentRow, selected);
        value = text + FormatDuration(length) + L")";
    }
    if (SetStatusRow(2, L"Selected.", value)) Repaint(g_statusLine);
}

// The "Tracks." and "Time." rows: what an append changes.
static void RefreshStatusCounts() {
    wchar_t tracks[48];
    swprintf(tracks, 48, L"%u / %i", g_playList.playedCount, PlayListCount());
    SetStatusRow(1, L"Tracks.", tracks);
    RefreshStatusTime();
}

void RefreshStatusLine() {
    RefreshStatusCounts();
    RefreshStatusSelected();
    Repaint(g_statusLine);
}

static LRESULT StatusLineNotify(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_SIZE && g_statusLine && g_statusLine->columnCount > 0)
        g_statusLine->columns[0].width = g_statusLine->width - 2;
    return 0;
}

void InitStatusLine(ListView* statusLine) {
    g_statusLine = statusLine;
    if (!statusLine) return;
    statusLine->notify = StatusLineNotify;
    statusLine->notifyGeometry = true;
    statusLine->headerHeight = 0;
    statusLine->focusState = NoFocus;
    statusLine->tabStop = false;
    if (statusLine->columnCount == 0) AddColumns(statusLine, 1);
    statusLine->columns[0].type = ColumnFileName;  // the label left, the value right
    statusLine->columns[0].resizable = false;
    statusLine->columns[0].width = statusLine->width - 2;
    Clear(statusLine, true);
    for (const wchar_t* label : {L"Time.", L"Tracks.", L"Selected."}) {
        AddRow(statusLine);
        SetCellText(statusLine, 0, label);
    }
    RefreshStatusLine();
}

// ---- the playlist control -------------------------------------------------

static void DrawLength(HDC dc, const TEXTMETRICW* tm, const ListCell* cell, const RECT* r) {
    if (cell->empty) return;
    int s = (int)cell->value / 1000;
    if (s < 0) s = 0;
    wchar_t text[24];
    int n = swprintf(text, 24, L"%02i:%02i", s / 60, s % 60);
    UINT align = SetTextAlign(dc, TA_RIGHT | TA_TOP);
    int ty = r->top + (r->bottom - r->top - tm->tmHeight) / 2;
    ExtTextOutW(dc, r->right - 4, ty, ETO_CLIPPED, r, text, n, nullptr);
    SetTextAlign(dc, align);
}

static LRESULT PlayListNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    ListView* l = g_playListView;
    if (!l) return 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    switch (msg) {
    case WM_SIZE:
        FitColumns();
        break;
    case WM_COMMAND:
        if (wp == kListCurrentChanged) RefreshStatusSelected();
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        RefreshStatusSelected();
        break;
    case WM_SYSKEYDOWN:
        if (wp == VK_RETURN && l->rowCount > 0) PlayEntry((uint32_t)l->currentRow, false, true);
        break;
    case WM_KEYDOWN:
        if (l->rowCount == 0) break;
        switch (wp) {
        case VK_RETURN:
            if (ctrl) break;  // Ctrl+Enter walks the search matches
            if (shift) OpenOutside(EntryFullPath(l->currentRow).c_str(), false);
            else PlayEntry((uint32_t)l->currentRow, false, GetKeyState(VK_MENU) < 0);
            break;
        case VK_F12:
            if (ctrl) UnmarkSelectedEntries();
            else if (!IsAdding()) RestartPlayList(true);
            break;
        case VK_DELETE:
        case VK_F8:
            if (!IsAdding()) RemoveSelectedEntries();
            break;
        default:
            RefreshStatusSelected();  // Insert, Shift with the cursor keys and the keypad mark rows
            break;
        }
        break;
    }
    return 0;
}

void InitPlayListControl(ListView* list) {
    g_playListView = list;
    if (!list) return;
    BuildFileGroups();
    list->notify = PlayListNotify;
    list->notifyGeometry = true;
    if (list->columnCount == 0) AddColumns(list, 6);
    static const wchar_t* const titles[6] = {L"", L"Folder", L"Name", L"Ext", L"Order", L"Time"};
    for (int c = 0; c < 6; c++) SetColumnTitle(list, c, titles[c]);
    ListColumn* col = list->columns;
    col[PlayListIcon].type = ColumnIcon;
    col[PlayListIcon].width = Scale(kIconWidth);
    col[PlayListIcon].resizable = false;
    col[PlayListFolder].visible = false;
    col[PlayListName].type = ColumnText;
    col[PlayListExtension].visible = false;
    col[PlayListOrder].type = ColumnNumber;
    col[PlayListOrder].visible = false;
    col[PlayListLength].type = ColumnCustom;
    col[PlayListLength].drawer = DrawLength;
    col[PlayListLength].width = Scale(kLengthWidth);
    col[PlayListLength].alignment = TA_RIGHT;
    col[PlayListLength].resizable = false;
    list->keyColumn = PlayListName;
    FitColumns();
}

void WidenPlayListLength(bool wide) {
    ListView* l = g_playListView;
    if (!l || l->columnCount <= PlayListLength) return;
    l->columns[PlayListLength].width = Scale(wide ? kLengthWidthLarge : kLengthWidth);
    FitColumns();
}

// ---- container operations -------------------------------------------------

int PlayListCount() { return g_playListView ? g_playListView->rowCount : 0; }

// An entry's texts are owned by the list like any other, but not measured:
// the folder and extension columns are never drawn and the name column is
// plain text, which is drawn clipped without its width. Measuring is most of
// the time of loading a long playlist.
static bool SetUnmeasuredText(ListView* l, int column, const wchar_t* text) {
    size_t n = wcslen(text);
    wchar_t* copy = (wchar_t*)ListAlloc((n + 1) * sizeof(wchar_t));
    if (!copy) {
        ShowInformation(L"Not enough memory");
        return false;
    }
    memcpy(copy, text, n * sizeof(wchar_t));
    ListCell& cell = l->rows[l->rowCount - 1].cells[column];
    if (cell.ownsText) ListFree(cell.text);
    cell.text = copy;
    cell.ownsText = true;
    cell.empty = false;
    cell.textWidth = 0;
    return true;
}

static bool AddEntryRow(const wchar_t* folder, const wchar_t* name, const wchar_t* extension, int32_t lengthMs,
                        int32_t order) {
    ListView* l = g_playListView;
    if (!AddRow(l)) return false;
    SetUnmeasuredText(l, PlayListFolder, folder);
    SetUnmeasuredText(l, PlayListName, name);
    SetUnmeasuredText(l, PlayListExtension, extension);
    SetCellValue(l, PlayListIcon, 0);
    SetCellValue(l, PlayListOrder, order);
    SetCellValue(l, PlayListLength, lengthMs);
    return true;
}

static bool g_appendBatch;  // the status line waits for EndAppendBatch

void BeginAppendBatch() { g_appendBatch = true; }

void EndAppendBatch() {
    g_appendBatch = false;
    RefreshStatusCounts();
    Repaint(g_statusLine);
}

bool AppendEntry(const wchar_t* folder, const wchar_t* name, const wchar_t* extension, int32_t lengthMs) {
    if (!g_playListView || !AddEntryRow(folder, name, extension, lengthMs, -1)) return false;
    int n = g_playListView->rowCount - 1;
    PlayListState& p = g_playList;
    if (g_insertAt >= 0 && g_insertAt < n) {
        // The rows after the insertion point move down, the now-playing one with them.
        MoveRow(g_playListView, n, g_insertAt);
        if (p.nowPlaying >= (uint32_t)g_insertAt && p.nowPlaying < (uint32_t)n) p.nowPlaying++;
        n = g_insertAt;
    }
    if (g_insertAt >= 0) g_insertAt = n + 1;
    p.totalLength += lengthMs;
    const wchar_t* playing = NowPlayingPattern();
    if (!p.fromPlayList && *playing && lstrcmpiW(EntryFullPath(n).c_str(), playing) == 0) {
        p.fromPlayList = true;
        SetEntryOrder(n, (int32_t)p.playedCount++);
        p.playedLength += lengthMs;
        p.nowPlaying = (uint32_t)n;
        SetEntryLook(n, LookNowPlaying);
    } else {
        SetEntryLook(n, LookUnplayed);
    }
    if (g_appendBatch) return true;
    RefreshStatusCounts();
    Repaint(g_statusLine);
    return true;
}

void EmptyPlayList() {
    if (!g_playListView) return;
    Clear(g_playListView, true);
    g_playListView->currentRow = 0;
    g_playList.nowPlaying = 0;
    g_playList.playedCount = 0;
    g_playList.totalLength = g_playList.playedLength = 0;
}

// Unmark or remove the selected rows.
static void UnmarkOrRemoveSelected(bool remove) {
    ListView* l = g_playListView;
    PlayListState& p = g_playList;
    if (remove) {
        uint32_t before = 0;
        for (uint32_t r = 0; r < p.nowPlaying && r < (uint32_t)l->rowCount; r++) before += l->rows[r].selected;
        p.nowPlaying -= before;
    }
    // The played entries that stay keep their order, renumbered without gaps.
    std::vector<int> kept;
    bool changed = false;
    for (int r = 0; r < l->rowCount; r++) {
        int32_t order = EntryOrder(r);
        bool selected = l->rows[r].selected;
        if (selected && remove) p.totalLength -= EntryLength(r);
        if (order < 0) continue;
        if (!selected) {
            kept.push_back(r);
            continue;
        }
        p.playedLength -= EntryLength(r);
        p.playedCount--;
        SetEntryOrder(r, -1);
        SetEntryLook(r, LookUnplayed);
        changed = true;
    }
    if (changed) {
        std::sort(kept.begin(), kept.end(), [](int a, int b) { return EntryOrder(a) < EntryOrder(b); });
        for (size_t k = 0; k < kept.size(); k++) SetEntryOrder(kept[k], (int32_t)k);
    }
    if (remove) {
        if (g_insertAt >= 0) {
            int gone = 0;
            for (int r = 0; r < g_insertAt && r < l->rowCount; r++) gone += l->rows[r].selected;
            g_insertAt -= gone;
        }
        DeleteSelected(l, true);
        if (p.nowPlaying >= (uint32_t)l->rowCount) p.nowPlaying = 0;
        FitColumns();
    } else {
        for (int r = 0; r < l->rowCount; r++) l->rows[r].selected = false;
    }
    RepaintPlayList();
    RefreshStatusLine();
}

// The focused row counts as selected.
static void UnmarkOrRemove(bool remove) {
    ListView* l = g_playListView;
    if (!l || l->rowCount == 0) return;
    l->rows[l->currentRow].selected = true;
    UnmarkOrRemoveSelected(remove);
}

void RemoveSelectedEntries() { UnmarkOrRemove(true); }

void RemoveEntry(int entry) {
    ListView* l = g_playListView;
    if (!l || entry < 0 || entry >= l->rowCount) return;
    std::vector<char> marks((size_t)l->rowCount);
    for (int r = 0; r < l->rowCount; r++) {
        marks[(size_t)r] = l->rows[r].selected;
        l->rows[r].selected = r == entry;
    }
    UnmarkOrRemoveSelected(true);
    marks.erase(marks.begin() + entry);
    for (int r = 0; r < l->rowCount && r < (int)marks.size(); r++) l->rows[r].selected = marks[(size_t)r] != 0;
}

void BeginInsertAfterFocus() {
    ListView* l = g_playListView;
    g_insertAt = l ? std::min(l->currentRow + 1, l->rowCount) : -1;
}

void EndInsertAfterFocus() {
    g_insertAt = -1;
    FitColumns();
}

int LastInsertedEntry() { return g_insertAt >= 0 ? g_insertAt - 1 : PlayListCount() - 1; }

void UnmarkSelectedEntries() { UnmarkOrRemove(false); }
void ClearPlayList() { RemoveSelectedEntries(); }

void PlayListSelectAll() {
    ListView* l = g_playListView;
    if (!l) return;
    for (int r = 0; r < l->rowCount; r++) l->rows[r].selected = true;
}

void PlayListSelectFirst() {
    if (g_playListView) SetCurrent(g_playListView, 0);
}

// The focus is the main window's: it moves it with its own focus index.
void FocusPlayList() {
    UiWindow* ui = g_playerEvents.mainUi();
    if (ui && g_playListView && g_playerEvents.mainPlayList() == g_playListView && g_playListView->visible)
        SetFocusIndex(ui, g_playListView->index, true);
}

bool PlayingFromPlayList() { return g_playList.fromPlayList; }

void MarkNowPlayingEntry() {
    if (!g_playListView || g_playList.nowPlaying >= (uint32_t)g_playListView->rowCount) return;
    g_playList.fromPlayList = true;
    SetEntryLook((int)g_playList.nowPlaying, LookNowPlaying);
    RepaintPlayList();
}

// ---- PlayList.dcp ---------------------------------------------------------

static std::wstring PlayListPath() { return ProgramFolder() + L"PlayList.dcp"; }
// Set when PlayList.dcp did not read whole: the first save keeps a copy first.
static KeptAside g_playListKept;

void SavePlayList() {
    ListView* l = g_playListView;
    if (!l) return;
    std::wstring path = PlayListPath();
    if (!KeepAside(&g_playListKept, path)) return;  // no copy: the old file stays as it is
    std::string bytes;
    try {
        std::vector<PlayListRecord> records((size_t)l->rowCount);
        for (int r = 0; r < l->rowCount; r++) {
            PlayListRecord& rec = records[(size_t)r];
            rec.folder = CellText(r, PlayListFolder);
            rec.name = CellText(r, PlayListName);
            rec.extension = CellText(r, PlayListExtension);
            rec.lengthMs = EntryLength(r);
            rec.playOrder = EntryOrder(r);
        }
        bytes = SerializePlayList(records, g_playList.nowPlaying);
    } catch (const std::bad_alloc&) {
        ShowInformation(L"Not enough memory to save PlayList.dcp: the file on disk was left as it was.");
        return;
    }
    // Written beside the old file and put in its place in one step: a failed
    // save leaves the previous playlist whole.
    SetLastError(0);
    if (!ReplaceFileContents(path, bytes)) {
        DWORD code = GetLastError();
        ShowOsError(code ? code : ERROR_WRITE_FAULT);
    }
}

static void SayNotAllRead(size_t kept) {
    wchar_t text[200];
    if (kept)
        _snwprintf(text, 200, L"Not enough memory to read all of PlayList.dcp: the first %u entries were kept.",
                   (unsigned)kept);
    else
        _snwprintf(text, 200, L"Not enough memory to read PlayList.dcp.");
    text[199] = 0;
    ShowInformation(text);
}

bool LoadPlayList() {
    ListView* l = g_playListView;
    if (!l) return false;
    PlayListState& p = g_playList;
    p.totalLength = p.playedLength = 0;
    std::wstring path = PlayListPath();
    g_playListKept.pending = false;
    std::string bytes;
    if (!ReadWholeFile(path.c_str(), &bytes, kMaxPlayListFile)) {
        DWORD error = GetLastError();
        // There but not read (too large, no memory, locked): the save keeps it aside.
        g_playListKept.pending = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (error == ERROR_NOT_ENOUGH_MEMORY) SayNotAllRead(0);
        KeepAside(&g_playListKept, path);
        return false;
    }
    EmptyPlayList();
    PlayListFile file;
    bool ok = ParsePlayList(bytes.data(), bytes.size(), &file);
    bytes.clear();
    bytes.shrink_to_fit();
    bool outOfMemory = file.outOfMemory;
    if (ok) {
        for (const PlayListRecord& r : file.records) {
            if (!AddEntryRow(r.folder.c_str(), r.name.c_str(), r.extension.c_str(), r.lengthMs, r.playOrder)) break;
        }
        // Out of memory in the list half-way: the rows so far stay, with counts to match.
        if ((size_t)l->rowCount < file.records.size()) {
            outOfMemory = true;
            KeepFirstRecords(&file, (size_t)l->rowCount);
        }
        for (int r = 0; r < l->rowCount; r++) {
            int32_t order = file.records[(size_t)r].playOrder;
            SetEntryOrder(r, order);
            SetEntryLook(r, order == -1 ? LookUnplayed : LookPlayed);
        }
        p.nowPlaying = file.nowPlaying;
        p.playedCount = file.playedCount;
        p.totalLength = file.totalLength;
        p.playedLength = file.playedLength;
    }
    g_playListKept.pending = !ok || !file.whole || outOfMemory;
    FitColumns();
    RepaintPlayList();
    RefreshStatusLine();
    if (outOfMemory) SayNotAllRead((size_t)l->rowCount);
    KeepAside(&g_playListKept, path);
    return ok;
}

// ---- positions kept in the General settings -------------------------------

void StoreListPositions() {
    GeneralSettings& g = g_general;
    g.NowPlaying = g_playList.nowPlaying;
    g.lastPlayedFromPL = g_playList.fromPlayList;
    if (ListView* l = g_playListView) {
        g.PlayListSelected = (uint32_t)l->currentRow;
        g.PlayListTop = l->topRow;
    }
    if (ListView* f = g_fileList) {
        g.FilesSelected = (uint32_t)f->currentRow;
        g.FilesTop = f->topRow;
    }
}

void RestoreListPositions(bool playListLoaded) {
    if (ListView* f = g_fileList) {
        SetCurrent(f, (int)g_general.FilesSelected);
        if (g_general.FilesTop >= 0 && g_general.FilesTop < f->rowCount) f->topRow = g_general.FilesTop;
    }
    ListView* l = g_playListView;
    if (!l) return;
    if (!playListLoaded) {
        EmptyPlayList();
        RefreshStatusLine();
        return;
    }
    SetCurrent(l, (int)g_general.PlayListSelected);
    if (g_general.PlayListTop >= 0 && g_general.PlayListTop < l->rowCount) l->topRow = g_general.PlayListTop;
    RefreshStatusLine();
}
