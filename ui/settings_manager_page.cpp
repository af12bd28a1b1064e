// Page 3's part beyond the system hot keys: the hot keys manager's entries
// (their keys in the editor, their command lines in the action list, the
// command box with its add, remove and set buttons) and the keyboard layout
// switcher's row.
//
// Wiring point: the manager's module (system/hot_keys_manager.h) so far only
// counts and runs entries, and the layout switcher has no module yet. The
// controls are made and placed, but stay hidden (kManagerControlsShown) and
// the functions below do only what the manager's interface allows today.
// When both modules are in, each function here gets its body: the entries'
// KeyBindings and the switcher's, the default table, register and
// unregister, add, remove and set command; then the controls are shown.
#include "ui/settings_frame.h"
#include "system/hot_keys_manager.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/theme.h"

static const bool kManagerControlsShown = false;

void AppendManagerKeys(std::vector<KeyBinding>*) {
    // Wiring point: one KeyBinding per manager entry (its command line as the action).
}

void FillManagerPage() {
    SettingsFrame& s = g_settings;
    if (ListView* l = s.actions) {
        Clear(l, true);
        // Wiring point: the entries' command lines. The interface of today only counts them.
        for (int i = 0; i < ManagerEntryCount(); i++) {
            AddRow(l);
            SetCellText(l, 0, L"Run");
            SetRowColor(l, -1, g_theme.palette[5]);
        }
    }
    if (ListView* l = s.switcher) Clear(l, true);  // wiring point: the layout switcher's row
}

void RestoreManagerDefaults() {
    // Wiring point: the manager's six default entries (unregistered until "Register All").
}

void RegisterManagerKeys() {
    // Wiring point: register the manager's entries, install the layout switcher's hook.
}

void UnregisterManagerKeys() {
    // Wiring point: unregister the manager's entries, remove the layout switcher's hook.
}

// Wiring point: add (+), remove (-) and set command (Set, Enter in the box; Shift+Enter adds).
static LRESULT ManagerButtonNotify(HWND, UINT, WPARAM, LPARAM) { return 0; }
static LRESULT CommandBoxNotify(HWND, UINT, WPARAM, LPARAM) { return 0; }
static LRESULT ManagerListNotify(HWND, UINT, WPARAM, LPARAM) { return 0; }

void AddManagerControls() {
    SettingsFrame& s = g_settings;
    const unsigned mask = kManagerControlsShown ? 1u << PageManager : 0;
    static const wchar_t* const actionTitles[2] = {L"Action", L"Command line"};
    ListView* actions = NewSettingsList(400, 120, ManagerListNotify, 0, actionTitles, 2);
    actions->columns[0].width = 130;
    actions->columns[1].width = 400;
    if (AddPageControl(actions, mask)) s.actions = actions;
    static const wchar_t* const switcherTitles[7] = {L"Enabled", L"Ctrl", L"Alt", L"Shift", L"Win", L"Key", L"Action"};
    ListView* switcher = new ListView(0, 0, 400, 38, ManagerListNotify);
    AddColumns(switcher, 7);
    for (int c = 0; c < 7; c++) SetColumnTitle(switcher, c, switcherTitles[c]);
    if (AddPageControl(switcher, mask)) s.switcher = switcher;
    Button* b = NewSettingsButton(L"+", 19, 19, ManagerButtonNotify);
    if (AddPageControl(b, mask)) s.addEntry = b;
    b = NewSettingsButton(L"-", 19, 19, ManagerButtonNotify);
    if (AddPageControl(b, mask)) s.removeEntry = b;
    b = NewSettingsButton(L"Set", 46, 19, ManagerButtonNotify);
    if (AddPageControl(b, mask)) s.setCommand = b;
    EditBox* e = new EditBox(0, 0, 300, 19, CommandBoxNotify);
    e->tabStop = true;
    if (AddPageControl(e, mask)) s.command = e;
}

bool ManagerControlsShown() { return kManagerControlsShown; }
