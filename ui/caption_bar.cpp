#include "ui/caption_bar.h"
#include "ui/draw.h"
#include "ui/dpi.h"

static void SetupButton(Button* b, const wchar_t* glyph, int fontHeight) {
    b->faceStyle = FaceRaised;
    b->font.inheritsWindowFont = false;
    b->font.faceName.Set(L"Marlett");
    SetFont(&b->font, fontHeight, 0, SYMBOL_CHARSET);
    SetButtonText(b, glyph);
    b->minWidth = 4;
    b->minHeight = 4;
    b->SetBounds(kKeep, kKeep, Scale(16), Scale(14));
}

CaptionBar::CaptionBar(const wchar_t* text, NotifyProc notify)
    : Control(KindCaptionBar),
      minimizeButton(0, 0, 16, 14, nullptr),
      maximizeButton(0, 0, 16, 14, nullptr),
      closeButton(0, 0, 16, 14, nullptr),
      menuButton(0, 0, 16, 14, nullptr) {
    this->notify = notify;
    lstrcpynW(title, text ? text : L"", 260);
    minWidth = Scale(53);
    minHeight = Scale(19);
    font.inheritsWindowFont = false;
    font.faceName.Set(L"Tahoma");
    SetFont(&font, 13, 800, RUSSIAN_CHARSET);
    icon = LoadIconW(nullptr, IDI_WINLOGO);
    SetupButton(&minimizeButton, L"0", 10);
    SetupButton(&maximizeButton, L"1", 10);
    SetupButton(&closeButton, L"r", 10);
    SetupButton(&menuButton, L"", 12);
    Control::SetBounds(0, 0, Scale(53), Scale(19));
    Layout();
}

CaptionBar::~CaptionBar() {
    if (ownsIcon && icon) DestroyIcon(icon);
}

void CaptionBar::Layout() {
    // The buttons follow the toolkit's DPI, also after it changed.
    int bw = Scale(16), bh = Scale(14), gap = Scale(2);
    if (font.height != Scale(font.baseHeight)) {
        RescaleFont(&font);
        for (Button* b : {&minimizeButton, &maximizeButton, &closeButton, &menuButton}) RescaleFont(&b->font);
    }
    int by = y + gap;
    int closeX = x + width - bw - gap;
    int maxX = closeX - gap - bw;
    int minX = showMaximize ? maxX - bw : maxX + 1;
    closeButton.SetBounds(closeX, by, bw, bh);
    maximizeButton.SetBounds(maxX, by, bw, bh);
    minimizeButton.SetBounds(minX, by, bw, bh);
    menuButton.SetBounds(x + gap, by, bw, bh);
    closeButton.visible = visible && showClose;
    maximizeButton.visible = visible && showMaximize;
    minimizeButton.visible = visible && showMinimize;
    menuButton.visible = visible && showMenu && iconIsButton;
}

bool CaptionBar::SetBounds(int nx, int ny, int nw, int nh) {
    bool changed = Control::SetBounds(nx, ny, nw, nh);
    Layout();
    return changed;
}

void CaptionBar::AttachSurface(const Surface* window) {
    Control::AttachSurface(window);
    minimizeButton.AttachSurface(window);
    maximizeButton.AttachSurface(window);
    closeButton.AttachSurface(window);
    menuButton.AttachSurface(window);
}

void CaptionBar::ClampPoint(int* px, int* py) const {
    int middle = closeButton.y + closeButton.height / 2;
    if (*py < middle) *py = middle;
    if (*px < menuButton.x) *px = menuButton.x;
    if (*px > closeButton.x) *px = closeButton.x;
}

bool CaptionBar::OnAnyButton(int px, int py) {
    // The icon's place counts as a button: pressing it opens the system menu.
    return (showClose && closeButton.HitTest(px, py)) || (showMaximize && maximizeButton.HitTest(px, py)) ||
           (showMinimize && minimizeButton.HitTest(px, py)) || (showMenu && menuButton.HitTest(px, py));
}

void CaptionBar::SetMaximized(bool on) {
    maximized = on;
    SetButtonText(&maximizeButton, on ? L"2" : L"1");
}

int CaptionBar::OnMouse(UINT msg, WPARAM wp, LPARAM pos) {
    int px = PointX(pos), py = PointY(pos);
    switch (msg) {
    case WM_NCHITTEST:
        return HitTest(px, py) && !OnAnyButton(px, py) ? 1 : 0;
    case WM_LBUTTONDOWN: {
        if (!HitTest(px, py)) return 0;
        ClampPoint(&px, &py);
        LPARAM p = PackPoint(px, py);
        held = true;
        if ((showClose && closeButton.OnMouse(msg, wp, p)) || (showMaximize && maximizeButton.OnMouse(msg, wp, p)) ||
            (showMinimize && minimizeButton.OnMouse(msg, wp, p)))
            return 1;
        if (iconIsButton) {
            if (showMenu) menuButton.OnMouse(msg, wp, p);
        } else if (showMenu && menuButton.HitTest(px, py)) {
            held = false;
            return SC_MOUSEMENU;
        }
        return 1;
    }
    case WM_LBUTTONUP: {
        if (!held) return 0;
        held = false;
        ClampPoint(&px, &py);
        LPARAM p = PackPoint(px, py);
        // Every button hears the release so that none stays pressed.
        int menu = iconIsButton && showMenu ? menuButton.OnMouse(msg, wp, p) : 0;
        int close = showClose ? closeButton.OnMouse(msg, wp, p) : 0;
        int minimize = showMinimize ? minimizeButton.OnMouse(msg, wp, p) : 0;
        int maximize = showMaximize ? maximizeButton.OnMouse(msg, wp, p) : 0;
        if (menu) return kCaptionMenuCommand;
        if (close) return SC_CLOSE;
        if (minimize) return SC_MINIMIZE;
        if (maximize) {
            int command = maximized ? SC_RESTORE : SC_MAXIMIZE;
            SetMaximized(!maximized);
            return command;
        }
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        return !iconIsButton && showMenu && menuButton.HitTest(px, py) ? 1 : 0;
    case WM_MOUSEMOVE: {
        if (!held || !(wp & MK_LBUTTON)) return 0;
        ClampPoint(&px, &py);
        LPARAM p = PackPoint(px, py);
        Button* order[4] = {&menuButton, &closeButton, &maximizeButton, &minimizeButton};
        for (Button* b : order) {
            bool before = b->pressed;
            if (b->visible) b->OnMouse(msg, wp, p);
            if (b->pressed != before) return 0;
        }
        return 1;
    }
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        if (HitTest(px, py)) rightPressed = true;
        return 0;
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP: {
        bool open = rightPressed && HitTest(px, py) && !OnAnyButton(px, py);
        rightPressed = false;
        return open ? 1 : 0;
    }
    }
    return 0;
}

bool CaptionBar::OnTimer() {
    minimizeButton.OnTimer();
    maximizeButton.OnTimer();
    closeButton.OnTimer();
    return true;
}

bool CaptionBar::Paint() {
    if (!visible || !surface.memoryDC) return false;
    Layout();
    BeginDraw(this);
    Surface* s = &surface;
    int h = height, w = width;
    COLORREF a = active ? colors[1] : colors[7], b = active ? colors[2] : colors[8];
    RECT body{0, 0, w, h - 1};
    if (gradientStyle == 1) FillGradientH(s, body, a, b);
    else FillGradientV(s, body, a, b);
    LineH(s, 0, h - 1, w, colors[4]);

    int titleX = Scale(2 + 16 + 4);
    int titleY = h / 2 - font.height / 2 - 1;
    int right = (showMinimize ? minimizeButton.x : showMaximize ? maximizeButton.x : closeButton.x) - x - 2;
    RECT clip{titleX, 0, right > titleX ? right : titleX, h - 1};
    int length = (int)wcsnlen(title, 1000);
    UINT align = TA_LEFT | TA_TOP;
    if (titleAlignment == 6) {
        align = TA_CENTER | TA_TOP;
        titleX = w / 2;
        clip.left = Scale(2 + 16 + 2);
    }
    SetTextAlign(s->memoryDC, align);
    if (titleEffect == 1) {
        SetTextColor(s->memoryDC, colors[9]);
        const int dx[4] = {-1, 1, 0, 0}, dy[4] = {0, 0, -1, 1};
        for (int i = 0; i < 4; i++) TextOut(s, title, length, titleX + dx[i], titleY + dy[i], &clip);
    } else if (titleEffect == 2) {
        SetTextColor(s->memoryDC, RGB(0, 0, 0));
        TextOut(s, title, length, titleX + 1, titleY + 1, &clip);
    }
    SetTextColor(s->memoryDC, active ? colors[0] : colors[6]);
    TextOut(s, title, length, titleX, titleY, &clip);
    SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
    if (!iconIsButton && icon) DrawIconEx(s->memoryDC, Scale(2), Scale(1), icon, Scale(16), Scale(16), 0, nullptr, DI_NORMAL);
    EndDraw(this);
    if (iconIsButton && menuButton.visible) menuButton.Paint();
    if (closeButton.visible) closeButton.Paint();
    if (minimizeButton.visible) minimizeButton.Paint();
    if (maximizeButton.visible) maximizeButton.Paint();
    return true;
}
