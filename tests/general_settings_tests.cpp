#include <gtest/gtest.h>
#include "app/general_settings.h"
#include "base/disk_file.h"
#include "app/main_frame.h"
#include "ui/list_view.h"
#include "app/main_window.h"
#include "base/paths.h"
#include "base/settings_store.h"
#include "audio/engine.h"
#include "system/hot_keys.h"
#include "tests/test_support.h"

static std::string DefaultGeneralFile() {
    std::string s = "\xEF\xBB\xBF[General]\r\n";
    for (const GeneralKey& k : kGeneralKeys) s += std::string(k.name) + " = " + k.value + "\r\n";
    return s;
}

struct GeneralSettingsTest : testing::Test {
    ScratchFolder dir{L"general"};
    std::wstring ini = dir.File(L"Settings.ini");
    void SetUp() override {
        SetProgramFolder(dir.path);
        SetGeneralDefaults();
        SetPlayerHotKeyDefaults();
        SetSystemHotKeyDefaults();
        g_mainWindow = nullptr;
    }
    void TearDown() override {
        if (g_mainWindow) DestroyWindowQuietly();
        SetProgramFolder(ScratchFolder::Root());
    }
    static void DestroyWindowQuietly() {
        // Closing runs the shutdown, which posts a quit message: drain it here.
        HWND w = g_mainWindow;
        g_mainWindow = nullptr;
        DestroyWindow(w);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {}
    }
};

TEST_F(GeneralSettingsTest, DefaultsAreWrittenInTableOrder) {
    SaveAllSettings();
    std::string bytes = ReadFileBytes(ini), general = DefaultGeneralFile();
    EXPECT_EQ(bytes.substr(0, general.size()), general);
    EXPECT_EQ(bytes.substr(general.size(), 13), "\r\n[HotKeys]\r\n");
}

TEST_F(GeneralSettingsTest, RoundTripAndFlagsReadAsZeroOrOne) {
    g_general.Theme = 1102;
    g_general.isShuffle = 0;
    g_general.marginBig = -3;
    g_general.MusicFolder.Set(L"D:\\M\u00fcsik \u266b");
    g_general.globalCP = 1251;
    g_general.ReplayGainMode = 2;
    g_general.ReplayGainPreamp = -4;
    g_general.ReplayGainUntagged = 6;
    SaveAllSettings();
    std::string bytes = ReadFileBytes(ini);
    EXPECT_NE(bytes.find("ReplayGainPreamp = -4\r\n"), std::string::npos);
    // A hand edit: a flag written as 7 reads as 1.
    size_t at = bytes.find("isLoop = 0");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 10, "isLoop = 7");
    WriteFileBytes(ini, bytes);

    SetGeneralDefaults();
    LoadGeneralSettings(true, false);
    EXPECT_EQ(g_general.Theme, 1102u);
    EXPECT_EQ(g_general.isShuffle, 0);
    EXPECT_EQ(g_general.isLoop, 1);
    EXPECT_EQ(g_general.marginBig, -3);
    EXPECT_EQ(g_general.MusicFolder.text, L"D:\\M\u00fcsik \u266b");
    EXPECT_EQ(g_general.globalCP, 1251u);
    EXPECT_EQ(g_general.ReplayGainMode, 2u);
    EXPECT_EQ(g_general.ReplayGainPreamp, -4);
    EXPECT_EQ(g_general.ReplayGainUntagged, 6);
}

TEST_F(GeneralSettingsTest, HandEditedReplayGainValuesComeBackInRange) {
    WriteFileBytes(ini, "[General]\r\nReplayGainMode = 9\r\nReplayGainPreamp = -400\r\nReplayGainUntagged = 99\r\n");
    LoadGeneralSettings(false, false);
    EXPECT_EQ(g_general.ReplayGainMode, 0u);
    EXPECT_EQ(g_general.ReplayGainPreamp, -15);
    EXPECT_EQ(g_general.ReplayGainUntagged, 15);
}

TEST_F(GeneralSettingsTest, APathOnTheCommandLineLeavesTheLastTrackAlone) {
    WriteFileBytes(ini, "\xEF\xBB\xBF[General]\r\nlastPlayedFile = C:\\a.mp3\r\nlastPlayedPos = 5000\r\n"
                        "lastPlayedFromPL = 1\r\npathReal = C:\\a.mp3\r\nTheme = 1100\r\n");
    LoadGeneralSettings(false, false);
    EXPECT_EQ(g_general.Theme, 1100u);
    EXPECT_TRUE(currentPath.empty());
    EXPECT_EQ(g_general.lastPlayedFromPL, 0);
    EXPECT_EQ(realPath[0], 0);
    SaveAllSettings();
    std::string bytes = ReadFileBytes(ini);
    EXPECT_NE(bytes.find("\r\nlastPlayedFile = \r\nlastPlayedPos = -1\r\nlastPlayedFromPL = 0\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\npathReal = \r\n"), std::string::npos);
}

TEST_F(GeneralSettingsTest, MaximisedWindowKeepsTheNormalRectangle) {
    ASSERT_TRUE(CreateMainWindow());
    MoveWindow(g_mainWindow, 100, 120, 400, 500, FALSE);
    ShowWindow(g_mainWindow, SW_SHOWNORMAL);
    SaveAllSettings();
    SetGeneralDefaults();
    LoadGeneralSettings(true, false);
    EXPECT_EQ(g_general.xPos, 100);
    EXPECT_EQ(g_general.Width, 400);

    ShowWindow(g_mainWindow, SW_SHOWMAXIMIZED);
    SaveAllSettings();
    SetGeneralDefaults();
    LoadGeneralSettings(true, false);
    EXPECT_EQ(g_general.isMaximized, 1);
    EXPECT_EQ(g_general.xPos, 100);
    EXPECT_EQ(g_general.yPos, 120);
    EXPECT_EQ(g_general.Width, 400);
    EXPECT_EQ(g_general.Height, 500);
}

TEST_F(GeneralSettingsTest, ASectionWithoutPlacementStillGivesAUsableWindow) {
    ASSERT_TRUE(CreateMainWindow());
    RECT before;
    GetWindowRect(g_mainWindow, &before);
    WriteFileBytes(ini, "\xEF\xBB\xBF[General]\r\nTheme = 1103\r\n");
    LoadGeneralSettings(true, false);
    RECT after;
    GetWindowRect(g_mainWindow, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(GeneralSettingsTest, UnwritableFolderSavesNothing) {
    std::string before = "\xEF\xBB\xBF[General]\r\nTheme = 1101\r\n";
    WriteFileBytes(ini, before);
    CreateDirectoryW(SaveTempPath(ini).c_str(), nullptr);
    SaveAllSettings();
    RemoveDirectoryW(SaveTempPath(ini).c_str());
    EXPECT_EQ(ReadFileBytes(ini), before);
}

TEST_F(GeneralSettingsTest, TheFocusedControlIsSavedAndFocusedAgain) {
    ASSERT_TRUE(CreateMainWindow());
    UiWindow* ui = g_mainFrame.window;
    int playList = g_mainFrame.playList->index, fileList = g_mainFrame.fileList->index;
    SetFocusIndex(ui, playList, false);
    SaveAllSettings();
    EXPECT_NE(ReadFileBytes(ini).find("\r\nFocus = " + std::to_string(playList) + "\r\n"), std::string::npos);

    SetFocusIndex(ui, fileList, false);
    SetGeneralDefaults();
    LoadGeneralSettings(true, false);
    EXPECT_EQ(ui->focusIndex, playList);
    EXPECT_EQ(g_general.Focus, playList);

    // A number that names no control that takes the focus leaves the focus where it is.
    std::string bytes = ReadFileBytes(ini);
    bytes.replace(bytes.find("Focus = "), 8 + std::to_string(playList).size(), "Focus = 9999");
    WriteFileBytes(ini, bytes);
    LoadGeneralSettings(true, false);
    EXPECT_EQ(ui->focusIndex, playList);
}
