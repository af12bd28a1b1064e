// The hot keys manager: global hot keys that start command lines, section
// HotKeysManager of Settings.ini. Entry i uses the hot-key id kManagerFirstId + i.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <vector>
#include "base/string_buffer.h"

const int kManagerFirstId = 0xFFFF;
// A hand-edited Number above this loads this many entries.
const int kManagerMaxEntries = 500;

struct LaunchKey {
    StringBuffer commandLine;
    uint32_t modifiers = 0;  // HotKeyModifier bits, as the player's hot keys
    uint32_t vk = 0;
    bool registered = false;  // id kManagerFirstId + index is registered with this key
};

int ManagerEntryCount();
// The entry at index, or null; for showing the list. Change keys through SetManagerKey.
const LaunchKey* ManagerEntry(int index);
inline int ManagerHotKeyId(int index) { return kManagerFirstId + index; }
// The entry for the settings page's key editor, which changes modifiers and
// key in place; the next "Register all" applies them.
LaunchKey* EditableManagerEntry(int index);

// Unregisters every entry and puts the six default entries in place.
void SetManagerDefaults();
// Appends a new entry ("cmd.exe", Win+A, not registered); returns its index.
int AddManagerEntry();
// Line breaks become spaces: the settings file keeps one line per value.
void SetManagerCommand(int index, const wchar_t* commandLine);
// A new key stays unregistered until the manager registers again.
void SetManagerKey(int index, uint32_t modifiers, uint32_t vk);
// Removes the rows named (in any order, repeats and bad indexes ignored); the
// others keep their order, and those that were registered stay registered
// under their new ids. Returns how many were removed.
int RemoveManagerEntries(const std::vector<int>& rows);

// Section HotKeysManager: "Number", then "00" (the key) and "00s" (the command
// line) per entry. A section without entries gives the defaults.
void SaveManagerHotKeys();
void LoadManagerHotKeys();

// Registers the entries that are not switched off on the window; keys taken
// by another program stay unregistered.
void RegisterManagerHotKeys(HWND wnd);
void UnregisterManagerHotKeys();

// Starts entry index's command line; nothing is shown when it does not start.
void RunManagerEntry(int index);
