#include "ui/edit_box.h"
#include "ui/ui_window.h"
#include "ui/draw.h"
#include "base/messages.h"

EditBox::EditBox(int x, int y, int w, int h, NotifyProc notify) : Control(KindEditBox) {
    this->notify = notify;
    cursorId = 32513;  // IDC_IBEAM
    focusState = CanFocus;
    tabStop = true;
    SetBounds(x, y, w, h);
}

void EditSelection(const EditBox* e, int* from, int* to) {
    *from = e->selectionStart < e->selectionEnd ? e->selectionStart : e->selectionEnd;
    *to = e->selectionStart < e->selectionEnd ? e->selectionEnd : e->selectionStart;
}

static void Collapse(EditBox* e) { e->selectionStart = e->selectionEnd = e->caret; }

void SetEditText(EditBox* e, const wchar_t* text) {
    e->text.Set(text ? text : L"");
    if ((int)e->text.length() > e->capacity) e->text.text.resize(e->capacity);
    e->caret = (int)e->text.length();
    e->firstVisible = 0;
    Collapse(e);
}

// Keeps the caret inside the box by moving the first visible character.
static void ScrollToCaret(EditBox* e) {
    if (e->caret < e->firstVisible) e->firstVisible = e->caret;
    HDC dc = e->surface.memoryDC;
    if (!dc) return;
    int room = e->width - e->textIndent - e->marginRight - 2;
    HGDIOBJ old = e->font.handle ? SelectObject(dc, e->font.handle) : nullptr;
    SIZE size{};
    while (e->firstVisible < e->caret) {
        GetTextExtentPoint32W(dc, e->text.c_str() + e->firstVisible, e->caret - e->firstVisible, &size);
        if (size.cx <= room) break;
        e->firstVisible++;
    }
    if (old) SelectObject(dc, old);
}

static void DeleteSelection(EditBox* e) {
    int from, to;
    EditSelection(e, &from, &to);
    if (from == to) return;
    e->text.text.erase(from, to - from);
    e->caret = from;
    Collapse(e);
}

static bool Insert(EditBox* e, const wchar_t* s, int n) {
    int from, to;
    EditSelection(e, &from, &to);
    if ((int)e->text.length() - (to - from) + n > e->capacity) {
        ShowInformation(L"len > allocated");
        return false;
    }
    DeleteSelection(e);
    e->text.text.insert(e->caret, s, n);
    e->caret += n;
    Collapse(e);
    return true;
}

static int WordLeft(const EditBox* e, int at) {
    const std::wstring& t = e->text.text;
    while (at > 0 && t[at - 1] == L' ') at--;
    while (at > 0 && t[at - 1] != L' ') at--;
    return at;
}

static int WordRight(const EditBox* e, int at) {
    const std::wstring& t = e->text.text;
    int n = (int)t.size();
    while (at < n && t[at] != L' ') at++;
    while (at < n && t[at] == L' ') at++;
    return at;
}

static void CopySelection(EditBox* e) {
    int from, to;
    EditSelection(e, &from, &to);
    if (from == to || !OpenClipboard(e->surface.hwnd)) return;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (to - from + 1) * sizeof(wchar_t));
    if (mem) {
        wchar_t* p = (wchar_t*)GlobalLock(mem);
        memcpy(p, e->text.c_str() + from, (to - from) * sizeof(wchar_t));
        p[to - from] = 0;
        GlobalUnlock(mem);
        if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
    }
    CloseClipboard();
}

static void Paste(EditBox* e) {
    if (!OpenClipboard(e->surface.hwnd)) return;
    if (HANDLE mem = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* p = (const wchar_t*)GlobalLock(mem)) {
            // One line: the text stops at the first line break.
            int n = 0;
            while (p[n] && p[n] != L'\r' && p[n] != L'\n') n++;
            Insert(e, p, n);
            GlobalUnlock(mem);
        }
    }
    CloseClipboard();
}

static void MoveCaret(EditBox* e, int to, bool extend) {
    e->caret = to;
    if (extend) e->selectionEnd = to;
    else Collapse(e);
}

bool EditBox::OnKey(UINT msg, WPARAM wp, LPARAM lp) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    int n = (int)text.length();
    if (msg == WM_KEYDOWN) {
        switch (wp) {
        case VK_HOME: MoveCaret(this, 0, shift); break;
        case VK_END: MoveCaret(this, n, shift); break;
        case VK_LEFT:
        case VK_DOWN: MoveCaret(this, ctrl ? WordLeft(this, caret) : caret > 0 ? caret - 1 : 0, shift); break;
        case VK_RIGHT:
        case VK_UP: MoveCaret(this, ctrl ? WordRight(this, caret) : caret < n ? caret + 1 : n, shift); break;
        case VK_DELETE: {
            int from, to;
            EditSelection(this, &from, &to);
            if (from == to) {
                selectionStart = caret;
                selectionEnd = ctrl ? WordRight(this, caret) : caret < n ? caret + 1 : n;
            }
            DeleteSelection(this);
            break;
        }
        case VK_INSERT:
            if (ctrl) CopySelection(this);
            else if (shift) Paste(this);
            else return false;
            break;
        default: return false;
        }
    } else if (msg == WM_CHAR) {
        wchar_t ch = (wchar_t)wp;
        switch (ch) {
        case 8:
        case 127: {
            int from, to;
            EditSelection(this, &from, &to);
            if (from == to) {
                selectionStart = ch == 127 ? WordLeft(this, caret) : caret > 0 ? caret - 1 : 0;
                selectionEnd = caret;
            }
            DeleteSelection(this);
            break;
        }
        case 1:
            selectionStart = 0;
            selectionEnd = caret = n;
            break;
        case 3: CopySelection(this); break;
        case 22: Paste(this); break;
        default:
            // Enter, Escape and the other control codes insert nothing.
            if (ch < 32) return ch != 13 && ch != 27 ? false : true;
            if (!Insert(this, &ch, 1)) return false;
        }
    } else {
        return false;
    }
    ScrollToCaret(this);
    caretShown = true;
    blinkCounter = 0;
    Redraw(this);
    return true;
}

static int CharAt(EditBox* e, int px) {
    HDC dc = e->surface.memoryDC;
    int local = px - e->x - e->textIndent;
    int n = (int)e->text.length();
    if (!dc || local <= 0) return e->firstVisible;
    HGDIOBJ old = e->font.handle ? SelectObject(dc, e->font.handle) : nullptr;
    int at = n;
    SIZE size{};
    for (int i = e->firstVisible; i < n; i++) {
        GetTextExtentPoint32W(dc, e->text.c_str() + e->firstVisible, i - e->firstVisible + 1, &size);
        SIZE before{};
        if (i > e->firstVisible)
            GetTextExtentPoint32W(dc, e->text.c_str() + e->firstVisible, i - e->firstVisible, &before);
        if (local < (before.cx + size.cx + 1) / 2) {
            at = i;
            break;
        }
    }
    if (old) SelectObject(dc, old);
    return at;
}

int EditBox::OnMouse(UINT msg, WPARAM wp, LPARAM pos) {
    int px = PointX(pos), py = PointY(pos);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!HitTest(px, py)) return 0;
        held = true;
        MoveCaret(this, CharAt(this, px), (wp & MK_SHIFT) != 0);
        caretShown = true;
        blinkCounter = 0;
        Redraw(this);
        return 1;
    case WM_MOUSEMOVE:
        if (!held || !(wp & MK_LBUTTON)) return 0;
        MoveCaret(this, CharAt(this, px), true);
        ScrollToCaret(this);
        Redraw(this);
        return 1;
    case WM_LBUTTONUP: {
        int r = held && HitTest(px, py) ? 1 : 0;
        held = false;
        return r;
    }
    }
    return 0;
}

bool EditBox::OnTimer() {
    bool focused = focusState == HasFocus;
    if (focused != hadFocus) {
        hadFocus = focused;
        caretShown = focused;
        blinkCounter = 0;
        Redraw(this);
        return false;
    }
    if (!focused) return false;
    if ((blinkCounter += TickSteps()) >= 35) {
        blinkCounter = 0;
        caretShown = !caretShown;
        Redraw(this);
    }
    return false;
}

bool EditBox::Paint() {
    if (!visible || !surface.memoryDC) return false;
    BeginDraw(this);
    Surface* s = &surface;
    int w = width, h = height;
    if (backgroundOverride != CLR_INVALID) FillSolid(s, RECT{0, 0, w, h}, backgroundOverride);
    else FillGradientV(s, RECT{0, 0, w, h}, colors[1], colors[2]);
    Frame(s, 0, 0, w, h, colors[3], colors[4]);
    const wchar_t* visibleText = text.c_str() + firstVisible;
    int n = (int)text.length() - firstVisible;
    int ty = h / 2 - font.height / 2;
    RECT clip{marginLeft + 1, marginTop + 1, w - marginRight - 1, h - marginBottom - 1};
    int from, to;
    EditSelection(this, &from, &to);
    if (from < firstVisible) from = firstVisible;
    if (to > from) {
        int left = textIndent + TextSize(s, visibleText, from - firstVisible).cx;
        int right = textIndent + TextSize(s, visibleText, to - firstVisible).cx;
        RECT sel{left, clip.top, right < clip.right ? right : clip.right, clip.bottom};
        if (sel.right > sel.left) FillGradientV(s, sel, colors[6], colors[7]);
    }
    SetTextColor(s->memoryDC, textColorOverride != CLR_INVALID ? textColorOverride : colors[0]);
    TextOut(s, visibleText, n, textIndent, ty, &clip);
    if (caretShown && focusState == HasFocus) {
        int cx = textIndent + TextSize(s, visibleText, caret - firstVisible).cx;
        if (cx < clip.right) LineV(s, cx, ty, font.height, textColorOverride != CLR_INVALID ? textColorOverride : colors[0]);
    }
    EndDraw(this);
    return true;
}
