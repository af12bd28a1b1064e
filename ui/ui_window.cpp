#include "ui/ui_window.h"
#include "ui/dpi.h"
#include "ui/caption_bar.h"
#include "ui/draw.h"
#include "base/messages.h"
#include <windowsx.h>
#include <algorithm>

#ifndef DCX_USESTYLE
#define DCX_USESTYLE 0x00010000
#endif

UiWindow::UiWindow(const wchar_t* name, int x, int y, int width, int height) : UiWindow() {
    minTrackWidth = Scale(84);
    minTrackHeight = Scale(27);
    font.faceName.Set(L"Tahoma");
    font.height = 13;
    lstrcpynW(className, name ? name : L"SonvaleWindow", 260);
    cursorId = 32512;
    focusIndex = -1;
    if (x == kCentre || y == kCentre) {
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.right / 2 - width / 2;
        y = work.bottom / 2 - height / 2;
    }
    this->x = x;
    this->y = y;
    this->width = width;
    this->height = height;
    backgroundColors[0] = backgroundColors[1] = RGB(200, 208, 212);
}

static void ComputeInsets(UiWindow* w) {
    RECT wr, cr;
    if (!GetWindowRect(w->hwnd, &wr) || !GetClientRect(w->hwnd, &cr)) return;
    POINT origin{0, 0};
    ClientToScreen(w->hwnd, &origin);
    w->frameInsets[0] = origin.x - wr.left;
    w->frameInsets[1] = origin.y - wr.top;
    w->frameInsets[2] = wr.right - (origin.x + cr.right);
    w->frameInsets[3] = wr.bottom - (origin.y + cr.bottom);
}

static void ReadDragFullWindows(UiWindow* w) {
    w->dragFullWindows = true;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    wchar_t value[16] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, L"DragFullWindows", nullptr, &type, (BYTE*)value, &size) == ERROR_SUCCESS &&
        type == REG_SZ && size >= sizeof(wchar_t))
        w->dragFullWindows = value[0] != L'0';
    RegCloseKey(key);
}

bool Create(UiWindow* w, WNDPROC windowProc, DWORD exStyle) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.lpszClassName = w->className;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(103));  // the program's icon, when it has one
    if (!RegisterClassW(&wc)) ShowInformation(L"Failed in \"RegisterClass()\"");
    HWND hwnd = CreateWindowExW(exStyle, w->className, w->className,
                                WS_POPUP | WS_BORDER | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                                w->x, w->y, w->width, w->height, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        ShowInformation(L"Failed in \"CreateWindowEx()\"");
        return false;
    }
    w->hwnd = hwnd;
    CreateSurface(&w->backBuffer, hwnd, w->width, w->height);
    SetFont(&w->font, 13, 0, RUSSIAN_CHARSET);
    SetTimer(hwnd, kTickTimer, kTickMs, nullptr);
    UINT create = WM_CREATE;
    Dispatch(w, &create, 0, 0);
    ReadDragFullWindows(w);
    return true;
}

void Destroy(UiWindow* w) {
    if (w->hwnd) {
        KillTimer(w->hwnd, kTickTimer);
        HWND hwnd = w->hwnd;
        DestroyWindow(hwnd);
        w->hwnd = nullptr;
    }
    for (int i = 0; i < w->controlCount; i++) delete w->controls[i];
    HeapFree(GetProcessHeap(), 0, w->controls);
    w->controls = nullptr;
    w->controlCount = w->controlCapacity = 0;
    w->captionBar = nullptr;
    w->focusIndex = -1;
    UnregisterClassW(w->className, GetModuleHandleW(nullptr));
    ReleaseSurface(&w->backBuffer);
    ReleaseFont(&w->font);
}

bool AddControl(UiWindow* w, Control* c) {
    if (!c) return false;
    if (w->controlCount == w->controlCapacity) {
        int capacity = w->controlCapacity ? w->controlCapacity * 2 : 4;
        HANDLE heap = GetProcessHeap();
        void* grown = w->controls ? HeapReAlloc(heap, HEAP_ZERO_MEMORY, w->controls, capacity * sizeof(Control*))
                                  : HeapAlloc(heap, HEAP_ZERO_MEMORY, capacity * sizeof(Control*));
        if (!grown) {
            ShowInformation(L"Not enough memory");
            return false;
        }
        w->controls = (Control**)grown;
        w->controlCapacity = capacity;
    }
    c->index = w->controlCount;
    w->controls[w->controlCount++] = c;
    if (c->font.inheritsWindowFont) ShareFont(&c->font, &w->font);
    c->AttachSurface(&w->backBuffer);
    if (c->kind == KindCaptionBar) w->captionBar = (CaptionBar*)c;
    return true;
}

void SetFocusIndex(UiWindow* w, int index, bool repaint) {
    if (index == w->focusIndex) return;
    Control* old = w->focusIndex >= 0 && w->focusIndex < w->controlCount ? w->controls[w->focusIndex] : nullptr;
    if (index < 0 || index >= w->controlCount) {
        if (old) {
            old->focusState = CanFocus;
            if (repaint) Redraw(old);
        }
        w->focusIndex = -1;
        return;
    }
    Control* c = w->controls[index];
    if (c->focusState != CanFocus) return;
    if (old) {
        old->focusState = CanFocus;
        if (repaint) Redraw(old);
    }
    w->focusIndex = index;
    c->focusState = HasFocus;
    if (repaint) Redraw(c);
}

static bool TabEligible(const Control* c) { return c->focusState != NoFocus && c->tabStop && c->visible; }

int NextTabIndex(const UiWindow* w, bool backwards) {
    int n = w->controlCount;
    if (n == 0) return w->focusIndex;
    int start = w->focusIndex;
    if (start < 0 || start >= n) start = backwards ? 0 : n - 1;
    int i = start;
    do {
        i = backwards ? (i + n - 1) % n : (i + 1) % n;
        if (TabEligible(w->controls[i])) return i;
    } while (i != start);
    return w->focusIndex;
}

static int g_tickSteps = 1;

int TickSteps() { return g_tickSteps; }

int TickStepsFor(int64_t elapsedUs, int64_t* carryUs) {
    int64_t total = *carryUs + elapsedUs;
    int64_t steps = total / kNominalTickUs;
    *carryUs = total - steps * kNominalTickUs;
    // Ticks sent in a row (or a clock gone back) still count one each; a
    // thread that was busy catches up by at most three.
    if (steps < 1 || steps > 3) {
        *carryUs = 0;
        return steps < 1 ? 1 : 3;
    }
    return (int)steps;
}

UINT DetectDoubleClick(UiWindow* w, UINT msg, LPARAM pos) {
    if (msg != WM_LBUTTONDOWN && msg != WM_RBUTTONDOWN) return msg;
    if (w->clickTicks < 30 && w->lastPressPos == (int32_t)pos && w->lastPressMsg == msg) {
        w->clickTicks = 30;
        return msg == WM_LBUTTONDOWN ? WM_LBUTTONDBLCLK : WM_RBUTTONDBLCLK;
    }
    w->clickTicks = 0;
    w->lastPressPos = (int32_t)pos;
    w->lastPressMsg = msg;
    return msg;
}

void SyncRect(UiWindow* w) {
    RECT r;
    if (!GetWindowRect(w->hwnd, &r)) return;
    w->x = r.left;
    w->y = r.top;
    w->width = r.right - r.left;
    w->height = r.bottom - r.top;
}

void Present(UiWindow* w) { CopyToScreen(&w->backBuffer, 0, 0, w->backBuffer.width, w->backBuffer.height); }

void RepaintAll(UiWindow* w) {
    if (!w->hwnd || !w->backBuffer.memoryDC) return;
    ResizeSurface(&w->backBuffer, w->width, w->height);
    if (!w->noBackgroundFill)
        FillGradientV(&w->backBuffer, RECT{0, 0, w->backBuffer.width, w->backBuffer.height}, w->backgroundColors[0],
                      w->backgroundColors[1]);
    SendMessageW(w->hwnd, WM_USER, kPaintBackground, kKeep);
    for (int i = 0; i < w->controlCount; i++) w->controls[i]->Paint();
}

static void SetCaptionActive(UiWindow* w, bool active) {
    CaptionBar* cb = w->captionBar;
    if (!cb || cb->active == active) return;
    cb->active = active;
    Redraw(cb);
}

static void SetCaptionMaximized(UiWindow* w, bool on) {
    CaptionBar* cb = w->captionBar;
    if (!cb) return;
    cb->SetMaximized(on);
    Redraw(cb);
}

// The point below the caption, in screen coordinates, where the system menu opens.
static POINT MenuPointBelowCaption(UiWindow* w) {
    POINT p{0, 0};
    ClientToScreen(w->hwnd, &p);
    if (w->captionBar) p.y += w->captionBar->y + w->captionBar->height - 1;
    else p.y += Scale(18);
    return p;
}

void ShowSystemMenu(UiWindow* w, int screenX, int screenY) {
    HMENU menu = GetSystemMenu(w->hwnd, FALSE);
    if (!menu) return;
    LONG style = GetWindowLongW(w->hwnd, GWL_STYLE);
    bool minimized = IsIconic(w->hwnd), maximized = IsZoomed(w->hwnd);
    auto enable = [&](UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(SC_RESTORE, minimized || maximized);
    enable(SC_MOVE, !minimized && !maximized);
    enable(SC_SIZE, !minimized && !maximized && (style & WS_THICKFRAME));
    enable(SC_MINIMIZE, !minimized && (style & WS_MINIMIZEBOX));
    enable(SC_MAXIMIZE, !maximized && (style & WS_MAXIMIZEBOX));
    SendMessageW(w->hwnd, WM_INITMENU, (WPARAM)menu, 0);
    SendMessageW(w->hwnd, WM_INITMENUPOPUP, (WPARAM)menu, 0x10000);
    SetActiveWindow(w->hwnd);
    int command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screenX, screenY, 0, w->hwnd, nullptr);
    if (command) PostMessageW(w->hwnd, WM_SYSCOMMAND, command, 0);
}

void Show(UiWindow* w, int showCommand) {
    SendMessageW(w->hwnd, WM_SIZE, 0, 0);
    SendMessageW(w->hwnd, WM_SIZE, 0, 0);
    if (showCommand == 0) {
        LONG style = GetWindowLongW(w->hwnd, GWL_STYLE);
        showCommand = style & WS_MAXIMIZE ? SW_SHOWMAXIMIZED : style & WS_MINIMIZE ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    }
    ShowWindow(w->hwnd, showCommand);
    UpdateWindow(w->hwnd);
}

void PaintFrame(UiWindow* w) {
    HDC dc = GetDCEx(w->hwnd, nullptr, DCX_WINDOW | DCX_USESTYLE);
    if (!dc) return;
    RECT wr;
    GetWindowRect(w->hwnd, &wr);
    int W = wr.right - wr.left, H = wr.bottom - wr.top;
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    GetWindowInfo(w->hwnd, &info);
    int bx = (int)info.cxWindowBorders, by = (int)info.cyWindowBorders;
    const COLORREF* c = w->frameColors;
    // Borrow a surface-shaped view of the window DC for the helpers.
    Surface s{};
    s.memoryDC = dc;
    if (bx <= 1 && by <= 1) {
        Frame(&s, 0, 0, W, H, c[4], c[4]);
    } else {
        Frame(&s, 0, 0, W, H, c[3], c[4]);
        Frame(&s, 1, 1, W - 2, H - 2, c[6], c[7]);
        int innerL = bx - 1, innerT = by - 1, innerR = W - bx + 1, innerB = H - by + 1;
        // The band between the second edge and the innermost rectangle.
        FillSolid(&s, RECT{2, 2, W - 2, innerT}, c[8]);
        FillSolid(&s, RECT{2, 2, innerL, H - 2}, c[8]);
        FillSolid(&s, RECT{2, innerB, W - 2, H - 2}, c[9]);
        FillSolid(&s, RECT{innerR, innerT, W - 2, H - 2}, c[9]);
        Frame(&s, innerL, innerT, innerR - innerL, innerB - innerT, c[5], c[5]);
    }
    ReleaseDC(w->hwnd, dc);
}

static Control* FocusedControl(UiWindow* w) {
    if (w->focusIndex < 0 || w->focusIndex >= w->controlCount) return nullptr;
    Control* c = w->controls[w->focusIndex];
    return c->visible ? c : nullptr;
}

static void SetCursorOver(UiWindow* w, int px, int py) {
    for (int i = 0; i < w->controlCount; i++) {
        Control* c = w->controls[i];
        if (!c->visible || c->cursorId == 32512) continue;
        if (c->held || c->HitTest(px, py)) {
            SetCursor(LoadCursorW(c->cursorModule, MAKEINTRESOURCEW(c->cursorId)));
            return;
        }
    }
    SetCursor(LoadCursorW(w->cursorModule, MAKEINTRESOURCEW(w->cursorId)));
}

static void RouteMouse(UiWindow* w, UINT msg, WPARAM wp, LPARAM pos) {
    bool press = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK;
    for (int i = 0; i < w->controlCount; i++) {
        Control* c = w->controls[i];
        if (!c->visible || c->kind == KindCaptionBar) continue;
        if (c->OnMouse(msg, wp, pos)) {
            if (press && c->focusState != NoFocus) SetFocusIndex(w, i, true);
            c->Notify(msg, wp, pos);
        } else if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK) {
            UINT single = msg == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
            if (c->OnMouse(single, wp, pos)) {
                if (c->focusState != NoFocus) SetFocusIndex(w, i, true);
                c->Notify(single, wp, pos);
            }
        }
    }
    CaptionBar* cb = w->captionBar;
    if (!cb || !cb->visible) return;
    int px = PointX(pos), py = PointY(pos);
    bool inside = cb->HitTest(px, py);
    if (!inside && !cb->held) return;
    if (inside) cb->ClampPoint(&px, &py);
    LPARAM p = PackPoint(px, py);
    int command = cb->OnMouse(msg, wp, p);
    if (!command) return;
    cb->Notify(msg, command, p);
    if (msg == WM_LBUTTONDBLCLK) {
        SendMessageW(w->hwnd, WM_CLOSE, 0, 0);
    } else if (command == SC_CLOSE || command == SC_MINIMIZE || command == SC_MAXIMIZE || command == SC_RESTORE) {
        SendMessageW(w->hwnd, WM_SYSCOMMAND, command, 0);
    } else if (command == SC_MOUSEMENU) {
        POINT m = MenuPointBelowCaption(w);
        ShowSystemMenu(w, m.x, m.y);
    } else if (msg == WM_RBUTTONUP) {
        POINT m;
        GetCursorPos(&m);
        ShowSystemMenu(w, m.x, m.y);
    }
}

struct WindowCall {
    void (*fn)(void*);
    void* arg;
    bool done;
};
// wParam of our own calls: a stray message of that number from elsewhere is ignored.
static const WPARAM kWindowCallMark = 0x536F6E76;

bool RunOnWindowThread(HWND hwnd, void (*fn)(void*), void* arg) {
    if (hwnd && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) {
        fn(arg);
        return true;
    }
    WindowCall call{fn, arg, false};
    if (hwnd) SendMessageW(hwnd, kMsgRunOnWindowThread, kWindowCallMark, (LPARAM)&call);
    return call.done;
}

LRESULT Dispatch(UiWindow* w, UINT* message, WPARAM wp, LPARAM lp) {
    UINT msg = *message;
    switch (msg) {
    case kMsgRunOnWindowThread: {
        if (wp != kWindowCallMark || !lp) break;
        WindowCall* call = (WindowCall*)lp;
        call->fn(call->arg);
        call->done = true;
        break;
    }
    case WM_TIMER: {
        if (wp != kTickTimer) break;
        LARGE_INTEGER now, freq;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&freq);
        int64_t us = (int64_t)(now.QuadPart / freq.QuadPart * 1000000 + now.QuadPart % freq.QuadPart * 1000000 / freq.QuadPart);
        g_tickSteps = TickStepsFor(w->lastTickUs ? us - w->lastTickUs : 0, &w->tickCarryUs);
        w->lastTickUs = us;
        w->clickTicks = (uint8_t)std::min(31, w->clickTicks + g_tickSteps);
        for (int i = 0; i < w->controlCount; i++) {
            Control* c = w->controls[i];
            if (c->visible && c->OnTimer()) c->Notify(WM_TIMER, wp, lp);
        }
        break;
    }
    case WM_GETMINMAXINFO: {
        MINMAXINFO* mm = (MINMAXINFO*)lp;
        mm->ptMinTrackSize.x = w->minTrackWidth;
        mm->ptMinTrackSize.y = w->minTrackHeight;
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        WINDOWINFO info{};
        info.cbSize = sizeof(info);
        int cx = 0, cy = 0;
        if (w->hwnd && GetWindowInfo(w->hwnd, &info)) {
            cx = (int)info.cxWindowBorders;
            cy = (int)info.cyWindowBorders;
        }
        mm->ptMaxPosition.x = work.left ? work.left : -cx;
        mm->ptMaxPosition.y = work.top ? work.top : -cy;
        mm->ptMaxSize.x = work.right - work.left + 2 * cx;
        mm->ptMaxSize.y = work.bottom - work.top + 2 * cy;
        break;
    }
    case WM_CREATE:
    case WM_SETTINGCHANGE:
    case WM_STYLECHANGED:
    case WM_DWMCOMPOSITIONCHANGED:
    case WM_DWMNCRENDERINGCHANGED:
        if (w->hwnd) ComputeInsets(w);
        break;
    case WM_SIZE:
        SyncRect(w);
        if (wp == SIZE_MAXIMIZED) SetCaptionMaximized(w, true);
        else if (wp == SIZE_RESTORED && w->captionBar && w->captionBar->maximized && !IsZoomed(w->hwnd))
            SetCaptionMaximized(w, false);
        break;
    case WM_MOVE:
        // Moves made by the program itself come without WM_MOVING.
        if (!IsIconic(w->hwnd)) SyncRect(w);
        break;
    case WM_SIZING:
    case WM_MOVING: {
        RECT* r = (RECT*)lp;
        w->x = r->left;
        w->y = r->top;
        if (msg == WM_SIZING) {
            w->width = r->right - r->left;
            w->height = r->bottom - r->top;
        }
        break;
    }
    case WM_ACTIVATE:
        SetCaptionActive(w, LOWORD(wp) != WA_INACTIVE);
        break;
    case WM_SETFOCUS:
        SetCaptionActive(w, true);
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w->hwnd, &ps);
        if (dc && w->backBuffer.memoryDC)
            BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, w->backBuffer.memoryDC, ps.rcPaint.left, ps.rcPaint.top,
                   SRCCOPY);
        EndPaint(w->hwnd, &ps);
        break;
    }
    case kMsgRepaintControl: {
        int i = LOWORD(wp);
        if (i < w->controlCount) w->controls[i]->OnCommand(msg, HIWORD(wp), lp);
        break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR: {
        if (wp == VK_TAB || (msg == WM_CHAR && wp == L'\t') || (msg == WM_SYSCHAR && wp == L'\t')) {
            if (msg == WM_KEYDOWN) SetFocusIndex(w, NextTabIndex(w, GetKeyState(VK_SHIFT) < 0), true);
            break;
        }
        // Alt+Space and Alt+F4 are ours alone: the owner's DefWindowProcW must not
        // open the system menu a second time or close the window twice.
        if (msg == WM_SYSKEYDOWN && wp == VK_SPACE) {
            *message = WM_NULL;
            POINT m = MenuPointBelowCaption(w);
            ShowSystemMenu(w, m.x, m.y);
            break;
        }
        if (msg == WM_SYSKEYDOWN && wp == VK_F4) {
            *message = WM_NULL;
            SendMessageW(w->hwnd, WM_CLOSE, 0, 0);
            break;
        }
        if (msg == WM_SYSCHAR) break;
        if (Control* c = FocusedControl(w))
            if (c->OnKey(msg, wp, lp)) c->Notify(msg, wp, lp);
        break;
    }
    case WM_MOUSEWHEEL: {
        Control* c = FocusedControl(w);
        if (!c || c->focusState != HasFocus) break;
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ScreenToClient(w->hwnd, &p);
        if (c->OnMouse(msg, wp, PackPoint(p.x, p.y))) c->Notify(msg, wp, PackPoint(p.x, p.y));
        break;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
        if (msg == WM_MOUSEMOVE) SetCursorOver(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) SetCapture(w->hwnd);
        msg = DetectDoubleClick(w, msg, lp);
        *message = msg;
        RouteMouse(w, msg, wp, lp);
        // Capture ends with the last button held; otherwise the window would
        // keep every mouse message of the desktop.
        if ((msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) && !(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) &&
            GetCapture() == w->hwnd)
            ReleaseCapture();
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
        ReleaseCapture();
        SetCaptionActive(w, true);
        break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP: {
        // A right click on the caption opens the system menu at the pointer. The
        // owner gets WM_NULL in place of both messages: DefWindowProcW would
        // track the button itself and open the menu a second time through
        // WM_CONTEXTMENU.
        CaptionBar* cb = w->captionBar;
        if (!cb || wp != HTCAPTION) break;
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ScreenToClient(w->hwnd, &p);
        *message = WM_NULL;
        if (cb->OnMouse(msg, 0, PackPoint(p.x, p.y))) {
            cb->Notify(msg, wp, PackPoint(p.x, p.y));
            ShowSystemMenu(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        }
        break;
    }
    case WM_NCDESTROY:
        // The window's DC goes with the window: give it back while it still exists.
        KillTimer(w->hwnd, kTickTimer);
        ReleaseSurface(&w->backBuffer);
        for (int i = 0; i < w->controlCount; i++) w->controls[i]->AttachSurface(&w->backBuffer);
        break;
    }
    return 0;
}

LRESULT AfterDefault(UiWindow* w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT result) {
    switch (msg) {
    case WM_NCHITTEST: {
        if (result != HTCLIENT && result != HTCAPTION) return result;
        CaptionBar* cb = w->captionBar;
        if (!cb || !cb->visible) return result;
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ScreenToClient(hwnd, &p);
        int px = p.x, py = p.y;
        if (cb->HitTest(px, py)) cb->ClampPoint(&px, &py);
        return cb->OnMouse(WM_NCHITTEST, 0, PackPoint(px, py)) == 1 ? HTCAPTION : result;
    }
    case WM_SYSCOMMAND: {
        UINT command = (UINT)(wp & 0xFFF0);
        if (command == SC_MAXIMIZE) SetCaptionMaximized(w, true);
        else if (command == SC_RESTORE) SetCaptionMaximized(w, IsZoomed(hwnd) != FALSE);
        break;
    }
    case WM_SIZE:
        if (wp == kSizeRelayout || wp == SIZE_MINIMIZED) break;
        RepaintAll(w);
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_SIZING:
        if (!w->dragFullWindows) break;
        RepaintAll(w);
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_NCPAINT:
        PaintFrame(w);
        return 0;
    case WM_NCACTIVATE:
        // Windows redraws its own frame here without a WM_NCPAINT.
        PaintFrame(w);
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        SetCaptionActive(w, true);
        break;
    }
    return result;
}
