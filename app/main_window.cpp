#include "app/main_window.h"
#include "app/command_line.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "app/list_drag.h"
#include "app/main_commands.h"
#include "app/main_drop.h"
#include "app/main_frame.h"
#include "app/main_layout.h"
#include "app/main_view.h"
#include "base/messages.h"
#include "audio/audio_library.h"
#include "audio/devices.h"
#include "system/tray_icons.h"
#include "audio/engine.h"
#include "audio/net_stream.h"
#include "audio/overview.h"
#include "audio/visualization.h"
#include "library/adding.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "library/statistics.h"
#include "system/hot_keys.h"
#include "system/hot_keys_manager.h"
#include "system/layout_switcher.h"
#include "ui/dpi.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/draw.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "app/osd.h"
#include "app/settings/settings_window.h"
#include "ui/slider.h"
#include "ui/theme.h"
#include <windowsx.h>
#include <shellapi.h>
#include <stdio.h>
#include <vector>

HWND g_mainWindow;
HWND g_foregroundWindow;

// The first window's size in 96-DPI units.
static const int kCreateWidth = 426;
static const int kCreateHeight = 566;
static const int kSnapDistance = 12;

static POINT g_moveOffset{-1, -1};
static std::vector<bool> g_visibleSnapshot;
static bool g_hidden;

// Runs once per main window: a WM_CLOSE followed by a WM_DESTROY must not
// save again after playback stopped, which would forget the track and its position.
static bool g_shutdownDone = false;

void SetMoveState(int dx, int dy) { g_moveOffset = POINT{dx, dy}; }

static HWND FindStartButton() {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return nullptr;
    HWND parent = GetParent(tray);
    return FindWindowExW(parent, nullptr, L"Button", nullptr);
}

void RunShutdownSequence() {
    if (!g_shutdownDone) {
        g_shutdownDone = true;
        // From here on hand-offs are refused, and a failure is no box that
        // would keep the closing process open behind it.
        MarkPlayerClosing(g_mainWindow);
        SetBoxesQuiet(true);
        CloseSettingsWindow();
        // An add stops at its next file and puts its entries in place first.
        FinishAdding();
        SaveAllSettings();
        StatsStopListen();
        StopPlayOrder(true, false);
        RefreshStatusLine();
        ShowPlayButtonState(false);
        SaveStatistics();
        ShutdownAudio();
        UnregisterHotKeys();
        UnregisterManagerHotKeys();
        RemoveLayoutSwitcher();
        if (g_general.isStartDate)
            if (HWND start = FindStartButton()) InvalidateRect(start, nullptr, TRUE);
        if (g_mainWindow) RevokeDropTarget(g_mainWindow);
        ReleaseVis();
        ReleaseOverview();
        DestroyOsd();
    }
    PostQuitMessage(0);
}

void FormatStartDate(const SYSTEMTIME& t, wchar_t* out, int size) {
    _snwprintf(out, size, L"%02i.%02i", (int)t.wDay, (int)t.wMonth);
    out[size - 1] = 0;
}

static void UpdateStartDate() {
    HWND start = FindStartButton();
    if (!start) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[16], shown[19] = {};
    FormatStartDate(now, date, 16);
    GetWindowTextW(start, shown, 19);
    if (lstrcmpW(shown, date) != 0) {
        SetWindowTextW(start, date);
        InvalidateRect(start, nullptr, TRUE);
    }
}

// The periodic work of every tick, in its order.
static void TimerWork() {
    UpdateTrayIcons(false);
    if (g_general.isStartDate) UpdateStartDate();
    if (seekLength != 1) PositionTick();
    OsdTick();
    CheckBuffering();
    // The load figure moves with every block the mixer plays: read ten times
    // a second (every sixth tick), as fast as a person reads a number.
    static int cpuTicks;
    EditBox* cpu = g_mainFrame.cpuLabel;
    if (++cpuTicks >= 6 && g_general.isCPUUsage && cpu && cpu->visible) {
        cpuTicks = 0;
        std::wstring text = CpuLoadText(AudioCpu(), 1);
        if (text != cpu->text.c_str()) {
            SetEditText(cpu, text.c_str());
            Redraw(cpu);
        }
    }
}

RECT BringOntoWorkArea(RECT r, RECT work) {
    int w = r.right - r.left, h = r.bottom - r.top;
    // The caption row must be reachable: at least 32 x 10 pixels of it on the work area.
    RECT strip{r.left, r.top, r.right, r.top + 19};
    RECT seen;
    if (IntersectRect(&seen, &strip, &work) && seen.right - seen.left >= 32 && seen.bottom - seen.top >= 10 &&
        r.top >= work.top)
        return r;
    if (w > work.right - work.left) w = work.right - work.left;
    if (h > work.bottom - work.top) h = work.bottom - work.top;
    int x = r.left, y = r.top;
    if (x + w > work.right) x = work.right - w;
    if (x < work.left) x = work.left;
    if (y + h > work.bottom) y = work.bottom - h;
    if (y < work.top) y = work.top;
    return RECT{x, y, x + w, y + h};
}

RECT SnapToWorkArea(POINT wanted, SIZE size, RECT work) {
    auto snap = [](int v, int low, int high) {
        if (v > low - Scale(kSnapDistance) && v < low + Scale(kSnapDistance)) return low;
        if (v > high - Scale(kSnapDistance) && v < high + Scale(kSnapDistance)) return high;
        return v;
    };
    int x = snap(wanted.x, work.left, work.right - size.cx);
    int y = snap(wanted.y, work.top, work.bottom - size.cy);
    return RECT{x, y, x + size.cx, y + size.cy};
}

static RECT WorkAreaOf(const RECT& r) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void ShowMainWindow(bool show, bool activate) {
    UiWindow* ui = g_mainFrame.window;
    if (!ui || !ui->hwnd) return;
    if (!show) {
        if (!g_hidden) {
            g_visibleSnapshot.assign((size_t)ui->controlCount, false);
            for (int i = 0; i < ui->controlCount; i++) {
                g_visibleSnapshot[(size_t)i] = ui->controls[i]->visible;
                ui->controls[i]->visible = false;
            }
            g_hidden = true;
        }
        g_general.isVisible = 0;
        ShowWindow(ui->hwnd, SW_HIDE);
        return;
    }
    if (g_hidden) {
        for (int i = 0; i < ui->controlCount && (size_t)i < g_visibleSnapshot.size(); i++)
            ui->controls[i]->visible = g_visibleSnapshot[(size_t)i];
        g_hidden = false;
    }
    g_general.isVisible = 1;
    LayoutMainFrame();
    RepaintAll(ui);
    if (activate) {
        // A window that started hidden with its settings saying maximised
        // was never maximised: it is now.
        bool maximise = g_general.isMaximized && !g_general.isSmall && !IsZoomed(ui->hwnd);
        ShowWindow(ui->hwnd, maximise ? SW_SHOWMAXIMIZED : SW_SHOW);
        SetForegroundWindow(ui->hwnd);
    }
    InvalidateRect(ui->hwnd, nullptr, FALSE);
}

bool g_followWindowDpi = true;
static void ChangeDpi(HWND wnd, int dpi, const RECT* suggested);

void ShowMainWindowAtStart() {
    UiWindow* ui = g_mainFrame.window;
    if (!g_mainWindow || !ui) return;
    RECT r;
    GetWindowRect(g_mainWindow, &r);
    RECT placed = BringOntoWorkArea(r, WorkAreaOf(r));
    int h = g_general.isSmall ? SmallWindowHeight() : placed.bottom - placed.top;
    SetWindowPos(g_mainWindow, nullptr, placed.left, placed.top, placed.right - placed.left, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SyncRect(ui);
    // The saved place may be on a screen of another DPI than the one the window was made for.
    int dpi = g_followWindowDpi ? DpiOfWindow(g_mainWindow) : UiDpi();
    if (dpi != UiDpi()) {
        int old = UiDpi();
        auto at = [&](long v) { return (long)(((long long)v * dpi + old / 2) / old); };
        RECT r{placed.left, placed.top, placed.left + at(placed.right - placed.left), placed.top + at(h)};
        ChangeDpi(g_mainWindow, dpi, &r);
        GetWindowRect(g_mainWindow, &placed);
        h = placed.bottom - placed.top;
    }
    bool maximise = g_general.isMaximized && !g_general.isSmall;
    if (maximise) {
        // Not the user's maximise: the seek panel already has the maximised
        // height and pSeekHeight keeps the normal one. Only the normal
        // rectangle is kept, as placed.
        g_general.xPos = placed.left;
        g_general.yPos = placed.top;
        g_general.Width = placed.right - placed.left;
        g_general.Height = h;
    }
    // Every control holds its restored value now: lay out and paint the whole
    // window once, so that its first paint shows them all.
    LayoutMainFrame();
    RepaintAll(ui);
    if (g_general.isVisible) {
        ShowWindow(g_mainWindow, maximise ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    } else {
        SendMessageW(g_mainWindow, WM_SIZE, 0, 0);
        ShowMainWindow(false, false);
    }
}

// The window moved to a screen of another DPI: everything is measured again
// and the window takes the rectangle the system suggests.
static void ChangeDpi(HWND wnd, int dpi, const RECT* suggested) {
    int old = UiDpi();
    if (dpi < 48 || dpi == old) return;
    SetUiDpi(dpi);
    ConvertSizesToDpi(dpi);
    g_layout.seekHeight = (int)(((long long)g_layout.seekHeight * dpi + old / 2) / old);
    RescaleMainFrame(old);
    UiWindow* ui = g_mainFrame.window;
    ui->minTrackWidth = Scale(84);
    ui->minTrackHeight = Scale(27);
    if (suggested)
        SetWindowPos(wnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    SyncRect(ui);
    LayoutMainFrame();
    RepaintAll(ui);
    InvalidateRect(wnd, nullptr, FALSE);
}

static void SysCommandRestore(HWND wnd) {
    if (g_general.isSeekGraphical) g_general.pSeekHeightMaximized = g_layout.seekHeight;
    g_layout.seekHeight = g_general.pSeekHeight < Scale(45) ? Scale(45) : g_general.pSeekHeight;
    g_general.isMaximized = 0;
    SendMessageW(wnd, WM_SIZE, 0, 0);
    InvalidateRect(wnd, nullptr, FALSE);
}

static void SysCommandMaximize(HWND wnd) {
    g_general.isMaximized = 1;
    RECT r;
    GetWindowRect(wnd, &r);
    g_general.xPos = r.left;
    g_general.yPos = r.top;
    g_general.Width = r.right - r.left;
    g_general.Height = r.bottom - r.top;
    if (g_general.isSeekGraphical) g_general.pSeekHeight = g_layout.seekHeight;
    g_layout.seekHeight = g_general.pSeekHeightMaximized < 45 ? 45 : g_general.pSeekHeightMaximized;
    // No layout at the old size here: a taller seek panel could collapse the
    // window and shrink the rectangle Windows restores to. The maximised size
    // arrives with WM_SIZE.
}

// Returns true when the command was consumed.
static bool OnSysCommand(HWND wnd, WPARAM wp) {
    switch (wp & 0xFFF0) {
    case SC_MINIMIZE:
        ShowMainWindow(false, false);
        if (HWND settings = SettingsWindowHandle()) SendMessageW(settings, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return true;
    case SC_RESTORE:
        if (!IsWindowVisible(wnd)) {
            ShowMainWindow(true, true);
            return true;
        }
        // Only a maximised window has heights to exchange.
        if (g_general.isMaximized || IsZoomed(wnd)) SysCommandRestore(wnd);
        return false;
    case SC_MAXIMIZE:
        if (g_general.isSmall) {
            ToggleSmallMode();
            return true;
        }
        if (!g_general.isMaximized) SysCommandMaximize(wnd);
        return false;
    case SC_KEYMENU:
        return true;
    }
    return false;
}

static void MinMaxInfo(HWND wnd, MINMAXINFO* mm) {
    if (g_general.isSmall) {
        mm->ptMinTrackSize.x = Scale(248);
        mm->ptMinTrackSize.y = SmallWindowHeight();
        mm->ptMaxTrackSize.y = SmallWindowHeight();
    } else {
        mm->ptMinTrackSize.x = Scale(289);
        mm->ptMinTrackSize.y = CollapsedHeight();
    }
    // Maximised: an edge of the work area on the screen's edge gets the border
    // pushed past it; an edge next to the taskbar keeps its border.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    int cx = 0, cy = 0;
    if (GetWindowInfo(wnd, &info)) {
        cx = (int)info.cxWindowBorders;
        cy = (int)info.cyWindowBorders;
    }
    int left = work.left == 0 ? -cx : work.left, top = work.top == 0 ? -cy : work.top;
    int right = work.right == GetSystemMetrics(SM_CXSCREEN) ? work.right + cx : work.right;
    int bottom = work.bottom == GetSystemMetrics(SM_CYSCREEN) ? work.bottom + cy : work.bottom;
    mm->ptMaxPosition.x = left;
    mm->ptMaxPosition.y = top;
    mm->ptMaxSize.x = right - left;
    mm->ptMaxSize.y = bottom - top;
}

// Dragging an edge below the threshold snaps the height to the collapsed one.
static void SnapSizing(WPARAM edge, RECT* r) {
    UiWindow* ui = g_mainFrame.window;
    if (g_general.isSmall) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) r->top = r->bottom - SmallWindowHeight();
        else r->bottom = r->top + SmallWindowHeight();
        return;
    }
    int clientHeight = r->bottom - r->top - ui->frameInsets[1] - ui->frameInsets[3];
    if (clientHeight > CollapseThreshold()) return;
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) r->top = r->bottom - CollapsedHeight();
    else r->bottom = r->top + CollapsedHeight();
}

// The collapsed window keeps the collapsed height (also after a programmatic size).
static void KeepCollapsedHeight(HWND wnd) {
    // A window that is (or at start-up is about to be) maximised keeps its normal rectangle.
    if (!g_layout.collapsed || g_general.isSmall || g_general.isMaximized || IsZoomed(wnd) || IsIconic(wnd)) return;
    RECT r;
    GetWindowRect(wnd, &r);
    if (r.bottom - r.top == CollapsedHeight()) return;
    SetWindowPos(wnd, nullptr, 0, 0, r.right - r.left, CollapsedHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void Moving(RECT* r) {
    if (g_moveOffset.x == -1 && g_moveOffset.y == -1) return;
    if (GetKeyState(VK_CONTROL) < 0) return;
    POINT cursor;
    GetCursorPos(&cursor);
    POINT wanted{cursor.x - g_moveOffset.x, cursor.y - g_moveOffset.y};
    SIZE size{r->right - r->left, r->bottom - r->top};
    *r = SnapToWorkArea(wanted, size, WorkAreaOf(*r));
}

static bool OnAnyControl(int x, int y) {
    UiWindow* ui = g_mainFrame.window;
    for (int i = 0; i < ui->controlCount; i++) {
        Control* c = ui->controls[i];
        if (c->visible && c->HitTest(x, y)) return true;
    }
    return false;
}

// Where a right press opens the context menu.
static bool ContextMenuAt(int x, int y) {
    MainFrame& f = g_mainFrame;
    POINT p{x, y};
    if (f.caption->visible && f.caption->HitTest(x, y)) return false;
    if (g_general.isSmall) return x >= f.buttons[0]->x;
    // The seek panel's resize band stays free for the edge.
    RECT band{f.seek->x, f.info->y + f.info->height, f.seek->x + f.seek->width, f.seek->y};
    if (PtInRect(&band, p)) return false;
    int m = g_general.marginBig;
    int beside = f.volume->x - g_general.marginSmall - 43;  // the place of the CPU label
    RECT corner{beside - m, f.caption->y + f.caption->height, f.volume->x, f.volume->y + 19 + m};
    if (PtInRect(&corner, p)) return true;
    return !OnAnyControl(x, y);
}

// Dark Modern: the bands around the panels; other themes: the plain fill the framework made.
static void PaintBackground() {
    UiWindow* ui = g_mainFrame.window;
    if (!g_theme.gradientBackground || !ui->backBuffer.memoryDC || g_general.isSmall) return;
    MainFrame& f = g_mainFrame;
    int W = ui->backBuffer.width;
    int top = f.settings->y + f.settings->height + g_general.marginSmall / 2;
    int bottom = f.info->y + f.info->height + g_general.marginSmall / 2;
    FillGradientV(&ui->backBuffer, RECT{0, top, W, bottom}, ui->backgroundColors[1], ui->backgroundColors[0]);
}

static LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    UiWindow* ui = g_mainFrame.window;
    if (!ui || wnd != ui->hwnd) return DefWindowProcW(wnd, msg, wp, lp);
    // Keys of the main window that the focused control must not see.
    if (IsMainWindowKey(msg, wp)) {
        HandleMainKey(msg, wp);
        return 0;
    }
    if (msg == WM_NCHITTEST && g_general.isSmall && g_mainFrame.caption) {
        // The top and bottom rows of the small window do not size it: a point on
        // the frame above or below the row, right of the caption's start, is
        // taken into the row (our frame is more than one pixel thick).
        RECT client;
        GetClientRect(wnd, &client);
        POINT topLeft{g_mainFrame.caption->x, 0}, bottomRight{client.right, client.bottom};
        ClientToScreen(wnd, &topLeft);
        ClientToScreen(wnd, &bottomRight);
        int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
        if (x >= topLeft.x && x < bottomRight.x) {
            if (y < topLeft.y) lp = MAKELPARAM(x, topLeft.y);
            else if (y >= bottomRight.y) lp = MAKELPARAM(x, bottomRight.y - 1);
        }
    }
    // The framework sees every message first; it may turn a press into a double click.
    Dispatch(ui, &msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        g_moveOffset = POINT{-1, -1};
        g_layout.grabOffset = 0;
        break;
    case WM_COPYDATA: {
        // TRUE tells the new process that its record was taken; a player that
        // has begun closing refuses, and the new process starts in its place.
        const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)lp;
        if (g_shutdownDone || !cds || cds->cbData != sizeof(HandOffRecord) || !cds->lpData) return FALSE;
        HandOffRecord rec;
        memcpy(&rec, cds->lpData, sizeof(rec));
        HandleHandOff(rec);
        return TRUE;
    }
    case WM_QUERYENDSESSION: {
        // The session is ending: no box may hold it up.
        bool quiet = BoxesAreQuiet();
        SetBoxesQuiet(true);
        SaveAllSettings();
        SaveStatistics();
        SetBoxesQuiet(quiet);
        break;
    }
    case WM_CLOSE:
    case WM_DESTROY:
        RunShutdownSequence();
        return 0;
    case WM_ACTIVATE:
        // The window that lost the foreground to us (the foreground window is
        // already this one here); null when Windows does not say.
        if ((LOWORD(wp) == WA_ACTIVE || LOWORD(wp) == WA_CLICKACTIVE) && lp && (HWND)lp != wnd)
            g_foregroundWindow = (HWND)lp;
        break;
    case WM_GETMINMAXINFO:
        MinMaxInfo(wnd, (MINMAXINFO*)lp);
        return 0;
    case WM_DPICHANGED:
        ChangeDpi(wnd, HIWORD(wp), (const RECT*)lp);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCLBUTTONDOWN:
        if (wp == HTCAPTION) {
            RECT r;
            GetWindowRect(wnd, &r);
            g_moveOffset = POINT{GET_X_LPARAM(lp) - r.left, GET_Y_LPARAM(lp) - r.top};
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        if (wp != HTCAPTION) break;
        SendMessageW(wnd, WM_SYSCOMMAND, IsZoomed(wnd) && !g_general.isSmall ? SC_RESTORE : SC_MAXIMIZE, 0);
        return 0;
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
        ToggleSmallMode();
        return 0;
    case WM_SYSCOMMAND:
        if (OnSysCommand(wnd, wp)) return 0;
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (HandleMainKey(msg, wp)) return 0;
        break;
    case WM_COMMAND:
        RunCommand(LOWORD(wp));
        return 0;
    case WM_TIMER:
        if (wp == kTickTimer) TimerWork();
        return 0;
    case WM_MOUSEMOVE:
        if (!SplitterMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) ListDragMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), wp);
        break;
    case WM_LBUTTONDOWN:
        if (!SplitterPress(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) ListDragPress(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        break;
    case WM_LBUTTONUP:
    case WM_EXITSIZEMOVE:
        if (msg == WM_LBUTTONUP) ListDragRelease(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        SplitterRelease();
        g_moveOffset = POINT{-1, -1};
        break;
    case WM_LBUTTONDBLCLK: {
        if (g_general.isSmall) break;
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        RECT split = PanelSplitterRect(), edge = SeekEdgeRect();
        if (PtInRect(&split, p)) {
            g_layout.splitterOffset = 0;
            SetPanelLayout(0);
        } else if (PtInRect(&edge, p)) {
            SetSeekHeight(MaxSeekHeight() < 103 ? MaxSeekHeight() : 103);
            SendMessageW(wnd, WM_SIZE, 0, 0);
        }
        break;
    }
    case WM_RBUTTONDOWN:
        if (ContextMenuAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
            ReleaseCapture();
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(wnd, &p);
            ShowContextMenu(p.x, p.y);
            return 0;
        }
        break;
    case WM_MOUSEWHEEL:
        if (g_general.isSmall) ChangeVolume(GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA);
        return 0;
    case WM_SIZE:
        LayoutMainFrame();
        KeepCollapsedHeight(wnd);
        break;
    case WM_SIZING:
        SnapSizing(wp, (RECT*)lp);
        ui->height = ((RECT*)lp)->bottom - ((RECT*)lp)->top;
        ui->y = ((RECT*)lp)->top;
        LayoutMainFrame();
        break;
    case WM_MOVING:
        Moving((RECT*)lp);
        break;
    case WM_POWERBROADCAST:
        // Standby is not refused: the state is read and the answer left to Windows.
        if (g_general.isSupressStandby && wp == PBT_APMQUERYSUSPEND) (void)GetStatus();
        break;
    case WM_DROPFILES:
        HandleDropFiles((HDROP)wp);
        return 0;
    case WM_HOTKEY:
        RunPlayerCommand((int)wp);
        return 0;
    case WM_USER:
        if (wp == kPaintBackground) {
            LayoutMainFrame();
            PaintBackground();
        }
        break;
    case kMsgNetStream:
        OnNetStreamMessage(wp, lp);
        return 0;
    case WM_APP:
        switch (lp) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            ShowMainWindow(!IsWindowVisible(wnd), true);
            break;
        case WM_RBUTTONDOWN:
            ShellExecuteW(nullptr, L"open", L"taskmgr.exe", nullptr, nullptr, SW_SHOWNORMAL);
            break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            RunPlayerCommand(PlayerPlayPause);
            break;
        }
        return 0;
    case WM_NCDESTROY:
        // Windows destroyed the window (also when someone else called DestroyWindow).
        g_mainWindow = g_mainWindow == wnd ? nullptr : g_mainWindow;
        ui->hwnd = nullptr;
        UnmarkPlayerClosing(wnd);
        SetBoxesQuiet(false);  // the shutdown that made them quiet is over
        return DefWindowProcW(wnd, msg, wp, lp);
    }
    LRESULT result = DefWindowProcW(wnd, msg, wp, lp);
    return AfterDefault(ui, wnd, msg, wp, lp, result);
}

HWND CreateMainWindow() {
    g_shutdownDone = false;
    SetBoxesQuiet(false);
    g_hidden = false;
    g_moveOffset = POINT{-1, -1};
    const wchar_t* title = InstanceTitle().c_str();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ReleaseContextMenu();
    ConvertSizesToDpi(UiDpi());
    g_mainWindow = CreateMainFrame(title, MainWindowProc, g_general.isOnTop ? WS_EX_TOPMOST : 0,
                                   work.right - Scale(kCreateWidth), work.bottom - Scale(kCreateHeight),
                                   Scale(kCreateWidth), Scale(kCreateHeight));
    if (g_mainWindow) SendMessageW(g_mainWindow, WM_SIZE, 0, 0);
    return g_mainWindow;
}
