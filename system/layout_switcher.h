// The keyboard layout switcher: one key, caught by a low-level keyboard hook,
// switches the window in front to the next keyboard layout and reaches no
// program. Section KeyboardLayoutSwitcher of Settings.ini. One running
// instance owns it, marked by a named event.
#pragma once
#include <windows.h>
#include <stdint.h>

struct LayoutSwitcher {
    const wchar_t* action;  // the row's text in the hot key editor
    uint32_t modifiers;     // only HotKeyOff counts; the others are kept for the editor
    uint32_t vk;            // the key that switches
    bool active;            // the hook is installed
    HHOOK hook;
    HANDLE event;   // marks this instance as the owner
    HANDLE thread;  // the thread whose message loop serves the hook
    DWORD threadId;
};

extern LayoutSwitcher g_layoutSwitcher;

// Switched off, Caps Lock. Removes an installed hook first.
void SetLayoutSwitcherDefaults();

// Section KeyboardLayoutSwitcher: one value "Key", stored as the hot keys are.
void SaveLayoutSwitcher();
void LoadLayoutSwitcher();

// Installs the hook for the current key, after removing an installed one.
// Nothing happens when the switcher is off or another instance owns it;
// when the hook cannot be set, "KeyboardLayoutSwitcher failed" is shown.
bool InstallLayoutSwitcher();
void RemoveLayoutSwitcher();

// What the hook does with one keyboard event.
enum LayoutKeyAction {
    LayoutKeyPass,    // to the next hook and the programs
    LayoutKeySwallow, // taken away from every program
    LayoutKeySwitch,  // taken away, and the window in front gets the next layout
};
// code, message and vk as the hook receives them. held is the hook's memory
// of a press it swallowed: a release is only taken when its press was.
LayoutKeyAction DecideLayoutKey(uint32_t switchVk, int code, WPARAM message, DWORD vk, bool* held);
// The request a switch posts to the window in front.
const UINT kLayoutRequestMessage = WM_INPUTLANGCHANGEREQUEST;
const LPARAM kLayoutRequestNext = (LPARAM)HKL_NEXT;
