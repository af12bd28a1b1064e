#include "app/main_layout.h"
#include "app/general_settings.h"
#include "app/main_frame.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/custom_control.h"
#include "ui/dpi.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/slider.h"
#include "ui/theme.h"

LayoutState g_layout;

// Measures in 96-DPI units; every use goes through Scale.
static const int kMinSeekHeight = 45;
static const int kHidePanelWidth = 40;  // a panel dragged narrower than this is hidden
static const int kRowHeight = 19;        // the button row
static const int kInfoHeight = 92;
static const int kStatusHeight = 53;
static const int kSmallRow = 18;

void ResetLayoutState() {
    g_layout = LayoutState{};
    int h = g_general.isMaximized ? g_general.pSeekHeightMaximized : g_general.pSeekHeight;
    g_layout.seekHeight = h < Scale(kMinSeekHeight) ? Scale(kMinSeekHeight) : h;
}

bool FileListOnLeft() { return !g_general.isSwapPanels; }

// The Dark Modern bands above and below the panels.
static int BandExtra() { return g_theme.gradientBackground ? Scale(g_general.marginBig + 1) : 0; }

static void ClientSize(int* w, int* h) {
    UiWindow* ui = g_mainFrame.window;
    // From the framework's rectangle, which follows a live resize before Windows
    // moves the client area.
    *w = ui->width - ui->frameInsets[0] - ui->frameInsets[2];
    *h = ui->height - ui->frameInsets[1] - ui->frameInsets[3];
}

int CollapseThreshold() {
    int m = Scale(g_general.marginBig), s = Scale(g_general.marginSmall), g = 2 * BandExtra();
    if (g_general.isSeekGraphical) return (m + Scale(45)) * 5 + s + g_layout.seekHeight + g;
    return (m + Scale(49)) * 5 + s + g;
}

int CollapsedHeight() {
    int m = Scale(g_general.marginBig), g = 2 * BandExtra();
    if (g_general.isSeekGraphical) return 4 * m + Scale(130) + g_layout.seekHeight + g;
    return 4 * m + Scale(150) + g;
}

int SmallWindowHeight() {
    UiWindow* ui = g_mainFrame.window;
    return Scale(kSmallRow) + (ui ? ui->frameInsets[1] + ui->frameInsets[3] : 0);
}

// Geometry shared by the layout, the splitters and the hit tests.
struct Frame {
    int W, H, m, s, g;
    int rowY;         // the button row
    int volumeX;
    int panelsTop, panelsBottom, panelsLeft, panelsRight;
    int infoTop, infoBottom;
    int seekTop, bottom;
};

static Frame Measure() {
    Frame f{};
    ClientSize(&f.W, &f.H);
    f.m = Scale(g_general.marginBig);
    f.s = Scale(g_general.marginSmall);
    f.g = BandExtra();
    int captionHeight = g_mainFrame.caption ? g_mainFrame.caption->height : Scale(19);
    f.rowY = captionHeight + f.s;
    f.volumeX = f.W - Scale(20) - f.m;
    f.bottom = f.H - f.m - f.g;
    int seekHeight = g_general.isSeekGraphical ? g_layout.seekHeight : Scale(20);
    if (g_layout.collapsed) {
        f.infoTop = f.rowY + Scale(kRowHeight) + f.m + f.g;
        f.infoBottom = f.infoTop + Scale(kInfoHeight);
        f.seekTop = f.infoBottom + f.s;
        f.bottom = f.seekTop + seekHeight;
    } else {
        f.seekTop = f.bottom - seekHeight;
        f.infoBottom = f.seekTop - f.s;
        f.infoTop = f.infoBottom - Scale(kInfoHeight);
    }
    f.panelsTop = f.rowY + Scale(kRowHeight) + f.s + f.g;
    f.panelsBottom = f.infoTop - f.s;
    f.panelsLeft = f.m;
    f.panelsRight = f.volumeX - f.s;
    return f;
}

// The splitter's left edge when both panels are shown.
static int SplitterX(const Frame& f) {
    int centre = f.panelsLeft + (f.panelsRight - f.panelsLeft) / 2 + g_layout.splitterOffset;
    int x = centre - f.s / 2;
    if (x < f.panelsLeft) x = f.panelsLeft;
    if (x > f.panelsRight - f.s) x = f.panelsRight - f.s;
    return x;
}

static void Place(Control* c, bool shown, int x, int y, int w, int h) {
    c->visible = shown;
    if (shown) c->SetBounds(x, y, w, h);
}

// One panel: the file list under its path bar, or the playlist over its status line.
static void PlacePanel(bool fileList, bool shown, int left, int right, const Frame& f) {
    MainFrame& mf = g_mainFrame;
    int w = right - left;
    if (fileList) {
        Place(mf.pathBar, shown, left, f.panelsTop, w, Scale(kRowHeight));
        Place(mf.fileList, shown, left, f.panelsTop + Scale(kRowHeight) + f.s, w,
              f.panelsBottom - (f.panelsTop + Scale(kRowHeight) + f.s));
    } else {
        int statusTop = f.panelsBottom - Scale(kStatusHeight);
        Place(mf.playList, shown, left, f.panelsTop, w, statusTop - f.s - f.panelsTop);
        Place(mf.statusLine, shown, left, statusTop, w, Scale(kStatusHeight));
    }
}

static void LayoutSmall() {
    MainFrame& mf = g_mainFrame;
    int W, H;
    ClientSize(&W, &H);
    for (Control* c : {(Control*)mf.shuffle, (Control*)mf.loop, (Control*)mf.settings, (Control*)mf.cpuLabel,
                       (Control*)mf.pathBar, (Control*)mf.info, (Control*)mf.fileList, (Control*)mf.playList,
                       (Control*)mf.statusLine, (Control*)mf.timeDisplay})
        c->visible = false;
    mf.volume->orientation = 1;
    int row = Scale(kSmallRow), volumeW = Scale(40), seekW = Scale(150), spectrumW = Scale(40);
    Place(mf.volume, true, 0, 0, volumeW, row);
    for (int i = 0; i < 4; i++) Place(mf.buttons[i], true, volumeW + i * row, 0, row, row);
    int seekX = volumeW + 4 * row - 1;
    Place(mf.seek, true, seekX, 0, seekW, row);
    int captionX = seekX + seekW;
    bool spectrum = g_general.isSpectrum != 0;
    Place(mf.spectrum, spectrum, seekX + seekW - 1, 0, spectrumW, row);
    if (spectrum) captionX = seekX + seekW - 1 + spectrumW;
    mf.caption->minHeight = Scale(kSmallRow);
    mf.caption->minWidth = 1;
    Place(mf.caption, true, captionX, 0, W > captionX ? W - captionX : 1, Scale(kSmallRow));
}

void FitInfoColumns() {
    ListView* info = g_mainFrame.info;
    if (!info || info->columnCount < 2) return;
    // The format column is as wide as its longest text (at least 64, at most
    // half the panel); the tags take the rest.
    int widest = 0;
    for (int r = 0; r < info->rowCount; r++)
        if (info->rows[r].cells[1].textWidth > widest) widest = info->rows[r].cells[1].textWidth;
    int room = info->width - 2;
    int second = widest + 2 * info->cellIndent + Scale(4);
    if (second > room / 2) second = room / 2;
    if (second < Scale(64)) second = Scale(64);
    int first = room - second;
    info->columns[0].width = first > 0 ? first : 0;
    info->columns[1].width = second;
}

void LayoutMainFrame() {
    MainFrame& mf = g_mainFrame;
    UiWindow* ui = mf.window;
    if (!ui || !ui->hwnd || !mf.spectrum) return;
    if (g_general.isSmall) {
        g_layout.collapsed = false;
        LayoutSmall();
        return;
    }
    int W, H;
    ClientSize(&W, &H);
    mf.caption->minHeight = Scale(19);
    mf.caption->minWidth = Scale(53);
    Place(mf.caption, true, 0, 0, W, Scale(19));
    g_layout.collapsed = H <= CollapseThreshold();
    Frame f = Measure();
    int m = f.m, s = f.s;

    int row = Scale(kRowHeight);
    Place(mf.settings, true, m, f.rowY, Scale(54), row);
    Place(mf.shuffle, true, m + Scale(54) + m, f.rowY, Scale(50), row);
    Place(mf.loop, true, mf.shuffle->x + Scale(50) + (s + 1) / 2, f.rowY, Scale(20), row);
    Place(mf.cpuLabel, g_general.isCPUUsage != 0, f.volumeX - s - Scale(43), f.rowY, Scale(43), row);

    mf.volume->orientation = 0;
    Place(mf.volume, true, f.volumeX, f.rowY, Scale(20), f.infoBottom - f.rowY);

    // The two list panels.
    bool lists = !g_layout.collapsed;
    int lcr = g_general.LCR;
    bool leftShown = lists && lcr != 1, rightShown = lists && lcr != 2;
    int split = SplitterX(f);
    int leftEnd = rightShown ? split : f.panelsRight;
    int rightStart = leftShown ? split + s : f.panelsLeft;
    bool fileLeft = FileListOnLeft();
    PlacePanel(fileLeft, leftShown, f.panelsLeft, leftEnd, f);
    PlacePanel(!fileLeft, rightShown, rightStart, f.panelsRight, f);

    // Info panel and spectrum.
    bool spectrum = g_general.isSpectrum != 0;
    int spectrumX = f.panelsRight - Scale(108);
    Place(mf.spectrum, spectrum, spectrumX, f.infoTop, Scale(108), Scale(kInfoHeight));
    int infoRight = spectrum ? spectrumX - s : f.panelsRight;
    Place(mf.info, true, m, f.infoTop, infoRight - m, Scale(kInfoHeight));
    FitInfoColumns();

    // Seek panel, glyph buttons and time display.
    if (g_general.isSeekGraphical) {
        int b = Scale(20), step = Scale(22);
        int blockTop = f.bottom - Scale(44);
        Place(mf.buttons[0], true, m, blockTop, b, b);
        Place(mf.buttons[3], true, m + step, blockTop, b, b);
        Place(mf.buttons[1], true, m, blockTop + Scale(24), b, b);
        Place(mf.buttons[2], true, m + step, blockTop + Scale(24), b, b);
        int blockRight = m + Scale(42);
        int available = W - 2 * m + 2 - blockRight;
        int seekWidth = available / 4 * 4 - 2;
        Place(mf.seek, true, W - m - seekWidth, f.seekTop, seekWidth, g_layout.seekHeight);
        Place(mf.timeDisplay, g_layout.seekHeight >= m + Scale(94), m, f.infoBottom + s, Scale(42), Scale(50));
    } else {
        int b = Scale(20), step = Scale(22);
        for (int i = 0; i < 4; i++) Place(mf.buttons[i], true, m + i * step, f.seekTop, b, b);
        int seekX = m + 3 * step + b + m;
        Place(mf.seek, true, seekX, f.seekTop, W - m - seekX, b);
        mf.timeDisplay->visible = false;
    }
}

int MaxSeekHeight() {
    if (!g_mainFrame.window) return Scale(kMinSeekHeight);
    int W, H;
    ClientSize(&W, &H);
    int m = Scale(g_general.marginBig), s = Scale(g_general.marginSmall), g = 2 * BandExtra();
    int fits;
    if (g_layout.collapsed) {
        Frame f = Measure();
        fits = H - m - BandExtra() - (f.rowY + Scale(kRowHeight) + m + BandExtra() + Scale(kInfoHeight) + s);
    } else {
        fits = H - 1 - ((m + Scale(45)) * 5 + s + g);
    }
    return fits < Scale(kMinSeekHeight) ? Scale(kMinSeekHeight) : fits;
}

void SetSeekHeight(int height) {
    g_layout.seekHeight = height < Scale(kMinSeekHeight) ? Scale(kMinSeekHeight) : height;
    if (g_general.isMaximized) g_general.pSeekHeightMaximized = g_layout.seekHeight;
    else g_general.pSeekHeight = g_layout.seekHeight;
}

static void Relayout() {
    UiWindow* ui = g_mainFrame.window;
    if (!ui || !ui->hwnd) return;
    LayoutMainFrame();
    RepaintAll(ui);
    InvalidateRect(ui->hwnd, nullptr, FALSE);
}

void SetPanelLayout(int lcr) {
    g_general.LCR = lcr < 0 || lcr > 2 ? 0 : lcr;
    Relayout();
}

void ToggleSmallMode() {
    UiWindow* ui = g_mainFrame.window;
    if (!ui || !ui->hwnd) return;
    HWND wnd = ui->hwnd;
    RECT r;
    if (!g_general.isSmall) {
        if (IsZoomed(wnd)) SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        GetWindowRect(wnd, &r);
        g_general.xPos = r.left;
        g_general.yPos = r.top;
        g_general.Width = r.right - r.left;
        g_general.Height = r.bottom - r.top;
        g_general.isSmall = 1;
        int w = r.right - r.left < Scale(248) ? Scale(248) : r.right - r.left;
        SetWindowPos(wnd, nullptr, r.left, r.top, w, SmallWindowHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        g_general.isSmall = 0;
        GetWindowRect(wnd, &r);
        int w = g_general.Width > 0 ? g_general.Width : Scale(426);
        int h = g_general.Height > 0 ? g_general.Height : Scale(566);
        SetWindowPos(wnd, nullptr, r.left, r.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SyncRect(ui);
    Relayout();
}

RECT PanelSplitterRect() {
    RECT none{0, 0, 0, 0};
    if (!g_mainFrame.window || g_general.isSmall || g_layout.collapsed) return none;
    Frame f = Measure();
    int x;
    if (g_general.LCR == 1) x = f.panelsLeft - f.s;
    else if (g_general.LCR == 2) x = f.panelsRight;
    else x = SplitterX(f);
    if (x < 0) x = 0;
    return RECT{x, f.panelsTop, x + f.s, f.panelsBottom};
}

RECT SeekEdgeRect() {
    RECT none{0, 0, 0, 0};
    if (!g_mainFrame.window || g_general.isSmall || !g_general.isSeekGraphical) return none;
    Frame f = Measure();
    Slider* seek = g_mainFrame.seek;
    return RECT{seek->x, f.infoBottom, seek->x + seek->width, f.seekTop};
}

bool SplitterPress(int x, int y) {
    POINT p{x, y};
    RECT split = PanelSplitterRect(), edge = SeekEdgeRect();
    if (PtInRect(&split, p)) {
        g_layout.dragMode = DragSplitter;
        g_layout.grabOffset = x - split.left;
        return true;
    }
    if (PtInRect(&edge, p)) {
        g_layout.dragMode = DragSeekEdge;
        g_layout.grabOffset = y - edge.bottom;
        return true;
    }
    return false;
}

bool SplitterMove(int x, int y) {
    POINT p{x, y};
    if (g_layout.dragMode == DragNone) {
        RECT split = PanelSplitterRect(), edge = SeekEdgeRect();
        if (PtInRect(&split, p)) SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        else if (PtInRect(&edge, p)) SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
        else return false;
        return true;
    }
    Frame f = Measure();
    if (g_layout.dragMode == DragSplitter) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        int left = x - g_layout.grabOffset;  // the splitter's wanted left edge
        int lcr = 0;
        if (left < f.panelsLeft + Scale(kHidePanelWidth)) lcr = 1;
        else if (left + f.s > f.panelsRight - Scale(kHidePanelWidth)) lcr = 2;
        if (lcr == 0) g_layout.splitterOffset = left + f.s / 2 - (f.panelsLeft + (f.panelsRight - f.panelsLeft) / 2);
        if (lcr != 0 && g_general.LCR == 0) g_layout.grabOffset = 0;
        SetPanelLayout(lcr);
    } else {
        SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
        int top = y - g_layout.grabOffset;
        int h = f.bottom - top;
        int most = MaxSeekHeight();
        if (h > most) h = most;
        if (h < Scale(kMinSeekHeight)) h = Scale(kMinSeekHeight);
        if (h != g_layout.seekHeight) {
            SetSeekHeight(h);
            Relayout();
        }
    }
    return true;
}

bool SplitterRelease() {
    bool was = g_layout.dragMode != DragNone;
    g_layout.dragMode = DragNone;
    return was;
}
