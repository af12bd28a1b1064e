// What the settings window's files share: its controls, the pages they show
// on, and each page's builders and fillers. settings_window.cpp owns the
// window, the page switch and the layout; settings_options.cpp the option
// lists, the margin sliders and the music folder; settings_keys.cpp the hot key
// editor; settings_manager_page.cpp the hot keys manager's part of page 3;
// settings_data_pages.cpp the devices, plug-ins and statistics; settings_about.cpp
// the about box.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>
#include "ui/ui_window.h"

class Button;
class CaptionBar;
class CustomControl;
class EditBox;
class ListView;
class Slider;
struct SpriteSheet;

enum SettingsPage {
    PageGeneral = 0,
    PageAudio = 1,
    PagePlayerKeys = 2,
    PageManager = 3,
    PagePlugins = 4,
    PageScrobbler = 5,
    kSettingsPageCount = 6,
};

// The option lists, in the order they are created.
enum OptionListId {
    OptionThemes = 0,
    OptionOsd,
    OptionShell,
    OptionTray,
    OptionMisc,
    OptionPlayback,
    OptionVolumeBar,
    OptionReplayGain,
    kOptionListCount,
};

// Cells of the settings strip (bitmap 113): page icons and the check box.
enum SettingsIcon {
    IconGeneral = 0,
    IconAudio = 1,
    IconOff = 2,
    IconOn = 3,
    IconPlayerKeys = 4,
    IconManager = 5,
    IconPlugins = 6,
    IconScrobbler = 7,
};

const int kMaxSettingsControls = 48;

struct SettingsFrame {
    UiWindow* window;
    // Shown on every page: the first three controls.
    CaptionBar* caption;
    ListView* pages;
    EditBox* cpuLabel;
    // Page 0.
    CustomControl* about;
    EditBox* musicFolder;
    ListView* options[kOptionListCount];  // Playback, Volume Bar controls and ReplayGain are page 1's
    Slider* marginSmall;
    Slider* marginBig;
    // Page 1.
    ListView* devices;
    ListView* deviceInfo;
    Slider* gainPreamp;    // ReplayGainPreamp
    Slider* gainUntagged;  // ReplayGainUntagged
    // Pages 2 and 3.
    ListView* hotKeys;
    Button* restoreDefaults;
    Button* registerAll;
    Button* unregisterAll;
    // Page 3: the hot keys manager and the layout switcher.
    ListView* actions;
    Button* addEntry;
    Button* removeEntry;
    Button* setCommand;
    EditBox* command;
    // Page 4.
    ListView* plugins;
    Button* reloadPlugins;
    // Page 5.
    ListView* stats;
    Button* enableScrobbler;
    Button* resetStats;

    int page;
    uint8_t pageMask[kMaxSettingsControls];  // per control index: bit p, shown on page p
    bool filling;  // the window itself moves list rows: nothing is chosen
    bool closing;  // closed from inside its own messages; destroyed by a posted message
};

extern SettingsFrame g_settings;

// ---- settings_window.cpp ----
// Adds a control for the pages in mask (bit p: page p); false when it could not be made.
bool AddPageControl(Control* c, unsigned mask);
bool AddPageControl(ListView* l, unsigned mask);
// A list with a header: an icon column of width iconWidth (0: none) and the titled text columns.
ListView* NewSettingsList(int w, int h, NotifyProc notify, int iconWidth, const wchar_t* const* titles, int columns);
// A push button of the given size.
Button* NewSettingsButton(const wchar_t* text, int w, int h, NotifyProc notify);
// Sets the current row without telling the owner (what the window shows, not a choice).
void ShowCurrentRow(ListView* l, int row);
// The strip of the page list and the option rows.
const SpriteSheet* SettingsIcons();
// The page shown now and switching to another (as the page list's current row does).
void ShowSettingsPage(int page);
// The settings window copies the colours in force into its controls (after a theme switch).
void RecolourSettingsWindow(uint32_t previousTheme);

// ---- settings_options.cpp ----
void AddOptionLists(unsigned pageMaskGeneral, unsigned pageMaskAudio);
void AddMusicFolderBox();
void AddMarginSliders();
// The levelling's two gain sliders (page 1).
void AddGainSliders();
// Every option row, the music folder and the sliders show the current settings.
void ShowOptionStates();
// The text of an option row's label (the tests find rows by it); null outside the list.
const wchar_t* OptionLabel(int list, int row);
int OptionRowCount(int list);

// ---- settings_keys.cpp ----
// The editor list and its three buttons (pages 2 and 3).
void AddHotKeyEditor();
// Fills the editor with the page's keys: the player group on page 2, the system group (and the manager's entries) on page 3.
void FillHotKeyEditor(int page);
// A key while capture is armed: taken as the row's key. True when the message was consumed.
bool CaptureKeyMessage(UINT msg, WPARAM wp);
bool KeyCaptureArmed();
// Ends an armed capture without taking a key: another page, the window
// closing or losing the focus.
void CancelKeyCapture();

// One key the editor edits: a player hot key slot, a manager entry or the layout switcher.
struct KeyBinding {
    uint32_t* modifiers;
    uint32_t* vk;
    const bool* registered;  // null: never registered (shown as registered when enabled)
    const wchar_t* action;
};

// ---- settings_manager_page.cpp: the hot keys manager and the layout switcher ----
void AddManagerControls();
// Page 3 shows the manager's controls.
bool ManagerControlsShown();
// The rows the editor shows after the system group on page 3.
void AppendManagerKeys(std::vector<KeyBinding>* keys);
// Page 3's action list and the command box of its current row.
void FillManagerPage();
// Page 3's "Restore default" beyond the system group; "Register All" and "Unregister All" beyond the 42 slots.
void RestoreManagerDefaults();
void RegisterManagerKeys();
void UnregisterManagerKeys();

// ---- settings_data_pages.cpp ----
void AddDeviceLists();
void FillDeviceLists();
void AddPluginPage();
void FillPluginList();
void AddStatisticsPage();
void FillStatisticsList();
// The CPU label's text: "CPU: " and the audio library's load.
void RefreshCpuLabel();

// ---- settings_about.cpp ----
void AddAboutBox();
// The help text the about box shows: the program's lines and the supported formats.
std::wstring AboutText();
