// The player's global hot keys: the table of 42 commands with their keys,
// section HotKeys of Settings.ini, and registering them on the main window.
// Also the entry points of the sections HotKeysManager and KeyboardLayoutSwitcher.
#pragma once
#include <windows.h>
#include <stdint.h>

// Modifier bits as RegisterHotKey takes them, and the switched-off bit.
enum HotKeyModifier : uint32_t {
    HotKeyAlt = MOD_ALT,
    HotKeyCtrl = MOD_CONTROL,
    HotKeyShift = MOD_SHIFT,
    HotKeyWin = MOD_WIN,
    HotKeyOff = 0x10,
};

// The bits RegisterHotKey is given.
const uint32_t kHotKeyModifierMask = HotKeyAlt | HotKeyCtrl | HotKeyShift | HotKeyWin;

const int kHotKeyCount = 42;
const int kPlayerHotKeys = 31;  // slots 0-30; 31-41 are the system group

struct HotKeySlot {
    const wchar_t* action;  // the command's display name
    uint32_t modifiers;     // HotKeyModifier bits
    uint32_t vk;
    bool registered;        // the last RegisterHotKey for this slot succeeded
};

// Indexed by the command number, which is also the hot-key id.
extern HotKeySlot g_hotKeys[kHotKeyCount];

// The stored form: modifiers in the high half, the key in the low half.
uint64_t HotKeyValue(const HotKeySlot& slot);
void SetHotKeyValue(HotKeySlot* slot, uint64_t value);

// Unregister the group's keys and give it its default keys.
void SetPlayerHotKeyDefaults();
void SetSystemHotKeyDefaults();

// Section HotKeys: every slot by its number "00".."41"; missing entries keep their keys.
void SaveHotKeys();
void LoadHotKeys();

// Appends the hot-key sections to Settings.ini (inside the running settings save).
void SaveHotKeySections();
// Loads them; generalFound tells whether General was there.
void LoadHotKeySections(bool generalFound);

// A key worth asking RegisterHotKey for: not switched off, and a real key
// (a hand-edited value may hold anything).
bool HotKeyRegistrable(uint32_t modifiers, uint32_t vk);

// Registers every slot that is not switched off on the window; a slot that
// is registered already stays so. Keys taken by another program stay unregistered.
void RegisterHotKeys(HWND wnd);
// Unregisters ids 0-41 from the window they were registered on.
void UnregisterHotKeys();

// The name of a key for the hot key editor: the multimedia keys by our own
// names, every other key as the keyboard layout names it.
void HotKeyName(uint32_t vk, wchar_t* out, int size);
