// The global hot keys: section HotKeys, registering the table, the key names,
// and the player and system commands driven through WM_HOTKEY on the main window.
#include <gtest/gtest.h>
#include "tests/ui_test_window.h"
#include "tests/test_support.h"
#include "app/general_settings.h"
#include "app/main_commands.h"
#include "app/main_frame.h"
#include "app/main_window.h"
#include "base/paths.h"
#include "audio/engine.h"
#include "library/play_order.h"
#include "system/hot_keys.h"
#include "system/hot_keys_manager.h"
#include "system/layout_switcher.h"
#include "system/system_actions.h"
#include "ui/button.h"
#include "ui/slider.h"
#include <shellapi.h>
#include <algorithm>

static void HotKeyDefaults() {
    SetPlayerHotKeyDefaults();
    SetSystemHotKeyDefaults();
    SetManagerDefaults();
    SetLayoutSwitcherDefaults();
}

// Settings.ini in a folder of its own, every table at its defaults.
struct HotKeyFile : testing::Test {
    ScratchFolder dir{L"hotkeys"};
    std::wstring ini = dir.File(L"Settings.ini");
    void SetUp() override {
        SetProgramFolder(dir.path);
        SetGeneralDefaults();
        HotKeyDefaults();
    }
    void TearDown() override { SetProgramFolder(ScratchFolder::Root()); }
};

TEST_F(HotKeyFile, SavedAfterGeneralReadBackAndHandEditsTakenAsTheyStand) {
    SaveAllSettings();
    std::string bytes = ReadFileBytes(ini);
    size_t at = bytes.find("\r\n\r\n[HotKeys]\r\n00 = B1\r\n01 = 800000026\r\n02 = C00000026\r\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(std::count(bytes.begin() + (long)at, bytes.begin() + (long)bytes.find("[HotKeysManager]"), '='),
              kHotKeyCount);
    EXPECT_NE(bytes.find("\r\n41 = 700000070\r\n\r\n[HotKeysManager]\r\n"), std::string::npos);

    // Changed keys, one switched off, come back as they were saved.
    g_hotKeys[0].modifiers |= HotKeyOff;
    SetHotKeyValue(&g_hotKeys[40], 0x20000004Bull);
    g_hotKeys[41].modifiers = 0xFFFFFFFF;
    HotKeySlot saved[kHotKeyCount];
    memcpy(saved, g_hotKeys, sizeof(saved));
    SaveAllSettings();
    EXPECT_NE(ReadFileBytes(ini).find("\r\n00 = 10000000B1\r\n"), std::string::npos);
    HotKeyDefaults();
    LoadGeneralSettings(false, false);
    for (int i = 0; i < kHotKeyCount; i++) EXPECT_EQ(HotKeyValue(g_hotKeys[i]), HotKeyValue(saved[i])) << i;

    HotKeyDefaults();
    WriteFileBytes(ini, "\xEF\xBB\xBF[General]\r\nTheme = 1104\r\n\r\n[HotKeys]\r\n"
                        "00 = 10000000b1\r\n1 = 45\r\n03 = zz\r\n04 = 80000002EQ\r\nno separator\r\n"
                        "05 = 1\r\n05 = 2\r\n08 = 2");
    LoadGeneralSettings(false, false);
    // "1" is not slot 01; of two lines for 05 the first counts; 08 is a last line without its end.
    const std::pair<int, uint64_t> slots[] = {
        {0, 0x10000000B1ull}, {1, 0x800000026ull}, {3, 0}, {4, 0x80000002Eull}, {5, 1}, {8, 0x800000028ull}};
    for (auto [slot, value] : slots) EXPECT_EQ(HotKeyValue(g_hotKeys[slot]), value) << slot;
    EXPECT_STREQ(g_hotKeys[27].action, L"Toggle \"Bar Window\" mode");
}

static std::wstring EntryText(int i) { return ManagerEntry(i)->commandLine.text; }
// The manager's entries as "key value:command line;" each.
static std::wstring Entries() {
    std::wstring all;
    for (int i = 0; i < ManagerEntryCount(); i++) {
        wchar_t key[24];
        _snwprintf(key, 24, L"%llX:", (uint64_t)ManagerEntry(i)->modifiers << 32 | ManagerEntry(i)->vk);
        all += key + EntryText(i) + L";";
    }
    return all;
}
static uint64_t SwitcherKey() { return (uint64_t)g_layoutSwitcher.modifiers << 32 | g_layoutSwitcher.vk; }
static const wchar_t kDefaultEntries[] =
    L"AC:c:\\Program Files\\Internet Explorer\\IEXPLORE.EXE;4000000AC:explorer.exe c:;"
    L"80000005A:c:\\Program Files\\Far\\Far.exe;300000023:System32\\mspaint.exe;"
    L"300000028:System32\\calc.exe;800000058:System32\\notepad.exe;";

TEST_F(HotKeyFile, ManagerDefaultsWrittenAfterHotKeysAndEditsComeBack) {
    EXPECT_EQ(ManagerHotKeyId(3), 65538);
    SaveAllSettings();
    std::string bytes = ReadFileBytes(ini);
    EXPECT_NE(bytes.find("\r\n41 = 700000070\r\n\r\n[HotKeysManager]\r\nNumber = 6\r\n"
                         "00 = AC\r\n00s = c:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\r\n01 = 4000000AC\r\n"),
              std::string::npos);
    std::string tail = "05s = System32\\notepad.exe\r\n\r\n[KeyboardLayoutSwitcher]\r\nKey = 1000000014\r\n";
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);

    // An added entry with a line break in its text, two rows removed, the switcher on.
    EXPECT_EQ(AddManagerEntry(), 6);
    EXPECT_EQ(EntryText(6), L"cmd.exe");
    SetManagerCommand(6, L"notepad \"C:\\M\u00fcsik\\a b.txt\"\r\n99s = x");
    SetManagerKey(6, HotKeyOff | HotKeyCtrl, VK_F5);
    EXPECT_EQ(RemoveManagerEntries({1, 1, 4, -1, 99}), 2);
    g_layoutSwitcher.modifiers = HotKeyShift;
    g_layoutSwitcher.vk = VK_SCROLL;
    std::wstring edited = Entries();
    SaveAllSettings();
    EXPECT_NE(ReadFileBytes(ini).find("\r\n04s = notepad \"C:\\M\xC3\xBCsik\\a b.txt\"  99s = x\r\n"), std::string::npos);
    HotKeyDefaults();
    LoadGeneralSettings(false, false);
    EXPECT_EQ(Entries(), edited);
    EXPECT_EQ(SwitcherKey(), 0x400000091ull);

    // No entries left: Number 0 is written, and the next start has the six defaults.
    EXPECT_EQ(RemoveManagerEntries({0, 1, 2, 3, 4}), 5);
    SaveAllSettings();
    EXPECT_NE(ReadFileBytes(ini).find("[HotKeysManager]\r\nNumber = 0\r\n\r\n"), std::string::npos);
    LoadGeneralSettings(false, false);
    EXPECT_EQ(Entries(), kDefaultEntries);
}

TEST_F(HotKeyFile, HandEditedAndDamagedManagerSections) {
    auto load = [&](const std::string& manager, const std::string& switcher = "") {
        SetGeneralDefaults();
        HotKeyDefaults();
        WriteFileBytes(ini, "\xEF\xBB\xBF[General]\r\nTheme = 1104\r\n\r\n[HotKeysManager]\r\n" + manager +
                                "\r\n[KeyboardLayoutSwitcher]\r\n" + switcher);
        LoadGeneralSettings(false, false);
        return Entries();
    };
    // Entries the count announces but the file lacks are new entries; junk reads as 0.
    EXPECT_EQ(load("Number = 2\r\n00 = 30000002E\r\n00s = calc.exe\r\n"), L"30000002E:calc.exe;800000041:cmd.exe;");
    EXPECT_EQ(load("Number = 3\r\n00 = zz\r\n01s = \r\n02 = 5A\r\n"), L"0:cmd.exe;800000041:;5A:cmd.exe;");
    // No usable count gives the defaults.
    for (const char* number : {"Number = 0\r\n", "Number = -4\r\n", "Number = many\r\n", "Number\r\n", ""})
        EXPECT_EQ(load(std::string(number) + "00s = calc.exe\r\n"), kDefaultEntries) << number;
    // A huge count stops at the limit; a command line too long to start fails quietly.
    load("Number = 4000000000000\r\n00s = " + std::string(100000, 'x') + "\r\n");
    EXPECT_EQ(ManagerEntryCount(), kManagerMaxEntries);
    RunManagerEntry(0);
    RunManagerEntry(kManagerMaxEntries);

    // The switcher's key as stored; a missing key keeps the default.
    for (auto [line, key] : {std::pair{"key = 1b\r\n", 0x1Bull}, {"Key = FFFFFFFFFFFFFFFFFFFFFF\r\n", ~0ull}}) {
        load("", line);
        EXPECT_EQ(SwitcherKey(), key) << line;
    }
    // Off, or no real key: no hook.
    EXPECT_FALSE(InstallLayoutSwitcher());
    g_layoutSwitcher.modifiers = 0;
    g_layoutSwitcher.vk = 0x1FF;
    EXPECT_FALSE(InstallLayoutSwitcher());
    EXPECT_FALSE(g_layoutSwitcher.active);
}

TEST(HotKeyNames, MultimediaKeysByOwnNamesOthersByTheLayout) {
    wchar_t name[64], system[64];
    HotKeyName(0xB3, name, 64);
    EXPECT_STREQ(name, L"Media Play/Pause");
    // Delete is the extended key of its scan code (the numeric pad's is not).
    GetKeyNameTextW((LONG)(MapVirtualKeyW(VK_DELETE, MAPVK_VK_TO_VSC) << 16 | 1 << 24 | 1), system, 64);
    HotKeyName(VK_DELETE, name, 64);
    EXPECT_STRNE(name, L"");
    EXPECT_STREQ(name, system);
}

// ---- registering and the commands on the real window -------------------------

static HWND g_fakeForeground;
static HWND WINAPI FakeForeground() { return g_fakeForeground; }
static std::vector<HWND> g_endedTasks;
static BOOL WINAPI FakeEndTask(HWND wnd, BOOL shutDown, BOOL force) {
    if (!shutDown && force) g_endedTasks.push_back(wnd);
    return TRUE;
}
static std::vector<UINT> g_compositions;
static HRESULT WINAPI FakeComposition(UINT on) {
    g_compositions.push_back(on);
    return S_OK;
}

// A plain window of another kind, to stand for the application in front.
struct OtherWindow {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 320, 240,
                                nullptr, nullptr, nullptr, nullptr);
    ~OtherWindow() { DestroyWindow(hwnd); }
};

// Presses the keys in order and releases them in reverse, as a person does.
static void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD k : keys) in.push_back(INPUT{INPUT_KEYBOARD, {.ki = {k, 0, 0}}});
    for (auto k = keys.end(); k != keys.begin();) in.push_back(INPUT{INPUT_KEYBOARD, {.ki = {*--k, 0, KEYEVENTF_KEYUP}}});
    ASSERT_EQ(SendInput((UINT)in.size(), in.data(), sizeof(INPUT)), in.size());
}

struct HotKeyWin : testing::Test {
    ScratchFolder dir{L"hotkeywin"};
    MainFrame& f = g_mainFrame;
    void SetUp() override {
        SetProgramFolder(dir.path);
        SetGeneralDefaults();
        g_general.OSDView = 2;
        HotKeyDefaults();
        ASSERT_TRUE(OpenMainWindow());
        g_getForegroundWindow = FakeForeground;
        g_endTask = FakeEndTask;
        g_fakeForeground = g_mainWindow;
    }
    static void SetUpTestSuite() { AudioInit(0, 44100, nullptr); }
    static void TearDownTestSuite() { AudioFree(); }
    void TearDown() override {
        if (PointerLocked()) TogglePointerLock();
        ClipCursor(nullptr);
        g_getForegroundWindow = GetForegroundWindow;
        g_endTask = nullptr;
        g_dwmEnableComposition = nullptr;
        StopTrack();
        CloseMainWindow();
    }
    void HotKey(int id) {
        SendMessageW(g_mainWindow, WM_HOTKEY, (WPARAM)id, 0);
        PumpMessages();
    }
};

TEST_F(HotKeyWin, RegistersFreeKeysOnlyAndAPressedKeyRunsItsCommand) {
    // Another window holds slot 41's key first; slot 37 is switched off.
    OtherWindow other;
    ASSERT_TRUE(RegisterHotKey(other.hwnd, 7, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F1));
    g_hotKeys[37].modifiers |= HotKeyOff;
    RegisterHotKeys(g_mainWindow);
    EXPECT_FALSE(g_hotKeys[41].registered);
    EXPECT_FALSE(g_hotKeys[37].registered);
    for (int i : {1, 2, 4, 6, 10, 13, 20, 24, 26, 27, 35, 38, 39, 40}) EXPECT_TRUE(g_hotKeys[i].registered) << i;
    UnregisterHotKeys();
    for (int i = 0; i < kHotKeyCount; i++) EXPECT_FALSE(g_hotKeys[i].registered) << i;
    UnregisterHotKey(other.hwnd, 7);

    // The freed key registers now, and pressing it reaches the command.
    RegisterHotKeys(g_mainWindow);
    ASSERT_TRUE(g_hotKeys[41].registered);
    g_dwmEnableComposition = FakeComposition;
    g_compositions.clear();
    PressKeys({VK_CONTROL, VK_MENU, VK_SHIFT, VK_F1});
    for (int i = 0; i < 200 && g_compositions.empty(); i++) {
        Sleep(10);
        PumpMessages();
    }
    EXPECT_EQ(g_compositions, (std::vector<UINT>{0, 1}));

    // Resetting a group unregisters it and restores its keys.
    SetHotKeyValue(&g_hotKeys[5], 0x20000004Bull);
    SetPlayerHotKeyDefaults();
    EXPECT_FALSE(g_hotKeys[1].registered);
    EXPECT_TRUE(g_hotKeys[41].registered);
    EXPECT_EQ(HotKeyValue(g_hotKeys[5]), 0xB2ull);
}

TEST_F(HotKeyWin, PlayerCommands) {
    std::wstring song = dir.File(L"song.wav");
    ASSERT_TRUE(WriteSineWav(song, 10));
    PlayFileNow(song.c_str());
    HotKey(PlayerPlayPauseMedia);
    EXPECT_EQ(GetStatus(), StatusPaused);
    EXPECT_EQ(f.buttons[1]->imageCell, GlyphPlay);
    HotKey(PlayerPlayPause);
    EXPECT_EQ(GetStatus(), StatusPlaying);
    // Back 20 % from 10 % lands on 0; forward 20 % from 90 % on the last millisecond.
    // The track plays on, so a position tick within the pump may already have
    // moved the position a few milliseconds past the landing point.
    SeekTo(seekPosition = seekLength / 10);
    HotKey(PlayerSeekBack20);
    EXPECT_LT(seekPosition, 300u);
    SeekTo(seekPosition = seekLength * 9 / 10);
    HotKey(PlayerSeekForward20);
    EXPECT_GE(seekPosition, seekLength - 1);
    EXPECT_LE(seekPosition, seekLength);
    HotKey(PlayerRestart);
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_LT(GetPosition(), 500);
    HotKey(PlayerStop);
    EXPECT_EQ(GetStatus(), StatusStopped);
    EXPECT_EQ(seekLength, 1u);
    // Numbers outside the table and past the manager's entries do nothing.
    for (int id : {42, 0xFFFE, ManagerHotKeyId(ManagerEntryCount()), 0x7FFFFFFF, -1, -2}) HotKey(id);
    EXPECT_EQ(GetStatus(), StatusStopped);

    g_general.pVolumeControls = 2;
    SetPlayerVolume(65535 / 2 + 1);
    HotKey(PlayerVolumeUp);
    EXPECT_EQ(g_general.PlayerVolume * 100 / 65535, 55u);
    EXPECT_EQ(f.volume->value, (int)g_general.PlayerVolume);

    HotKey(PlayerShowHide);
    EXPECT_FALSE(IsWindowVisible(g_mainWindow));
    // Bar mode from the tray: the window shows small, and the window in front keeps the foreground.
    OtherWindow other;
    g_fakeForeground = other.hwnd;
    HotKey(PlayerBarMode);
    EXPECT_TRUE(IsWindowVisible(g_mainWindow));
    EXPECT_TRUE(g_general.isSmall);
    EXPECT_EQ(GetForegroundWindow(), other.hwnd);
    g_fakeForeground = g_mainWindow;
    HotKey(PlayerBarMode);
    EXPECT_FALSE(g_general.isSmall);
    EXPECT_EQ(GetForegroundWindow(), g_mainWindow);

    RegisterHotKeys(g_mainWindow);
    SendMessageW(g_mainWindow, WM_HOTKEY, PlayerClose, 0);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(g_hotKeys[1].registered);
}

TEST_F(HotKeyWin, ActionsOnTheWindowInFront) {
    OtherWindow other;
    g_fakeForeground = other.hwnd;
    g_endedTasks.clear();
    HotKey(SystemKillMedia);
    EXPECT_EQ(g_endedTasks, (std::vector<HWND>{other.hwnd}));

    // On top: another window's topmost state flips; on the player, its own setting.
    for (bool topmost : {true, false}) {
        HotKey(SystemOnTop);
        EXPECT_EQ((GetWindowLongPtrW(other.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, topmost);
    }
    g_fakeForeground = g_mainWindow;
    DragAcceptFiles(g_mainWindow, TRUE);
    HotKey(SystemOnTop);
    LONG_PTR ex = GetWindowLongPtrW(g_mainWindow, GWL_EXSTYLE);
    EXPECT_FALSE(g_general.isOnTop);
    EXPECT_EQ(ex & (WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), WS_EX_APPWINDOW);
    EXPECT_TRUE(ex & WS_EX_ACCEPTFILES);  // dropped files still arrive
    EXPECT_TRUE(IsWindowVisible(g_mainWindow));
    HotKey(SystemOnTop);
    EXPECT_TRUE(g_general.isOnTop);
    EXPECT_TRUE(GetWindowLongPtrW(g_mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);

    g_fakeForeground = other.hwnd;
    {
        BoxCatcher boxes;
        HotKey(SystemShowHandles);
        ASSERT_EQ(boxes.Texts().size(), 1u);
        wchar_t start[32];
        _snwprintf(start, 32, L"hWnd: %08X;\nhDC: ", (unsigned)(uintptr_t)other.hwnd);
        EXPECT_EQ(boxes.Texts()[0].find(start), 0u) << boxes.Texts()[0];
    }
    HotKey(SystemCloseApp);
    EXPECT_FALSE(IsWindow(other.hwnd));

    HotKey(SystemRestartAero);  // no DwmEnableComposition: nothing
    g_dwmEnableComposition = FakeComposition;
    g_compositions.clear();
    HotKey(SystemRestartAero);
    EXPECT_EQ(g_compositions, (std::vector<UINT>{0, 1}));
}

static RECT ClientOnScreen(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    MapWindowPoints(wnd, nullptr, (POINT*)&r, 2);
    return r;
}

TEST_F(HotKeyWin, PointerLockFollowsTheWindowInFrontWhenTheSystemLetItGo) {
    OtherWindow other;
    g_fakeForeground = other.hwnd;
    RECT free, clip;
    GetClipCursor(&free);
    for (RECT want : {ClientOnScreen(other.hwnd), free}) {
        HotKey(SystemPointerLock);
        GetClipCursor(&clip);
        EXPECT_TRUE(EqualRect(&clip, &want));
    }

    HotKey(SystemPointerLock);
    ClipCursor(nullptr);  // the system let the pointer go
    g_fakeForeground = g_mainWindow;
    HotKey(SystemPointerLock);
    EXPECT_TRUE(PointerLocked());
    GetClipCursor(&clip);
    RECT own = ClientOnScreen(g_mainWindow);
    EXPECT_TRUE(EqualRect(&clip, &own));
}

TEST_F(HotKeyWin, SuspendTwiceSuspendsAndResumesTheProcessButNeverThePlayer) {
    std::wstring command = L"notepad.exe";  // a program of our own
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForInputIdle(pi.hProcess, 10000);
    for (DWORD count : {1u, 0u}) {
        ToggleProcessSuspend(pi.dwProcessId);
        EXPECT_EQ(SuspendThread(pi.hThread), count);  // the count before this one
        ResumeThread(pi.hThread);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    // A window of the player's own process in front: the test goes on.
    OtherWindow own;
    g_fakeForeground = own.hwnd;
    HotKey(SystemSuspend);
}

// ---- the hot keys manager on the real window ----------------------------------

static std::string ManagerRegistered() {
    std::string flags;
    for (int i = 0; i < ManagerEntryCount(); i++) flags += ManagerEntry(i)->registered ? '1' : '0';
    return flags;
}

TEST_F(HotKeyWin, ManagerEntriesRegisterAndTheirKeysStartTheirCommandLines) {
    // Another window holds entry 3's key; entry 2 is switched off.
    OtherWindow other;
    ASSERT_TRUE(RegisterHotKey(other.hwnd, 1, MOD_CONTROL | MOD_ALT, VK_END));
    SetManagerKey(2, HotKeyOff | MOD_WIN, 'Z');
    SetManagerKey(4, HotKeyCtrl | HotKeyAlt | HotKeyShift, VK_F3);
    std::wstring ran = dir.File(L"ran.txt"), command = L"cmd.exe /c echo ran> \"" + ran + L"\"";
    SetManagerCommand(4, command.c_str());
    RegisterManagerHotKeys(g_mainWindow);
    EXPECT_EQ(ManagerRegistered(), "110011");
    auto ranOnce = [&] {
        for (int i = 0; i < 1000 && GetFileAttributesW(ran.c_str()) == INVALID_FILE_ATTRIBUTES; i++) {
            Sleep(10);
            PumpMessages();
        }
        return DeleteFileW(ran.c_str()) != FALSE;
    };
    HotKey(ManagerHotKeyId(4));
    EXPECT_TRUE(ranOnce());

    // Rows 0 and 2 go: entry 4 becomes entry 2, and its key still reaches it.
    EXPECT_EQ(RemoveManagerEntries({2, 0}), 2);
    ASSERT_EQ(EntryText(2), command);
    EXPECT_EQ(ManagerRegistered(), "1011");
    EXPECT_TRUE(RegisterHotKey(other.hwnd, 2, 0, VK_BROWSER_HOME));  // the removed entry's key is free
    PressKeys({VK_CONTROL, VK_MENU, VK_SHIFT, VK_F3});
    EXPECT_TRUE(ranOnce());

    UnregisterManagerHotKeys();
    EXPECT_EQ(ManagerRegistered(), "0000");
    EXPECT_TRUE(RegisterHotKey(other.hwnd, 3, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F3));
}
