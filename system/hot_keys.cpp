#include "system/hot_keys.h"
#include "base/settings_store.h"
#include "system/hot_keys_manager.h"
#include "system/layout_switcher.h"
#include <stdio.h>

HotKeySlot g_hotKeys[kHotKeyCount];

// The window the keys were registered on.
static HWND g_hotKeyWindow;

struct HotKeyDefault {
    const wchar_t* action;
    uint32_t modifiers;
    uint32_t vk;
};

static const uint32_t kWin = HotKeyWin, kCtrl = HotKeyCtrl, kAlt = HotKeyAlt, kShift = HotKeyShift;

static const HotKeyDefault kDefaults[kHotKeyCount] = {
    {L"Play previous track", 0, VK_MEDIA_PREV_TRACK},
    {L"Play previous track", kWin, VK_UP},
    {L"Play previous track (opposite to specified shuffle)", kWin | kShift, VK_UP},
    {L"Toggle play/pause", 0, VK_MEDIA_PLAY_PAUSE},
    {L"Toggle play/pause", kWin, VK_SPACE},
    {L"Stop playback", 0, VK_MEDIA_STOP},
    {L"Stop playback", kWin, 'C'},
    {L"Play next track", 0, VK_MEDIA_NEXT_TRACK},
    {L"Play next track", kWin, VK_DOWN},
    {L"Play next track (opposite to specified shuffle)", kWin | kShift, VK_DOWN},
    {L"Seek 5% backward", kWin, VK_LEFT},
    {L"Seek 20% backward", kWin | kCtrl, VK_LEFT},
    {L"Seek 5% forward", kWin, VK_RIGHT},
    {L"Seek 20% forward", kWin | kCtrl, VK_RIGHT},
    {L"Increase system main volume", 0, VK_VOLUME_UP},
    {L"Increase system main volume", kWin | kCtrl, VK_UP},
    {L"Decrease system main volume", 0, VK_VOLUME_DOWN},
    {L"Decrease system main volume", kWin | kCtrl, VK_DOWN},
    {L"Move balance left", kWin | kShift, VK_LEFT},
    {L"Move balance right", kWin | kShift, VK_RIGHT},
    {L"Mute/unmute system main volume", kWin | kCtrl, VK_SPACE},
    {L"Increase system wave volume", kWin | kAlt, VK_UP},
    {L"Decrease system wave volume", kWin | kAlt, VK_DOWN},
    {L"Mute/unmute system wave volume", kWin | kAlt, VK_SPACE},
    {L"Increase player volume", kWin, VK_ADD},
    {L"Decrease player volume", kWin, VK_SUBTRACT},
    {L"Show/hide main window", kWin, VK_ESCAPE},
    {L"Toggle \"Bar Window\" mode", kWin, VK_OEM_3},
    {L"Show/hide OSD Panel", kWin, VK_NUMPAD0},
    {L"Show/hide OSD Panel", kWin, VK_INSERT},
    {L"Close", 0, VK_BROWSER_FAVORITES},
    {L"Kill active application", kCtrl | kAlt, VK_NUMPAD0},
    {L"Kill active application", kCtrl | kAlt, VK_INSERT},
    {L"Kill active application", kShift, VK_MEDIA_PREV_TRACK},
    {L"Close active application", kAlt, VK_MEDIA_PREV_TRACK},
    {L"Enable window under the mouse cursor", kWin | kShift, 'E'},
    {L"Show HWND of the active window", 0, VK_LAUNCH_MAIL},
    {L"Toggle \"onTop\" parameter of the active window", kWin | kShift, 'T'},
    {L"Lock mouse pointer in active window", kWin | kCtrl, VK_DELETE},
    {L"Toggle suspend for the active process", kCtrl | kAlt, VK_SPACE},
    {L"Restart playback of the current track", kWin, VK_RETURN},
    {L"Restart windows aero", kCtrl | kAlt | kShift, VK_F1},
};

uint64_t HotKeyValue(const HotKeySlot& slot) { return (uint64_t)slot.modifiers << 32 | slot.vk; }

void SetHotKeyValue(HotKeySlot* slot, uint64_t value) {
    slot->modifiers = (uint32_t)(value >> 32);
    slot->vk = (uint32_t)value;
}

static void Unregister(int id) {
    if (g_hotKeyWindow) UnregisterHotKey(g_hotKeyWindow, id);
    g_hotKeys[id].registered = false;
}

static void SetDefaults(int first, int end) {
    for (int i = first; i < end; i++) {
        Unregister(i);
        g_hotKeys[i] = HotKeySlot{kDefaults[i].action, kDefaults[i].modifiers, kDefaults[i].vk, false};
    }
}

void SetPlayerHotKeyDefaults() { SetDefaults(0, kPlayerHotKeys); }
void SetSystemHotKeyDefaults() { SetDefaults(kPlayerHotKeys, kHotKeyCount); }

static const wchar_t kSection[] = L"Settings.ini\\HotKeys";

void SaveHotKeys() {
    SettingsStore s;
    if (!s.Open(SettingsKeyAppend, kSection, KEY_WRITE)) return;
    for (int i = 0; i < kHotKeyCount; i++) {
        wchar_t name[8];
        _snwprintf(name, 8, L"%02i", i);
        s.WriteQword(name, HotKeyValue(g_hotKeys[i]));
    }
    s.Close();
}

void LoadHotKeys() {
    SettingsStore s;
    if (!s.Open(SettingsKeyAppend, kSection, KEY_READ)) return;
    for (int i = 0; i < kHotKeyCount; i++) {
        wchar_t name[8];
        _snwprintf(name, 8, L"%02i", i);
        uint64_t value;
        if (s.ReadQword(name, &value)) SetHotKeyValue(&g_hotKeys[i], value);
    }
    s.Close();
}

void SaveHotKeySections() {
    SaveHotKeys();
    SaveManagerHotKeys();
    SaveLayoutSwitcher();
}

void LoadHotKeySections(bool) {
    // Read even without General: a slot HotKeys does not name keeps its key,
    // and a manager without its section gets its defaults.
    LoadHotKeys();
    LoadManagerHotKeys();
    LoadLayoutSwitcher();
}

bool HotKeyRegistrable(uint32_t modifiers, uint32_t vk) { return !(modifiers & HotKeyOff) && vk > 0 && vk < 0xFF; }

void RegisterHotKeys(HWND wnd) {
    if (!wnd) return;
    if (g_hotKeyWindow && g_hotKeyWindow != wnd) UnregisterHotKeys();
    g_hotKeyWindow = wnd;
    for (int i = 0; i < kHotKeyCount; i++) {
        HotKeySlot& slot = g_hotKeys[i];
        // Registering a registered id again would keep its old key as well.
        if (slot.registered || !HotKeyRegistrable(slot.modifiers, slot.vk)) continue;
        slot.registered = RegisterHotKey(wnd, i, slot.modifiers & kHotKeyModifierMask, slot.vk) != FALSE;
    }
}

void UnregisterHotKeys() {
    for (int i = 0; i < kHotKeyCount; i++) Unregister(i);
}

static const wchar_t* const kMediaKeyNames[] = {
    L"Browser Back", L"Browser Forward", L"Browser Refresh", L"Browser Stop", L"Browser Search",
    L"Browser Favorites", L"Browser Home", L"Volume Mute", L"Volume Down", L"Volume Up",
    L"Media Next Track", L"Media Previous Track", L"Media Stop", L"Media Play/Pause", L"Launch Mail",
    L"Launch Media Select", L"Launch App1", L"Launch App2",
};

// Keys that share their scan code with a numeric-pad or main-block key and
// are told apart by the extended flag.
static bool ExtendedKey(uint32_t vk) {
    return (vk >= VK_PRIOR && vk <= VK_DELETE) || (vk >= VK_LWIN && vk <= VK_APPS) || vk == VK_DIVIDE ||
           vk == VK_NUMLOCK || vk == VK_RCONTROL || vk == VK_RMENU;
}

void HotKeyName(uint32_t vk, wchar_t* out, int size) {
    if (size <= 0) return;
    out[0] = 0;
    if (vk == VK_SLEEP) {
        lstrcpynW(out, L"Sleep", size);
        return;
    }
    if (vk >= VK_BROWSER_BACK && vk <= VK_LAUNCH_APP2) {
        lstrcpynW(out, kMediaKeyNames[vk - VK_BROWSER_BACK], size);
        return;
    }
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LONG lParam = (LONG)(scan << 16) | 1;
    if (ExtendedKey(vk)) lParam |= 1 << 24;
    if (GetKeyNameTextW(lParam, out, size) <= 0) out[0] = 0;
}
