#include "app/main_frame.h"
#include "app/general_settings.h"
#include "app/main_layout.h"
#include "app/main_view.h"
#include "library/file_browser.h"
#include "library/playlist.h"
#include "ui/dpi.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/custom_control.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/slider.h"
#include "ui/sprite_sheet.h"
#include "ui/theme.h"

MainFrame g_mainFrame;
static SpriteSheet g_glyphs;

static const int kGlyphCells[4] = {GlyphPrevious, GlyphPlay, GlyphStop, GlyphNext};

// The information panel's six rows fill its 92 pixels at 96 DPI (90 inside the
// border); rounding each row up instead would overflow the panel at 144.
static int InfoRowHeight() { return (Scale(92) - 2) / 6; }

static Button* AddCheckButton(UiWindow* ui, const wchar_t* text, int w, bool on) {
    Button* b = new Button(0, 0, w, 19, MainButtonNotify);
    SetButtonText(b, text);
    b->toggleState = on ? ToggleDown : ToggleUp;
    AddControl(ui, b);
    return b;
}

static ListView* AddList(UiWindow* ui, int w, int h, NotifyProc notify) {
    ListView* l = new ListView(0, 0, w, h, notify);
    AddControl(ui, l);
    return l;
}

// A list of fixed rows without a header: the info panel and the time display.
static void FixedRows(ListView* l, int columns, int rows) {
    l->headerHeight = 0;
    AddColumns(l, columns);
    for (int i = 0; i < rows; i++) AddRow(l);
}

HWND CreateMainFrame(const wchar_t* title, WNDPROC proc, DWORD exStyle, int x, int y, int w, int h) {
    ReleaseMainFrame();
    UiWindow* ui = new UiWindow(title, x, y, w, h);
    MainFrame& f = g_mainFrame;
    f.window = ui;
    // A window of an earlier run of this process may have left its class behind.
    UnregisterClassW(title, GetModuleHandleW(nullptr));
    if (!Create(ui, proc, exStyle)) {
        ReleaseMainFrame();
        return nullptr;
    }
    f.caption = new CaptionBar(title, nullptr);
    if (HICON icon = (HICON)LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(103), IMAGE_ICON, Scale(16), Scale(16), 0)) {
        f.caption->icon = icon;
        f.caption->ownsIcon = true;
    }
    AddControl(ui, f.caption);
    f.shuffle = AddCheckButton(ui, L"Shuffle", 50, g_general.isShuffle);
    f.loop = AddCheckButton(ui, L"\x221E", 20, g_general.isLoop);
    f.settings = AddCheckButton(ui, L"Settings", 54, false);

    f.cpuLabel = new EditBox(0, 0, 43, 19, nullptr);
    f.cpuLabel->focusState = NoFocus;
    f.cpuLabel->tabStop = false;
    f.cpuLabel->cursorId = 32512;
    f.cpuLabel->visible = g_general.isCPUUsage != 0;
    AddControl(ui, f.cpuLabel);

    f.pathBar = new EditBox(0, 0, 100, 19, nullptr);
    SetEditText(f.pathBar, L"C:\\");
    AddControl(ui, f.pathBar);
    InitPathBar(f.pathBar);

    f.info = AddList(ui, 100, 92, InfoPanelNotify);
    FixedRows(f.info, 2, 6);
    SetRowHeight(f.info, InfoRowHeight());
    f.fileList = AddList(ui, 100, 100, nullptr);
    f.fileList->rowHeight = Scale(17);
    InitFileListControl(f.fileList);
    f.playList = AddList(ui, 100, 100, nullptr);
    f.playList->rowHeight = Scale(17);
    InitPlayListControl(f.playList);
    f.statusLine = AddList(ui, 100, 53, nullptr);
    InitStatusLine(f.statusLine);
    f.timeDisplay = AddList(ui, 42, 50, nullptr);
    FixedRows(f.timeDisplay, 1, 3);
    f.timeDisplay->focusState = NoFocus;
    f.timeDisplay->tabStop = false;
    f.timeDisplay->columns[0].alignment = TA_CENTER;
    f.timeDisplay->columns[0].width = Scale(40);
    SetRowHeight(f.timeDisplay, Scale(16));
    f.timeDisplay->cellIndent = 0;
    SetCellText(f.timeDisplay, 0, L"00:00", 0);
    SetCellText(f.timeDisplay, 0, L"0%", 1);
    SetCellText(f.timeDisplay, 0, L"00:00", 2);

    f.seek = new Slider(0, 100, 20, SeekPanelNotify);
    f.seek->font.inheritsWindowFont = false;
    f.seek->font.faceName.Set(L"Tahoma");
    SetFont(&f.seek->font, 16, 0, DEFAULT_CHARSET);
    f.seek->notifyGeometry = true;  // the main window paints it
    f.seek->maximum = 1;
    AddControl(ui, f.seek);

    f.volume = new Slider(0, 20, 80, VolumeNotify);
    f.volume->maximum = 65535;
    f.volume->orientation = 0;
    f.volume->value = (int)(g_general.PlayerVolume > 65535 ? 65535 : g_general.PlayerVolume);
    AddControl(ui, f.volume);

    // At the DPI of this window, which may not be the last one's.
    ReleaseSpriteSheet(&g_glyphs);
    LoadSpriteSheet(&g_glyphs, 112, 15);
    for (int i = 0; i < 4; i++) {
        Button* b = new Button(0, 0, 20, 20, MainButtonNotify);
        b->imageMode = true;
        b->imageSheet = &g_glyphs;
        b->imageCell = kGlyphCells[i];
        f.buttons[i] = b;
        AddControl(ui, b);
    }

    f.spectrum = new CustomControl(0, 0, SpectrumNotify);
    f.spectrum->font.inheritsWindowFont = false;
    f.spectrum->font.faceName.Set(L"Small Fonts");
    SetFont(&f.spectrum->font, 11, 0, DEFAULT_CHARSET);
    f.spectrum->SetBounds(kKeep, kKeep, 108, 92);
    AddControl(ui, f.spectrum);

    ResetLayoutState();
    ApplyTheme(ui, g_general.Theme);
    return ui->hwnd;
}

void ShowSettingsInControls() {
    MainFrame& f = g_mainFrame;
    if (!f.window) return;
    f.shuffle->toggleState = g_general.isShuffle ? ToggleDown : ToggleUp;
    f.loop->toggleState = g_general.isLoop ? ToggleDown : ToggleUp;
    f.volume->value = (int)(g_general.PlayerVolume > 65535 ? 65535 : g_general.PlayerVolume);
    f.cpuLabel->visible = g_general.isCPUUsage != 0;
    ResetLayoutState();
}

void ShowListIcons(bool on) {
    // Column type 6 draws nothing; the cells keep their icon numbers.
    for (ListView* l : {g_mainFrame.fileList, g_mainFrame.playList}) {
        if (!l || l->columnCount == 0) continue;
        l->columns[0].type = on ? ColumnIcon : 6;
        if (l->visible && l->surface.memoryDC) Redraw(l);
    }
}

void ApplyListFont(bool enlarge) {
    UiWindow* ui = g_mainFrame.window;
    if (!ui) return;
    for (ListView* l : {g_mainFrame.fileList, g_mainFrame.playList}) {
        if (!l) continue;
        if (enlarge) SetListFont(l, L"Arial", 16, RUSSIAN_CHARSET);
        else ShareWindowFont(l, &ui->font);
    }
    WidenPlayListLength(enlarge);
    for (ListView* l : {g_mainFrame.fileList, g_mainFrame.playList})
        if (l && l->visible && l->surface.memoryDC) Redraw(l);
}

void ReleaseMainFrame() {
    // The library keeps pointers to its lists: they let go before the controls are freed.
    InitFileListControl(nullptr);
    InitPathBar(nullptr);
    InitPlayListControl(nullptr);
    InitStatusLine(nullptr);
    if (UiWindow* ui = g_mainFrame.window) {
        Destroy(ui);
        delete ui;
    }
    g_mainFrame = MainFrame{};
}

void RescaleMainFrame(int oldDpi) {
    MainFrame& f = g_mainFrame;
    UiWindow* ui = f.window;
    if (!ui) return;
    // Column widths (the libraries' and the user's) keep their share; the
    // lists' own fitting redoes the filling columns at the next layout.
    for (ListView* l : {f.fileList, f.playList, f.statusLine})
        for (int c = 0; c < l->columnCount && oldDpi > 0; c++)
            l->columns[c].width = (int)(((long long)l->columns[c].width * UiDpi() + oldDpi / 2) / oldDpi);
    // The lists keep the room between their text and their rows, in 96-DPI units.
    int spacing[3];
    ListView* lists[3] = {f.fileList, f.playList, f.statusLine};
    for (int i = 0; i < 3; i++)
        spacing[i] = oldDpi > 0 ? (int)(((long long)(lists[i]->rowHeight - lists[i]->textHeight) * UiDpi() + oldDpi / 2) / oldDpi) : 0;
    RescaleFont(&ui->font);
    for (int i = 0; i < ui->controlCount; i++) {
        Control* c = ui->controls[i];
        if (c->font.inheritsWindowFont) ShareFont(&c->font, &ui->font);
        else RescaleFont(&c->font);
        c->AttachSurface(&ui->backBuffer);
    }
    SetRowHeight(f.info, InfoRowHeight());
    SetRowHeight(f.timeDisplay, Scale(16));
    f.timeDisplay->columns[0].width = Scale(40);
    for (int i = 0; i < 3; i++) {
        lists[i]->headerHeight = Scale(17);
        FontChanged(lists[i], spacing[i]);
    }
    ApplyListFont(g_general.isEnlargeFont != 0);
    ReleaseSpriteSheet(&g_glyphs);
    LoadSpriteSheet(&g_glyphs, 112, 15);
    ApplyTheme(ui, ui->themeId);  // the lists' icon strips
}
