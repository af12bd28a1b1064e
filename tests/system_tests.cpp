// The system volume's balance rules and the tray monitors' arithmetic.
#include <gtest/gtest.h>
#include "system/system_volume.h"
#include "system/tray_icons.h"

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
