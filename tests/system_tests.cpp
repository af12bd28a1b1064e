// The system volume's balance rules and the tray monitors' arithmetic.
#include <gtest/gtest.h>
#include "system/system_volume.h"
#include "system/tray_icons.h"
#include "app/general_settings.h"

TEST(SystemVolume, BalanceStepsAndTheirChannels) {
    EXPECT_EQ(BalanceOf(40000, 40000), 0);
    EXPECT_EQ(BalanceOf(64000, 32000), 8);    // the right is half as loud
    EXPECT_EQ(BalanceOf(32000, 64000), -8);
    EXPECT_EQ(BalanceOf(64000, 0), 16);
    uint32_t l, r;
    ApplyBalance(16, 60000, &l, &r);  // sixteen steps toward the left: the right is silent
    EXPECT_EQ(l, 60000u);
    EXPECT_EQ(r, 0u);
    ApplyBalance(-4, 60000, &l, &r);
    EXPECT_EQ(l, 45000u);
    EXPECT_EQ(r, 60000u);
    ApplyBalance(0, 123, &l, &r);
    EXPECT_EQ(l, 123u);
    EXPECT_EQ(r, 123u);
}

TEST(TrayIcons, CpuLevelsLanguagesAndTheBarPictures) {
    EXPECT_EQ(CpuLevel(50, 100), 6);  // 5.5 rounds up
    EXPECT_EQ(CpuPercent(50, 100), 50);
    EXPECT_EQ(CpuLevel(0, 100), 0);
    EXPECT_EQ(CpuLevel(100, 100), 11);
    EXPECT_GE(CpuLevel(1, 0), 12);  // nothing measured: no change
    const wchar_t* tip = nullptr;
    EXPECT_EQ(LanguageIcon(0x419, &tip), 0);
    EXPECT_STREQ(tip, L"Russian");
    EXPECT_EQ(LanguageIcon(0x411, &tip), 2);
    EXPECT_EQ(LanguageIcon(0x407, &tip), -1);  // German
    EXPECT_STREQ(tip, L"Unsupported");
    // Twelve pictures, each with one more bar row than the one before, all loadable.
    std::vector<uint8_t> before = CpuIconImage(0);
    for (int level = 0; level < 12; level++) {
        std::vector<uint8_t> img = CpuIconImage(level);
        ASSERT_EQ(img.size(), 296u);
        if (level > 0) {
            int changedRows = 0;
            for (int row = 0; row < 16; row++)
                if (memcmp(&img[104 + row * 8], &before[104 + row * 8], 8) != 0) changedRows++;
            EXPECT_EQ(changedRows, 1) << level;
        }
        HICON icon = CreateIconFromResourceEx(img.data(), (DWORD)img.size(), TRUE, 0x00030000, 16, 16, 0);
        EXPECT_NE(icon, nullptr) << level;
        if (icon) DestroyIcon(icon);
        before = img;
    }
}

// What the icons asked of the notification area.
static std::vector<std::pair<DWORD, UINT>> g_notified;  // message, icon id
static BOOL WINAPI RecordNotify(DWORD message, NOTIFYICONDATAW* data) {
    g_notified.push_back({message, data->uID});
    return TRUE;
}

TEST(TrayIcons, AnIconSwitchedOffIsNeverShownOrGoesAtItsNextUpdate) {
    g_notifyIcon = RecordNotify;
    SetGeneralDefaults();
    // Made with its flag off (the settings read first): never added.
    g_general.isShowCPU = 0;
    g_general.isShowLanguage = 0;
    {
        CpuTrayIcon cpu(nullptr);
        LanguageTrayIcon language(nullptr);
        for (int i = 0; i < 30; i++) {
            cpu.Update(false);
            language.Update(i == 0);
        }
        for (auto& n : g_notified) EXPECT_NE(n.first, (DWORD)NIM_ADD);
        EXPECT_FALSE(cpu.shown);
        EXPECT_FALSE(language.shown);
    }
    // Made while on, then the flag goes off (a saved "off" read after the icon
    // was made, or the settings page): the icon goes at once, not frozen.
    g_notified.clear();
    g_general.isShowCPU = 1;
    g_general.isShowLanguage = 1;
    {
        CpuTrayIcon cpu(nullptr);
        LanguageTrayIcon language(nullptr);
        ASSERT_EQ(g_notified.size(), 2u);
        EXPECT_EQ(g_notified[0], std::make_pair((DWORD)NIM_ADD, 0u));
        EXPECT_EQ(g_notified[1], std::make_pair((DWORD)NIM_ADD, 1u));
        g_general.isShowCPU = 0;
        g_general.isShowLanguage = 0;
        g_notified.clear();
        cpu.Update(false);
        language.Update(false);
        ASSERT_EQ(g_notified.size(), 2u);
        EXPECT_EQ(g_notified[0], std::make_pair((DWORD)NIM_DELETE, 0u));
        EXPECT_EQ(g_notified[1], std::make_pair((DWORD)NIM_DELETE, 1u));
        cpu.Update(true);
        language.Update(true);
        EXPECT_EQ(g_notified.size(), 2u);  // gone once, then left alone
        // Switched on again: the language shows at once.
        g_general.isShowLanguage = 1;
        language.Update(false);
        EXPECT_TRUE(language.shown);
        EXPECT_EQ(g_notified.back().first, (DWORD)NIM_MODIFY);
    }
    g_notifyIcon = Shell_NotifyIconW;
}
