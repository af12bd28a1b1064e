// Listening statistics: Scrobbler.dcp, the choice of a track's record, and
// the time counted while a real file plays on the silent device.
#include <gtest/gtest.h>
#include "app/general_settings.h"
#include "base/paths.h"
#include "audio/audio_library.h"
#include "audio/engine.h"
#include "media/file_groups.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "library/statistics.h"
#include "media/tags.h"
#include "tests/test_support.h"
#include "base/disk_file.h"

using namespace std::string_literals;

static ListenRecord Rec(const wchar_t* artist, const wchar_t* title, int32_t length, int64_t listen) {
    ListenRecord r;
    r.artist = artist;
    r.title = title;
    r.album = L"Album";
    r.genre = L"Rock";
    r.year = L"1999";
    r.lengthMs = length;
    r.listenMs = listen;
    return r;
}

static bool Parse(const std::string& bytes, std::vector<ListenRecord>* out) {
    std::string copy = bytes;  // a heap block of exactly the file's size
    return ParseStatistics(copy.data(), copy.size(), out);
}

static bool Same(const ListenRecord& a, const ListenRecord& b) {
    return a.artist == b.artist && a.title == b.title && a.album == b.album && a.genre == b.genre &&
           a.year == b.year && a.lengthMs == b.lengthMs && a.listenMs == b.listenMs;
}

TEST(StatisticsFile, RoundTripKeepsOrderAndExactTotals) {
    std::vector<ListenRecord> recs = {Rec(L"B", L"\u041f\u0435\u0441\u043d\u044f", 200000, 0),
                                      Rec(L"A", L"One", 1, 0x123456789ABLL), Rec(L"", L"", 0, 450001)};
    std::string bytes = SerializeStatistics(recs);
    std::string head = "\xEF\xBB\xBF[Sonvale 1.0 Scrobbler]\0\r\n#Elements: 3\0\r\n"s;
    EXPECT_EQ(head.size(), 44u);
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    // Artist, title, album, genre, year, decimal length, upper-case hex time.
    EXPECT_NE(bytes.find("\nA\0One\0Album\0Rock\0" "1999\0" "1\0" "123456789AB\0\r\n"s), std::string::npos);
    EXPECT_NE(bytes.find("\0" "200000\0" "0\0\r\n"s), std::string::npos);
    std::vector<ListenRecord> back;
    ASSERT_TRUE(Parse(bytes, &back));
    ASSERT_EQ(back.size(), 3u);
    for (size_t i = 0; i < 3; i++) EXPECT_TRUE(Same(back[i], recs[i])) << i;
    EXPECT_EQ(SerializeStatistics(back), bytes);
}

TEST(StatisticsFile, ForeignHeaderCountsAndLowerCaseHex) {
    std::vector<ListenRecord> out{Rec(L"x", L"y", 1, 1)};
    EXPECT_FALSE(Parse("\xEF\xBB\xBF[Sonvale 1.0 PlayList]\0\r\n"s, &out));
    EXPECT_TRUE(out.empty());
    std::string two = SerializeStatistics({Rec(L"a", L"b", 10, 20), Rec(L"c", L"d", 30, 40)});
    auto withCount = [&](const char* count) {
        std::string s = two;
        s.replace(s.find("#Elements: 2"), 12, std::string("#Elements: ") + count);
        return s;
    };
    // A larger count leaves empty records after the real ones, saved as such.
    ASSERT_TRUE(Parse(withCount("3"), &out));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_TRUE(Same(out[2], ListenRecord{}));
    EXPECT_EQ(SerializeStatistics(out), withCount("3") + "\0\0\0\0\0" "0\0" "0\0\r\n"s);
    // A hostile count creates no more records than the file could hold.
    ASSERT_TRUE(Parse(withCount("2000000000"), &out));
    EXPECT_LE(out.size(), two.size() / 11);
    // A smaller count stops early; hex digits of either case, up to the first other character.
    std::string one = withCount("1");
    one.replace(one.find("14\0"s), 3, "aFz\0"s);
    ASSERT_TRUE(Parse(one, &out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].listenMs, 0xAF);
}

// Cut anywhere: the records complete so far and never a whole file.
TEST(StatisticsFile, EveryTruncationAndByteFlipIsSafe) {
    std::string bytes = SerializeStatistics({Rec(L"Artist", L"Title", 2000, 4500), Rec(L"b", L"c", 3, 0xFFFF)});
    size_t complete = 0;
    for (size_t n = 0; n <= bytes.size(); n++) {
        std::vector<ListenRecord> out;
        StatisticsRead read;
        std::string cut = bytes.substr(0, n);
        ParseStatistics(cut.data(), cut.size(), &out, &read);
        EXPECT_EQ(read.whole, n == bytes.size()) << n;
        EXPECT_LE(out.size(), 2u);
        size_t whole = 0;
        while (whole < out.size() && !out[whole].artist.empty()) whole++;
        EXPECT_GE(whole, complete) << n;  // records complete so far stay
        complete = whole;
    }
    EXPECT_EQ(complete, 2u);
    for (size_t i = 0; i < bytes.size(); i++) {
        for (int bit = 0; bit < 8; bit++) {
            std::string flipped = bytes;
            flipped[i] ^= (char)(1 << bit);
            std::vector<ListenRecord> out;
            Parse(flipped, &out);
            EXPECT_LE(out.size(), bytes.size() / 11);
        }
    }
}

TEST(StatisticsFile, SavedBesideTheExecutableAndAFailedSaveKeepsTheOldFile) {
    ScratchFolder dir(L"stats-file");
    SetProgramFolder(dir.path);
    ResetStatistics();
    EXPECT_FALSE(LoadStatistics());  // no file yet
    g_stats.records = {Rec(L"a", L"b", 1000, 2500)};
    ASSERT_TRUE(SaveStatistics());
    std::string saved = ReadFileBytes(dir.File(L"Scrobbler.dcp"));
    EXPECT_EQ(saved, SerializeStatistics(g_stats.records));
    ResetStatistics();
    ASSERT_TRUE(LoadStatistics());
    ASSERT_EQ(g_stats.records.size(), 1u);
    EXPECT_EQ(g_stats.records[0].listenMs, 2500);

    // The file cannot be written beside the old one: the box names the failure, the old file stays.
    std::wstring temp = SaveTempPath(dir.File(L"Scrobbler.dcp"));
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    g_stats.records.push_back(Rec(L"c", L"d", 1, 1));
    {
        AnyBoxCatcher boxes;
        EXPECT_FALSE(SaveStatistics());
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen()[0].rfind(L"Error occurred|Error code \"", 0), 0u) << boxes.Seen()[0];
    }
    EXPECT_EQ(ReadFileBytes(dir.File(L"Scrobbler.dcp")), saved);
    RemoveDirectoryW(temp.c_str());

    // A file that is there but cannot be read at start-up is never overwritten.
    HANDLE lock = CreateFileW(dir.File(L"Scrobbler.dcp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ResetStatistics();
    EXPECT_FALSE(LoadStatistics());
    CloseHandle(lock);
    g_stats.records = {Rec(L"new", L"run", 5, 5)};
    EXPECT_FALSE(SaveStatistics());
    EXPECT_EQ(ReadFileBytes(dir.File(L"Scrobbler.dcp")), saved);
    ResetStatistics();
    EXPECT_TRUE(LoadStatistics());
    SetProgramFolder(ScratchFolder::Root());
}

TEST(StatisticsFile, AnotherCountIsNotWholeAndMemoryRunningOutKeepsWhatWasRead) {
    std::string two = SerializeStatistics({Rec(L"a", L"b", 10, 20), Rec(L"c", L"d", 30, 40)});
    std::vector<ListenRecord> out;
    StatisticsRead read;
    std::string copy = two;
    copy.replace(copy.find("#Elements: 2"), 12, "#Elements: 3");
    ASSERT_TRUE(ParseStatistics(copy.data(), copy.size(), &out, &read));
    EXPECT_FALSE(read.whole);

    // A crafted count over a megabyte of one endless text: nothing near the
    // records such a size could hold is reserved ahead.
    std::string crafted = two;
    crafted.replace(crafted.find("#Elements: 2"), 12, "#Elements: 2000000000");
    crafted.append(1 << 20, 'x');
    {
        AllocationLimit limit(4 << 20);
        ASSERT_TRUE(ParseStatistics(crafted.data(), crafted.size(), &out, &read));
    }
    EXPECT_FALSE(read.outOfMemory);
    EXPECT_GE(out.size(), 2u);
    EXPECT_LE(out.capacity() * sizeof(ListenRecord), crafted.size());

    // Memory runs out half-way: the records so far stay, complete.
    std::vector<ListenRecord> many(50000, Rec(L"Artist", L"Title", 1000, 5));
    std::string big = SerializeStatistics(many);
    {
        AllocationLimit limit(1 << 20);
        ASSERT_TRUE(ParseStatistics(big.data(), big.size(), &out, &read));
    }
    EXPECT_TRUE(read.outOfMemory);
    EXPECT_FALSE(read.whole);
    ASSERT_GT(out.size(), 1000u);
    ASSERT_LT(out.size(), many.size());
    EXPECT_TRUE(Same(out.back(), many[0]));
}

TEST(StatisticsFile, ADamagedFileIsKeptAsideOnceBeforeTheFirstSave) {
    ScratchFolder dir(L"stats-damaged");
    SetProgramFolder(dir.path);
    std::wstring file = dir.File(L"Scrobbler.dcp");
    std::string good = SerializeStatistics({Rec(L"a", L"b", 1000, 2500), Rec(L"c", L"d", 2000, 9)});
    // A cut in the second record: the first one reads, the rest is in the copy.
    std::string cut = good.substr(0, good.size() - 6);
    ASSERT_TRUE(WriteFileBytes(file, cut));
    ResetStatistics();
    {
        // Kept and said as soon as it is read (at start-up), not at the save on the way out.
        AnyBoxCatcher boxes;
        EXPECT_TRUE(LoadStatistics());
        ASSERT_GE(g_stats.records.size(), 1u);
        EXPECT_EQ(g_stats.records[0].listenMs, 2500);
        EXPECT_EQ(ReadFileBytes(file + L".bad"), cut);
        EXPECT_EQ(boxes.Seen(), (std::vector<std::wstring>{L"Information|Scrobbler.dcp could not be read whole, so it "
                                                            L"was kept as Scrobbler.dcp.bad before being saved again."}));
        // Said once: the saves say nothing and keep the copy as it is.
        EXPECT_TRUE(SaveStatistics());
        EXPECT_TRUE(SaveStatistics());
        EXPECT_EQ(boxes.Seen().size(), 1u);
    }
    EXPECT_EQ(ReadFileBytes(file + L".bad"), cut);
    EXPECT_EQ(ReadFileBytes(file), SerializeStatistics(g_stats.records));

    // A foreign header: no records, the file kept aside under the next free name.
    std::string foreign = "\xEF\xBB\xBF[Sonvale 1.0 Scrobblor]\0\r\n#Elements: 0\0\r\n"s;
    ASSERT_TRUE(WriteFileBytes(file, foreign));
    {
        AnyBoxCatcher boxes;
        EXPECT_FALSE(LoadStatistics());
        EXPECT_TRUE(SaveStatistics());
        EXPECT_EQ(boxes.Seen().size(), 1u);
    }
    EXPECT_EQ(ReadFileBytes(file + L".bad2"), foreign);
    EXPECT_EQ(ReadFileBytes(file + L".bad"), cut);

    // A whole file is saved over without a copy.
    EXPECT_TRUE(LoadStatistics());
    EXPECT_TRUE(SaveStatistics());
    EXPECT_EQ(GetFileAttributesW((file + L".bad3").c_str()), INVALID_FILE_ATTRIBUTES);
    ResetStatistics();
    SetProgramFolder(ScratchFolder::Root());
}

TEST(StatisticsRecords, TagsAndLengthChooseTheRecord) {
    SetGeneralDefaults();
    ResetStatistics();
    TagRecord t;
    t.title.Set(L"Song");
    t.artist.Set(L"Band");
    StatsBegin(t, 200000);
    StatsBegin(t, 200001);  // equal tags, another length
    ASSERT_EQ(g_stats.records.size(), 2u);
    EXPECT_EQ(g_stats.current, 1);
    EXPECT_TRUE(g_stats.listening);
    // A track without tags matches the first record of its length.
    StatsBegin(TagRecord{}, 200001);
    EXPECT_EQ(g_stats.current, 1);
    // An empty field of the record matches any text; texts compare case-sensitively.
    TagRecord other = t;
    other.album.Set(L"Album");
    StatsBegin(other, 200000);
    EXPECT_EQ(g_stats.current, 0);
    other.title.Set(L"song");
    StatsBegin(other, 200000);
    EXPECT_EQ(g_stats.current, 2);
    EXPECT_EQ(g_stats.records[2].album, L"Album");
    ResetStatistics();
}

TEST(StatisticsRecords, CountAndTimeTexts) {
    EXPECT_EQ(ListenCount(Rec(L"a", L"b", 200000, 450000)), 2);
    EXPECT_EQ(ListenCount(Rec(L"a", L"b", 0, 450000)), 0);
    wchar_t t[32];
    FormatListenTime(3599999, t, 32);
    EXPECT_STREQ(t, L"59:59");
    FormatListenTime(100LL * 3600000 + 61000, t, 32);
    EXPECT_STREQ(t, L"100:01:01");
}

// ---- counting while a real file plays ----------------------------------------

static int64_t g_now = 130000000000000000LL;
static int64_t FakeClock() { return g_now; }
static void Advance(int64_t ms) { g_now += ms * 10000; }

// One 2 s file on the silent device, the wall clock in the test's hands.
TEST(ListenTime, PlayingCountsAndPausesStopsAndSavesDoNotCountTwice) {
    ScratchFolder dir(L"stats-listen");
    std::wstring wav = dir.File(L"two.wav");
    ASSERT_TRUE(WriteSineWav(wav, 2));
    AudioInit(0, 44100, nullptr);
    SetGeneralDefaults();
    g_general.OSDView = 2;
    SetProgramFolder(dir.path);
    ResetStatistics();
    SetStatsClock(FakeClock);
    auto listened = [] { return g_stats.records.empty() ? -1 : g_stats.records[0].listenMs; };

    currentPath.Set(wav.c_str());
    ASSERT_TRUE(OpenCurrent(true));  // as at start-up: loaded, never started
    ASSERT_EQ(g_stats.records.size(), 1u);
    EXPECT_EQ(g_stats.records[0].lengthMs, 2000);
    Advance(5000);
    PlayFileNow(wav.c_str(), false);  // a track change, to the same record
    EXPECT_EQ(listened(), 0);
    ASSERT_EQ(GetStatus(), StatusPlaying);
    Advance(1500);
    TogglePlay();  // pause
    EXPECT_EQ(listened(), 1500);
    Advance(60000);  // a minute paused
    TogglePlay();
    Advance(2300);
    // A save while playing counts up to now and goes on.
    ASSERT_TRUE(SaveStatistics());
    EXPECT_EQ(listened(), 3800);
    Advance(700);
    PlayFileNow(wav.c_str(), false);
    EXPECT_EQ(listened(), 4500);
    ASSERT_EQ(g_stats.records.size(), 1u);
    EXPECT_EQ(ListenCount(g_stats.records[0]), 2);  // 4.5 s of a 2 s track
    // Pause, then stop: the paused time is not counted a second time.
    Advance(500);
    TogglePlay();
    Advance(100000);
    StatsStopListen();
    EXPECT_EQ(listened(), 5000);
    // A clock set back adds nothing.
    PlayFileNow(wav.c_str(), false);
    Advance(-10000);
    TogglePlay();
    EXPECT_EQ(listened(), 5000);
    // Off: no record and no time.
    ResetStatistics();
    g_general.isScrobblerEnabled = 0;
    PlayFileNow(wav.c_str(), false);
    Advance(5000);
    TogglePlay();
    EXPECT_TRUE(g_stats.records.empty());

    // The other suites of this program expect no track at all.
    StopTrack();
    AudioFree();
    currentPath.Set(L"");
    realPath[0] = 0;
    seekLength = 1;
    seekPosition = 0;
    g_playList = PlayListState{};
    SetNowPlayingPattern(L"");
    SetStatsClock(nullptr);
    SetProgramFolder(ScratchFolder::Root());
}
