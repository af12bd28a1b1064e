#include "system/hot_keys_manager.h"
#include "base/settings_store.h"
#include "system/hot_keys.h"
#include "system/system_actions.h"
#include <stdio.h>

static std::vector<LaunchKey> g_entries;
// The window the entries were registered on.
static HWND g_managerWindow;

struct LaunchDefault {
    const wchar_t* commandLine;
    uint32_t modifiers;
    uint32_t vk;
};

// Relative paths rely on CreateProcessW's search, which looks in the Windows folder.
static const LaunchDefault kDefaults[] = {
    {L"c:\\Program Files\\Internet Explorer\\IEXPLORE.EXE", 0, VK_BROWSER_HOME},
    {L"explorer.exe c:", HotKeyShift, VK_BROWSER_HOME},
    {L"c:\\Program Files\\Far\\Far.exe", HotKeyWin, 'Z'},
    {L"System32\\mspaint.exe", HotKeyCtrl | HotKeyAlt, VK_END},
    {L"System32\\calc.exe", HotKeyCtrl | HotKeyAlt, VK_DOWN},
    {L"System32\\notepad.exe", HotKeyWin, 'X'},
};

static LaunchKey NewEntry(const wchar_t* commandLine, uint32_t modifiers, uint32_t vk) {
    LaunchKey e;
    e.commandLine.Set(commandLine);
    e.modifiers = modifiers;
    e.vk = vk;
    return e;
}

static LaunchKey NewEntry() { return NewEntry(L"cmd.exe", HotKeyWin, 'A'); }

static bool Valid(int index) { return index >= 0 && index < (int)g_entries.size(); }

static void Unregister(int index) {
    LaunchKey& e = g_entries[index];
    if (e.registered && g_managerWindow) UnregisterHotKey(g_managerWindow, ManagerHotKeyId(index));
    e.registered = false;
}

static void Register(int index) {
    LaunchKey& e = g_entries[index];
    if (e.registered || !g_managerWindow || !HotKeyRegistrable(e.modifiers, e.vk)) return;
    e.registered =
        RegisterHotKey(g_managerWindow, ManagerHotKeyId(index), e.modifiers & kHotKeyModifierMask, e.vk) != FALSE;
}

int ManagerEntryCount() { return (int)g_entries.size(); }

const LaunchKey* ManagerEntry(int index) { return Valid(index) ? &g_entries[index] : nullptr; }
LaunchKey* EditableManagerEntry(int index) { return Valid(index) ? &g_entries[index] : nullptr; }

void SetManagerDefaults() {
    UnregisterManagerHotKeys();
    g_entries.clear();
    for (const LaunchDefault& d : kDefaults) g_entries.push_back(NewEntry(d.commandLine, d.modifiers, d.vk));
}

int AddManagerEntry() {
    g_entries.push_back(NewEntry());
    return (int)g_entries.size() - 1;
}

void SetManagerCommand(int index, const wchar_t* commandLine) {
    if (!Valid(index)) return;
    std::wstring& text = g_entries[index].commandLine.text;
    text.assign(commandLine ? commandLine : L"");
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
}

void SetManagerKey(int index, uint32_t modifiers, uint32_t vk) {
    if (!Valid(index)) return;
    Unregister(index);
    g_entries[index].modifiers = modifiers;
    g_entries[index].vk = vk;
}

int RemoveManagerEntries(const std::vector<int>& rows) {
    int count = (int)g_entries.size(), first = count;
    std::vector<bool> gone(count, false);
    for (int row : rows)
        if (row >= 0 && row < count) {
            gone[row] = true;
            if (row < first) first = row;
        }
    if (first == count) return 0;
    // From the first removed row on every id changes: release them all, and
    // register the surviving ones again under their new ids.
    std::vector<bool> wasRegistered(count, false);
    for (int i = first; i < count; i++) {
        wasRegistered[i] = g_entries[i].registered;
        Unregister(i);
    }
    std::vector<LaunchKey> kept;
    std::vector<bool> keptRegistered;
    for (int i = 0; i < count; i++) {
        if (gone[i]) continue;
        kept.push_back(std::move(g_entries[i]));
        keptRegistered.push_back(wasRegistered[i]);
    }
    g_entries = std::move(kept);
    for (int i = first; i < (int)g_entries.size(); i++)
        if (keptRegistered[i]) Register(i);
    return count - (int)g_entries.size();
}

static const wchar_t kSection[] = L"Settings.ini\\HotKeysManager";

static void EntryNames(int index, wchar_t* key, wchar_t* text) {
    _snwprintf(key, 16, L"%02i", index);
    _snwprintf(text, 16, L"%02is", index);
}

void SaveManagerHotKeys() {
    SettingsStore s;
    if (!s.Open(SettingsKeyAppend, kSection, KEY_WRITE)) return;
    s.WriteInt(L"Number", (int32_t)g_entries.size());
    for (int i = 0; i < (int)g_entries.size(); i++) {
        const LaunchKey& e = g_entries[i];
        wchar_t key[16], text[16];
        EntryNames(i, key, text);
        s.WriteQword(key, (uint64_t)e.modifiers << 32 | e.vk);
        s.WriteString(text, e.commandLine.c_str());
    }
    s.Close();
}

void LoadManagerHotKeys() {
    SettingsStore s;
    int32_t number = 0;
    if (!s.Open(SettingsKeyAppend, kSection, KEY_READ) || !s.ReadDword(L"Number", &number) || number <= 0) {
        SetManagerDefaults();
        return;
    }
    if (number > kManagerMaxEntries) number = kManagerMaxEntries;
    UnregisterManagerHotKeys();
    g_entries.clear();
    for (int i = 0; i < number; i++) {
        g_entries.push_back(NewEntry());
        LaunchKey& e = g_entries.back();
        wchar_t key[16], text[16];
        EntryNames(i, key, text);
        uint64_t value;
        if (s.ReadQword(key, &value)) {
            e.modifiers = (uint32_t)(value >> 32);
            e.vk = (uint32_t)value;
        }
        StringBuffer command;
        if (s.ReadString(text, &command)) SetManagerCommand(i, command.c_str());
    }
}

void RegisterManagerHotKeys(HWND wnd) {
    if (!wnd) return;
    if (g_managerWindow && g_managerWindow != wnd) UnregisterManagerHotKeys();
    g_managerWindow = wnd;
    for (int i = 0; i < (int)g_entries.size(); i++) Register(i);
}

void UnregisterManagerHotKeys() {
    for (int i = 0; i < (int)g_entries.size(); i++) Unregister(i);
}

void RunManagerEntry(int index) {
    if (Valid(index)) RunCommandLine(g_entries[index].commandLine.c_str());
}
