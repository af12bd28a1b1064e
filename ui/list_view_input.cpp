#include "ui/list_view_parts.h"
#include "ui/ui_window.h"
#include "ui/draw.h"
#include "base/messages.h"
#include <string>

static const COLORREF kNoMatchBack = 0x0A0A96;  // the search box when nothing matches

// ---- search ---------------------------------------------------------------

// Where the search text matches a key-column text: start and length, or -1.
int SearchMatchAt(const wchar_t* text, const wchar_t* search, int* length) {
    if (!text || !search || !search[0]) return -1;
    if (search[0] == L'*') {
        const wchar_t* needle = search + 1;
        int n = (int)wcslen(needle);
        *length = n;
        if (n == 0) return 0;
        int tn = (int)wcslen(text);
        wchar_t small[512];
        wchar_t* hay = tn < 512 ? small : (wchar_t*)ListAlloc((tn + 1) * sizeof(wchar_t));
        wchar_t lowNeedle[512];
        if (!hay || n >= 512) {
            if (hay != small) ListFree(hay);
            return -1;
        }
        memcpy(hay, text, (tn + 1) * sizeof(wchar_t));
        memcpy(lowNeedle, needle, (n + 1) * sizeof(wchar_t));
        CharLowerW(hay);
        CharLowerW(lowNeedle);
        const wchar_t* found = wcsstr(hay, lowNeedle);
        int at = found ? (int)(found - hay) : -1;
        if (hay != small) ListFree(hay);
        return at;
    }
    int n = (int)wcslen(search);
    if ((int)wcslen(text) < n) return -1;
    *length = n;
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text, n, search, n) == CSTR_EQUAL ? 0 : -1;
}

const wchar_t* ListKeyText(const ListView* l, int row) {
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
        bool m = SearchMatchAt(ListKeyText(l, r), s, &length) >= 0;
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
        if (const wchar_t* t = ListKeyText(l, r)) all += t;
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
        if (ctrl && wp == VK_NEXT) return true;  // the owner's, as Ctrl+Page Up is: the row stays put
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
    LayoutListBars(this);
    Redraw(this);
    return true;
}

// ---- mouse ----------------------------------------------------------------

// height in 96-DPI units.
static void RecreateFont(ListView* l, int height) {
    if (height < 1) height = 1;
    int spacing = l->rowHeight - l->textHeight;
    LOGFONTW lf{};
    if (l->font.handle) GetObjectW(l->font.handle, sizeof(lf), &lf);
    if (!l->font.owns && lf.lfFaceName[0]) l->font.faceName.Set(lf.lfFaceName);
    l->font.inheritsWindowFont = false;
    SetFont(&l->font, height, 0, DEFAULT_CHARSET);
    FontChanged(l, spacing);
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
            RecreateFont(l, Unscale(l->textHeight) + (steps > 0 ? 1 : -1));  // in 96-DPI units
            continue;
        }
        int visible = VisibleRows(l);
        int onPage = l->currentRow - l->topRow;
        if (l->rowCount > visible) {
            if (steps < 0 && !(l->topRow == 0 && onPage < visible / 2)) l->topRow++;
            if (steps > 0 && !(l->topRow >= l->rowCount - visible && onPage >= (visible + 1) / 2)) l->topRow--;
            ClampTopRow(l);
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
        LayoutListBars(this);
        Redraw(this);
        return 1;
    }

    // Every press on a scroll bar belongs to the bar until the release: the
    // left button works it, the others do nothing, and the rows under the bar
    // see none of them.
    if (press || msg == WM_MBUTTONDOWN) {
        ScrollBar* bars[2] = {&vScroll, &hScroll};
        for (ScrollBar* b : bars) {
            if (!b->visible || !b->HitTest(px, py)) continue;
            if (msg == WM_MBUTTONDOWN) return 0;
            scrollBarPressed = true;
            if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK) return 0;
            b->OnMouse(WM_LBUTTONDOWN, wp, pos);
            if (b == &vScroll) SetCurrent(this, vScroll.value);
            Redraw(this);
            return 1;
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
            Redraw(this);
        }
        // The bar lets go once no button that pressed it is held.
        if ((msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) && !(wp & (MK_LBUTTON | MK_RBUTTON))) scrollBarPressed = false;
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
            LayoutListBars(this);
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
        // Taken: the owner hears of the double click itself, and it is not
        // offered again as a press (which would move the cursor to the row
        // under the pointer in whatever the Enter just showed, or click a cell).
        return 1;
    }
    if (msg == WM_RBUTTONDBLCLK) {
        for (int r = 0; r < rowCount; r++) rows[r].selected = !rows[r].selected;
        Redraw(this);
        return 1;
    }

    // Only a press or a marking drag picks a row (a middle button's release
    // does not).
    if (msg != WM_LBUTTONDOWN && msg != WM_RBUTTONDOWN && msg != WM_MOUSEMOVE) return 0;

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
    ClampTopRow(this);

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
        LayoutListBars(this);
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
        for (int i = 0; i < 2 * TickSteps(); i++) {
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
        LayoutListBars(this);
        Redraw(this);
    }
}
