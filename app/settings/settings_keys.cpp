// The hot key editor of pages 2 and 3: one row per key with its Enabled,
// Ctrl, Alt, Shift and Win cells, the key's name and the action; Enter arms
// the capture of a new key. Its three buttons restore, register and
// unregister the page's keys.
#include "app/settings/settings_frame.h"
#include "app/main_window.h"
#include "system/hot_keys.h"
#include "ui/button.h"
#include "ui/list_view.h"
#include "ui/theme.h"
#include <string.h>

enum KeyColumn { KeyEnabled = 0, KeyCtrl, KeyAlt, KeyShift, KeyWin, KeyName, KeyAction, kKeyColumns };

// The bit each check cell flips; Enabled flips the switched-off bit.
static const uint32_t kCellBits[5] = {HotKeyOff, HotKeyCtrl, HotKeyAlt, HotKeyShift, HotKeyWin};

static std::vector<KeyBinding> g_keys;  // the editor's rows
static bool g_armed;                    // Enter armed the capture of the current row's key
static bool g_swallowChar;              // the captured key's character message is dropped

static int PaletteEntryOf(const KeyBinding& k) {
    if (*k.modifiers & HotKeyOff) return 7;               // switched off
    if (k.registered && !*k.registered) return 3;         // the key is someone else's
    return 5;
}

static void ShowKeyRow(ListView* l, int row) {
    const KeyBinding& k = g_keys[(size_t)row];
    ListRow& r = l->rows[row];
    for (int c = KeyEnabled; c <= KeyWin; c++) {
        bool on = c == KeyEnabled ? !(*k.modifiers & HotKeyOff) : (*k.modifiers & kCellBits[c]) != 0;
        r.cells[c].value = on ? IconOn : IconOff;
        r.cells[c].empty = false;
    }
    wchar_t name[64];
    HotKeyName(*k.vk, name, 64);
    SetCellText(l, KeyName, name, row);
    int entry = PaletteEntryOf(k);
    r.textColor = g_theme.palette[entry];
    r.paletteSlot = (uint8_t)(entry + 1);
}

static void ShowKeyRows() {
    ListView* l = g_settings.hotKeys;
    if (!l) return;
    int current = l->currentRow, top = l->topRow;
    Clear(l, true);
    for (size_t i = 0; i < g_keys.size(); i++) {
        if (!AddRow(l)) break;
        SetCellText(l, KeyAction, g_keys[i].action ? g_keys[i].action : L"");
        ShowKeyRow(l, l->rowCount - 1);
    }
    l->topRow = top < l->rowCount ? top : 0;
    l->currentRow = 0;
    ShowCurrentRow(l, current < l->rowCount ? current : 0);
    int fixed = 0;
    for (int c = 0; c < KeyAction; c++) fixed += l->columns[c].width;
    int rest = l->width - 2 - 16 - fixed;
    l->columns[KeyAction].width = rest > 150 ? rest : 150;
}

static void Disarm() {
    ListView* l = g_settings.hotKeys;
    if (!g_armed) return;
    g_armed = false;
    if (!l) return;
    memcpy(l->colors, g_theme.list, sizeof(l->colors));
    UiWindow* ui = g_settings.window;
    if (l->visible && ui && ui->hwnd && !g_settings.closing) Redraw(l);
}

void FillHotKeyEditor(int page) {
    Disarm();
    g_keys.clear();
    int first = page == PageManager ? kPlayerHotKeys : 0, end = page == PageManager ? kHotKeyCount : kPlayerHotKeys;
    for (int i = first; i < end; i++) {
        HotKeySlot& s = g_hotKeys[i];
        g_keys.push_back(KeyBinding{&s.modifiers, &s.vk, &s.registered, s.action});
    }
    if (page == PageManager) AppendManagerKeys(&g_keys);
    ShowKeyRows();
}

bool KeyCaptureArmed() { return g_armed; }

void CancelKeyCapture() {
    Disarm();
    g_armed = false;
    g_swallowChar = false;
}

// Capture belongs to the editor: once the editor is hidden or another control
// has the keys, a key is that control's again.
static bool EditorHasTheKeys() {
    ListView* l = g_settings.hotKeys;
    UiWindow* ui = g_settings.window;
    return l && ui && l->visible && l->focusState == HasFocus && ui->focusIndex == l->index;
}

bool CaptureKeyMessage(UINT msg, WPARAM wp) {
    if (g_swallowChar && (msg == WM_CHAR || msg == WM_KEYUP || msg == WM_KEYDOWN)) {
        g_swallowChar = false;
        if (msg == WM_CHAR) return true;
    }
    if (!g_armed || msg != WM_KEYDOWN) return false;
    if (!EditorHasTheKeys()) {
        CancelKeyCapture();
        return false;
    }
    // The modifiers are the row's cells: a held Ctrl or Shift waits for the key itself.
    if (wp == VK_SHIFT || wp == VK_CONTROL || wp == VK_LWIN || wp == VK_RWIN) return true;
    ListView* l = g_settings.hotKeys;
    Disarm();
    if (!l || l->currentRow < 0 || (size_t)l->currentRow >= g_keys.size()) return true;
    *g_keys[(size_t)l->currentRow].vk = (uint32_t)wp;
    ShowKeyRow(l, l->currentRow);
    g_swallowChar = true;
    if (l->visible) Redraw(l);
    return true;
}

static void FlipCell(int column) {
    ListView* l = g_settings.hotKeys;
    if (!l || column < KeyEnabled || column > KeyWin || l->currentRow >= (int)g_keys.size()) return;
    *g_keys[(size_t)l->currentRow].modifiers ^= kCellBits[column];
    ShowKeyRow(l, l->currentRow);
    Redraw(l);
}

static LRESULT HotKeysNotify(HWND, UINT msg, WPARAM wp, LPARAM) {
    ListView* l = g_settings.hotKeys;
    if (!l || l->rowCount == 0) return 0;
    switch (msg) {
    case kMsgCellClick:
        FlipCell((int)wp);
        break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEWHEEL:
        Disarm();
        break;
    case WM_KEYDOWN:
        if (wp == VK_SPACE) {
            FlipCell(KeyEnabled);
        } else if (wp == VK_RETURN && GetKeyState(VK_CONTROL) >= 0) {
            g_armed = true;
            l->colors[1] = g_theme.list[14];
            l->colors[2] = g_theme.list[15];
            Redraw(l);
        }
        break;
    }
    return 0;
}

enum KeyButton { RestoreKeys, RegisterKeys, UnregisterKeys };

static void RunKeyButton(KeyButton which) {
    SettingsFrame& s = g_settings;
    bool manager = s.page == PageManager;
    if (which == RestoreKeys) {
        // Reset keys stay unregistered until "Register All".
        if (manager) {
            SetSystemHotKeyDefaults();
            RestoreManagerDefaults();
        } else {
            SetPlayerHotKeyDefaults();
        }
    } else {
        UnregisterHotKeys();
        UnregisterManagerKeys();
        if (which == RegisterKeys) {
            RegisterHotKeys(g_mainWindow);
            RegisterManagerKeys();
        }
    }
    FillHotKeyEditor(s.page);
    if (manager) FillManagerPage();
    if (s.hotKeys) Redraw(s.hotKeys);
}

template <KeyButton Which>
static LRESULT KeyButtonNotify(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_LBUTTONUP) RunKeyButton(Which);
    return 0;
}

void AddHotKeyEditor() {
    SettingsFrame& s = g_settings;
    ListView* l = new ListView(0, 0, 500, 300, HotKeysNotify);
    AddColumns(l, kKeyColumns);
    static const wchar_t* const titles[kKeyColumns] = {L"Enabled", L"Ctrl", L"Alt", L"Shift", L"Win", L"Key", L"Action"};
    static const int widths[kKeyColumns] = {52, 34, 30, 38, 34, 130, 200};
    for (int c = 0; c < kKeyColumns; c++) {
        SetColumnTitle(l, c, titles[c]);
        l->columns[c].width = widths[c];
        if (c <= KeyWin) {
            l->columns[c].type = ColumnIcon;
            l->columns[c].resizable = false;
        }
    }
    l->iconSheet = SettingsIcons();
    l->keyColumn = KeyAction;
    const unsigned pages = 1u << PagePlayerKeys | 1u << PageManager;
    if (AddPageControl(l, pages)) s.hotKeys = l;
    Button* b = NewSettingsButton(L"Restore default", 94, 23, KeyButtonNotify<RestoreKeys>);
    if (AddPageControl(b, pages)) s.restoreDefaults = b;
    b = NewSettingsButton(L"Register All", 94, 23, KeyButtonNotify<RegisterKeys>);
    if (AddPageControl(b, pages)) s.registerAll = b;
    b = NewSettingsButton(L"Unregister All", 94, 23, KeyButtonNotify<UnregisterKeys>);
    if (AddPageControl(b, pages)) s.unregisterAll = b;
}
