#include "app/osd.h"
#include "ui/ui_window.h"
#include <algorithm>
#include "app/general_settings.h"
#include "app/main_frame.h"
#include "audio/engine.h"
#include "audio/track_display.h"
#include "ui/dpi.h"
#include "ui/draw.h"
#include "ui/font.h"
#include "ui/slider.h"
#include "ui/surface.h"
#include <utility>

// Pixels of this colour are transparent; everything else is opaque.
static const COLORREF kKeyColour = 0x110010;
static const COLORREF kLineColours[3] = {0x46F0AA, 0x0096FF, 0x00CD55};
// Measures in 96-DPI units, scaled where used.
static const int kLineStep = 17;
static const int kMinTextWidth = 150;
static const int kBarWidth = 150, kBarHeight = 14;
static const size_t kMaxLine = 170;
static const wchar_t kClassName[] = L"SonvaleOsd";

struct OsdState {
    HWND hwnd = nullptr;
    Surface buffer{};      // windowDC is the display's own DC, taken once
    FontSpec textFont, barFont;
    int32_t countdown = -1;  // ticks left while shown in mode 1, -1 hidden
    int32_t requests = 0;    // unforced paints asked for since the last one
    int32_t width = 0, height = 0;
};
static OsdState g_osd;

HWND OsdWindow() { return g_osd.hwnd; }
int OsdCountdown() { return g_osd.countdown; }

static void Present() {
    OsdState& o = g_osd;
    if (o.buffer.windowDC && o.buffer.memoryDC && o.width > 0)
        BitBlt(o.buffer.windowDC, 0, 0, o.width, o.height, o.buffer.memoryDC, 0, 0, SRCCOPY);
}

static void Hide() {
    if (g_osd.hwnd) ShowWindow(g_osd.hwnd, SW_HIDE);
}

// The display never takes the mouse or the focus, and repaints what it last composed.
static LRESULT CALLBACK OsdProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (g_osd.buffer.memoryDC && g_osd.width > 0)
            BitBlt(dc, 0, 0, g_osd.width, g_osd.height, g_osd.buffer.memoryDC, 0, 0, SRCCOPY);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool CreateOsd() {
    OsdState& o = g_osd;
    if (o.hwnd) return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = OsdProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    o.hwnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT,
                             kClassName, L"Sonvale_OSD", WS_POPUP, desktop.left, 20, desktop.right - desktop.left, 90,
                             nullptr, nullptr, instance, nullptr);
    if (!o.hwnd) return false;
    SetLayeredWindowAttributes(o.hwnd, kKeyColour, 200, LWA_COLORKEY);
    if (!CreateSurface(&o.buffer, o.hwnd, 200, 68)) {
        DestroyOsd();
        return false;
    }
    o.textFont.inheritsWindowFont = false;
    o.textFont.faceName.Set(L"Arial");
    SetFont(&o.textFont, 17, FW_BOLD, RUSSIAN_CHARSET);
    o.barFont.inheritsWindowFont = false;
    o.barFont.faceName.Set(L"Lucida Console");
    SetFont(&o.barFont, 10, 0, DEFAULT_CHARSET);
    o.countdown = -1;
    o.requests = 0;
    o.width = o.height = 0;
    return true;
}

void DestroyOsd() {
    OsdState& o = g_osd;
    ReleaseSurface(&o.buffer);  // gives the window's DC back while the window exists
    if (o.hwnd) DestroyWindow(o.hwnd);
    o.hwnd = nullptr;
    ReleaseFont(&o.textFont);
    ReleaseFont(&o.barFont);
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
    o.countdown = -1;
}

void OsdLines(std::wstring lines[3]) {
    const ShownTrackText& t = ShownTrack();
    lines[0] = t.title;
    lines[1] = t.artist;
    lines[2] = t.album;
    if (lines[0].empty()) {
        const std::wstring& path = currentPath.text;
        size_t slash = path.rfind(L'\\');
        lines[0] = slash == std::wstring::npos ? path : path.substr(slash + 1);
    }
    for (int i = 0; i < 3; i++)
        if (lines[i].size() > kMaxLine) lines[i].resize(kMaxLine);
}

// The main window's seek bar, drawn as a plain value bar into our buffer; the
// main window gets it back exactly as it was.
static void DrawBar(int x, int y) {
    Slider* seek = g_mainFrame.seek;
    if (!seek) return;
    OsdState& o = g_osd;
    Surface savedSurface = seek->surface;
    int sx = seek->x, sy = seek->y, sw = seek->width, sh = seek->height;
    bool visible = seek->visible, ownerDrawn = seek->notifyGeometry;
    NotifyProc notify = seek->notify;

    Surface borrowed{};
    BorrowSurface(&borrowed, &o.buffer);
    seek->surface = borrowed;
    std::swap(seek->font, o.barFont);
    seek->x = x;
    seek->y = y;
    seek->width = Scale(kBarWidth);
    seek->height = Scale(kBarHeight);
    seek->visible = true;
    seek->notifyGeometry = false;
    seek->notify = nullptr;
    seek->Paint();

    seek->surface = savedSurface;
    std::swap(seek->font, o.barFont);
    seek->x = sx;
    seek->y = sy;
    seek->width = sw;
    seek->height = sh;
    seek->visible = visible;
    seek->notifyGeometry = ownerDrawn;
    seek->notify = notify;
}

void PaintOsd(bool force) {
    OsdState& o = g_osd;
    if (!o.hwnd || !o.buffer.memoryDC) return;
    if (!force && ++o.requests < 10) return;
    o.requests = 0;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    std::wstring lines[3];
    OsdLines(lines);

    HDC dc = o.buffer.memoryDC;
    HGDIOBJ oldFont = SelectObject(dc, o.textFont.handle);
    int widest = 0;
    for (const std::wstring& line : lines) {
        SIZE size{};
        if (!line.empty() && GetTextExtentPoint32W(dc, line.c_str(), (int)line.size(), &size) && size.cx > widest)
            widest = size.cx;
    }
    // The fonts follow a DPI change of the main window.
    if (o.textFont.height != Scale(o.textFont.baseHeight)) {
        SelectObject(dc, oldFont);
        RescaleFont(&o.textFont);
        RescaleFont(&o.barFont);
        oldFont = SelectObject(dc, o.textFont.handle);
        widest = 0;
        for (const std::wstring& line : lines) {
            SIZE size{};
            if (!line.empty() && GetTextExtentPoint32W(dc, line.c_str(), (int)line.size(), &size) && size.cx > widest)
                widest = size.cx;
        }
    }
    int step = Scale(kLineStep), minText = Scale(kMinTextWidth), right = Scale(20), shadow = Scale(1);
    int W = (widest > minText ? widest : minText) + Scale(21);
    int barTop = 3 * step + Scale(3) - (lines[1].empty() ? step : 0) - (lines[2].empty() ? step : 0);
    int H = barTop + Scale(kBarHeight);
    if (!ResizeSurface(&o.buffer, W, H)) {
        SelectObject(dc, oldFont);
        return;
    }
    FillSolid(&o.buffer, RECT{0, 0, W, H}, kKeyColour);
    SetTextAlign(dc, TA_RIGHT | TA_TOP);
    // The title keeps the first row even when empty; the others close up.
    int y = 0;
    for (int i = 0; i < 3; i++) {
        if (i > 0 && lines[i].empty()) continue;
        const wchar_t* text = lines[i].c_str();
        int n = (int)lines[i].size();
        SetTextColor(dc, RGB(0, 0, 0));
        for (POINT d : {POINT{-1, -1}, POINT{1, -1}, POINT{-1, 1}, POINT{1, 1}})
            TextOutW(dc, W - right + d.x * shadow, y + d.y * shadow, text, n);
        SetTextColor(dc, kLineColours[i]);
        TextOutW(dc, W - right, y, text, n);
        y += step;
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SelectObject(dc, oldFont);
    DrawBar(W - Scale(kBarWidth), barTop);
    o.width = W;
    o.height = H;

    RECT r{};
    GetWindowRect(o.hwnd, &r);
    if (r.right - r.left != W || r.bottom - r.top != H)
        SetWindowPos(o.hwnd, nullptr, work.right - W - Scale(10), Scale(20), W, H, SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    Present();
}

void ShowOsd(int countdown) {
    OsdState& o = g_osd;
    if (!o.hwnd) return;
    o.countdown = countdown;
    // Composed and placed before it appears, so it never shows at its old size.
    PaintOsd(true);
    ShowWindow(o.hwnd, SW_SHOWNOACTIVATE);
    Present();
}

static void ShowPermanently() {
    PaintOsd(true);
    SetWindowPos(g_osd.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Present();
}

void OsdTick() {
    OsdState& o = g_osd;
    if (!o.hwnd) return;
    switch (g_general.OSDView) {
    case 0:
        if (IsWindowVisible(o.hwnd)) PaintOsd(false);
        else ShowPermanently();
        break;
    case 1:
        if (o.countdown > 0) {
            o.countdown = std::max(0, o.countdown - TickSteps());
            PaintOsd(false);
        } else if (o.countdown == 0) {
            o.countdown = -1;
            Hide();
        }
        break;
    }
}

void ToggleOsd() {
    OsdState& o = g_osd;
    if (!o.hwnd) return;
    uint32_t& mode = g_general.OSDView;
    if (mode == 0 || (mode == 1 && o.countdown > 0)) {
        mode = 1;
        o.countdown = -1;
        Hide();
    } else if (mode == 1 || mode == 2) {
        mode = 0;
        ShowPermanently();
    } else {
        Hide();
    }
}

void SetOsdMode(unsigned mode) {
    g_general.OSDView = mode;
    if (!g_osd.hwnd) return;
    if (mode == 0) {
        ShowPermanently();
    } else {
        g_osd.countdown = -1;
        Hide();
    }
}

void RepaintShownOsd() {
    if (g_osd.hwnd && IsWindowVisible(g_osd.hwnd)) PaintOsd(true);
}
