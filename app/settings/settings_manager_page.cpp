// Page 3's part beyond the system hot keys: the hot keys manager's entries and
// the keyboard layout switcher in the key editor, the entries' command lines
// in the action list, and the command box with its add, remove and set buttons.
#include "app/settings/settings_frame.h"
#include "app/main_window.h"
#include "system/hot_keys_manager.h"
#include "system/layout_switcher.h"
#include "ui/button.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/theme.h"

void AppendManagerKeys(std::vector<KeyBinding>* keys) {
    for (int i = 0; i < ManagerEntryCount(); i++) {
        LaunchKey* e = EditableManagerEntry(i);
        keys->push_back(KeyBinding{&e->modifiers, &e->vk, &e->registered, e->commandLine.c_str()});
    }
    LayoutSwitcher& k = g_layoutSwitcher;
    keys->push_back(KeyBinding{&k.modifiers, &k.vk, &k.active, k.action});
}

static void ShowCommandOfCurrent() {
    SettingsFrame& s = g_settings;
    if (!s.actions || !s.command) return;
    const LaunchKey* e = ManagerEntry(s.actions->currentRow);
    SetEditText(s.command, e ? e->commandLine.c_str() : L"");
    if (s.command->visible) Redraw(s.command);
}

void FillManagerPage() {
    SettingsFrame& s = g_settings;
    ListView* l = s.actions;
    if (!l) return;
    int current = l->currentRow;
    Clear(l, true);
    for (int i = 0; i < ManagerEntryCount(); i++) {
        AddRow(l);
        wchar_t label[32];
        swprintf(label, 32, L"Run %i", i + 1);
        SetCellText(l, 0, label);
        SetCellText(l, 1, ManagerEntry(i)->commandLine.c_str());
        SetRowColor(l, -1, g_theme.palette[5]);
    }
    l->currentRow = current >= 0 && current < l->rowCount ? current : 0;
    ShowCommandOfCurrent();
    if (l->visible) Redraw(l);
}

void RestoreManagerDefaults() { SetManagerDefaults(); }

void RegisterManagerKeys() {
    RegisterManagerHotKeys(g_mainWindow);
    InstallLayoutSwitcher();
}

void UnregisterManagerKeys() {
    UnregisterManagerHotKeys();
    RemoveLayoutSwitcher();
}

// The editor and the action list change together after an edit of the entries.
static void Refill(int focus) {
    SettingsFrame& s = g_settings;
    if (s.actions && focus >= 0) s.actions->currentRow = focus;
    FillHotKeyEditor(PageManager);
    FillManagerPage();
    if (s.hotKeys && s.hotKeys->visible) Redraw(s.hotKeys);
}

static void AddEntry(const wchar_t* command) {
    int i = AddManagerEntry();
    if (command && *command) SetManagerCommand(i, command);
    Refill(i);
}

static void RemoveEntries() {
    ListView* l = g_settings.actions;
    if (!l || l->rowCount == 0) return;
    std::vector<int> rows;
    for (int r = 0; r < l->rowCount; r++)
        if (l->rows[r].selected) rows.push_back(r);
    if (rows.empty()) rows.push_back(l->currentRow);
    RemoveManagerEntries(rows);
    for (int r = 0; r < l->rowCount; r++) l->rows[r].selected = false;
    Refill(l->currentRow < ManagerEntryCount() ? l->currentRow : ManagerEntryCount() - 1);
}

static void SetCommand() {
    SettingsFrame& s = g_settings;
    if (!s.actions || !s.command || !ManagerEntry(s.actions->currentRow)) return;
    SetManagerCommand(s.actions->currentRow, s.command->text.c_str());
    Refill(s.actions->currentRow);
}

static LRESULT AddNotify(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_LBUTTONUP) AddEntry(nullptr);
    return 0;
}
static LRESULT RemoveNotify(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_LBUTTONUP) RemoveEntries();
    return 0;
}
static LRESULT SetNotify(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_LBUTTONUP) SetCommand();
    return 0;
}

// Enter writes the box into the focused entry; Shift+Enter adds a new one with it.
static LRESULT CommandBoxNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_KEYDOWN || wp != VK_RETURN) return 0;
    if (GetKeyState(VK_SHIFT) < 0) AddEntry(g_settings.command ? g_settings.command->text.c_str() : nullptr);
    else SetCommand();
    return 0;
}

static LRESULT ManagerListNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    if (g_settings.filling) return 0;
    if (msg == WM_COMMAND && wp == kListCurrentChanged) ShowCommandOfCurrent();
    if (msg == WM_KEYDOWN && wp == VK_F8) RemoveEntries();
    return 0;
}

void AddManagerControls() {
    SettingsFrame& s = g_settings;
    const unsigned mask = 1u << PageManager;
    static const wchar_t* const actionTitles[2] = {L"Action", L"Command line"};
    ListView* actions = NewSettingsList(400, 120, ManagerListNotify, 0, actionTitles, 2);
    actions->columns[0].width = 70;
    actions->columns[1].width = 440;
    if (AddPageControl(actions, mask)) s.actions = actions;
    Button* b = NewSettingsButton(L"+", 19, 19, AddNotify);
    if (AddPageControl(b, mask)) s.addEntry = b;
    b = NewSettingsButton(L"-", 19, 19, RemoveNotify);
    if (AddPageControl(b, mask)) s.removeEntry = b;
    b = NewSettingsButton(L"Set", 46, 19, SetNotify);
    if (AddPageControl(b, mask)) s.setCommand = b;
    EditBox* e = new EditBox(0, 0, 300, 19, CommandBoxNotify);
    e->tabStop = true;
    if (AddPageControl(e, mask)) s.command = e;
}

bool ManagerControlsShown() { return true; }
