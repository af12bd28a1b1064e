// The settings window beside the real main window: opening and closing,
// the pages, option rows with their effects, the hot key editor, the margin
// sliders, the device list's refusal, and what a person sees.
#include <gtest/gtest.h>
#include "tests/ui_test_window.h"
#include "tests/test_support.h"
#include "app/general_settings.h"
#include "app/main_commands.h"
#include "app/main_frame.h"
#include "app/main_window.h"
#include "base/paths.h"
#include "audio/audio_library.h"
#include "audio/engine.h"
#include "audio/plugins.h"
#include "library/playlist.h"
#include "system/hot_keys.h"
#include "system/hot_keys_manager.h"
#include "system/layout_switcher.h"
#include "ui/dpi.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/custom_control.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "app/settings/settings_frame.h"
#include "app/settings/settings_window.h"
#include "ui/slider.h"
#include "ui/theme.h"
#include <array>
#include <set>

struct SettingsWin : testing::Test {
    ScratchFolder dir{L"settings"};
    SettingsFrame& s = g_settings;
    static void SetUpTestSuite() {
        AudioInit(0, 44100, nullptr);
        LoadPlugins();  // the decoders' page lists the library's own two at least
    }
    static void TearDownTestSuite() { AudioFree(); }
    void SetUp() override {
        SetProgramFolder(dir.path);
        SetGeneralDefaults();
        g_general.OSDView = 2;
        ASSERT_TRUE(OpenMainWindow());
    }
    void TearDown() override {
        CloseMainWindow();  // the shutdown closes the settings window first
    }
    void Open() {
        RunCommand(CmdSettings);
        PumpMessages();
        ASSERT_TRUE(SettingsWindowHandle());
    }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageW(SettingsWindowHandle(), msg, wp, lp); }
    // A left click at a point of the settings window, outside the double-click window.
    void Click(int x, int y, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
        for (int i = 0; i < 31; i++) Send(WM_TIMER, kTickTimer);
        Send(down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, PackPoint(x, y));
        Send(up, 0, PackPoint(x, y));
    }
    // A point in a row's cell: column 0 is the check box of an option row.
    static POINT Cell(ListView* l, int row, int column) {
        int x = l->x + 2;
        for (int c = 0; c < column; c++) x += l->columns[c].width;
        return POINT{x + 6, l->y + l->headerHeight + 2 + (row - l->topRow) * l->rowHeight + l->rowHeight / 2};
    }
    void ClickOn(const Control* c) { Click(c->x + 5, c->y + 5); }
    void RightClickOn(const Control* c) { Click(c->x + 2, c->y + 5, WM_RBUTTONDOWN, WM_RBUTTONUP); }
    void ClickRow(ListView* l, int row, int column = 0) {
        POINT p = Cell(l, row, column);
        Click(p.x, p.y);
    }
    // Two presses on a row's cell within the double-click time.
    void DoubleClickRow(ListView* l, int row, int column) {
        POINT p = Cell(l, row, column);
        Click(p.x, p.y);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(p.x, p.y));
        Send(WM_LBUTTONUP, 0, PackPoint(p.x, p.y));
    }
    void Page(int p) {
        SetCurrent(s.pages, p);
        PumpMessages();
    }
    static int RowOf(int list, const wchar_t* label) {
        for (int r = 0; r < OptionRowCount(list); r++)
            if (!lstrcmpW(OptionLabel(list, r), label)) return r;
        return -1;
    }
    static bool Checked(ListView* l, int row) { return l->rows[row].cells[0].value == IconOn; }
};

TEST_F(SettingsWin, OpensBesideTheMainWindowAndClosesWithoutLeaks) {
    Open();
    RECT main = WindowRectOf(g_mainWindow), settings = WindowRectOf(SettingsWindowHandle());
    EXPECT_EQ(Dim(settings), std::make_pair(680, 637));
    if (main.left > 680) {
        EXPECT_EQ(settings.left, main.left - 680);
    }
    EXPECT_STREQ(s.caption->title, L"Settings");
    LONG_PTR ex = GetWindowLongPtrW(SettingsWindowHandle(), GWL_EXSTYLE);
    EXPECT_EQ(ex & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), WS_EX_APPWINDOW | WS_EX_TOOLWINDOW);
    EXPECT_EQ((ex & WS_EX_TOPMOST) != 0, g_general.isOnTop != 0);
    for (int p = 0; p < kSettingsPageCount; p++) Page(p);  // the pages' first-time caches fill before the count
    RunCommand(CmdSettings);  // closed again (F9's command)

    // Closed by its command or by the caption's close button, the main window's button comes up.
    int gdi = GdiObjectCount(), kernel = HandleCount();
    for (int round = 0; round < 4; round++) {
        Open();
        for (int p = 0; p < kSettingsPageCount; p++) Page(p);
        if (round % 2) {
            RunCommand(CmdSettings);
        } else {
            // The caption's close button: the window goes once its own messages have returned.
            Click(s.caption->closeButton.x + 4, s.caption->closeButton.y + 4);
            PumpMessages();
        }
        EXPECT_FALSE(SettingsWindowHandle()) << round;
        EXPECT_EQ(s.window, nullptr) << round;
        EXPECT_EQ(g_mainFrame.settings->toggleState, ToggleUp) << round;
    }
    EXPECT_LE(SettledGdiObjectCount(), gdi + 2);  // a leak of one object a round shows as 4
    EXPECT_LE(HandleCount(), kernel + 2);
}

TEST_F(SettingsWin, EachPageShowsExactlyItsControls) {
    Open();
    auto shown = [&] {
        std::set<Control*> v;
        for (int i = 0; i < s.window->controlCount; i++)
            if (s.window->controls[i]->visible) v.insert(s.window->controls[i]);
        return v;
    };
    std::set<Control*> always{s.caption, s.pages, s.cpuLabel};
    auto with = [&](std::initializer_list<Control*> page) {
        std::set<Control*> v = always;
        v.insert(page.begin(), page.end());
        return v;
    };
    std::set<Control*> general = with({s.about, s.musicFolder, s.marginSmall, s.marginBig});
    for (int i = OptionThemes; i <= OptionMisc; i++) general.insert(s.options[i]);
    EXPECT_EQ(shown(), general);
    Page(PageAudio);
    EXPECT_EQ(shown(), with({s.devices, s.deviceInfo, s.options[OptionPlayback], s.options[OptionVolumeBar],
                             s.options[OptionReplayGain], s.gainPreamp, s.gainUntagged}));
    Page(PagePlayerKeys);
    EXPECT_EQ(shown(), with({s.hotKeys, s.restoreDefaults, s.registerAll, s.unregisterAll}));
    Page(PageManager);
    EXPECT_EQ(shown(), with({s.hotKeys, s.restoreDefaults, s.registerAll, s.unregisterAll, s.actions, s.addEntry,
                             s.removeEntry, s.setCommand, s.command}));
    Page(PagePlugins);
    EXPECT_EQ(shown(), with({s.plugins, s.reloadPlugins}));
    ASSERT_GE(s.plugins->rowCount, 2);
    EXPECT_STREQ(s.plugins->rows[0].cells[0].text, L"BASS Audio Engine");
    Page(PageScrobbler);
    EXPECT_EQ(shown(), with({s.stats, s.enableScrobbler, s.resetStats}));
    // A click on a row of the page list switches too.
    ClickRow(s.pages, PageGeneral);
    EXPECT_EQ(s.page, PageGeneral);
    EXPECT_EQ(shown(), general);
    // The page's controls lie inside the window, right of the page list.
    RECT client;
    GetClientRect(SettingsWindowHandle(), &client);
    for (Control* c : general) {
        if (c == s.caption || c == s.pages || c == s.cpuLabel) continue;
        EXPECT_GE(c->x, s.pages->x + s.pages->width);
        EXPECT_LE(c->x + c->width, client.right);
        EXPECT_LE(c->y + c->height, client.bottom);
    }
}

TEST_F(SettingsWin, ThemeRowsSwitchTheLookAndTheCurrentThemeDoesNothing) {
    g_general.Theme = ThemeDarkModern;
    ApplyTheme(g_mainFrame.window, ThemeDarkModern);
    Open();
    ListView* themes = s.options[OptionThemes];
    EXPECT_EQ(themes->currentRow, 0);
    EXPECT_TRUE(Checked(themes, 0));
    // The current theme again: nothing is applied (the main window's colours stay as they are).
    Button* shuffle = g_mainFrame.shuffle;
    shuffle->colors[1] = 0x123456;
    ClickRow(themes, 0);
    EXPECT_EQ(shuffle->colors[1], 0x123456u);
    EXPECT_EQ(g_general.Theme, (uint32_t)ThemeDarkModern);
    // "Light": both windows take it, the option rows keep their palette entry.
    ClickRow(themes, ThemeLight - ThemeDarkModern, 1);
    EXPECT_EQ(g_general.Theme, (uint32_t)ThemeLight);
    EXPECT_EQ(g_themeId, (uint32_t)ThemeLight);
    EXPECT_EQ(shuffle->colors[1], FindTheme(ThemeLight)->button[1]);
    EXPECT_EQ(s.window->themeId, (uint32_t)ThemeLight);
    EXPECT_EQ(themes->colors[1], FindTheme(ThemeLight)->list[1]);
    EXPECT_EQ(themes->rows[0].textColor, FindTheme(ThemeLight)->palette[5]);
    EXPECT_FALSE(Checked(themes, 0));
    EXPECT_TRUE(Checked(themes, ThemeLight - ThemeDarkModern));
    // "Show icons" is a check row in the same list: the lists' icon column follows.
    int icons = RowOf(OptionThemes, L"Show icons");
    ClickRow(themes, icons);
    EXPECT_EQ(g_general.isShowIcons, 0);
    EXPECT_EQ(g_mainFrame.fileList->columns[0].type, 6);
    EXPECT_EQ(g_mainFrame.playList->columns[0].type, 6);
    Send(WM_KEYDOWN, VK_SPACE, 0);  // Space on the current row toggles it back
    EXPECT_EQ(g_general.isShowIcons, 1);
    EXPECT_EQ(g_mainFrame.playList->columns[0].type, (int)ColumnIcon);
    EXPECT_EQ(g_general.Theme, (uint32_t)ThemeLight);
}

TEST_F(SettingsWin, RadioRowsMarkOnlyAValidStoredValue) {
    g_general.OSDView = 5;
    g_general.pVolumeControls = 2;
    Open();
    ListView* osd = s.options[OptionOsd];
    for (int r = 0; r < osd->rowCount; r++) EXPECT_FALSE(Checked(osd, r)) << r;
    Page(PageAudio);
    ListView* volume = s.options[OptionVolumeBar];
    int player = RowOf(OptionVolumeBar, L"Player volume"), main = RowOf(OptionVolumeBar, L"System main volume");
    EXPECT_TRUE(Checked(volume, player));
    EXPECT_EQ(volume->currentRow, player);
    // Moving the current row chooses; the check row beside them only toggles by itself.
    SetFocusIndex(s.window, volume->index, false);
    Send(WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(g_general.pVolumeControls, 0u);
    EXPECT_TRUE(Checked(volume, main));
    EXPECT_FALSE(Checked(volume, player));
    int centre = RowOf(OptionVolumeBar, L"Auto set volume balance to center");
    SetCurrent(volume, centre);
    EXPECT_EQ(g_general.pVolumeControls, 0u);
    EXPECT_EQ(g_general.isVolumeAutoCenter, 0);
    Send(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(g_general.isVolumeAutoCenter, 1);
    ClickRow(volume, player);
    EXPECT_EQ(g_general.pVolumeControls, 2u);
    // A valid OSDView marks its row once it is chosen.
    Page(PageGeneral);
    ClickRow(osd, 2);
    EXPECT_EQ(g_general.OSDView, 2u);
    EXPECT_TRUE(Checked(osd, 2));
}

TEST_F(SettingsWin, MiscRowsChangeTheMainWindow) {
    Open();
    ListView* misc = s.options[OptionMisc];
    MainFrame& f = g_mainFrame;
    int spectrum = RowOf(OptionMisc, L"Show spectrum"), cpu = RowOf(OptionMisc, L"Show CPU usage");
    ASSERT_TRUE(f.spectrum->visible);
    int infoWidth = f.info->width;
    ClickRow(misc, spectrum);
    EXPECT_EQ(g_general.isSpectrum, 0);
    EXPECT_FALSE(f.spectrum->visible);
    EXPECT_GT(f.info->width, infoWidth);  // the info panel takes the spectrum's place
    EXPECT_FALSE(Checked(misc, spectrum));
    ClickRow(misc, spectrum);
    EXPECT_TRUE(f.spectrum->visible);
    EXPECT_EQ(f.info->width, infoWidth);
    ClickRow(misc, cpu);
    EXPECT_FALSE(f.cpuLabel->visible);
    ClickRow(misc, cpu);
    EXPECT_TRUE(f.cpuLabel->visible);
    // A press on the label only moves the cursor; its check cell toggles.
    ClickRow(misc, spectrum, 1);
    EXPECT_EQ(g_general.isSpectrum, 1);
    // The music folder box edits MusicFolder; the hint is never stored.
    EXPECT_TRUE(g_general.MusicFolder.empty());
    SetFocusIndex(s.window, s.musicFolder->index, false);
    SetEditText(s.musicFolder, L"");
    for (const wchar_t* c = L"D:\\Music"; *c; c++) Send(WM_CHAR, *c, 0);
    EXPECT_STREQ(g_general.MusicFolder.c_str(), L"D:\\Music");
}

TEST_F(SettingsWin, ReplayGainModeAndItsTwoGainsOnThePlaybackPage) {
    g_general.ReplayGainPreamp = -3;
    Open();
    Page(PageAudio);
    ListView* modes = s.options[OptionReplayGain];
    ASSERT_EQ(modes->rowCount, 3);
    EXPECT_TRUE(Checked(modes, RowOf(OptionReplayGain, L"ReplayGain off")));
    ClickRow(modes, RowOf(OptionReplayGain, L"ReplayGain by album"));
    EXPECT_EQ(g_general.ReplayGainMode, 2u);
    ClickRow(modes, RowOf(OptionReplayGain, L"ReplayGain by track"));
    EXPECT_EQ(g_general.ReplayGainMode, 1u);
    // The sliders run from -15 to +15 dB; a right click puts 0 dB back.
    Slider* preamp = s.gainPreamp;
    Slider* untagged = s.gainUntagged;
    EXPECT_EQ(std::make_pair(preamp->value, untagged->value), std::make_pair(12, 15));
    Redraw(preamp);
    EXPECT_STREQ(preamp->valueText, L"Preamp (tagged): -3 dB");
    RightClickOn(preamp);
    EXPECT_EQ(g_general.ReplayGainPreamp, 0);
    Click(untagged->x + untagged->width - 2, untagged->y + 5);
    EXPECT_EQ(g_general.ReplayGainUntagged, 15);
    Redraw(untagged);
    EXPECT_STREQ(untagged->valueText, L"Untagged files: +15 dB");
}

TEST_F(SettingsWin, MarginSlidersShowTheSettingAndARightClickRestoresTheDefaults) {
    g_general.marginSmall = 0;
    g_general.marginBig = 20;  // out of the slider's range: shown at its end
    Open();
    Slider* small = s.marginSmall;
    Slider* big = s.marginBig;
    EXPECT_EQ(std::make_pair(small->value, big->value), std::make_pair(1, 11));
    Redraw(small);
    EXPECT_STREQ(small->valueText, L"Margins small: 0");
    RightClickOn(big);
    EXPECT_EQ(std::make_pair((int)g_general.marginBig, big->value), std::make_pair(7, 8));
    RightClickOn(small);
    EXPECT_EQ(g_general.marginSmall, 4);
    EXPECT_STREQ(small->valueText, L"Margins small: 4");
    EXPECT_EQ(g_mainFrame.settings->x, 7);  // the main window was laid out with the new margins
    // Dragging to the right end: value 11, setting 10.
    Click(big->x + big->width - 1, big->y + 5);
    EXPECT_EQ(g_general.marginBig, 10);
    EXPECT_EQ(g_mainFrame.settings->x, 10);
    EXPECT_STREQ(big->valueText, L"Margins big: 10");
}

TEST_F(SettingsWin, HotKeyPagesListTheirGroupAndEditKeys) {
    SetPlayerHotKeyDefaults();
    SetSystemHotKeyDefaults();
    Open();
    Page(PagePlayerKeys);
    ListView* keys = s.hotKeys;
    ASSERT_EQ(keys->rowCount, kPlayerHotKeys);
    EXPECT_STREQ(keys->rows[0].cells[6].text, g_hotKeys[0].action);
    wchar_t name[64];
    HotKeyName(g_hotKeys[1].vk, name, 64);
    EXPECT_STREQ(keys->rows[1].cells[5].text, name);
    EXPECT_EQ(keys->rows[1].cells[4].value, IconOn);   // slot 1 is Win+Up
    EXPECT_EQ(keys->rows[1].cells[1].value, IconOff);  // without Ctrl
    // Page 3: the system group, then the manager's entries, then the layout switcher.
    SetManagerDefaults();
    Page(PageManager);
    int system = kHotKeyCount - kPlayerHotKeys, entries = ManagerEntryCount();
    ASSERT_EQ(keys->rowCount, system + entries + 1);
    EXPECT_STREQ(keys->rows[0].cells[6].text, L"Kill active application");
    EXPECT_STREQ(keys->rows[system].cells[6].text, ManagerEntry(0)->commandLine.c_str());
    EXPECT_STREQ(keys->rows[system + entries].cells[6].text, g_layoutSwitcher.action);
    // The command box edits the focused entry; + adds, - removes, both lists follow.
    ASSERT_EQ(s.actions->rowCount, entries);
    SetCurrent(s.actions, 1);
    SetEditText(s.command, L"notepad.exe");
    ClickOn(s.setCommand);
    EXPECT_STREQ(ManagerEntry(1)->commandLine.c_str(), L"notepad.exe");
    EXPECT_STREQ(s.actions->rows[1].cells[1].text, L"notepad.exe");
    ClickOn(s.addEntry);
    EXPECT_EQ(ManagerEntryCount(), entries + 1);
    EXPECT_EQ(s.actions->rowCount, entries + 1);
    EXPECT_EQ(keys->rowCount, system + entries + 2);
    SetCurrent(s.actions, 1);
    ClickOn(s.removeEntry);
    EXPECT_EQ(ManagerEntryCount(), entries);
    EXPECT_STRNE(ManagerEntry(1)->commandLine.c_str(), L"notepad.exe");
    SetManagerDefaults();
    Page(PagePlayerKeys);
    ASSERT_EQ(keys->rowCount, kPlayerHotKeys);

    // The Ctrl cell flips the Ctrl bit; Enabled flips the switched-off bit and greys the row.
    SetFocusIndex(s.window, keys->index, false);
    ClickRow(keys, 1, 1);
    EXPECT_EQ(g_hotKeys[1].modifiers, (uint32_t)(HotKeyWin | HotKeyCtrl));
    ClickRow(keys, 1, 0);
    EXPECT_TRUE(g_hotKeys[1].modifiers & HotKeyOff);
    EXPECT_EQ(keys->rows[1].textColor, g_theme.palette[7]);
    Send(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(g_hotKeys[1].modifiers & HotKeyOff);

    // Enter arms the capture: the next key is the row's, its character goes nowhere.
    Send(WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(KeyCaptureArmed());
    Send(WM_KEYDOWN, VK_SHIFT, 0);  // a modifier alone waits for the key
    EXPECT_TRUE(KeyCaptureArmed());
    Send(WM_KEYDOWN, 'K', 0);
    Send(WM_CHAR, L'k', 0);
    EXPECT_FALSE(KeyCaptureArmed());
    EXPECT_EQ(g_hotKeys[1].vk, (uint32_t)'K');
    HotKeyName('K', name, 64);
    EXPECT_STREQ(keys->rows[1].cells[5].text, name);
    EXPECT_FALSE(keys->searchActive);  // the character did not start a search
    // A press in the list cancels an armed capture.
    Send(WM_KEYDOWN, VK_RETURN, 0);
    ClickRow(keys, 2, 6);
    EXPECT_FALSE(KeyCaptureArmed());
    Send(WM_KEYDOWN, 'Q', 0);
    EXPECT_EQ(g_hotKeys[2].vk, 0x26u);

    // "Restore default" gives the page's group its keys back.
    ClickOn(s.restoreDefaults);
    EXPECT_EQ(g_hotKeys[1].vk, 0x26u);
    EXPECT_EQ(g_hotKeys[1].modifiers, (uint32_t)HotKeyWin);
    EXPECT_STREQ(keys->rows[0].cells[6].text, g_hotKeys[0].action);
}

// A double click is two clicks: a check cell flips twice, not a third time
// as the press offered again after the double click; on a row's label it is
// Enter, which flips once. On the hot key editor it arms the capture.
TEST_F(SettingsWin, ADoubleClickIsTwoClicksOnACheckCellAndEnterOnARow) {
    Open();
    ListView* misc = s.options[OptionMisc];
    int spectrum = RowOf(OptionMisc, L"Show spectrum");
    ASSERT_EQ(g_general.isSpectrum, 1);
    DoubleClickRow(misc, spectrum, 0);
    EXPECT_EQ(g_general.isSpectrum, 1);
    EXPECT_TRUE(g_mainFrame.spectrum->visible);
    EXPECT_TRUE(Checked(misc, spectrum));
    DoubleClickRow(misc, spectrum, 1);
    EXPECT_EQ(g_general.isSpectrum, 0);
    EXPECT_FALSE(g_mainFrame.spectrum->visible);
    DoubleClickRow(misc, spectrum, 1);
    EXPECT_EQ(g_general.isSpectrum, 1);

    SetPlayerHotKeyDefaults();
    Page(PagePlayerKeys);
    ListView* keys = s.hotKeys;
    DoubleClickRow(keys, 3, 5);
    EXPECT_EQ(keys->currentRow, 3);
    EXPECT_TRUE(KeyCaptureArmed());
    Send(WM_KEYDOWN, 'J', 0);
    EXPECT_EQ(g_hotKeys[3].vk, (uint32_t)'J');
    EXPECT_FALSE(KeyCaptureArmed());
}

// An armed capture ends when its row can no longer take the key: another
// page, another control, the window closing or going inactive. The key then
// does what it does anywhere else and no hidden row changes.
TEST_F(SettingsWin, KeyCaptureEndsWithItsPageItsFocusAndItsWindow) {
    SetPlayerHotKeyDefaults();
    uint32_t vk1 = g_hotKeys[1].vk;
    Open();
    Page(PagePlayerKeys);
    ListView* keys = s.hotKeys;
    auto arm = [&]() {
        SetFocusIndex(s.window, keys->index, false);
        SetCurrent(keys, 1);
        Send(WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(KeyCaptureArmed());
    };
    // Another page: the music folder box takes its keys.
    arm();
    Page(PageGeneral);
    EXPECT_FALSE(KeyCaptureArmed());
    SetFocusIndex(s.window, s.musicFolder->index, false);
    SetEditText(s.musicFolder, L"");
    Send(WM_KEYDOWN, 'M', 0);
    Send(WM_CHAR, L'M', 0);
    EXPECT_EQ(g_hotKeys[1].vk, vk1);
    EXPECT_STREQ(s.musicFolder->text.c_str(), L"M");
    // Back on the page, the row shows no capture colours.
    Page(PagePlayerKeys);
    EXPECT_EQ(keys->colors[1], g_theme.list[1]);
    // Another control of the window takes the focus (a press on the page list).
    arm();
    Click(s.pages->x + 30, s.pages->y + 2 + PagePlayerKeys * s.pages->rowHeight + 5);
    ASSERT_EQ(s.window->focusIndex, s.pages->index);
    Send(WM_KEYDOWN, 'Q', 0);
    EXPECT_FALSE(KeyCaptureArmed());
    EXPECT_EQ(g_hotKeys[1].vk, vk1);
    // The window goes inactive.
    arm();
    Send(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(KeyCaptureArmed());
    Send(WM_KEYDOWN, 'W', 0);
    EXPECT_EQ(g_hotKeys[1].vk, vk1);
    // The window closes: nothing stays armed for the next one.
    arm();
    RunCommand(CmdSettings);
    ASSERT_FALSE(SettingsWindowHandle());
    EXPECT_FALSE(KeyCaptureArmed());
    Open();
    SetFocusIndex(s.window, s.musicFolder->index, false);
    Send(WM_KEYDOWN, 'Z', 0);
    EXPECT_EQ(g_hotKeys[1].vk, vk1);
}

using Three = std::array<int, 3>;
static LOGFONTW FontOf(const ListView* l) {
    LOGFONTW lf{};
    GetObjectW(l->font.handle, sizeof(lf), &lf);
    return lf;
}

// The larger list font: read at start-up after the lists exist, and switched
// from the settings window's Misc options; both lists, rows and the playlist's
// length column follow, and the window's font comes back when it is off.
TEST_F(SettingsWin, TheLargerListFontAtStartAndFromItsRow) {
    MainFrame& f = g_mainFrame;
    ListView* lists[2] = {f.fileList, f.playList};
    int rows[2], spacing[2];
    for (int i = 0; i < 2; i++) {
        ASSERT_EQ(lists[i]->font.handle, f.window->font.handle);
        rows[i] = lists[i]->rowHeight;
        spacing[i] = rows[i] - lists[i]->textHeight;
    }
    ASSERT_EQ(f.playList->columns[PlayListLength].width, 40);
    ASSERT_TRUE(WriteFileBytes(dir.File(L"Settings.ini"), "\xEF\xBB\xBF[General]\r\nisEnlargeFont = 1\r\n"));
    LoadGeneralSettings(false, false);
    ASSERT_EQ(g_general.isEnlargeFont, 1);
    for (int i = 0; i < 2; i++) {
        ListView* l = lists[i];
        ASSERT_NE(l->font.handle, f.window->font.handle) << i;
        LOGFONTW lf = FontOf(l);
        EXPECT_STREQ(lf.lfFaceName, L"Arial") << i;
        EXPECT_EQ(Three({(int)lf.lfHeight, lf.lfCharSet, lf.lfOutPrecision}), Three({16, RUSSIAN_CHARSET, OUT_TT_PRECIS}))
            << i;
        EXPECT_GT(l->rowHeight, rows[i]) << i;
        EXPECT_EQ(l->rowHeight - l->textHeight, spacing[i]) << i;
    }
    EXPECT_EQ(f.playList->columns[PlayListLength].width, 42);
    SendMessageW(g_mainWindow, WM_SIZE, 0, 0);
    PumpMessages();
    ScreenShot shot;
    shot.Capture(g_mainWindow, L"main-larger-list-font.bmp");

    // Switched off and on again from its row.
    Open();
    ListView* misc = s.options[OptionMisc];
    int row = RowOf(OptionMisc, L"Larger font in the lists");
    ASSERT_GE(row, 0);
    EXPECT_TRUE(Checked(misc, row));
    ClickRow(misc, row);
    EXPECT_EQ(g_general.isEnlargeFont, 0);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(lists[i]->font.handle, f.window->font.handle) << i;
        EXPECT_EQ(lists[i]->rowHeight, rows[i]) << i;
    }
    EXPECT_EQ(f.playList->columns[PlayListLength].width, 40);
    ClickRow(misc, row);
    EXPECT_EQ(g_general.isEnlargeFont, 1);
    EXPECT_STREQ(FontOf(f.playList).lfFaceName, L"Arial");
    EXPECT_EQ(f.playList->columns[PlayListLength].width, 42);
    // Every row of Misc options shows whole in its list.
    EXPECT_GE(VisibleRows(misc), OptionRowCount(OptionMisc));
}

TEST_F(SettingsWin, RowsThatAreNotDevicesAreRefused) {
    Open();
    Page(PageAudio);
    ListView* devices = s.devices;
    ASSERT_GE(s.deviceInfo->rowCount, 10);
    EXPECT_STREQ(s.deviceInfo->rows[0].cells[0].text, L"Driver supports DirectSound");
    // A switched-off device's row: the cursor stays where it was and nothing is re-initialised.
    int before = devices->rowCount;
    AddRow(devices);
    SetCellValue(devices, 0, kNoIcon);
    SetCellText(devices, 1, L"Switched off");
    SetCurrent(devices, 0);
    int current = devices->currentRow;
    ClickRow(devices, before, 1);
    EXPECT_EQ(devices->currentRow, current);
    SetFocusIndex(s.window, devices->index, false);
    Send(WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(devices->currentRow, current);
    // The list's ticks do not move it either.
    for (int i = 0; i < 5; i++) Send(WM_TIMER, kTickTimer);
    EXPECT_EQ(devices->currentRow, current);
}

TEST_F(SettingsWin, ScreenshotsOfTheGeneralAndPlayerKeysPages) {
    for (uint32_t theme : {(uint32_t)ThemeDarkModern, (uint32_t)ThemeWindowsXP}) {
        g_general.Theme = theme;
        ApplyTheme(g_mainFrame.window, theme);
        Open();
        SetForegroundWindow(SettingsWindowHandle());
        PumpMessages();
        std::wstring name = theme == ThemeDarkModern ? L"dark-modern" : L"windows-xp";
        ScreenShot shot;
        ASSERT_TRUE(shot.Capture(SettingsWindowHandle(), L"settings-general-" + name + L".bmp"));
        EXPECT_EQ(shot.width, 680);
        EXPECT_GT(shot.Colours(), 30);
        // The about box's title is drawn in its colour on the box's background.
        int ox = s.window->frameInsets[0], oy = s.window->frameInsets[1];
        COLORREF title = g_theme.palette[theme == ThemeDarkModern ? 2 : 9];
        bool found = false;
        for (int y = s.about->y + 10; y < s.about->y + 40 && !found; y++)
            for (int x = s.about->x + s.about->width / 2 - 60; x < s.about->x + s.about->width / 2 + 60; x++)
                if (shot.At(ox + x, oy + y) == title) found = true;
        EXPECT_TRUE(found);
        // Every page in the first theme, the hot keys page in both.
        static const wchar_t* const pages[kSettingsPageCount] = {L"", L"audio", L"player-keys", L"manager", L"plugins", L"scrobbler"};
        for (int p = PageAudio; p < kSettingsPageCount; p++) {
            if (theme != ThemeDarkModern && p != PagePlayerKeys) continue;
            Page(p);
            ASSERT_TRUE(shot.Capture(SettingsWindowHandle(), L"settings-" + (pages[p] + (L"-" + name)) + L".bmp"));
            EXPECT_GT(shot.Colours(), 20) << p;
        }
        RunCommand(CmdSettings);
    }
}

// At 144 DPI the window, its page list and its controls are 1.5 times as large,
// and controls that touch at 96 DPI still touch.
TEST_F(SettingsWin, ScalesWithTheDpi) {
    TearDown();
    MadeAtDpi at144(144);
    SetUp();
    Open();
    PumpMessages();
    EXPECT_EQ(Dim(WindowRectOf(SettingsWindowHandle())), std::make_pair(1020, 956));
    EXPECT_EQ(std::make_pair(s.caption->height, s.window->font.height), std::make_pair(29, 20));
    using Quad = std::array<int, 4>;
    EXPECT_EQ(Quad({s.pages->x, s.pages->y, s.pages->width, s.pages->rowHeight}), Quad({15, 45, 186, 30}));
    // 10 + 124 + 10 at 96.
    EXPECT_EQ(std::make_pair(s.musicFolder->x, s.musicFolder->height), std::make_pair(216, 29));
    // The two margin sliders: the small one's right edge, a gap, the big one.
    EXPECT_EQ(s.marginBig->x - (s.marginSmall->x + s.marginSmall->width), 9);
    ASSERT_NE(SettingsIcons(), nullptr);
    EXPECT_EQ(SettingsIcons()->cellWidth, 24);
    ScreenShot shot;
    ASSERT_TRUE(shot.Capture(SettingsWindowHandle(), L"settings-general-144dpi.bmp"));
    EXPECT_EQ(shot.width, 1020);
}
