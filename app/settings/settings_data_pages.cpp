// The pages that show the player's own data: the output devices and what the
// one in use can do (page 1), the decoders (page 4) and the listening
// statistics (page 5); and the CPU label every page shows.
#include "app/settings/settings_frame.h"
#include "app/general_settings.h"
#include "audio/audio_library.h"
#include "audio/devices.h"
#include "audio/engine.h"
#include "library/statistics.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/theme.h"
#include <algorithm>

static void Repaint(Control* c) {
    if (c && c->visible) Redraw(c);
}

// A list's last column takes the width its others leave (at least min).
static void FillWidth(ListView* l, int min) {
    int used = 0;
    for (int c = 0; c + 1 < l->columnCount; c++) used += l->columns[c].width;
    int rest = l->width - 2 - 16 - used;
    l->columns[l->columnCount - 1].width = rest > min ? rest : min;
}

// ---- page 1: devices ----

void FillDeviceLists() {
    SettingsFrame& s = g_settings;
    bool filling = s.filling;
    s.filling = true;
    FillDeviceInfo(s.devices, s.deviceInfo);
    // The list shows the device in use as its current row; its scroll bar follows,
    // or the list's next tick would move the row back and choose again.
    if (s.devices) s.devices->vScroll.value = s.devices->currentRow;
    s.filling = filling;
    if (s.devices) FillWidth(s.devices, 120);
    if (s.deviceInfo) FillWidth(s.deviceInfo, 120);
}

static LRESULT DevicesNotify(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    ListView* l = g_settings.devices;
    if (!l || g_settings.filling || msg != WM_COMMAND || wp != kListCurrentChanged || l->rowCount == 0) return 0;
    int row = l->currentRow;
    // A row that is not a device (switched off) is refused: the cursor stays where it was.
    if (l->rows[row].cells[0].value == kKeepDevice) {
        ShowCurrentRow(l, (int)lp);
        Repaint(l);
        return 0;
    }
    ReinitAudio(row + 1);
    FillDeviceLists();
    Repaint(l);
    Repaint(g_settings.deviceInfo);
    return 0;
}

void AddDeviceLists() {
    SettingsFrame& s = g_settings;
    const unsigned mask = 1u << PageAudio;
    static const wchar_t* const deviceTitles[2] = {L"Audio Devices", L"Device Driver"};
    ListView* l = NewSettingsList(500, 110, DevicesNotify, 20, deviceTitles, 2);
    l->columns[1].width = 260;
    if (AddPageControl(l, mask)) s.devices = l;
    static const wchar_t* const infoTitles[2] = {L"Information", L"Value"};
    l = NewSettingsList(500, 225, nullptr, 0, infoTitles, 2);
    l->columns[0].width = 260;
    if (AddPageControl(l, mask)) s.deviceInfo = l;
}

// ---- page 4: decoders ----

void FillPluginList() {
    ListView* l = g_settings.plugins;
    if (!l) return;
    Clear(l, true);
    for (const InputPluginRecord& p : g_engine.plugins) {
        if (!AddRow(l)) break;
        SetCellText(l, 0, Utf8ToWide(p.name.data(), p.name.size()).c_str());
        SetCellText(l, 1, p.filter.c_str());
        SetCellText(l, 2, p.file.c_str());
        SetRowColor(l, -1, g_theme.palette[5]);
        l->rows[l->rowCount - 1].paletteSlot = 6;
    }
    FillWidth(l, 150);
}

static LRESULT ReloadNotify(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg != WM_LBUTTONUP) return 0;
    ReinitAudio(kKeepDevice);
    FillPluginList();
    Repaint(g_settings.plugins);
    return 0;
}

void AddPluginPage() {
    SettingsFrame& s = g_settings;
    const unsigned mask = 1u << PagePlugins;
    static const wchar_t* const titles[3] = {L"Name", L"Formats", L"Path to dll"};
    ListView* l = NewSettingsList(500, 300, nullptr, 0, titles, 3);
    l->columns[0].width = 170;
    l->columns[1].width = 190;
    if (AddPageControl(l, mask)) s.plugins = l;
    Button* b = NewSettingsButton(L"Reload all plugins", 110, 23, ReloadNotify);
    if (AddPageControl(b, mask)) s.reloadPlugins = b;
}

// ---- page 5: statistics ----

void FillStatisticsList() {
    SettingsFrame& s = g_settings;
    if (s.enableScrobbler) s.enableScrobbler->toggleState = g_general.isScrobblerEnabled ? ToggleDown : ToggleUp;
    ListView* l = s.stats;
    if (!l) return;
    Clear(l, true);
    // Most listened first: the first ten rows stand out in the first colour.
    std::vector<const ListenRecord*> order;
    for (const ListenRecord& r : g_stats.records) order.push_back(&r);
    std::stable_sort(order.begin(), order.end(),
                     [](const ListenRecord* a, const ListenRecord* b) { return a->listenMs > b->listenMs; });
    for (const ListenRecord* r : order) {
        if (!AddRow(l)) break;
        wchar_t time[32], count[24];
        FormatListenTime(r->listenMs, time, 32);
        _snwprintf(count, 24, L"%i", (int)ListenCount(*r));
        count[23] = 0;
        const std::wstring* texts[5] = {&r->artist, &r->title, &r->album, &r->genre, &r->year};
        for (int c = 0; c < 5; c++) SetCellText(l, c, texts[c]->c_str());
        SetCellText(l, 5, time);
        SetCellText(l, 6, count);
        int entry = l->rowCount <= 10 ? 0 : 1;
        SetRowColor(l, -1, g_theme.palette[entry]);
        l->rows[l->rowCount - 1].paletteSlot = (uint8_t)(entry + 1);
    }
    FillWidth(l, 70);
}

static LRESULT EnableScrobblerNotify(HWND, UINT msg, WPARAM, LPARAM) {
    Button* b = g_settings.enableScrobbler;
    if (msg != WM_LBUTTONUP || !b) return 0;
    // The button toggled itself; the setting follows what it shows.
    bool on = b->toggleState == ToggleDown;
    if (on == (g_general.isScrobblerEnabled != 0)) return 0;
    if (!on) StatsAccountListened();  // the running stretch counts up to now
    g_general.isScrobblerEnabled = on ? 1 : 0;
    if (on && GetStatus() == 0) StatsStampResume();
    return 0;
}

static LRESULT ResetStatisticsNotify(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg != WM_LBUTTONUP) return 0;
    ResetStatistics();
    FillStatisticsList();
    Repaint(g_settings.stats);
    return 0;
}

void AddStatisticsPage() {
    SettingsFrame& s = g_settings;
    const unsigned mask = 1u << PageScrobbler;
    static const wchar_t* const titles[7] = {L"Artist", L"Title", L"Album", L"Genre", L"Year", L"Listen Time", L"Listen Count"};
    static const int widths[7] = {92, 110, 92, 44, 34, 66, 70};
    ListView* l = NewSettingsList(500, 300, nullptr, 0, titles, 7);
    for (int c = 0; c < 7; c++) l->columns[c].width = widths[c];
    if (AddPageControl(l, mask)) s.stats = l;
    Button* b = NewSettingsButton(L"Enable scrobbler", 110, 23, EnableScrobblerNotify);
    b->toggleState = g_general.isScrobblerEnabled ? ToggleDown : ToggleUp;
    if (AddPageControl(b, mask)) s.enableScrobbler = b;
    b = NewSettingsButton(L"Reset statistics", 110, 23, ResetStatisticsNotify);
    if (AddPageControl(b, mask)) s.resetStats = b;
}

// ---- the CPU label ----

void RefreshCpuLabel() {
    EditBox* e = g_settings.cpuLabel;
    if (!e) return;
    std::wstring text = L"CPU: " + CpuLoadText(AudioCpu(), 1);
    if (text == e->text.c_str()) return;
    SetEditText(e, text.c_str());
    Redraw(e);
}
