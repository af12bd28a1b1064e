#include "audio/devices.h"
#include "audio/player_events.h"
#include "base/general_settings.h"
#include "base/string_buffer.h"
#include "audio/engine.h"
#include "audio/plugins.h"
#include "ui/list_view.h"
#include "ui/theme.h"
#include <math.h>

static std::wstring FromCodePage(const std::string& s) {
    StringBuffer b;
    b.SetFromBytes(s.data(), s.size(), CP_ACP);
    return b.text;
}

void ReinitAudio(int device) {
    int32_t position = _wcsnicmp(currentPath.c_str(), L"http", 4) == 0 ? 0 : GetPosition();
    int status = GetStatus();
    uint32_t osdView = g_general.OSDView;
    g_general.OSDView = 2;  // no on-screen display for the reopening
    g_engine.scanBusy = true;
    StopTrack();
    int current = AudioCurrentDevice();
    AudioFree();
    if (device == kKeepDevice) device = current;
    if (!AudioInit(device, 44100, g_playerEvents.mainWindow())) {
        MessageBoxW(g_playerEvents.mainWindow(), L"Failed to initialize output device", L"Information",
                    MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
        AudioInit(current, 44100, g_playerEvents.mainWindow());
    }
    LoadPlugins();
    g_playerEvents.listenPaused();
    OpenCurrent(true);
    g_playerEvents.showPlayButtonState(GetStatus() == StatusPlaying);
    SeekTo(position > 0 ? (uint32_t)position : 0);
    if (status == StatusPlaying) {
        if (g_general.isScrobblerEnabled) g_playerEvents.listenResumed();
        Resume();
        g_playerEvents.showPlayButtonState(GetStatus() == StatusPlaying);
    }
    g_general.OSDView = osdView;
    g_engine.scanBusy = false;
}

int FillDeviceMenu(HMENU menu) {
    int current = AudioCurrentDevice(), count = 0;
    AudioDeviceDetails d;
    for (int device = 1; device < 1000 && AudioDeviceDetailsOf(device, &d); device++) {
        UINT flags = MF_BYPOSITION | MF_STRING | (device == current ? MF_CHECKED : 0) |
                     (d.flags & AudioDeviceEnabled ? 0 : MF_GRAYED);
        InsertMenuW(menu, (UINT)count, flags, (UINT_PTR)device, FromCodePage(d.name).c_str());
        count++;
    }
    return count;
}

static const wchar_t* YesNo(bool yes) { return yes ? L"Yes" : L"No"; }

std::vector<std::pair<std::wstring, std::wstring>> DeviceCapabilityRows() {
    AudioOutputInfo i{};
    AudioGetOutputInfo(&i);
    wchar_t t[96];
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    auto add = [&](const wchar_t* label, const wchar_t* value) { rows.emplace_back(label, value); };
    add(L"Driver supports DirectSound", YesNo(!(i.flags & 0x20)));
    add(L"Mono samples are supported", YesNo(i.flags & 0x100));
    add(L"Stereo samples are supported", YesNo(i.flags & 0x200));
    add(L"8-bit samples are supported", YesNo(i.flags & 0x400));
    add(L"16-bit samples are supported", YesNo(i.flags & 0x800));
    swprintf(t, 96, L"%i", (int)i.hwfree);
    add(L"Hardware memory free", t);
    swprintf(t, 96, L"%i", (int)i.hwsize);
    add(L"Hardware memory total", t);
    swprintf(t, 96, L"%i (%i 3D slots)", (int)i.freesam, (int)i.free3d);
    add(L"Free sample slots", t);
    swprintf(t, 96, L"From %i to %i%ls", (int)i.minrate, (int)i.maxrate, i.flags & 0x10 ? L" (all)" : L" (not all)");
    add(L"Supported sample rate", t);
    swprintf(t, 96, L"%i", (int)i.dsver);
    add(L"DirectSound version", t);
    swprintf(t, 96, L"%i", (int)i.speakers);
    add(L"Number of speakers supported", t);
    swprintf(t, 96, L"%i", (int)i.freq);
    add(L"Output sample rate (Vista+ only)", t);
    return rows;
}

void FillDeviceInfo(ListView* devices, ListView* info) {
    if (devices && devices->columnCount >= 3) {
        int top = devices->topRow;
        Clear(devices, true);
        int current = AudioCurrentDevice();
        AudioDeviceDetails d;
        for (int device = 1; device < 1000 && AudioDeviceDetailsOf(device, &d); device++) {
            if (!AddRow(devices)) break;
            int state = d.flags & AudioDeviceInitialised ? 3 : d.flags & AudioDeviceEnabled ? 2 : kKeepDevice;
            SetCellValue(devices, 0, state);
            SetCellText(devices, 1, FromCodePage(d.name).c_str());
            SetCellText(devices, 2, FromCodePage(d.driver).c_str());
            // Greyed when off, highlighted when in use.
            COLORREF color = !(d.flags & AudioDeviceEnabled) ? g_theme.palette[5]
                           : d.flags & AudioDeviceInitialised ? g_theme.palette[1] : g_theme.palette[0];
            SetRowColor(devices, -1, color);
        }
        if (current >= 1 && current <= devices->rowCount) devices->currentRow = current - 1;
        devices->topRow = top < devices->rowCount ? top : 0;
    }
    if (info && info->columnCount >= 2) {
        Clear(info, true);
        for (const auto& [label, value] : DeviceCapabilityRows()) {
            if (!AddRow(info)) break;
            SetCellText(info, 0, label.c_str());
            SetCellText(info, 1, value.c_str());
        }
    }
}

std::wstring CpuLoadText(float load, int decimals) {
    long v = lround((double)(load < 0 ? 0 : load) * 1000.0);
    wchar_t t[48];
    swprintf(t, 48, L"%li.%03li", v / 1000, v % 1000);
    if (decimals < -1) decimals = -1;
    if (decimals > 3) decimals = 3;
    if (v / 1000 < 10) decimals++;
    std::wstring text = t;
    size_t dot = text.find(L'.');
    text.resize(dot + 1 + decimals);
    return text + L"%";
}
