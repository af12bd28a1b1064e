// The option lists of pages 0 and 1 (check rows and radio choices over the
// General settings, each with its immediate effect), the music folder box and
// the two margin sliders.
#include "app/settings/settings_frame.h"
#include "app/general_settings.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "app/shell_integration.h"
#include "audio/engine.h"
#include "library/file_browser.h"
#include "system/system_actions.h"
#include "system/tray_icons.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "app/osd.h"
#include "ui/slider.h"
#include "ui/theme.h"
#include <stdio.h>

// One row: a check row edits a flag, a radio row stores its value in a choice.
struct OptionRow {
    const wchar_t* label;
    uint8_t* flag;
    uint32_t* choice;
    uint32_t value;
    void (*effect)(uint32_t before);  // after the change; before: the old flag or choice
};

struct OptionListDef {
    const wchar_t* title;
    int height;
    const OptionRow* rows;
    int count;
};

// ---- immediate effects ----

static void RelayoutMain(WPARAM first, WPARAM second) {
    if (!g_mainWindow) return;
    SendMessageW(g_mainWindow, WM_SIZE, first, 0);
    SendMessageW(g_mainWindow, WM_SIZE, second, 0);
}

static void ThemeChosen(uint32_t) {
    if (g_mainFrame.window) ApplyTheme(g_mainFrame.window, g_general.Theme);
    if (g_settings.window) RecolourSettingsWindow(g_settings.window->themeId);
}

static void ShowIconsChanged(uint32_t) { ShowListIcons(g_general.isShowIcons != 0); }

static void SpectrumChanged(uint32_t) { RelayoutMain(0, 0); }

static void CpuUsageChanged(uint32_t) {
    if (g_mainFrame.cpuLabel) g_mainFrame.cpuLabel->visible = g_general.isCPUUsage != 0;
    RelayoutMain(0, 0);
}

static void MergeCueChanged(uint32_t) {
    if (!g_fileList) return;
    RefreshFileList();
    Redraw(g_fileList);
}

static void UseAlbumsChanged(uint32_t) {
    ListView* l = g_fileList;
    if (!l) return;
    const wchar_t* current = l->rowCount > 0 ? FileListRowName(l->currentRow) : nullptr;
    std::wstring name = current ? current : L"";
    RefreshFileList();
    int row = name.empty() ? -1 : FindRow(l, FileListName, name.c_str());
    if (row >= 0) SetCurrent(l, row);
    Redraw(l);
}

static void EnlargeFontChanged(uint32_t) { ApplyListFont(g_general.isEnlargeFont != 0); }
static void OnTopChanged(uint32_t) { ApplyOnTop(g_mainWindow, g_general.isOnTop != 0); }
static void LanguageIconChanged(uint32_t) { RecreateTrayIcon(TrayLanguage); }
static void CpuIconChanged(uint32_t) { RecreateTrayIcon(TrayCpu); }
static void TrayUpdateChanged(uint32_t) { RelayoutMain(0, 0); }
static void OsdChosen(uint32_t) { SetOsdMode(g_general.OSDView); }
static void OpenVerbChanged(uint32_t) { SetFolderVerb(VerbOpen, g_general.isSIOpenFolder != 0); }
static void AddVerbChanged(uint32_t) { SetFolderVerb(VerbAdd, g_general.isSIAddFolder != 0); }
static void AssociationChanged(uint32_t) { SetAudioFileAssociation(g_general.isSIWithAudioFiles != 0); }
static void VolumeTargetChosen(uint32_t) { RefreshVolumeSlider(true); }
static void ReplayGainChosen(uint32_t) { ApplyReplayGain(); }

// ---- the lists ----


static const OptionRow kThemeRows[] = {
    {L"Dark Modern", nullptr, &g_general.Theme, ThemeDarkModern, ThemeChosen},
    {L"Dark Flat", nullptr, &g_general.Theme, ThemeDarkFlat, ThemeChosen},
    {L"Dark", nullptr, &g_general.Theme, ThemeDark, ThemeChosen},
    {L"Windows 2000", nullptr, &g_general.Theme, ThemeWindows2000, ThemeChosen},
    {L"Windows XP", nullptr, &g_general.Theme, ThemeWindowsXP, ThemeChosen},
    {L"Light", nullptr, &g_general.Theme, ThemeLight, ThemeChosen},
    {L"Show icons", &g_general.isShowIcons, nullptr, 0, ShowIconsChanged},
};
static const OptionRow kOsdRows[] = {
    {L"Show always", nullptr, &g_general.OSDView, 0, OsdChosen},
    {L"Show on opening a file", nullptr, &g_general.OSDView, 1, OsdChosen},
    {L"Always hide", nullptr, &g_general.OSDView, 2, OsdChosen},
};
static const OptionRow kShellRows[] = {
    {L"\"Open in Sonvale\" for folders", &g_general.isSIOpenFolder, nullptr, 0, OpenVerbChanged},
    {L"\"Add to Sonvale PlayList\" for folders", &g_general.isSIAddFolder, nullptr, 0, AddVerbChanged},
    {L"Associate with supported audio files", &g_general.isSIWithAudioFiles, nullptr, 0, AssociationChanged},
};
static const OptionRow kTrayRows[] = {
    {L"Display language tray icon", &g_general.isShowLanguage, nullptr, 0, LanguageIconChanged},
    {L"Display CPU load tray icon", &g_general.isShowCPU, nullptr, 0, CpuIconChanged},
    {L"\"Start\" button displays date", &g_general.isStartDate, nullptr, 0, LanguageIconChanged},
    {L"Slow tray icon update speed", &g_general.isTrayUpdateLow, nullptr, 0, TrayUpdateChanged},
};
static const OptionRow kMiscRows[] = {
    {L"Show spectrum", &g_general.isSpectrum, nullptr, 0, SpectrumChanged},
    {L"Show CPU usage", &g_general.isCPUUsage, nullptr, 0, CpuUsageChanged},
    {L"Merge .cue with it's file", &g_general.isMergeCue, nullptr, 0, MergeCueChanged},
    {L"Treat \"1998 ...\"-like files as albums", &g_general.isUseAlbums, nullptr, 0, UseAlbumsChanged},
    {L"Always on top", &g_general.isOnTop, nullptr, 0, OnTopChanged},
    {L"Larger font in the lists", &g_general.isEnlargeFont, nullptr, 0, EnlargeFontChanged},
};
static const OptionRow kPlaybackRows[] = {
    {L"Smooth play/pause", &g_general.isSmoothPause, nullptr, 0, nullptr},
    {L"Remember position in track", &g_general.isRememberPosInTrack, nullptr, 0, nullptr},
    {L"Supress AutoStandby when playing", &g_general.isSupressStandby, nullptr, 0, nullptr},
    {L"Skip silence at the end", &g_general.isSkipSilence, nullptr, 0, nullptr},
};
static const OptionRow kVolumeRows[] = {
    {L"System main volume", nullptr, &g_general.pVolumeControls, 0, VolumeTargetChosen},
    {L"System wave volume", nullptr, &g_general.pVolumeControls, 1, VolumeTargetChosen},
    {L"Player volume", nullptr, &g_general.pVolumeControls, 2, VolumeTargetChosen},
    {L"Auto set volume balance to center", &g_general.isVolumeAutoCenter, nullptr, 0, nullptr},
};
static const OptionRow kReplayGainRows[] = {
    {L"ReplayGain off", nullptr, &g_general.ReplayGainMode, 0, ReplayGainChosen},
    {L"ReplayGain by track", nullptr, &g_general.ReplayGainMode, 1, ReplayGainChosen},
    {L"ReplayGain by album", nullptr, &g_general.ReplayGainMode, 2, ReplayGainChosen},
};

#define ROWS(table) table, (int)(sizeof(table) / sizeof(table[0]))
static const OptionListDef kLists[kOptionListCount] = {
    {L"Themes", 141, ROWS(kThemeRows)},          {L"OSD behavior", 73, ROWS(kOsdRows)},
    {L"Shell integration", 73, ROWS(kShellRows)}, {L"Tray options", 90, ROWS(kTrayRows)},
    {L"Misc options", 124, ROWS(kMiscRows)},      {L"Playback", 90, ROWS(kPlaybackRows)},
    {L"Volume Bar controls", 90, ROWS(kVolumeRows)},
    {L"ReplayGain", 73, ROWS(kReplayGainRows)},
};
#undef ROWS

const wchar_t* OptionLabel(int list, int row) {
    if (list < 0 || list >= kOptionListCount || row < 0 || row >= kLists[list].count) return nullptr;
    return kLists[list].rows[row].label;
}

int OptionRowCount(int list) { return list >= 0 && list < kOptionListCount ? kLists[list].count : 0; }

static bool RowIsOn(const OptionRow& r) { return r.flag ? *r.flag != 0 : *r.choice == r.value; }

static void ShowRowState(int list, int row) {
    ListView* l = g_settings.options[list];
    if (!l || row >= l->rowCount) return;
    l->rows[row].cells[0].value = RowIsOn(kLists[list].rows[row]) ? IconOn : IconOff;
}

// At opening the chosen radio row also becomes the current one.
static void ShowListStates(int list, bool opening) {
    ListView* l = g_settings.options[list];
    if (!l) return;
    int chosen = -1;
    for (int r = 0; r < kLists[list].count; r++) {
        ShowRowState(list, r);
        const OptionRow& row = kLists[list].rows[r];
        if (!row.flag && chosen < 0 && RowIsOn(row)) chosen = r;
    }
    // The chosen radio row is the current one, when the stored value names a row.
    if (opening && chosen >= 0) ShowCurrentRow(l, chosen);
    if (l->visible) Redraw(l);
}

// A check row flips; a radio row is chosen (nothing happens when it already is).
static void ActOnRow(int list, int row) {
    if (row < 0 || row >= kLists[list].count) return;
    const OptionRow& r = kLists[list].rows[row];
    uint32_t before;
    if (r.flag) {
        before = *r.flag;
        *r.flag = *r.flag ? 0 : 1;
    } else {
        before = *r.choice;
        if (before == r.value) return;
        *r.choice = r.value;
    }
    ShowListStates(list, false);
    if (r.effect) r.effect(before);
}

static LRESULT OptionMessage(int list, UINT msg, WPARAM wp) {
    ListView* l = g_settings.options[list];
    if (!l || g_settings.filling || l->rowCount == 0) return 0;
    int row = l->currentRow;
    bool radio = row < kLists[list].count && !kLists[list].rows[row].flag;
    switch (msg) {
    case WM_COMMAND:
        // Moving the current row chooses in a radio list.
        if (wp == kListCurrentChanged && radio) ActOnRow(list, row);
        break;
    case kMsgCellClick:
        if (wp == 0) ActOnRow(list, row);
        break;
    case WM_KEYDOWN:
        if (wp == VK_RETURN || wp == VK_SPACE) ActOnRow(list, row);
        break;
    }
    return 0;
}

template <int List>
static LRESULT OptionNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    return OptionMessage(List, msg, wp);
}

static const NotifyProc kOptionNotify[kOptionListCount] = {
    OptionNotify<0>, OptionNotify<1>, OptionNotify<2>, OptionNotify<3>,
    OptionNotify<4>, OptionNotify<5>, OptionNotify<6>, OptionNotify<7>,
};

void AddOptionLists(unsigned pageMaskGeneral, unsigned pageMaskAudio) {
    for (int i = 0; i < kOptionListCount; i++) {
        const OptionListDef& d = kLists[i];
        ListView* l = NewSettingsList(204, d.height, kOptionNotify[i], 20, &d.title, 1);
        l->columns[1].width = 204 - 2 - 20;
        for (int r = 0; r < d.count; r++) {
            AddRow(l);
            SetCellValue(l, 0, IconOff);
            SetCellText(l, 1, d.rows[r].label);
            SetRowColor(l, -1, g_theme.palette[5]);
            l->rows[r].paletteSlot = 6;
        }
        if (AddPageControl(l, i < OptionPlayback ? pageMaskGeneral : pageMaskAudio)) g_settings.options[i] = l;
    }
}

// ---- the music folder ----

static const wchar_t kMusicFolderHint[] = L"Fill here the path for your music folder (for quick access via Ctrl+2)";

static LRESULT MusicFolderNotify(HWND, UINT msg, WPARAM, LPARAM) {
    EditBox* e = g_settings.musicFolder;
    if (!e || (msg != WM_KEYDOWN && msg != WM_CHAR)) return 0;
    if (lstrcmpW(e->text.c_str(), kMusicFolderHint) != 0) g_general.MusicFolder.Set(e->text.c_str());
    return 0;
}

void AddMusicFolderBox() {
    EditBox* e = new EditBox(0, 0, 300, 19, MusicFolderNotify);
    SetEditText(e, kMusicFolderHint);
    e->tabStop = true;
    if (AddPageControl(e, 1u << PageGeneral)) g_settings.musicFolder = e;
}

// ---- the margin sliders ----

static int SliderValueOf(int setting) {
    int v = setting + 1;
    return v < 0 ? 0 : v > 11 ? 11 : v;
}

static LRESULT MarginMessage(bool big, UINT msg, WPARAM, LPARAM lp) {
    Slider* s = big ? g_settings.marginBig : g_settings.marginSmall;
    int32_t& setting = big ? g_general.marginBig : g_general.marginSmall;
    if (!s) return 0;
    switch (msg) {
    case WM_NCPAINT:
        if (lp) _snwprintf((wchar_t*)lp, 64, big ? L"Margins big: %i" : L"Margins small: %i", (int)setting);
        return 0;
    case WM_RBUTTONDOWN: {
        int v = big ? 8 : 5;
        s->value = v < s->maximum ? v : s->maximum;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
        break;
    default:
        return 0;
    }
    if (setting == s->value - 1) return 0;
    setting = s->value - 1;
    Redraw(s);
    RelayoutMain(kSizeRelayout, 0);
    return 0;
}

static LRESULT MarginSmallNotify(HWND, UINT msg, WPARAM wp, LPARAM lp) { return MarginMessage(false, msg, wp, lp); }
static LRESULT MarginBigNotify(HWND, UINT msg, WPARAM wp, LPARAM lp) { return MarginMessage(true, msg, wp, lp); }

void AddMarginSliders() {
    Slider* small = new Slider(0, 90, 20, MarginSmallNotify);
    Slider* big = new Slider(0, 108, 20, MarginBigNotify);
    for (Slider* s : {small, big}) s->maximum = 11;
    if (AddPageControl(small, 1u << PageGeneral)) g_settings.marginSmall = small;
    if (AddPageControl(big, 1u << PageGeneral)) g_settings.marginBig = big;
}

// ---- the levelling's gain sliders: -15 to +15 dB ----

const int kGainSliderRange = 15;

static int GainSliderValue(int32_t db) {
    int v = db + kGainSliderRange;
    return v < 0 ? 0 : v > 2 * kGainSliderRange ? 2 * kGainSliderRange : v;
}

static LRESULT GainMessage(bool preamp, UINT msg, LPARAM lp) {
    Slider* s = preamp ? g_settings.gainPreamp : g_settings.gainUntagged;
    int32_t& setting = preamp ? g_general.ReplayGainPreamp : g_general.ReplayGainUntagged;
    if (!s) return 0;
    switch (msg) {
    case WM_NCPAINT:
        if (lp) _snwprintf((wchar_t*)lp, 64, preamp ? L"Preamp (tagged): %+i dB" : L"Untagged files: %+i dB", (int)setting);
        return 0;
    case WM_RBUTTONDOWN:
        s->value = kGainSliderRange;  // back to 0 dB
        break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
        break;
    default:
        return 0;
    }
    if (setting == s->value - kGainSliderRange) return 0;
    setting = s->value - kGainSliderRange;
    Redraw(s);
    ApplyReplayGain();
    return 0;
}

static LRESULT GainPreampNotify(HWND, UINT msg, WPARAM, LPARAM lp) { return GainMessage(true, msg, lp); }
static LRESULT GainUntaggedNotify(HWND, UINT msg, WPARAM, LPARAM lp) { return GainMessage(false, msg, lp); }

void AddGainSliders() {
    Slider* preamp = new Slider(0, 204, 20, GainPreampNotify);
    Slider* untagged = new Slider(0, 204, 20, GainUntaggedNotify);
    for (Slider* s : {preamp, untagged}) s->maximum = 2 * kGainSliderRange;
    if (AddPageControl(preamp, 1u << PageAudio)) g_settings.gainPreamp = preamp;
    if (AddPageControl(untagged, 1u << PageAudio)) g_settings.gainUntagged = untagged;
}

void ShowOptionStates() {
    for (int i = 0; i < kOptionListCount; i++) ShowListStates(i, true);
    if (EditBox* e = g_settings.musicFolder) SetEditText(e, g_general.MusicFolder.empty() ? kMusicFolderHint : g_general.MusicFolder.c_str());
    if (g_settings.marginSmall) g_settings.marginSmall->value = SliderValueOf(g_general.marginSmall);
    if (g_settings.marginBig) g_settings.marginBig->value = SliderValueOf(g_general.marginBig);
    if (g_settings.gainPreamp) g_settings.gainPreamp->value = GainSliderValue(g_general.ReplayGainPreamp);
    if (g_settings.gainUntagged) g_settings.gainUntagged->value = GainSliderValue(g_general.ReplayGainUntagged);
}
