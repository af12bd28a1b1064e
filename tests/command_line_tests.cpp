#include <gtest/gtest.h>
#include "app/command_line.h"
#include "app/hand_off.h"
#include "tests/test_support.h"

static std::vector<std::wstring> Split(const wchar_t* text) {
    std::wstring copy = text;
    std::vector<std::wstring> out;
    for (wchar_t* w : SplitCommandLine(copy.data())) out.push_back(w);
    return out;
}

TEST(CommandLineSplit, QuotesSpacesAndEmptyInput) {
    EXPECT_EQ(Split(L"a\"b c\"d"), std::vector<std::wstring>{L"ab cd"});
    EXPECT_EQ(Split(L"   prog   /f    x  "), (std::vector<std::wstring>{L"prog", L"/f", L"x"}));
    EXPECT_EQ(Split(L"\"C:\\Program Files\\S.exe\" \"D:\\My Music\\\""),
              (std::vector<std::wstring>{L"C:\\Program Files\\S.exe", L"D:\\My Music\\"}));
    EXPECT_TRUE(Split(L"").empty());
    EXPECT_TRUE(Split(L"    ").empty());
    EXPECT_EQ(Split(L"\"\" x"), (std::vector<std::wstring>{L"", L"x"}));
    EXPECT_EQ(Split(L"\"open quote to the end"), std::vector<std::wstring>{L"open quote to the end"});
}

struct CommandLineTest : testing::Test {
    ScratchFolder dir{L"cmdline"};
    std::wstring song = dir.File(L"song.mp3");
    std::wstring other = dir.File(L"other.ogg");
    void SetUp() override {
        WriteFileBytes(song, "x");
        WriteFileBytes(other, "x");
    }
    CommandLine Parse(const std::wstring& text, const std::wstring& cwd = L"C:\\nowhere\\") {
        CommandLine cl;
        ParseCommandLine(text.c_str(), cwd, &cl);
        return cl;
    }
};

TEST_F(CommandLineTest, SwitchesAndModes) {
    CommandLine cl = Parse(L"S.exe /f /add \"" + song + L"\"");
    EXPECT_EQ(cl.record.mode, ModeAdd);  // the last mode switch wins
    EXPECT_TRUE(cl.hasPath);
    EXPECT_EQ(std::wstring(cl.record.path), song);

    cl = Parse(L"S.exe -FS /S -ns /afo /unknown");
    EXPECT_TRUE(cl.forceStart);
    EXPECT_EQ(cl.record.flag, 1);
    EXPECT_TRUE(cl.noSound);
    EXPECT_TRUE(cl.fileOperations);
    EXPECT_FALSE(cl.hasPath);
    EXPECT_EQ(cl.record.mode, ModeOpen);

    for (const wchar_t* h : {L"/h", L"-h", L"/help", L"-HELP", L"/?", L"-?"})
        EXPECT_TRUE(Parse(std::wstring(L"S.exe ") + h).showHelp) << h;
    // The first word is the program itself and is never examined.
    EXPECT_FALSE(Parse(L"/fs").forceStart);
    EXPECT_FALSE(Parse(L"/add").hasPath);
}

TEST_F(CommandLineTest, PathDetection) {
    // Relative to the current folder, with /A matching /a.
    CommandLine cl = Parse(L"S.exe /A song.mp3", dir.path);
    EXPECT_EQ(cl.record.mode, ModeAddNearby);
    EXPECT_EQ(std::wstring(cl.record.path), song);
    // Two existing paths: the first one wins.
    cl = Parse(L"S.exe \"" + song + L"\" \"" + other + L"\"");
    EXPECT_EQ(std::wstring(cl.record.path), song);
    // A folder is a path too; a missing file is not.
    cl = Parse(L"S.exe \"" + dir.path + L"\"");
    EXPECT_TRUE(cl.hasPath);
    EXPECT_FALSE(Parse(L"S.exe C:\\does\\not\\exist.mp3").hasPath);
}

TEST_F(CommandLineTest, AnOverlongPathIsRefusedNotCut) {
    std::wstring deep = dir.path;
    while (deep.size() < 300) {
        deep += L"abcdefghijklmnopqrstuvwxyz0123456789\\";
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    CommandLine cl = Parse(L"S.exe /add \"" + deep + L"\"");
    EXPECT_FALSE(cl.hasPath);
    EXPECT_EQ(cl.tooLongPath, deep);
    EXPECT_EQ(cl.record.path[0], 0);
}

static SYSTEMTIME At(int h, int m, int s, int ms) {
    SYSTEMTIME t{};
    t.wHour = (WORD)h;
    t.wMinute = (WORD)m;
    t.wSecond = (WORD)s;
    t.wMilliseconds = (WORD)ms;
    return t;
}

TEST(HandOffRule, PlainOpensInQuickSuccessionAdd) {
    SYSTEMTIME first = At(12, 0, 0, 0);
    EXPECT_EQ(EffectiveMode(ModeOpen, nullptr, first), ModeOpen);
    SYSTEMTIME t50 = At(12, 0, 0, 50), t150 = At(12, 0, 0, 150);
    EXPECT_EQ(EffectiveMode(ModeOpen, &first, t50), ModeAdd);
    EXPECT_EQ(EffectiveMode(ModeOpen, &first, t150), ModeOpen);
    EXPECT_EQ(EffectiveMode(ModeFollow, &first, t50), ModeFollow);
    // Across midnight the time of day wraps; 70 ms still counts as quick.
    SYSTEMTIME late = At(23, 59, 59, 950), early = At(0, 0, 0, 20);
    EXPECT_EQ(EffectiveMode(ModeOpen, &late, early), ModeAdd);
    // A second crossing minutes: 59.990 to 00.040 of the next minute is 50 ms.
    SYSTEMTIME a = At(10, 4, 59, 990), b = At(10, 5, 0, 40);
    EXPECT_EQ(EffectiveMode(ModeOpen, &a, b), ModeAdd);
}

TEST_F(CommandLineTest, HandOffRecordsWhatItActsOn) {
    HandOffRecord r{};
    r.mode = ModeOpen;
    std::wstring cue = dir.File(L"Album.CUE");
    WriteFileBytes(cue, "FILE x WAVE\r\n");
    wcscpy(r.path, cue.c_str());
    HandleHandOff(r);
    EXPECT_TRUE(LastHandOff().isCue);
    EXPECT_FALSE(LastHandOff().isFolder);

    r.mode = ModeAdd;
    wcscpy(r.path, dir.path.c_str());
    HandleHandOff(r);
    EXPECT_EQ(LastHandOff().mode, ModeAdd);
    EXPECT_TRUE(LastHandOff().isFolder);

    // A record without a terminator (another process's bytes) is cut at its end.
    HandOffRecord bad;
    memset(&bad, 'A', sizeof(bad));
    bad.mode = 9;
    HandleHandOff(bad);
    EXPECT_EQ(LastHandOff().path.size(), (size_t)MAX_PATH - 1);
    EXPECT_LE(LastHandOff().mode, ModeAdd);
    // An empty path does nothing.
    HandOffRecord empty{};
    empty.mode = ModeFollow;
    HandleHandOff(empty);
    EXPECT_NE(LastHandOff().mode, ModeFollow);
}
