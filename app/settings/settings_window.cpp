// The settings window itself: creating and destroying it, its window
// procedure, switching pages and placing the controls.
#include "app/settings/settings_window.h"
#include "app/settings/settings_frame.h"
#include "app/general_settings.h"
#include "app/main_frame.h"
#include "app/main_window.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/custom_control.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/slider.h"
#include "ui/sprite_sheet.h"
#include "ui/theme.h"
#include "base/messages.h"
#include <string>

SettingsFrame g_settings;

static SpriteSheet g_icons;
// How deep the window procedure is inside its own messages: a window closed
// from inside them is destroyed by a posted message, once they have returned.
static int g_depth;
static const UINT kMsgFinishClose = WM_APP + 1;
static const int kWidth = 680, kHeight = 637;
// The page list is wider than its 100 pixels of old: its longest names fit beside the icons.
static const int kPageListWidth = 124;
static const int kContentX = 10 + kPageListWidth + 10;  // right of the page list
static const int kGap = 7;

static const wchar_t* const kPageNames[kSettingsPageCount] = {
    L"General", L"Audio", L"Player's Hot Keys", L"Hot Keys Manager", L"Plugins (Input)", L"Scrobbler"};
static const int kPageIcons[kSettingsPageCount] = {IconGeneral,    IconAudio,   IconPlayerKeys,
                                                   IconManager,    IconPlugins, IconScrobbler};

const SpriteSheet* SettingsIcons() { return g_icons.dc ? &g_icons : nullptr; }

HWND SettingsWindowHandle() {
    UiWindow* ui = g_settings.window;
    return ui && !g_settings.closing ? ui->hwnd : nullptr;
}

bool AddPageControl(Control* c, unsigned mask) {
    UiWindow* ui = g_settings.window;
    if (!c) {
        ShowInformation(L"Not enough memory");
        return false;
    }
    if (ui->controlCount >= kMaxSettingsControls || !AddControl(ui, c)) {
        delete c;
        return false;
    }
    g_settings.pageMask[c->index] = (uint8_t)mask;
    return true;
}

bool AddPageControl(ListView* l, unsigned mask) {
    // A list keeps the row height it was made with, not the window font's.
    int rowHeight = l ? l->rowHeight : 0;
    if (!AddPageControl((Control*)l, mask)) return false;
    SetRowHeight(l, rowHeight);
    return true;
}

ListView* NewSettingsList(int w, int h, NotifyProc notify, int iconWidth, const wchar_t* const* titles, int columns) {
    ListView* l = new ListView(0, 0, w, h, notify);
    int first = iconWidth > 0 ? 1 : 0;
    AddColumns(l, first + columns);
    if (first) {
        l->columns[0].type = ColumnIcon;
        l->columns[0].width = iconWidth;
        l->columns[0].resizable = false;
        l->iconSheet = SettingsIcons();
    }
    for (int c = 0; c < columns; c++) SetColumnTitle(l, first + c, titles[c]);
    return l;
}

Button* NewSettingsButton(const wchar_t* text, int w, int h, NotifyProc notify) {
    Button* b = new Button(0, 0, w, h, notify);
    SetButtonText(b, text);
    b->focusState = CanFocus;
    b->tabStop = true;
    return b;
}

void ShowCurrentRow(ListView* l, int row) {
    if (!l || row < 0 || row >= l->rowCount) return;
    bool filling = g_settings.filling;
    g_settings.filling = true;
    SetCurrent(l, row);
    g_settings.filling = filling;
}

// ---- placing the controls ----

static void Place(Control* c, int x, int y, int w, int h) {
    if (c) c->SetBounds(x, y, w, h);
}

static void LayoutSettings() {
    SettingsFrame& s = g_settings;
    UiWindow* ui = s.window;
    if (!ui || !ui->hwnd) return;
    RECT client;
    GetClientRect(ui->hwnd, &client);
    int W = client.right, H = client.bottom;
    int x0 = kContentX, right = W - 10, cw = right - x0 > 200 ? right - x0 : 200;
    int bottom = H - 10;
    int buttonsY = bottom - 23;

    Place(s.caption, 0, 0, W, 19);
    Place(s.pages, 10, 30, kPageListWidth, kSettingsPageCount * 20 + 4);
    Place(s.cpuLabel, 10, bottom - 19, 100, 19);

    // Page 0: the music folder over the option lists; the about box beside them.
    Place(s.musicFolder, x0, 30, cw, 19);
    static const int heights[5] = {141, 73, 73, 90, 124};
    int y = 30 + 19 + kGap;
    for (int i = OptionThemes; i <= OptionMisc; i++) {
        Place(s.options[i], x0, y, 204, heights[i]);
        y += heights[i] + kGap;
    }
    Place(s.marginSmall, x0, y, 90, 20);
    Place(s.marginBig, x0 + 96, y, 108, 20);
    int aboutX = x0 + 204 + 10;
    Place(s.about, aboutX, 30 + 19 + kGap, right - aboutX, bottom - (30 + 19 + kGap));

    // Page 1: the devices, what the one in use can do, then two option lists.
    Place(s.devices, x0, 30, cw, 110);
    Place(s.deviceInfo, x0, 30 + 110 + kGap, cw, 12 * 17 + 17 + 4);
    int optionsY = s.deviceInfo ? s.deviceInfo->y + s.deviceInfo->height + kGap : 400;
    Place(s.options[OptionPlayback], x0, optionsY, 204, 90);
    Place(s.options[OptionVolumeBar], x0 + 204 + 10, optionsY, 204, 90);
    int gainY = optionsY + 90 + kGap;
    Place(s.options[OptionReplayGain], x0, gainY, 204, 73);
    Place(s.gainPreamp, x0 + 204 + 10, gainY, 204, 20);
    Place(s.gainUntagged, x0 + 204 + 10, gainY + 20 + kGap, 204, 20);

    // Pages 2 and 3: the editor list over its three buttons; on page 3 the
    // editor also holds the manager's keys and the layout switcher's row, and
    // the manager's actions and the command line follow under it.
    Place(s.restoreDefaults, x0, buttonsY, 94, 23);
    Place(s.registerAll, x0 + 100, buttonsY, 94, 23);
    Place(s.unregisterAll, x0 + 200, buttonsY, 94, 23);
    if (s.page == PageManager && ManagerControlsShown()) {
        int keysH = 12 * 17 + 17 + 4;
        Place(s.hotKeys, x0, 30, cw, keysH);
        int commandY = buttonsY - kGap - 19;
        int actionsY = 30 + keysH + kGap;
        Place(s.actions, x0, actionsY, cw, commandY - kGap - actionsY);
        int buttonsW = 19 + 4 + 19 + 4 + 46;
        Place(s.command, x0, commandY, cw - buttonsW - 4, 19);
        Place(s.addEntry, right - buttonsW, commandY, 19, 19);
        Place(s.removeEntry, right - buttonsW + 23, commandY, 19, 19);
        Place(s.setCommand, right - 46, commandY, 46, 19);
    } else {
        Place(s.hotKeys, x0, 30, cw, buttonsY - kGap - 30);
    }

    // Pages 4 and 5: one list over its buttons.
    Place(s.plugins, x0, 30, cw, buttonsY - kGap - 30);
    Place(s.reloadPlugins, x0, buttonsY, 110, 23);
    Place(s.stats, x0, 30, cw, buttonsY - kGap - 30);
    Place(s.enableScrobbler, x0, buttonsY, 110, 23);
    Place(s.resetStats, x0 + 116, buttonsY, 110, 23);
}

// ---- pages ----

void ShowSettingsPage(int page) {
    SettingsFrame& s = g_settings;
    UiWindow* ui = s.window;
    if (!ui || page < 0 || page >= kSettingsPageCount) return;
    CancelKeyCapture();  // the armed row may be no longer shown
    s.page = page;
    for (int i = 3; i < ui->controlCount; i++) ui->controls[i]->visible = (s.pageMask[i] >> page) & 1;
    switch (page) {
    case PageAudio: FillDeviceLists(); break;
    case PagePlayerKeys: FillHotKeyEditor(page); break;
    case PageManager:
        FillHotKeyEditor(page);
        FillManagerPage();
        break;
    case PagePlugins: FillPluginList(); break;
    case PageScrobbler: FillStatisticsList(); break;
    }
    if (!ui->hwnd) return;
    SendMessageW(ui->hwnd, WM_SIZE, kSizeRelayout, 0);
    SendMessageW(ui->hwnd, WM_SIZE, kSizeRelayout, 0);
    RepaintAll(ui);
    Present(ui);
}

static LRESULT PagesNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_COMMAND && wp == kListCurrentChanged && !g_settings.filling && g_settings.pages)
        ShowSettingsPage(g_settings.pages->currentRow);
    return 0;
}

void RecolourSettingsWindow(uint32_t previousTheme) {
    UiWindow* ui = g_settings.window;
    if (!ui) return;
    CopyThemeToWindow(ui, previousTheme);
    if (!ui->hwnd) return;
    SendMessageW(ui->hwnd, WM_SIZE, kSizeRelayout, 0);
    RepaintAll(ui);
    Present(ui);
    PaintFrame(ui);
}

// ---- the window ----

static void ShowSettingsButton(bool open) {
    Button* b = g_mainFrame.settings;
    if (!b) return;
    b->toggleState = open ? ToggleDown : ToggleUp;
    if (b->visible && g_mainFrame.window && g_mainFrame.window->hwnd) Redraw(b);
}

static void FreeSettingsFrame() {
    UiWindow* ui = g_settings.window;
    if (!ui) return;
    CancelKeyCapture();
    // Messages of the dying window go straight to DefWindowProcW from here on.
    g_settings = SettingsFrame{};
    Destroy(ui);
    delete ui;
    ShowSettingsButton(false);
}

// A close from inside the window's own messages (its close button, Alt+F4)
// must not free the controls those messages are still using.
static void CloseFromDepth(int ownDepth) {
    UiWindow* ui = g_settings.window;
    if (!ui) return;
    if (g_depth <= ownDepth || !ui->hwnd) {
        FreeSettingsFrame();
        return;
    }
    if (g_settings.closing) return;
    CancelKeyCapture();
    g_settings.closing = true;
    ShowWindow(ui->hwnd, SW_HIDE);
    PostMessageW(ui->hwnd, kMsgFinishClose, 0, 0);
    ShowSettingsButton(false);
}

void CloseSettingsWindow() { CloseFromDepth(0); }

struct DepthGuard {
    DepthGuard() { g_depth++; }
    ~DepthGuard() { g_depth--; }
};

static LRESULT CALLBACK SettingsWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    UiWindow* ui = g_settings.window;
    if (!ui || wnd != ui->hwnd) return DefWindowProcW(wnd, msg, wp, lp);
    if (msg == kMsgFinishClose) {
        if (g_settings.closing) FreeSettingsFrame();
        return 0;
    }
    DepthGuard depth;
    if (CaptureKeyMessage(msg, wp)) return 0;
    Dispatch(ui, &msg, wp, lp);
    switch (msg) {
    case WM_CLOSE:
        CloseFromDepth(1);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        LayoutSettings();
        break;
    case WM_USER:
        if (wp == kPaintBackground) LayoutSettings();
        break;
    case WM_TIMER:
        if (wp == kTickTimer) RefreshCpuLabel();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) CancelKeyCapture();
        break;
    case WM_KILLFOCUS:
        CancelKeyCapture();
        break;
    case WM_SYSCOMMAND:
        // No menu mode: F10 and Alt alone do nothing here.
        if ((wp & 0xFFF0) == SC_KEYMENU) return AfterDefault(ui, wnd, msg, wp, lp, 0);
        break;
    case WM_SYSKEYDOWN:
        if (wp == VK_F10) return AfterDefault(ui, wnd, msg, wp, lp, 0);
        break;
    case WM_NCDESTROY:
        ui->hwnd = nullptr;
        return DefWindowProcW(wnd, msg, wp, lp);
    }
    LRESULT result = DefWindowProcW(wnd, msg, wp, lp);
    return AfterDefault(ui, wnd, msg, wp, lp, result);
}

static void AddPageList() {
    SettingsFrame& s = g_settings;
    const wchar_t* title = L"";
    ListView* l = NewSettingsList(kPageListWidth, kSettingsPageCount * 20 + 4, PagesNotify, 22, &title, 1);
    l->headerHeight = 0;
    l->rowHeight = 20;
    l->solidBar = true;
    l->barWithoutFocus = true;
    for (int p = 0; p < kSettingsPageCount; p++) {
        AddRow(l);
        SetCellValue(l, 0, kPageIcons[p]);
        SetCellText(l, 1, kPageNames[p]);
        SetRowColor(l, -1, g_theme.palette[5]);
        l->rows[p].paletteSlot = 6;
    }
    l->columns[1].width = kPageListWidth - 2 - 22;
    if (AddPageControl(l, 0x3F)) s.pages = l;
}

static void AddControls() {
    SettingsFrame& s = g_settings;
    CaptionBar* caption = new CaptionBar(L"Settings", nullptr);
    caption->showMaximize = false;
    if (HICON icon = (HICON)LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(103), IMAGE_ICON, 16, 16, 0)) {
        caption->icon = icon;
        caption->ownsIcon = true;
    }
    if (AddPageControl(caption, 0x3F)) s.caption = caption;
    AddPageList();
    EditBox* cpu = new EditBox(10, 0, 100, 19, nullptr);
    SetEditText(cpu, L"CPU:");
    cpu->focusState = NoFocus;
    cpu->tabStop = false;
    if (AddPageControl(cpu, 0x3F)) s.cpuLabel = cpu;

    const unsigned general = 1u << PageGeneral, audio = 1u << PageAudio;
    AddAboutBox();
    AddMusicFolderBox();
    AddOptionLists(general, audio);
    AddMarginSliders();
    AddDeviceLists();
    AddGainSliders();
    AddHotKeyEditor();
    AddManagerControls();
    AddPluginPage();
    AddStatisticsPage();
}

bool OpenSettingsWindow() {
    SettingsFrame& s = g_settings;
    if (s.window && s.window->hwnd && !s.closing) {
        ShowWindow(s.window->hwnd, IsIconic(s.window->hwnd) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(s.window->hwnd);
        return true;
    }
    FreeSettingsFrame();  // a close still pending, or a window destroyed from outside
    std::wstring name = g_mainFrame.window ? g_mainFrame.window->className : L"Sonvale";
    name += L" Settings";
    UiWindow* ui = new UiWindow(name.c_str(), kCentre, kCentre, kWidth, kHeight);
    RECT main{};
    if (g_mainWindow && GetWindowRect(g_mainWindow, &main) && ui->width < main.left) ui->x = main.left - kWidth;
    s = SettingsFrame{};
    s.window = ui;
    UnregisterClassW(ui->className, GetModuleHandleW(nullptr));
    DWORD ex = WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | (g_general.isOnTop ? WS_EX_TOPMOST : 0);
    if (!Create(ui, SettingsWindowProc, ex)) {
        FreeSettingsFrame();
        return false;
    }
    ui->minTrackWidth = 560;
    ui->minTrackHeight = 480;
    if (!g_icons.dc) LoadSpriteSheet(&g_icons, 113, 16);
    AddControls();
    // The theme in force, copied by kind; the rows were made in its colours.
    CopyThemeToWindow(ui, g_themeId);
    ShowOptionStates();
    ShowSettingsPage(PageGeneral);
    if (s.pages) SetFocusIndex(ui, s.pages->index, false);
    Show(ui, SW_SHOWNORMAL);
    ShowSettingsButton(true);
    return true;
}

void ToggleSettingsWindow() {
    if (HWND wnd = SettingsWindowHandle()) SendMessageW(wnd, WM_CLOSE, 0, 0);
    else OpenSettingsWindow();
}
