#include <gtest/gtest.h>
#include "library/playlist_file.h"
#include "tests/test_support.h"

static PlayListRecord Rec(const wchar_t* path, int len, int order) {
    PlayListRecord r;
    SplitEntryPath(path, &r);
    r.lengthMs = len;
    r.playOrder = order;
    return r;
}

static bool Parse(const std::string& bytes, PlayListFile* f) {
    std::string copy = bytes;  // a heap block of exactly the file's size
    return ParsePlayList(copy.data(), copy.size(), f);
}

TEST(PlayListFile, RoundTripKeepsEverything) {
    std::vector<PlayListRecord> recs = {Rec(L"C:\\Music\\a.mp3", 1000, 1), Rec(L"D:\\\u041c\u0443\u0437\\b c.flac", 2500, -1),
                                        Rec(L"C:\\Music\\x.y.ogg", 300, 0)};
    std::string bytes = SerializePlayList(recs, 2);
    EXPECT_EQ(bytes.substr(0, 28), std::string("\xEF\xBB\xBF[Sonvale 1.0 PlayList]\0\r\n", 28));
    EXPECT_NE(bytes.find(std::string("#Elements: 3\0\r\n#NowPlaying: 2\0\r\n", 32)), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    PlayListFile f;
    ASSERT_TRUE(Parse(bytes, &f));
    ASSERT_EQ(f.records.size(), 3u);
    for (size_t i = 0; i < 3; i++) {
        EXPECT_EQ(EntryPath(f.records[i]), EntryPath(recs[i]));
        EXPECT_EQ(f.records[i].lengthMs, recs[i].lengthMs);
        EXPECT_EQ(f.records[i].playOrder, recs[i].playOrder);
    }
    EXPECT_EQ(f.records[2].name, L"x.y");
    EXPECT_EQ(f.nowPlaying, 2u);
    EXPECT_EQ(f.playedCount, 2u);
    EXPECT_EQ(f.totalLength, 3800);
    EXPECT_EQ(f.playedLength, 1300);
}

TEST(PlayListFile, HeaderCountsAndNowPlaying) {
    PlayListFile f;
    EXPECT_FALSE(Parse(std::string("\xEF\xBB\xBF[Other 1.0 PlayList]\0", 24), &f));
    EXPECT_FALSE(Parse("", &f));
    // A count of 0 is an empty playlist, and true.
    std::vector<PlayListRecord> one = {Rec(L"C:\\a.mp3", 5, -1)};
    std::string bytes = SerializePlayList(one, 0);
    std::string zero = bytes;
    zero.replace(zero.find("#Elements: 1"), 12, "#Elements: 0");
    ASSERT_TRUE(Parse(zero, &f));
    EXPECT_TRUE(f.records.empty());
    // A count larger than the records is harmless; a smaller one stops early.
    std::string big = bytes;
    big.replace(big.find("#Elements: 1"), 12, "#Elements: 9");
    ASSERT_TRUE(Parse(big, &f));
    EXPECT_EQ(f.records.size(), 1u);
    std::vector<PlayListRecord> three = {Rec(L"C:\\a.mp3", 1, -1), Rec(L"C:\\b.mp3", 2, -1), Rec(L"C:\\c.mp3", 3, -1)};
    std::string small = SerializePlayList(three, 0);
    small.replace(small.find("#Elements: 3"), 12, "#Elements: 2");
    ASSERT_TRUE(Parse(small, &f));
    EXPECT_EQ(f.records.size(), 2u);
    // #NowPlaying naming an unplayed entry, or out of range, gives 0.
    ASSERT_TRUE(Parse(SerializePlayList(three, 1), &f));
    EXPECT_EQ(f.nowPlaying, 0u);
    ASSERT_TRUE(Parse(SerializePlayList(three, 7), &f));
    EXPECT_EQ(f.nowPlaying, 0u);
}

TEST(PlayListFile, PathsWithoutDotOrBackslash) {
    PlayListRecord r;
    SplitEntryPath(L"C:\\Music\\README", &r);
    EXPECT_EQ(r.folder, L"C:\\Music\\");
    EXPECT_EQ(r.name, L"README");
    EXPECT_EQ(r.extension, L"");
    SplitEntryPath(L"track.mp3", &r);
    EXPECT_EQ(r.folder, L"track\\");
    EXPECT_EQ(r.name, L"");
    EXPECT_EQ(r.extension, L"mp3");
    SplitEntryPath(L"C:\\My.Folder\\noext", &r);
    EXPECT_EQ(r.extension, L"Folder\\noext");  // the last dot decides, as the format defines
}

TEST(PlayListFile, DamagedPlayOrdersAreRenumberedWithoutGaps) {
    std::vector<PlayListRecord> recs = {Rec(L"C:\\a.mp3", 1, 7), Rec(L"C:\\b.mp3", 1, 7), Rec(L"C:\\c.mp3", 1, -5),
                                        Rec(L"C:\\d.mp3", 1, 2)};
    PlayListFile f;
    ASSERT_TRUE(Parse(SerializePlayList(recs, 0), &f));
    EXPECT_EQ(f.records[3].playOrder, 0);
    EXPECT_EQ(f.records[0].playOrder, 1);
    EXPECT_EQ(f.records[1].playOrder, 2);
    EXPECT_EQ(f.records[2].playOrder, -1);
    EXPECT_EQ(f.playedCount, 3u);
}

TEST(PlayListFile, EveryTruncationAndByteFlipIsSafe) {
    std::vector<PlayListRecord> recs = {Rec(L"C:\\Music\\a.mp3", 1000, 0), Rec(L"C:\\Music\\b.ogg", 2000, -1)};
    std::string bytes = SerializePlayList(recs, 0);
    size_t complete = 0;
    for (size_t n = 0; n <= bytes.size(); n++) {
        PlayListFile f;
        Parse(bytes.substr(0, n), &f);
        EXPECT_LE(f.records.size(), 2u);
        EXPECT_GE(f.records.size(), complete);  // entries complete so far stay
        complete = f.records.size();
        EXPECT_LE(f.playedCount, f.records.size());
    }
    EXPECT_EQ(complete, 2u);
    for (size_t i = 0; i < bytes.size(); i++) {
        for (int bit = 0; bit < 8; bit++) {
            std::string flipped = bytes;
            flipped[i] ^= (char)(1 << bit);
            PlayListFile f;
            Parse(flipped, &f);
            EXPECT_LE(f.playedCount, f.records.size());
            EXPECT_TRUE(f.records.empty() || f.nowPlaying < f.records.size());
        }
    }
}

TEST(PlayListFile, OnlyAFileReadToItsLastByteIsWhole) {
    std::vector<PlayListRecord> recs = {Rec(L"C:\\Music\\a.mp3", 1000, 0), Rec(L"C:\\Music\\b.ogg", 2000, -1)};
    std::string bytes = SerializePlayList(recs, 0);
    PlayListFile f;
    ASSERT_TRUE(Parse(bytes, &f));
    EXPECT_TRUE(f.whole);
    ASSERT_TRUE(Parse(SerializePlayList({}, 0), &f));
    EXPECT_TRUE(f.whole);
    // A cut anywhere, a smaller or larger count, bytes after the last record: not whole.
    for (size_t n = 0; n < bytes.size(); n++) {
        Parse(bytes.substr(0, n), &f);
        EXPECT_FALSE(f.whole) << n;
    }
    std::string more = bytes, fewer = bytes;
    more.replace(more.find("#Elements: 2"), 12, "#Elements: 3");
    fewer.replace(fewer.find("#Elements: 2"), 12, "#Elements: 1");
    ASSERT_TRUE(Parse(more, &f));
    EXPECT_EQ(f.records.size(), 2u);
    EXPECT_FALSE(f.whole);
    ASSERT_TRUE(Parse(fewer, &f));
    EXPECT_EQ(f.records.size(), 1u);
    EXPECT_FALSE(f.whole);
    EXPECT_TRUE(Parse(bytes + "x", &f));
    EXPECT_FALSE(f.whole);
}

// A crafted file with a huge count: the reader reserves no more than the
// file's own size (1 MB here; a 1 GiB file once asked for more than 10 GB and
// the failed allocation ended the program).
TEST(PlayListFile, AHugeCountReservesNoMoreThanTheFileHolds) {
    std::string bytes = SerializePlayList({Rec(L"C:\\a.mp3", 5, 0)}, 0);
    bytes.replace(bytes.find("#Elements: 1"), 12, "#Elements: 2000000000");
    bytes.append(1 << 20, 'x');  // a path that never ends
    PlayListFile f;
    {
        AllocationLimit limit(4 << 20);
        ASSERT_TRUE(ParsePlayList(bytes.data(), bytes.size(), &f));
    }
    EXPECT_FALSE(f.outOfMemory);
    EXPECT_EQ(f.records.size(), 1u);
    EXPECT_LE(f.records.capacity() * sizeof(PlayListRecord), bytes.size());
    EXPECT_FALSE(f.whole);
}

TEST(PlayListFile, RunningOutOfMemoryKeepsWhatWasRead) {
    std::vector<PlayListRecord> recs;
    for (int i = 0; i < 100000; i++) recs.push_back(Rec(L"C:\\a.mp3", 1000, i % 2 ? i / 2 : -1));
    std::string bytes = SerializePlayList(recs, 7);
    PlayListFile f;
    {
        AllocationLimit limit(1 << 20);  // room for about ten thousand records
        ASSERT_TRUE(ParsePlayList(bytes.data(), bytes.size(), &f));
    }
    EXPECT_TRUE(f.outOfMemory);
    EXPECT_FALSE(f.whole);
    ASSERT_GT(f.records.size(), 1000u);
    ASSERT_LT(f.records.size(), recs.size());
    // Complete records with counts and play orders that agree with them.
    EXPECT_EQ(EntryPath(f.records.back()), L"C:\\a.mp3");
    EXPECT_EQ(f.totalLength, 1000 * (int64_t)f.records.size());
    EXPECT_EQ(f.playedCount, (uint32_t)(f.records.size() / 2));
    EXPECT_EQ(f.nowPlaying, 7u);
    // Fewer rows than records (the list ran out): the counts follow.
    KeepFirstRecords(&f, 4);
    EXPECT_EQ(f.records.size(), 4u);
    EXPECT_EQ(f.playedCount, 2u);
    EXPECT_EQ(f.records[3].playOrder, 1);
    EXPECT_EQ(f.nowPlaying, 0u);  // entry 7 is gone
}
