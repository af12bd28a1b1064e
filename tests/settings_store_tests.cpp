#include <gtest/gtest.h>
#include "base/paths.h"
#include "base/settings_store.h"
#include "tests/test_support.h"

static const std::string kBom = "\xEF\xBB\xBF";

// Runs the section parser on bytes and returns "name=value;" pairs.
static std::string Entries(const std::string& file, const char* section, bool* found = nullptr) {
    std::vector<SettingsEntry> entries;
    bool ok = ParseSettingsSection(file.data(), file.size(), std::string("[") + section + "]", &entries);
    if (found) *found = ok;
    std::string out;
    for (SettingsEntry& e : entries) out += e.name.ToUtf8() + "=" + e.value.ToUtf8() + ";";
    return out;
}

TEST(SettingsFormat, SectionsAreFoundAndBoundedAsWritten) {
    std::string body = "[General]\r\nisVisible = 1\r\nPath = C:\\Music\r\n\r\n[HotKeys]\r\nPlay = 4000000020\r\n";
    EXPECT_EQ(Entries(kBom + body, "General"), "isVisible=1;Path=C:\\Music;");
    EXPECT_EQ(Entries(body, "General"), "isVisible=1;Path=C:\\Music;");  // no BOM: same entries
    EXPECT_EQ(Entries(kBom + body, "HotKeys"), "Play=4000000020;");

    // The header is found wherever it stands, text behind it is ignored, the first one wins.
    std::string two = "junk\r\n[General] old\r\na = 1\r\n\r\n[General]\r\na = 2\r\n";
    EXPECT_EQ(Entries(two, "General"), "a=1;");
    bool found = true;
    EXPECT_EQ(Entries(body, "Missing", &found), "");
    EXPECT_FALSE(found);
    // A section with no entries is still found.
    EXPECT_EQ(Entries("[General]\r\n\r\n[Other]\r\nx = 1\r\n", "General", &found), "");
    EXPECT_TRUE(found);
    // Nor does a header that follows without the empty line.
    EXPECT_EQ(Entries("[General]\r\na = 1\r\n[Other]\r\nx = 1\r\n", "General"), "a=1;");
}

TEST(SettingsFormat, HandEditedFilesNeverReadPastTheData) {
    bool found = false;
    EXPECT_EQ(Entries("", "General", &found), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(Entries(kBom, "General", &found), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(Entries("[General]", "General", &found), "");
    EXPECT_TRUE(found);
    // A last line without CR LF is not read; a line without " = " is not an entry.
    EXPECT_EQ(Entries("[General]\r\na = 1\r\nnoequals\r\nb=2\r\nc = 3", "General"), "a=1;");
    // An empty line not followed by a header does not end the section.
    EXPECT_EQ(Entries("[General]\r\na = 1\r\n\r\nb = 2\r\n", "General"), "a=1;b=2;");
    // Values may contain " = " themselves; the first one splits.
    EXPECT_EQ(Entries("[General]\r\nx = a = b\r\n", "General"), "x=a = b;");
    // NUL bytes inside a line end the text there, nothing more.
    std::string nul = "[General]\r\nx = ab";
    nul += '\0';
    nul += "cd\r\ny = 2\r\n";
    EXPECT_EQ(Entries(nul, "General"), "x=ab;y=2;");
    // A very long line.
    std::string longValue(200000, 'v');
    EXPECT_EQ(Entries("[General]\r\nk = " + longValue + "\r\n", "General"), "k=" + longValue + ";");
    // Lone CR or LF are not line ends.
    EXPECT_EQ(Entries("[General]\r\na = 1\nb = 2\r\n", "General"), "a=1\nb = 2;");
}

TEST(SettingsFormat, EveryTruncationAndByteFlipIsSafe) {
    std::string file = kBom + "[General]\r\nisVisible = 1\r\nPath = C:\\M\xC3\xBCsic\r\n\r\n[HotKeys]\r\nA = 1\r\n";
    for (size_t n = 0; n <= file.size(); n++) {
        std::string cut = file.substr(0, n);  // a heap copy of exactly n bytes
        std::vector<SettingsEntry> entries;
        ParseSettingsSection(cut.data(), cut.size(), "[General]", &entries);
        EXPECT_LE(entries.size(), 2u);
    }
    for (size_t i = 0; i < file.size(); i++) {
        for (int bit = 0; bit < 8; bit++) {
            std::string flipped = file;
            flipped[i] ^= (char)(1 << bit);
            std::vector<SettingsEntry> entries;
            ParseSettingsSection(flipped.data(), flipped.size(), "[HotKeys]", &entries);
            EXPECT_LE(entries.size(), 3u);
        }
    }
}

TEST(SettingsNumbers, DecimalAndHexParsing) {
    EXPECT_EQ((int32_t)ParseDecimal32(L"  -12abc"), -12);
    EXPECT_EQ(ParseDecimal32(L"abc"), 0u);
    EXPECT_EQ(ParseDecimal32(L"\t+42"), 42u);
    EXPECT_EQ(ParseDecimal32(L"4294967295"), 4294967295u);
    EXPECT_EQ(ParseDecimal32(L"4294967296"), 0u);  // wraps in 32 bits as the format defines
    EXPECT_EQ(ParseHex64(L"ff"), 255u);
    EXPECT_EQ(ParseHex64(L"4000000020"), 0x4000000020ull);
    EXPECT_EQ(ParseHex64(L" ff"), 0u);  // no white space is skipped
    EXPECT_EQ(ParseHex64(L"FFFFFFFFFFFFFFFF"), ~0ull);
}

struct SettingsFileTest : testing::Test {
    ScratchFolder dir{L"store"};
    std::wstring ini = dir.File(L"Settings.ini");
    void SetUp() override { SetProgramFolder(dir.path); }
    void TearDown() override { SetProgramFolder(ScratchFolder::Root()); }
};

TEST_F(SettingsFileTest, WritesTheFormatByteForByte) {
    {
        SettingsStore s;
        ASSERT_TRUE(s.Open(SettingsKeyAppend, L"Settings.ini\\General", KEY_WRITE));  // 500 on a missing file
        s.WriteDword(L"isVisible", 1);
        s.WriteInt(L"xPos", -5);
        s.WriteQword(L"zero", 0);
        s.WriteQword(L"ff", 255);
        s.WriteString(L"Path", L"C:\\M\u00fcsic");
        s.WriteString(L"Empty", nullptr);
        s.Close();
    }
    EXPECT_EQ(ReadFileBytes(ini), kBom + "[General]\r\nisVisible = 1\r\nxPos = -5\r\nzero = 0\r\nff = FF\r\n"
                                         "Path = C:\\M\xC3\xBCsic\r\nEmpty = \r\n");
    {
        SettingsStore s;
        ASSERT_TRUE(s.Open(SettingsKeyRewrite, L"Settings.ini\\General", KEY_WRITE));
        s.WriteDword(L"a", 1);
        s.Close();
        SettingsStore h;
        ASSERT_TRUE(h.Open(SettingsKeyAppend, L"Settings.ini\\HotKeys", KEY_WRITE));
        h.WriteQword(L"k", 0x10);
        h.Close();
    }
    EXPECT_EQ(ReadFileBytes(ini), kBom + "[General]\r\na = 1\r\n\r\n[HotKeys]\r\nk = 10\r\n");
    EXPECT_EQ(GetFileAttributesW(SaveTempPath(ini).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsFileTest, ReadsByNameCaseInsensitivelyFirstWins) {
    WriteFileBytes(ini, kBom + "[General]\r\nisVisible = 0\r\nISVISIBLE = 1\r\nvol =   -12x\r\nword = abc\r\n"
                               "hk = ff\r\nlong = " + std::string(300, 'x') + "\r\n");
    SettingsStore s;
    ASSERT_TRUE(s.Open(SettingsKeyRewrite, L"Settings.ini\\General", KEY_READ));
    uint32_t v = 7;
    EXPECT_TRUE(s.ReadDword(L"isvisible", &v));
    EXPECT_EQ(v, 0u);
    int32_t i = 0;
    EXPECT_TRUE(s.ReadDword(L"vol", &i));
    EXPECT_EQ(i, -12);
    EXPECT_TRUE(s.ReadDword(L"word", &v));
    EXPECT_EQ(v, 0u);
    uint64_t q = 0;
    EXPECT_TRUE(s.ReadQword(L"hk", &q));
    EXPECT_EQ(q, 255u);
    // Missing names and too-long fixed strings leave the caller's default.
    v = 99;
    EXPECT_FALSE(s.ReadDword(L"missing", &v));
    EXPECT_EQ(v, 99u);
    wchar_t fixed[MAX_PATH] = L"default";
    EXPECT_FALSE(s.ReadStringFixed(L"long", fixed));
    EXPECT_STREQ(fixed, L"default");
    StringBuffer sb;
    EXPECT_TRUE(s.ReadString(L"long", &sb));
    EXPECT_EQ(sb.length(), 300u);
    s.Close();

    // Other access masks open nothing; a missing file reads as not found.
    SettingsStore t;
    EXPECT_FALSE(t.Open(SettingsKeyRewrite, L"Settings.ini\\General", KEY_ALL_ACCESS));
    EXPECT_FALSE(t.Open(SettingsKeyRewrite, L"Nothing.ini\\General", KEY_READ));
}

// Inside a save, the file on disk stays the old one until the whole save lands.
// (A save that cannot land at all: general_settings_tests.cpp.)
TEST_F(SettingsFileTest, TheFileChangesOnlyWhenTheWholeSaveLands) {
    std::string before = kBom + "[General]\r\nTheme = 1101\r\n";
    WriteFileBytes(ini, before);
    BeginSettingsSave();
    SettingsStore g;
    ASSERT_TRUE(g.Open(SettingsKeyRewrite, L"Settings.ini\\General", KEY_WRITE));
    g.WriteDword(L"Theme", 1104);
    g.Close();
    SettingsStore h;
    ASSERT_TRUE(h.Open(SettingsKeyAppend, L"Settings.ini\\HotKeys", KEY_WRITE));
    h.WriteQword(L"k", 1);
    h.Close();
    EXPECT_EQ(ReadFileBytes(ini), before);
    EXPECT_TRUE(EndSettingsSave());
    EXPECT_EQ(ReadFileBytes(ini), kBom + "[General]\r\nTheme = 1104\r\n\r\n[HotKeys]\r\nk = 1\r\n");
}

// Another player saving into the same folder at the same moment.
static DWORD WINAPI HoldBriefly(void* handle) {
    Sleep(400);
    CloseHandle((HANDLE)handle);
    return 0;
}

TEST_F(SettingsFileTest, TwoWritersNeverShareATemporaryFileAndTheReplaceWaitsItsTurn) {
    std::string before = kBom + "[General]\r\nTheme = 1101\r\n";
    WriteFileBytes(ini, before);
    // Each process has a temporary name of its own.
    std::wstring temp = SaveTempPath(ini);
    EXPECT_EQ(temp.rfind(ini + L".", 0), 0u);
    EXPECT_NE(temp.find(std::to_wstring(GetCurrentProcessId())), std::wstring::npos);
    EXPECT_EQ(temp.substr(temp.size() - 4), L".new");
    // The other writer is busy with the temporary file of the old single name,
    // and then holds Settings.ini itself for a moment, as a replace does.
    HANDLE other = CreateFileW((ini + L".new").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    HANDLE held = CreateFileW(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE release = CreateThread(nullptr, 0, HoldBriefly, held, 0, nullptr);
    BeginSettingsSave();
    {
        SettingsStore g;
        ASSERT_TRUE(g.Open(SettingsKeyRewrite, L"Settings.ini\\General", KEY_WRITE));
        g.WriteDword(L"Theme", 1105);
    }
    EXPECT_TRUE(EndSettingsSave());
    WaitForSingleObject(release, 5000);
    CloseHandle(release);
    CloseHandle(other);
    DeleteFileW((ini + L".new").c_str());
    EXPECT_EQ(ReadFileBytes(ini), kBom + "[General]\r\nTheme = 1105\r\n");
    EXPECT_EQ(GetFileAttributesW(temp.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsFileTest, HiddenFileKeepsItsAttribute) {
    WriteFileBytes(ini, kBom + "[General]\r\n");
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SettingsStore s;
    ASSERT_TRUE(s.Open(SettingsKeyRewrite, L"Settings.ini\\General", KEY_WRITE));
    s.WriteDword(L"a", 1);
    s.Close();
    EXPECT_TRUE(GetFileAttributesW(ini.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SettingsRegistry, RealKeysRoundTripAndDeleteAsATree) {
    const wchar_t* base = L"Software\\SonvaleTests";
    DeleteKeyTree(HKEY_CURRENT_USER, base);
    {
        SettingsStore s;
        ASSERT_TRUE(s.Open(HKEY_CURRENT_USER, L"Software\\SonvaleTests\\a\\b", KEY_WRITE));
        s.WriteDword(L"d", 7);
        s.WriteInt(L"i", -3);
        s.WriteQword(L"q", 0x1122334455667788ull);
        s.WriteString(L"s", L"text");
        s.WriteString(L"none", nullptr);
        ASSERT_TRUE(s.Open(HKEY_CURRENT_USER, L"Software\\SonvaleTests\\a\\b", KEY_READ));
        uint32_t d = 0;
        int32_t i = 0;
        uint64_t q = 0;
        StringBuffer sb;
        wchar_t fixed[MAX_PATH] = {};
        EXPECT_TRUE(s.ReadDword(L"d", &d));
        EXPECT_EQ(d, 7u);
        EXPECT_TRUE(s.ReadDword(L"i", &i));
        EXPECT_EQ(i, -3);
        EXPECT_TRUE(s.ReadQword(L"q", &q));
        EXPECT_EQ(q, 0x1122334455667788ull);
        EXPECT_TRUE(s.ReadString(L"s", &sb));
        EXPECT_STREQ(sb.c_str(), L"text");
        EXPECT_TRUE(s.ReadStringFixed(L"s", fixed));
        EXPECT_STREQ(fixed, L"text");
        EXPECT_FALSE(s.ReadString(L"none", &sb));
        s.Close();
    }
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, base));
    HKEY k;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, base, 0, KEY_READ, &k), ERROR_SUCCESS);
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, base));  // already gone
}
