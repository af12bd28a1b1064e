#include "ui/list_view_parts.h"
#include "ui/draw.h"
#include "ui/natural_order.h"
#include "base/messages.h"
#include <utility>


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
    searchBox.minWidth = 1;
    searchBox.font.inheritsWindowFont = false;
    searchBox.font.faceName.Set(L"Tahoma");
    SetFont(&searchBox.font, 13, 0, RUSSIAN_CHARSET);
    SetBounds(x, y, w, h);
}

static void FreeCells(ListView* l, ListRow* row, bool freeText) {
    if (!row->cells) return;
    for (int c = 0; c < l->columnCount; c++)
        if (freeText && row->cells[c].ownsText) ListFree(row->cells[c].text);
    ListFree(row->cells);
    row->cells = nullptr;
}

ListView::~ListView() {
    Clear(this, false);
    for (int c = 0; c < columnCount; c++) ListFree(columns[c].title);
    ListFree(columns);
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

// The search box: 200 wide, 36 from the list's left edge, 10 below its top;
// narrowed, and moved left when that is not enough, so that it never covers
// anything outside the rows (a list repaints only its own rectangle).
static void PlaceSearchBox(ListView* l, bool vBar) {
    const int kWidth = 200, kLeft = 36, kLeast = 60;
    int innerRight = l->width - 1 - (vBar ? kListBarSize : 0);
    int left = kLeft, w = kWidth;
    if (left + w > innerRight) w = innerRight - left;
    if (w < kLeast) {
        w = innerRight - 1 < kLeast ? innerRight - 1 : kLeast;
        left = innerRight - w;
    }
    l->searchBox.SetBounds(l->x + left, l->y + 10, w > 1 ? w : 1, kKeep);
}

void LayoutListBars(ListView* l) {
    int area = l->height - l->headerHeight;
    bool v = l->rowCount > RowsFor(l, area);
    bool h = ContentWidth(l) > l->width - 2 - (v ? kListBarSize : 0);
    if (h && !v) v = l->rowCount > RowsFor(l, area - kListBarSize);
    l->vScroll.visible = v && l->visible;
    l->hScroll.visible = h && l->visible;
    int vh = l->height - 2 - (h ? kListBarSize : 0);
    l->vScroll.SetBounds(l->x + l->width - 1 - kListBarSize, l->y + 1, kListBarSize, vh);
    l->hScroll.SetBounds(l->x + 1, l->y + l->height - 1 - kListBarSize, l->width - 2 - (v ? kListBarSize : 0), kListBarSize);
    l->vScroll.count = l->rowCount > 0 ? l->rowCount : 1;
    l->vScroll.pageSize = VisibleRows(l);
    l->vScroll.value = l->currentRow < l->vScroll.count ? l->currentRow : l->vScroll.count - 1;
    int room = l->width - 2 - (v ? kListBarSize : 0);
    int extra = ContentWidth(l) - room;
    l->hScroll.count = extra > 0 ? extra + 1 : 1;
    l->hScroll.pageSize = room;
    if (l->hScroll.value > l->hScroll.count - 1) l->hScroll.value = l->hScroll.count - 1;
    l->vScroll.Layout();
    l->hScroll.Layout();
    PlaceSearchBox(l, v);
}

bool ListView::SetBounds(int nx, int ny, int nw, int nh) {
    bool changed = Control::SetBounds(nx, ny, nw, nh);
    LayoutListBars(this);
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
    LayoutListBars(l);
}

void FontChanged(ListView* l, int spacing) {
    if (l->surface.memoryDC && l->font.handle) l->textHeight = FontHeight(&l->surface, l->font.handle);
    else l->textHeight = l->font.height;
    l->rowHeight = l->textHeight + spacing;
    if (l->rowHeight < 1) l->rowHeight = 1;
    for (int c = 0; c < l->columnCount; c++) l->columns[c].widestText = 0;
    for (int r = 0; r < l->rowCount; r++)
        for (int c = 0; c < l->columnCount; c++) {
            ListCell& cell = l->rows[r].cells[c];
            if (!cell.text) continue;
            cell.textWidth = (int16_t)MeasureListText(l, cell.text, (int)wcslen(cell.text));
            if (cell.textWidth > l->columns[c].widestText) l->columns[c].widestText = cell.textWidth;
        }
    LayoutListBars(l);
}

void SetListFont(ListView* l, const wchar_t* face, int height, int charset) {
    int spacing = l->rowHeight - l->textHeight;
    l->font.inheritsWindowFont = false;
    l->font.faceName.Set(face);
    SetFont(&l->font, height, 0, charset);
    FontChanged(l, spacing);
}

void ShareWindowFont(ListView* l, const FontSpec* windowFont) {
    if (l->font.inheritsWindowFont && l->font.handle == windowFont->handle) return;
    int spacing = l->rowHeight - l->textHeight;
    ReleaseFont(&l->font);
    l->font.inheritsWindowFont = true;
    ShareFont(&l->font, windowFont);
    FontChanged(l, spacing);
}

// ---- columns and rows -----------------------------------------------------

bool AddColumns(ListView* l, int n) {
    if (n <= 0) return false;
    if (l->rowCount > 0) return false;  // the rows' cell arrays have a fixed width
    int need = l->columnCount + n;
    if (need > l->columnCapacity) {
        int capacity = l->columnCapacity ? l->columnCapacity : 1;
        while (capacity < need) capacity *= 2;
        ListColumn* grown = (ListColumn*)ListAlloc(capacity * sizeof(ListColumn));
        if (!grown) {
            ShowInformation(L"Not enough memory");
            return false;
        }
        if (l->columns) memcpy(grown, l->columns, l->columnCount * sizeof(ListColumn));
        ListFree(l->columns);
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
    ListFree(l->columns[column].title);
    l->columns[column].title = nullptr;
    if (!title) return;
    size_t n = wcslen(title);
    wchar_t* copy = (wchar_t*)ListAlloc((n + 1) * sizeof(wchar_t));
    if (copy) memcpy(copy, title, n * sizeof(wchar_t));
    l->columns[column].title = copy;
}

bool AddRow(ListView* l) {
    if (l->rowCount == l->rowCapacity) {
        int capacity = l->rowCapacity ? l->rowCapacity * 2 : 1;
        void* grown = l->rows ? HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, l->rows, capacity * sizeof(ListRow))
                              : ListAlloc(capacity * sizeof(ListRow));
        if (!grown) {
            ShowInformation(L"Not enough memory");
            return false;
        }
        l->rows = (ListRow*)grown;
        l->rowCapacity = capacity;
    }
    ListCell* cells = (ListCell*)ListAlloc((l->columnCount > 0 ? l->columnCount : 1) * sizeof(ListCell));
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

int MeasureListText(ListView* l, const wchar_t* text, int n) {
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
        stored = (wchar_t*)ListAlloc((n + 1) * sizeof(wchar_t));
        if (!stored) {
            ShowInformation(L"Not enough memory");
            return false;
        }
        memcpy(stored, text, n * sizeof(wchar_t));
        owns = true;
    }
    if (cell.ownsText) ListFree(cell.text);
    cell.text = stored;
    cell.ownsText = owns;
    cell.empty = false;
    cell.textWidth = (int16_t)MeasureListText(l, stored, n);
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
    ListFree(l->rows);
    l->rows = nullptr;
    l->rowCount = l->rowCapacity = 0;
    for (int c = 0; c < l->columnCount; c++) l->columns[c].widestText = 0;
    l->topRow = 0;
    if (keepStorage) {
        l->rows = (ListRow*)ListAlloc(sizeof(ListRow));
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
    LayoutListBars(l);
}

void MoveRow(ListView* l, int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= l->rowCount || to >= l->rowCount) return;
    ListRow row = l->rows[from];
    if (from > to) memmove(&l->rows[to + 1], &l->rows[to], (size_t)(from - to) * sizeof(ListRow));
    else memmove(&l->rows[from], &l->rows[from + 1], (size_t)(to - from) * sizeof(ListRow));
    l->rows[to] = row;
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
    const wchar_t** texts = (const wchar_t**)ListAlloc(n * sizeof(wchar_t*));
    SortItem* items = (SortItem*)ListAlloc(n * sizeof(SortItem));
    ListRow* sorted = (ListRow*)ListAlloc(n * sizeof(ListRow));
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
    ListFree(texts);
    ListFree(items);
    ListFree(sorted);
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

void ClampTopRow(ListView* l) {
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
    ClampTopRow(l);
    l->currentRow = row;
    l->vScroll.SetValue(row);
    l->Notify(WM_COMMAND, kListCurrentChanged, previous);
}
