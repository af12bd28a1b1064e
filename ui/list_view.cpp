#include "ui/list_view.h"
#include "ui/draw.h"
#include "app/messages.h"
#include "ui/natural_order.h"
#include <shlwapi.h>
#include <utility>
#include <stdio.h>

static const int kBarSize = 16;
static const COLORREF kSolidBar = 0x966400;
static const COLORREF kNoMatchBack = 0x0A0A96;

static void* HeapZero(size_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }
static void HeapRelease(void* p) {
    if (p) HeapFree(GetProcessHeap(), 0, p);
}

ListView::ListView(int x, int y, int w, int h, NotifyProc notify)
    : Control(KindListView),
      vScroll(x + 10, y + 10, 16, 23, 0),
      hScroll(x + 10, y + 10, 23, 16, 1),
      searchBox(x + 36, y + 10, 200, 20, nullptr) {
    this->notify = notify;
    minWidth = 34;
    minHeight = 43;
    focusState = CanFocus;
    tabStop = true;
    vScroll.visible = hScroll.visible = false;
    searchBox.visible = false;
    searchBox.font.inheritsWindowFont = false;
    searchBox.font.faceName.Set(L"Tahoma");
    SetFont(&searchBox.font, 13, 0, RUSSIAN_CHARSET);
    SetBounds(x, y, w, h);
}

static void FreeCells(ListView* l, ListRow* row, bool freeText) {
    if (!row->cells) return;
    for (int c = 0; c < l->columnCount; c++)
        if (freeText && row->cells[c].ownsText) HeapRelease(row->cells[c].text);
    HeapRelease(row->cells);
    row->cells = nullptr;
}

ListView::~ListView() {
    Clear(this, false);
    for (int c = 0; c < columnCount; c++) HeapRelease(columns[c].title);
    HeapRelease(columns);
}

// ---- geometry -------------------------------------------------------------

static int ContentWidth(const ListView* l) {
    int sum = 0;
    for (int c = 0; c < l->columnCount; c++)
        if (l->columns[c].visible) sum += l->columns[c].width;
    return sum;
}

static int RowsFor(const ListView* l, int area) {
    int rh = l->rowHeight > 0 ? l->rowHeight : 1;
    int n = (area - 1) / rh;
    if (n > 0 && n * rh + 2 > area) n--;
    return n > 1 ? n : 1;
}

int VisibleRows(const ListView* l) {
    return RowsFor(l, l->height - l->headerHeight - (l->hScroll.visible ? l->hScroll.height : 0));
}

static void LayoutBars(ListView* l) {
    int area = l->height - l->headerHeight;
    bool v = l->rowCount > RowsFor(l, area);
    bool h = ContentWidth(l) > l->width - 2 - (v ? kBarSize : 0);
    if (h && !v) v = l->rowCount > RowsFor(l, area - kBarSize);
    l->vScroll.visible = v && l->visible;
    l->hScroll.visible = h && l->visible;
    int vh = l->height - 2 - (h ? kBarSize : 0);
    l->vScroll.SetBounds(l->x + l->width - 1 - kBarSize, l->y + 1, kBarSize, vh);
    l->hScroll.SetBounds(l->x + 1, l->y + l->height - 1 - kBarSize, l->width - 2 - (v ? kBarSize : 0), kBarSize);
    l->vScroll.count = l->rowCount > 0 ? l->rowCount : 1;
    l->vScroll.pageSize = VisibleRows(l);
    l->vScroll.value = l->currentRow < l->vScroll.count ? l->currentRow : l->vScroll.count - 1;
    int room = l->width - 2 - (v ? kBarSize : 0);
    int extra = ContentWidth(l) - room;
    l->hScroll.count = extra > 0 ? extra + 1 : 1;
    l->hScroll.pageSize = room;
    if (l->hScroll.value > l->hScroll.count - 1) l->hScroll.value = l->hScroll.count - 1;
    l->vScroll.Layout();
    l->hScroll.Layout();
    l->searchBox.SetBounds(l->x + 36, l->y + 10, kKeep, kKeep);
}

bool ListView::SetBounds(int nx, int ny, int nw, int nh) {
    bool changed = Control::SetBounds(nx, ny, nw, nh);
    LayoutBars(this);
    return changed;
}

bool ListView::HitTest(int px, int py) { return px >= x && px < x + width && py >= y && py < y + height; }

void ListView::AttachSurface(const Surface* window) {
    Control::AttachSurface(window);
    vScroll.AttachSurface(window);
    hScroll.AttachSurface(window);
    searchBox.AttachSurface(window);
    if (font.height > 0) rowHeight = font.height;
    if (font.handle) textHeight = FontHeight(&surface, font.handle);
}

void SetRowHeight(ListView* l, int height) {
    l->rowHeight = height > 1 ? height : 1;
    LayoutBars(l);
}

// ---- columns and rows -----------------------------------------------------

bool AddColumns(ListView* l, int n) {
    if (n <= 0) return false;
    if (l->rowCount > 0) return false;  // the rows' cell arrays have a fixed width
    int need = l->columnCount + n;
    if (need > l->columnCapacity) {
        int capacity = l->columnCapacity ? l->columnCapacity : 1;
        while (capacity < need) capacity *= 2;
        ListColumn* grown = (ListColumn*)HeapZero(capacity * sizeof(ListColumn));
        if (!grown) {
            ShowInformation(L"Not enough memory");
            return false;
        }
        if (l->columns) memcpy(grown, l->columns, l->columnCount * sizeof(ListColumn));
        HeapRelease(l->columns);
        l->columns = grown;
        l->columnCapacity = capacity;
    }
    for (int i = l->columnCount; i < need; i++) {
        ListColumn& c = l->columns[i];
        c = ListColumn{};
        c.width = 50;
        c.creationIndex = i;
        c.visible = true;
        c.resizable = true;
    }
    l->columnCount = need;
    return true;
}

void SetColumnTitle(ListView* l, int column, const wchar_t* title) {
    if (column < 0 || column >= l->columnCount) return;
    HeapRelease(l->columns[column].title);
    l->columns[column].title = nullptr;
    if (!title) return;
    size_t n = wcslen(title);
    wchar_t* copy = (wchar_t*)HeapZero((n + 1) * sizeof(wchar_t));
    if (copy) memcpy(copy, title, n * sizeof(wchar_t));
    l->columns[column].title = copy;
}

bool AddRow(ListView* l) {
    if (l->rowCount == l->rowCapacity) {
        int capacity = l->rowCapacity ? l->rowCapacity * 2 : 1;
        void* grown = l->rows ? HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, l->rows, capacity * sizeof(ListRow))
                              : HeapZero(capacity * sizeof(ListRow));
        if (!grown) {
            ShowInformation(L"Not enough memory");
            return false;
        }
        l->rows = (ListRow*)grown;
        l->rowCapacity = capacity;
    }
    ListCell* cells = (ListCell*)HeapZero((l->columnCount > 0 ? l->columnCount : 1) * sizeof(ListCell));
    if (!cells) {
        ShowInformation(L"Not enough memory");
        return false;
    }
    for (int c = 0; c < l->columnCount; c++) cells[c].empty = true;
    ListRow& r = l->rows[l->rowCount];
    r = ListRow{};
    r.textColor = l->colors[0];
    r.secondColor = l->colors[1];
    r.cells = cells;
    if (l->rowCount == 0) l->currentRow = 0;
    l->rowCount++;
    l->vScroll.count = l->rowCount;
    return true;
}

static int Measure(ListView* l, const wchar_t* text, int n) {
    if (n <= 0) return 0;
    SIZE size{};
    HDC dc = l->surface.memoryDC;
    bool screen = !dc;
    if (screen) dc = GetDC(nullptr);
    HGDIOBJ old = l->font.handle ? SelectObject(dc, l->font.handle) : nullptr;
    GetTextExtentPoint32W(dc, text, n, &size);
    if (old) SelectObject(dc, old);
    if (screen) ReleaseDC(nullptr, dc);
    return size.cx < 32767 ? size.cx : 32767;
}

bool SetCellText(ListView* l, int column, const wchar_t* text, int row, int length) {
    if (row == -1) row = l->rowCount - 1;
    if (!text || column < 0 || column >= l->columnCount || row < 0 || row >= l->rowCount) return false;
    ListCell& cell = l->rows[row].cells[column];
    wchar_t* stored;
    bool owns;
    int n;
    if (length == 0) {
        stored = (wchar_t*)text;
        owns = false;
        n = (int)wcslen(text);
    } else {
        n = length < 0 ? (int)wcslen(text) : length;
        stored = (wchar_t*)HeapZero((n + 1) * sizeof(wchar_t));
        if (!stored) {
            ShowInformation(L"Not enough memory");
            return false;
        }
        memcpy(stored, text, n * sizeof(wchar_t));
        owns = true;
    }
    if (cell.ownsText) HeapRelease(cell.text);
    cell.text = stored;
    cell.ownsText = owns;
    cell.empty = false;
    cell.textWidth = (int16_t)Measure(l, stored, n);
    if (cell.textWidth > l->columns[column].widestText) l->columns[column].widestText = cell.textWidth;
    return true;
}

bool SetCellValue(ListView* l, int column, intptr_t value) {
    if (column < 0 || column >= l->columnCount || l->rowCount == 0) return false;
    ListCell& cell = l->rows[l->rowCount - 1].cells[column];
    cell.value = value;
    cell.empty = false;
    return true;
}

bool SetRowColor(ListView* l, int row, COLORREF color) {
    if (row == -1) row = l->rowCount - 1;
    if (row < 0 || row >= l->rowCount) return false;
    l->rows[row].textColor = color;
    l->rows[row].secondColor = 0;
    l->rows[row].paletteSlot = 0;
    return true;
}

int FindRow(const ListView* l, int column, const wchar_t* text) {
    if (!text || column < 0 || column >= l->columnCount) return -1;
    for (int r = 0; r < l->rowCount; r++) {
        const ListCell& c = l->rows[r].cells[column];
        if (c.text && wcscmp(c.text, text) == 0) return r;
    }
    return -1;
}

void Clear(ListView* l, bool keepStorage) {
    for (int r = 0; r < l->rowCount; r++) FreeCells(l, &l->rows[r], true);
    HeapRelease(l->rows);
    l->rows = nullptr;
    l->rowCount = l->rowCapacity = 0;
    for (int c = 0; c < l->columnCount; c++) l->columns[c].widestText = 0;
    l->topRow = 0;
    if (keepStorage) {
        l->rows = (ListRow*)HeapZero(sizeof(ListRow));
        if (l->rows) l->rowCapacity = 1;
    }
    l->vScroll.count = 1;
}

void DeleteSelected(ListView* l, bool freeText) {
    int kept = 0;
    for (int r = 0; r < l->rowCount; r++) {
        if (l->rows[r].selected) FreeCells(l, &l->rows[r], freeText);
        else l->rows[kept++] = l->rows[r];
    }
    l->rowCount = kept;
    for (int c = 0; c < l->columnCount; c++) {
        int widest = 0;
        for (int r = 0; r < kept; r++)
            if (l->rows[r].cells[c].textWidth > widest) widest = l->rows[r].cells[c].textWidth;
        l->columns[c].widestText = widest;
    }
    if (l->currentRow >= kept) l->currentRow = kept > 0 ? kept - 1 : 0;
    int visible = VisibleRows(l);
    if (l->topRow > kept - visible) l->topRow = kept - visible > 0 ? kept - visible : 0;
    LayoutBars(l);
}

// ---- sorting --------------------------------------------------------------

// What the sort moves: a row's place and its runs; the rows follow at the end.
struct SortItem {
    const NaturalRun* begin;  // null: an empty cell, which sorts first
    const NaturalRun* end;
    int32_t row;
};

static inline int CompareItems(const SortItem& a, const SortItem& b) {
    if (!a.begin || !b.begin) return !a.begin == !b.begin ? 0 : !a.begin ? -1 : 1;
    return CompareNaturalRuns(a.begin, a.end, b.begin, b.end);
}

static void SortRange(SortItem* items, int lo, int hi) {
    while (hi - lo + 1 > 8) {
        int mid = lo + (hi - lo) / 2;
        // Median of three to the middle, then a partition around it.
        if (CompareItems(items[mid], items[lo]) < 0) std::swap(items[mid], items[lo]);
        if (CompareItems(items[hi], items[lo]) < 0) std::swap(items[hi], items[lo]);
        if (CompareItems(items[hi], items[mid]) < 0) std::swap(items[hi], items[mid]);
        SortItem pivot = items[mid];
        int i = lo, j = hi;
        while (i <= j) {
            while (CompareItems(items[i], pivot) < 0) i++;
            while (CompareItems(items[j], pivot) > 0) j--;
            if (i <= j) std::swap(items[i++], items[j--]);
        }
        // Recurse into the smaller side, loop on the larger.
        if (j - lo < hi - i) {
            SortRange(items, lo, j);
            lo = i;
        } else {
            SortRange(items, i, hi);
            hi = j;
        }
    }
    for (int a = lo; a < hi; a++) {
        int least = a;
        for (int b = a + 1; b <= hi; b++)
            if (CompareItems(items[b], items[least]) < 0) least = b;
        if (least != a) std::swap(items[a], items[least]);
    }
}

void Sort(ListView* l, int column) {
    if (column < 0 || column >= l->columnCount || l->rowCount < 2) return;
    int n = l->rowCount;
    const wchar_t** texts = (const wchar_t**)HeapZero(n * sizeof(wchar_t*));
    SortItem* items = (SortItem*)HeapZero(n * sizeof(SortItem));
    ListRow* sorted = (ListRow*)HeapZero(n * sizeof(ListRow));
    NaturalKeys keys{};
    bool ready = texts && items && sorted;
    if (ready) {
        for (int r = 0; r < n; r++) {
            const ListCell& c = l->rows[r].cells[column];
            texts[r] = c.empty || !c.text ? nullptr : c.text;
        }
        ready = BuildNaturalKeys(&keys, texts, n);
    }
    if (ready) {
        for (int r = 0; r < n; r++) {
            const NaturalRun* begin = keys.runs + keys.first[r];
            items[r] = SortItem{texts[r] ? begin : nullptr, keys.runs + keys.first[r + 1], r};
        }
        SortRange(items, 0, n - 1);
        for (int r = 0; r < n; r++) sorted[r] = l->rows[items[r].row];
        memcpy(l->rows, sorted, n * sizeof(ListRow));
        ReleaseNaturalKeys(&keys);
    } else {
        ShowInformation(L"Not enough memory");
    }
    HeapRelease(texts);
    HeapRelease(items);
    HeapRelease(sorted);
}

// ---- the current row ------------------------------------------------------

void SetCurrent(ListView* l, int row) {
    if (l->rowCount == 0) return;
    if (row > l->rowCount - 1) row = l->rowCount - 1;
    if (row < 0) row = 0;
    if (row == l->currentRow) return;
    int previous = l->currentRow;
    int area = l->height - l->headerHeight - (l->hScroll.visible ? l->hScroll.height : 0);
    if (row < l->topRow) l->topRow = row;
    while ((row - l->topRow + 1) * l->rowHeight + 2 > area && l->topRow < row) l->topRow++;
    l->currentRow = row;
    l->vScroll.SetValue(row);
    l->Notify(WM_COMMAND, kListCurrentChanged, previous);
}

static void ClampTop(ListView* l) {
    int last = l->rowCount - VisibleRows(l);
    if (l->topRow > last) l->topRow = last;
    if (l->topRow < 0) l->topRow = 0;
}

void SetCurrentCentred(ListView* l, int row) {
    if (l->rowCount == 0) return;
    if (row > l->rowCount - 1) row = l->rowCount - 1;
    if (row < 0) row = 0;
    int previous = l->currentRow;
    l->Notify(WM_COMMAND, kListCurrentChanged, 0);
    l->topRow = row - VisibleRows(l) / 2;
    ClampTop(l);
    l->currentRow = row;
    l->vScroll.SetValue(row);
    l->Notify(WM_COMMAND, kListCurrentChanged, previous);
}

// ---- search ---------------------------------------------------------------

// Where the search text matches a key-column text: start and length, or -1.
static int MatchAt(const wchar_t* text, const wchar_t* search, int* length) {
    if (!text || !search || !search[0]) return -1;
    if (search[0] == L'*') {
        const wchar_t* needle = search + 1;
        int n = (int)wcslen(needle);
        *length = n;
        if (n == 0) return 0;
        int tn = (int)wcslen(text);
        wchar_t small[512];
        wchar_t* hay = tn < 512 ? small : (wchar_t*)HeapZero((tn + 1) * sizeof(wchar_t));
        wchar_t lowNeedle[512];
        if (!hay || n >= 512) {
            if (hay != small) HeapRelease(hay);
            return -1;
        }
        memcpy(hay, text, (tn + 1) * sizeof(wchar_t));
        memcpy(lowNeedle, needle, (n + 1) * sizeof(wchar_t));
        CharLowerW(hay);
        CharLowerW(lowNeedle);
        const wchar_t* found = wcsstr(hay, lowNeedle);
        int at = found ? (int)(found - hay) : -1;
        if (hay != small) HeapRelease(hay);
        return at;
    }
    int n = (int)wcslen(search);
    if ((int)wcslen(text) < n) return -1;
    *length = n;
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text, n, search, n) == CSTR_EQUAL ? 0 : -1;
}

static const wchar_t* KeyText(const ListView* l, int row) {
    if (l->keyColumn < 0 || l->keyColumn >= l->columnCount) return nullptr;
    return l->rows[row].cells[l->keyColumn].text;
}

static void ColourSearchBox(ListView* l, bool found) {
    EditBox& b = l->searchBox;
    if (found) {
        b.textColorOverride = l->rowCount > 0 ? l->rows[l->currentRow].textColor : l->colors[0];
        b.backgroundOverride = l->colors[12];
    } else {
        b.textColorOverride = RGB(255, 255, 255);
        b.backgroundOverride = kNoMatchBack;
    }
}

void UpdateSearch(ListView* l) {
    const wchar_t* s = l->searchBox.text.c_str();
    int first = -1, atOrAfter = -1, length;
    for (int r = 0; r < l->rowCount; r++) {
        bool m = MatchAt(KeyText(l, r), s, &length) >= 0;
        l->rows[r].matchesSearch = m;
        if (m && first < 0) first = r;
        if (m && atOrAfter < 0 && r >= l->currentRow) atOrAfter = r;
    }
    int target = atOrAfter >= 0 ? atOrAfter : first;
    if (target >= 0) SetCurrentCentred(l, target);
    ColourSearchBox(l, target >= 0);
}

static void JumpToMatch(ListView* l, bool backwards) {
    for (int i = 1; i <= l->rowCount; i++) {
        int r = backwards ? (l->currentRow - i + l->rowCount * 2) % l->rowCount : (l->currentRow + i) % l->rowCount;
        if (l->rows[r].matchesSearch) {
            SetCurrentCentred(l, r);
            return;
        }
    }
}

static void CloseSearch(ListView* l) {
    l->searchActive = false;
    l->searchBox.visible = false;
    l->searchBox.focusState = CanFocus;
    for (int r = 0; r < l->rowCount; r++) l->rows[r].matchesSearch = false;
}

static void OpenSearch(ListView* l) {
    l->searchActive = true;
    l->searchBox.visible = l->visible;
    l->searchBox.focusState = HasFocus;
    SetEditText(&l->searchBox, L"");
}

// ---- keyboard -------------------------------------------------------------

static void SetSelection(ListView* l, int from, int to, bool value) {
    if (from > to) {
        int t = from;
        from = to;
        to = t;
    }
    if (from < 0) from = 0;
    if (to > l->rowCount - 1) to = l->rowCount - 1;
    for (int r = from; r <= to; r++) l->rows[r].selected = value;
}

static void CopySelectedKeys(ListView* l) {
    std::wstring all;
    for (int r = 0; r < l->rowCount; r++) {
        if (!l->rows[r].selected) continue;
        if (!all.empty()) all += L"\r\n";
        if (const wchar_t* t = KeyText(l, r)) all += t;
    }
    if (!OpenClipboard(l->surface.hwnd)) return;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (all.size() + 1) * sizeof(wchar_t));
    if (mem) {
        memcpy(GlobalLock(mem), all.c_str(), (all.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(mem);
        if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
    }
    CloseClipboard();
}

static void PageUp(ListView* l, bool shift) {
    int visible = VisibleRows(l);
    int target = l->currentRow - visible + 1;
    if (shift) SetSelection(l, target > 0 ? target : 0, l->currentRow, l->anchorValue);
    int move = l->currentRow - (target > 0 ? target : 0);
    l->topRow -= move;
    if (l->topRow < 0) l->topRow = 0;
    SetCurrent(l, target);
}

static void PageDown(ListView* l, bool shift) {
    int visible = VisibleRows(l);
    if (!shift && l->rowCount > visible) {
        l->topRow += visible - 1;
        if (l->topRow > l->rowCount - visible) l->topRow = l->rowCount - visible;
    }
    int last = l->currentRow + visible - 1;
    if (last > l->rowCount - 1) last = l->rowCount - 1;
    if (shift) SetSelection(l, l->currentRow, last, l->anchorValue);
    SetCurrent(l, last);
}

// Enter, Backspace, Escape, line feed and the other control codes, Space and
// the keypad's marking keys never start a search.
static bool StartsSearch(wchar_t ch) { return ch > 32 && ch != L'*' && ch != L'+' && ch != L'-'; }

bool ListView::OnKey(UINT msg, WPARAM wp, LPARAM lp) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    if (msg == WM_KEYUP && wp == VK_MENU) altScrolling = false;
    if (msg == WM_SYSKEYUP && wp == VK_MENU) altScrolling = false;
    if (rowCount == 0) return true;

    if (searchActive) {
        if (msg == WM_CHAR) {
            if (wp == 13 || wp == 27 || wp == 10) return true;
            if (searchBox.OnKey(msg, wp, lp)) UpdateSearch(this);
            Redraw(this);
            return true;
        }
        if (msg == WM_KEYDOWN) {
            if (wp == VK_RETURN && ctrl) {
                JumpToMatch(this, shift);
                Redraw(this);
                return true;
            }
            bool closes = wp == VK_ESCAPE || wp == VK_RETURN || (wp >= VK_PRIOR && wp <= VK_DOWN);
            if (!closes) {
                if (searchBox.OnKey(msg, wp, lp)) UpdateSearch(this);
                Redraw(this);
                return true;
            }
            CloseSearch(this);
            if (wp == VK_ESCAPE || wp == VK_RETURN) {
                Redraw(this);
                return true;
            }
        }
    }

    if (msg == WM_CHAR) {
        wchar_t ch = (wchar_t)wp;
        if (!ctrl && StartsSearch(ch)) {
            OpenSearch(this);
            if (searchBox.OnKey(WM_CHAR, wp, lp)) UpdateSearch(this);
            Redraw(this);
        }
        return true;
    }
    if (msg == WM_SYSKEYDOWN) {
        if (wp == VK_LEFT || wp == VK_RIGHT) altScrolling = true;
        else if ((wp >= L'0' && wp <= L'9') || (wp >= L'A' && wp <= L'Z')) {
            OpenSearch(this);
            wchar_t ch = wp >= L'A' ? (wchar_t)(wp - L'A' + L'a') : (wchar_t)wp;
            if (searchBox.OnKey(WM_CHAR, ch, lp)) UpdateSearch(this);
            Redraw(this);
        }
        return true;
    }
    if (msg != WM_KEYDOWN) return true;

    switch (wp) {
    case VK_SHIFT:
        anchorValue = !rows[currentRow].selected;
        return true;
    case VK_UP:
    case VK_DOWN: {
        if (shift) rows[currentRow].selected = anchorValue;
        int to = currentRow + (wp == VK_UP ? -1 : 1);
        if (ctrl) SetCurrentCentred(this, to);
        else SetCurrent(this, to);
        break;
    }
    case VK_PRIOR:
    case VK_LEFT:
        if (ctrl) return true;
        PageUp(this, shift);
        break;
    case VK_NEXT:
    case VK_RIGHT:
        PageDown(this, shift);
        break;
    case VK_HOME:
        if (shift) SetSelection(this, 0, currentRow, anchorValue);
        SetCurrent(this, 0);
        break;
    case VK_END:
        if (shift) SetSelection(this, currentRow, rowCount - 1, anchorValue);
        SetCurrent(this, rowCount - 1);
        break;
    case VK_INSERT:
        if (ctrl) {
            CopySelectedKeys(this);
            return true;
        }
        rows[currentRow].selected = !rows[currentRow].selected;
        SetCurrent(this, currentRow + 1);
        break;
    case 'C':
        if (ctrl) CopySelectedKeys(this);
        return true;
    case VK_ADD: SetSelection(this, 0, rowCount - 1, true); break;
    case VK_SUBTRACT: SetSelection(this, 0, rowCount - 1, false); break;
    case VK_MULTIPLY:
        for (int r = 0; r < rowCount; r++) rows[r].selected = !rows[r].selected;
        break;
    default:
        return true;
    }
    LayoutBars(this);
    Redraw(this);
    return true;
}

// ---- mouse ----------------------------------------------------------------

static void RecreateFont(ListView* l, int height) {
    if (height < 1) height = 1;
    int spacing = l->rowHeight - l->textHeight;
    LOGFONTW lf{};
    if (l->font.handle) GetObjectW(l->font.handle, sizeof(lf), &lf);
    if (!l->font.owns && lf.lfFaceName[0]) l->font.faceName.Set(lf.lfFaceName);
    l->font.inheritsWindowFont = false;
    SetFont(&l->font, height, 0, DEFAULT_CHARSET);
    if (l->surface.memoryDC && l->font.handle) l->textHeight = FontHeight(&l->surface, l->font.handle);
    else l->textHeight = height;
    l->rowHeight = l->textHeight + spacing;
    if (l->rowHeight < 1) l->rowHeight = 1;
    for (int c = 0; c < l->columnCount; c++) l->columns[c].widestText = 0;
    for (int r = 0; r < l->rowCount; r++)
        for (int c = 0; c < l->columnCount; c++) {
            ListCell& cell = l->rows[r].cells[c];
            if (!cell.text) continue;
            cell.textWidth = (int16_t)Measure(l, cell.text, (int)wcslen(cell.text));
            if (cell.textWidth > l->columns[c].widestText) l->columns[c].widestText = cell.textWidth;
        }
    LayoutBars(l);
}

// The column under a client x, or -1; edge gets the column whose right edge is near.
static int ColumnAt(const ListView* l, int px, int* edgeColumn, int* edgeX) {
    int cx = l->x + 1 - (l->hScrollKeyColumn ? 0 : l->hScroll.value);
    int found = -1;
    *edgeColumn = -1;
    for (int c = 0; c < l->columnCount; c++) {
        const ListColumn& col = l->columns[c];
        if (!col.visible) continue;
        int right = cx + col.width;
        if (col.resizable && px >= right - 5 && px <= right + 4) {
            *edgeColumn = c;
            *edgeX = cx;
        }
        if (px >= cx && px < right) found = c;
        cx = right;
    }
    return found;
}

static void Wheel(ListView* l, int delta) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    int steps = delta / 120;
    int n = steps < 0 ? -steps : steps;
    for (int i = 0; i < n; i++) {
        if (ctrl) {
            RecreateFont(l, l->textHeight + (steps > 0 ? 1 : -1));
            continue;
        }
        int visible = VisibleRows(l);
        int onPage = l->currentRow - l->topRow;
        if (l->rowCount > visible) {
            if (steps < 0 && !(l->topRow == 0 && onPage < visible / 2)) l->topRow++;
            if (steps > 0 && !(l->topRow >= l->rowCount - visible && onPage >= (visible + 1) / 2)) l->topRow--;
            ClampTop(l);
        }
        SetCurrent(l, l->currentRow + (steps > 0 ? -1 : 1));
    }
}

int ListView::OnMouse(UINT msg, WPARAM wp, LPARAM pos) {
    int px = PointX(pos), py = PointY(pos);
    bool inside = HitTest(px, py);
    bool press = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN ||
                 msg == WM_RBUTTONDBLCLK;

    if (msg == WM_MOUSEWHEEL) {
        Wheel(this, GET_WHEEL_DELTA_WPARAM(wp));
        LayoutBars(this);
        Redraw(this);
        return 1;
    }

    // A press on a scroll bar belongs to the bar until the release.
    if (press && msg != WM_RBUTTONDOWN && msg != WM_RBUTTONDBLCLK) {
        ScrollBar* bars[2] = {&vScroll, &hScroll};
        for (ScrollBar* b : bars) {
            if (b->visible && b->HitTest(px, py)) {
                scrollBarPressed = true;
                b->OnMouse(WM_LBUTTONDOWN, wp, pos);
                if (b == &vScroll) SetCurrent(this, vScroll.value);
                Redraw(this);
                return 1;
            }
        }
    }
    if (scrollBarPressed) {
        if (msg == WM_MOUSEMOVE) {
            if (vScroll.held) {
                vScroll.OnMouse(msg, wp, pos);
                if (vScroll.value != currentRow) {
                    SetCurrent(this, vScroll.value);
                    Redraw(this);
                }
            }
            if (hScroll.held) {
                int before = hScroll.value;
                hScroll.OnMouse(msg, wp, pos);
                if (hScroll.value != before) Redraw(this);
            }
            return 0;
        }
        if (msg == WM_LBUTTONUP) {
            vScroll.OnMouse(msg, wp, pos);
            hScroll.OnMouse(msg, wp, pos);
            scrollBarPressed = false;
            Redraw(this);
            return 0;
        }
        return 0;
    }

    int edgeColumn, edgeX = 0;
    int column = ColumnAt(this, px, &edgeColumn, &edgeX);
    bool onHeader = inside && headerHeight > 0 && py < y + headerHeight;

    switch (msg) {
    case WM_MOUSEMOVE:
        if (resizingColumn >= 0) {
            int w = px - resizeEdgeOffset;
            columns[resizingColumn].width = w > 0 ? w : 0;
            LayoutBars(this);
            Redraw(this);
            return 0;
        }
        if (onHeader && edgeColumn >= 0) cursorId = 32644;  // IDC_SIZEWE
        else cursorId = savedCursor;
        if (held && (wp & MK_LBUTTON)) return 1;
        if (rightDragSelecting && (wp & MK_RBUTTON) && inside && !onHeader) break;
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        int r = inside ? 1 : 0;
        held = false;
        rightDragSelecting = false;
        if (resizingColumn >= 0) columns[resizingColumn].headerState = 0;
        resizingColumn = -1;
        cursorId = savedCursor;
        return r;
    }
    case WM_MBUTTONDOWN:
        if (!inside || focusState != HasFocus) return 0;
        OnKey(WM_KEYDOWN, VK_RETURN, 0);
        Notify(WM_KEYDOWN, VK_RETURN, 0);
        return 0;
    }
    if (!inside) return 0;

    if (onHeader) {
        if (msg != WM_LBUTTONDOWN && msg != WM_LBUTTONDBLCLK) return 0;
        if (edgeColumn >= 0) {
            // The edge follows the pointer from wherever it was grabbed.
            resizingColumn = edgeColumn;
            resizeEdgeOffset = px - columns[edgeColumn].width;
            columns[edgeColumn].headerState = 2;
            Redraw(this);
            return 1;
        }
        if (column >= 0) {
            int& state = columns[column].headerState;
            state = state == 0 ? 2 : state == 2 ? 1 : 0;
            Redraw(this);
        }
        return 1;
    }
    if (rowCount == 0) return press ? 1 : 0;

    if (msg == WM_LBUTTONDBLCLK) {
        if (focusState != HasFocus) return 0;  // the press is offered instead
        if (GetKeyState(VK_CONTROL) < 0) RecreateFont(this, 13);
        else {
            OnKey(WM_KEYDOWN, VK_RETURN, 0);
            Notify(WM_KEYDOWN, VK_RETURN, 0);
        }
        Redraw(this);
        return 0;
    }
    if (msg == WM_RBUTTONDBLCLK) {
        for (int r = 0; r < rowCount; r++) rows[r].selected = !rows[r].selected;
        Redraw(this);
        return 1;
    }

    // The row under the pointer, scrolling when it is cut off at either end.
    int rowsTop = y + headerHeight;
    int offset = py - rowsTop - 2;
    int line = offset / rowHeight;
    if (offset < 0) line--;
    int row = topRow + line;
    int visible = VisibleRows(this);
    if (row < topRow) topRow = row > 0 ? row : 0;
    else if (row >= topRow + visible) topRow = row - visible + 1;
    if (row > rowCount - 1) row = rowCount - 1;
    if (row < 0) row = 0;
    ClampTop(this);

    // As in file managers: Shift+click marks from the cursor to the row with the
    // Shift anchor's value, Ctrl+click toggles the row alone.
    if (msg == WM_LBUTTONDOWN && (wp & MK_SHIFT)) {
        SetSelection(this, currentRow, row, anchorValue);
    } else if (msg == WM_LBUTTONDOWN && (wp & MK_CONTROL)) {
        rows[row].selected = !rows[row].selected;
        anchorValue = rows[row].selected;
        Redraw(this);
    }
    if (row != currentRow || msg == WM_RBUTTONDOWN) {
        if ((wp & MK_RBUTTON) && rightDragSelecting && msg == WM_MOUSEMOVE) SetSelection(this, currentRow, row, anchorValue);
        if (msg == WM_RBUTTONDOWN) {
            rows[row].selected = !rows[row].selected;
            anchorValue = rows[row].selected;
        }
        SetCurrent(this, row);
        LayoutBars(this);
        Redraw(this);
    }
    if (msg == WM_LBUTTONDOWN) {
        held = true;
        int cx = px - x + (hScrollKeyColumn ? 0 : hScroll.value);
        Notify(WM_USER + 500, column >= 0 ? column : 0, PackPoint(cx, py - rowsTop));
        return 1;
    }
    if (msg == WM_RBUTTONDOWN) {
        rightDragSelecting = true;
        return 1;
    }
    return 0;
}

// ---- timer and repaint requests -------------------------------------------

bool ListView::OnTimer() {
    bool moved = false;
    if (altScrolling) {
        for (int i = 0; i < 2; i++) {
            int v = hScroll.value;
            if (GetKeyState(VK_LEFT) < 0) v--;
            if (GetKeyState(VK_RIGHT) < 0) v++;
            if (hScroll.SetValue(v)) moved = true;
        }
    }
    if (searchActive) searchBox.OnTimer();
    if (vScroll.visible && vScroll.OnTimer()) moved = true;
    if (hScroll.visible && hScroll.OnTimer()) moved = true;
    if (vScroll.value != currentRow && rowCount > 0) {
        SetCurrent(this, vScroll.value);
        moved = true;
    }
    if (moved) Redraw(this);
    return moved;
}

void ListView::OnCommand(UINT msg, WPARAM, LPARAM) {
    if (msg == 1525) {
        LayoutBars(this);
        Redraw(this);
    }
}

// ---- painting -------------------------------------------------------------

static void DrawCellText(ListView* l, const ListCell& cell, const ListColumn& col, const RECT& r, int ty) {
    Surface* s = &l->surface;
    int n = (int)wcslen(cell.text);
    if (col.type == ColumnFileName && cell.ownsText && cell.textWidth <= r.right - r.left) {
        const wchar_t* dot = wcsrchr(cell.text, L'.');
        if (dot && dot != cell.text) {
            int stem = (int)(dot - cell.text);
            TextOut(s, cell.text, stem, r.left, ty, &r);
            SetTextAlign(s->memoryDC, TA_RIGHT | TA_TOP);
            TextOut(s, dot + 1, n - stem - 1, r.right, ty, &r);
            SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
            return;
        }
    }
    int tx = r.left;
    if (col.alignment == TA_RIGHT) tx = r.right;
    else if (col.alignment == TA_CENTER) tx = (r.left + r.right) / 2;
    SetTextAlign(s->memoryDC, col.alignment | TA_TOP);
    TextOut(s, cell.text, n, tx, ty, &r);
    SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
}

static void DrawRow(ListView* l, int row, int ry, int rowsBottom, const TEXTMETRICW& tm) {
    Surface* s = &l->surface;
    ListRow& r = l->rows[row];
    bool focused = l->focusState == HasFocus;
    int innerRight = l->width - 1 - (l->vScroll.visible ? kBarSize : 0);
    int rh = l->rowHeight;
    RECT bar{1, ry, innerRight, ry + rh < rowsBottom ? ry + rh : rowsBottom};
    COLORREF text = r.selected ? l->colors[16] : r.textColor;
    if (row == l->currentRow) {
        if (focused) {
            if (l->solidBar) {
                FillSolid(s, bar, kSolidBar);
                text = r.selected ? RGB(255, 255, 0) : RGB(255, 255, 255);
            } else {
                FillGradientV(s, bar, l->colors[12], l->colors[13]);
            }
        } else if (l->barWithoutFocus) {
            FillGradientV(s, bar, l->colors[14], l->colors[15]);
        }
    }
    SetTextColor(s->memoryDC, text);
    int ty = ry + (rh - tm.tmHeight) / 2;
    int cx = 1 - (l->hScrollKeyColumn ? 0 : l->hScroll.value);
    for (int c = 0; c < l->columnCount; c++) {
        const ListColumn& col = l->columns[c];
        if (!col.visible) continue;
        int left = cx, right = cx + col.width;
        cx = right;
        if (right <= 1 || left >= innerRight) continue;
        RECT clip{left > 1 ? left : 1, bar.top, right < innerRight ? right : innerRight, bar.bottom};
        const ListCell& cell = r.cells[c];
        RECT textRect{left + l->cellIndent, bar.top, right - l->cellIndent, bar.bottom};
        if (c == l->keyColumn && l->hScrollKeyColumn) OffsetRect(&textRect, -l->hScroll.value, 0);
        IntersectRect(&textRect, &textRect, &clip);
        wchar_t number[24];
        switch (col.type) {
        case ColumnText:
        case ColumnFileName:
            if (!cell.text) break;
            DrawCellText(l, cell, col, textRect, ty);
            if (l->searchActive && r.matchesSearch && c == l->keyColumn) {
                int length = 0;
                int at = MatchAt(cell.text, l->searchBox.text.c_str(), &length);
                if (at >= 0 && length > 0) {
                    int x0 = textRect.left + TextSize(s, cell.text, at).cx;
                    int x1 = textRect.left + TextSize(s, cell.text, at + length).cx;
                    RECT part{x0, textRect.top, x1 < textRect.right ? x1 : textRect.right, textRect.bottom};
                    SetTextColor(s->memoryDC, l->colors[17]);
                    TextOut(s, cell.text, (int)wcslen(cell.text), textRect.left, ty, &part);
                    SetTextColor(s->memoryDC, text);
                }
            }
            break;
        case ColumnIcon: {
            int v = (int)cell.value;
            if (cell.empty || v == kNoIcon || !l->iconSheet) break;
            int ch = l->iconSheet->cellHeight, cw = l->iconSheet->cellWidth;
            int iy = ry + (rh - ch) / 2;
            int iw = cw < clip.right - left ? cw : clip.right - left;
            if (iw > 0) DrawCell(s, l->iconSheet, v >= 0 ? v : -v, left + (col.width - cw) / 2 > left ? left + (col.width - cw) / 2 : left, iy, iw, ch, v >= 0 ? 255 : 128);
            break;
        }
        case ColumnNumber:
            if (cell.empty) break;
            _snwprintf(number, 24, L"%i", (int)cell.value);
            number[23] = 0;
            {
                ListCell tmp = cell;
                tmp.text = number;
                DrawCellText(l, tmp, col, textRect, ty);
            }
            break;
        case ColumnRowNumber: {
            _snwprintf(number, 24, L"%i", row);  // the top row plus the line
            number[23] = 0;
            ListCell tmp = cell;
            tmp.text = number;
            DrawCellText(l, tmp, col, textRect, ty);
            break;
        }
        case ColumnCustom:
            if (col.drawer) col.drawer(s->memoryDC, &tm, &cell, &clip);
            break;
        }
        if (l->rowColorSeparators && right < innerRight) LineV(s, right - 1, bar.top, bar.bottom - bar.top, r.textColor);
    }
}

bool ListView::Paint() {
    if (!visible || !surface.memoryDC) return false;
    LayoutBars(this);
    BeginDraw(this);
    Surface* s = &surface;
    int w = width, h = height;
    int innerRight = w - 1 - (vScroll.visible ? kBarSize : 0);
    int rowsBottom = h - 1 - (hScroll.visible ? kBarSize : 0);
    FillGradientV(s, RECT{0, 0, w, h}, colors[1], colors[2]);
    TEXTMETRICW tm{};
    GetTextMetricsW(s->memoryDC, &tm);

    if (headerHeight > 0) {
        RECT header{1, 1, innerRight, headerHeight};
        if (flat) FillSolid(s, header, colors[7]);
        else FillGradientV(s, header, colors[7], colors[8]);
        SetTextColor(s->memoryDC, colors[6]);
        int cx = 1 - (hScrollKeyColumn ? 0 : hScroll.value);
        for (int c = 0; c < columnCount; c++) {
            const ListColumn& col = columns[c];
            if (!col.visible) continue;
            int right = cx + col.width;
            RECT clip{cx + cellIndent, 1, right - cellIndent, headerHeight};
            if (clip.right > innerRight) clip.right = innerRight;
            if (col.title && clip.right > clip.left) {
                int tx = col.alignment == TA_RIGHT ? clip.right : col.alignment == TA_CENTER ? (clip.left + clip.right) / 2 : clip.left;
                SetTextAlign(s->memoryDC, col.alignment | TA_TOP);
                TextOut(s, col.title, tx, (headerHeight - tm.tmHeight) / 2, &clip);
                SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
            }
            if (right < innerRight) {
                if (flat) {
                    LineV(s, right - 1, (headerHeight - 4) / 2, 4, colors[10]);
                } else {
                    LineV(s, right - 2, 2, headerHeight - 4, colors[9]);
                    LineV(s, right - 1, 2, headerHeight - 4, colors[10]);
                }
            }
            cx = right;
        }
    }

    HRGN clipRegion = CreateRectRgn(x + 1, y + headerHeight, x + innerRight, y + rowsBottom);
    SelectClipRgn(s->memoryDC, clipRegion);
    int visibleRows = VisibleRows(this);
    for (int i = 0; i <= visibleRows && topRow + i < rowCount; i++)
        DrawRow(this, topRow + i, headerHeight + 2 + i * rowHeight, rowsBottom, tm);
    if (!rowColorSeparators) {
        int cx = 1 - (hScrollKeyColumn ? 0 : hScroll.value);
        for (int c = 0; c < columnCount; c++) {
            if (!columns[c].visible) continue;
            cx += columns[c].width;
            if (cx > 1 && cx < innerRight) LineV(s, cx - 1, headerHeight, rowsBottom - headerHeight, colors[11]);
        }
    }
    SelectClipRgn(s->memoryDC, nullptr);
    DeleteObject(clipRegion);
    Frame(s, 0, 0, w, h, colors[3], colors[4]);
    if (vScroll.visible && hScroll.visible)
        FillSolid(s, RECT{innerRight, rowsBottom, w - 1, h - 1}, vScroll.colors[1]);
    EndDraw(this);
    if (vScroll.visible) vScroll.Paint();
    if (hScroll.visible) hScroll.Paint();
    if (searchActive) searchBox.Paint();
    return true;
}
