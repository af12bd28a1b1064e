// The play order over a playlist of real short files, played through the
// real engine on the silent device.
#include <gtest/gtest.h>
#include "tests/library_support.h"
#include "tests/test_support.h"
#include "library/play_order.h"
#include "library/playlist.h"
#include "media/file_groups.h"
#include "library/group_looks.h"
#include "library/mt19937.h"
#include "app/general_settings.h"
#include "base/paths.h"
#include "audio/audio_library.h"
#include "audio/engine.h"

static int g_shutdowns;
static bool CountShutdown() {
    g_shutdowns++;
    return true;
}

struct PlayOrderTest : testing::Test {
    static ScratchFolder* media;
    ScratchFolder dir{L"play-order"};
    LibraryWindow* w = nullptr;

    static void SetUpTestSuite() {
        media = new ScratchFolder(L"play-order-media");
        for (wchar_t c = L'a'; c <= L'e'; c++) ASSERT_TRUE(WriteSineWav(media->File(std::wstring(1, c).append(L".wav").c_str()), 1));
        ASSERT_TRUE(AudioInit(0, 44100, nullptr));
    }
    static void TearDownTestSuite() {
        StopTrack();
        AudioFree();
        delete media;
    }
    void SetUp() override {
        ResetLibraryState(dir.path);
        g_general.isShuffle = 0;
        currentPath.Set(L"");
        shutdownAfterPlayList = false;
        g_shutDownSystem = CountShutdown;
        g_shutdowns = 0;
        g_random.Seed(1234);
        w = new LibraryWindow;
    }
    void TearDown() override {
        StopTrack();
        delete w;
        g_playList = PlayListState{};
        SetProgramFolder(ScratchFolder::Root());
    }
    // Entries named by letters: a to e are real files, x is missing.
    void Fill(const wchar_t* letters) {
        for (const wchar_t* c = letters; *c; c++) AppendEntry(media->path.c_str(), std::wstring(1, *c).c_str(), L"wav", 1000);
    }
    std::wstring Playing() const {
        const wchar_t* slash = wcsrchr(currentPath.c_str(), L'\\');
        return slash ? std::wstring(slash + 1, 1) : L"";
    }
    std::vector<int> Orders() const {
        std::vector<int> o;
        for (int r = 0; r < PlayListCount(); r++) o.push_back(EntryOrder(r));
        return o;
    }
    int NowPlayingLooks() const {
        int n = 0;
        for (int r = 0; r < PlayListCount(); r++) n += HasNowPlayingLook(r);
        return n;
    }
    // Runs the main window's tick until the engine moves on or time runs out.
    void TickUntil(bool (*done)(), int ms) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < (DWORD)ms && !done(); Sleep(10)) PositionTick();
    }
};
ScratchFolder* PlayOrderTest::media;

TEST_F(PlayOrderTest, OrderedPlayOfOneEntryThenTheEnd) {
    Fill(L"a");
    ASSERT_TRUE(PlayNext(false));
    EXPECT_EQ(Playing(), L"a");
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_TRUE(g_playList.fromPlayList);
    EXPECT_EQ(Orders(), (std::vector<int>{0}));
    EXPECT_TRUE(HasNowPlayingLook(0));
    EXPECT_FALSE(PlayNext(false));
    EXPECT_EQ(Playing(), L"a");
    EXPECT_EQ(w->StatusText(1), L"Tracks.1 / 1");
}

TEST_F(PlayOrderTest, AnUnopenableEntryIsSkippedSilentlyBothWays) {
    Fill(L"axb");
    AnyBoxCatcher boxes;
    ASSERT_TRUE(PlayNext(false));
    ASSERT_TRUE(PlayNext(false));
    EXPECT_EQ(Playing(), L"b");
    EXPECT_EQ(Orders(), (std::vector<int>{0, 1, 2}));  // the missing one counts as played
    EXPECT_EQ(g_playList.nowPlaying, 2u);
    EXPECT_EQ(NowPlayingLooks(), 1);
    EXPECT_EQ(EntryOrder(1), 1);
    EXPECT_EQ((int)w->playList->rows[1].cells[PlayListIcon].value, -GroupIcon(GroupLossless));
    PlayPrevious(false);
    EXPECT_EQ(Playing(), L"a");
    EXPECT_EQ(g_playList.nowPlaying, 0u);
    PlayPrevious(false);  // at the start: nothing happens
    EXPECT_EQ(Playing(), L"a");
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_TRUE(boxes.Seen().empty());
    // A list of nothing but missing files ends quietly.
    EmptyPlayList();
    Fill(L"xx");
    EXPECT_FALSE(PlayNext(false));
    EXPECT_EQ(g_playList.playedCount, 2u);
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(PlayOrderTest, ShuffleStopsWhenAllArePlayedUnlessThePlaylistLoops) {
    g_general.isShuffle = 1;
    Fill(L"abcde");
    std::vector<int> seen(5, 0);
    for (int i = 0; i < 5; i++) {
        ASSERT_TRUE(PlayNext(false));
        seen[g_playList.nowPlaying]++;
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 1, 1, 1}));
    // Four heard, the fifth just begun: its unheard part is not counted.
    EXPECT_EQ(w->StatusText(0), L"Time.00:04 / 00:05");
    EXPECT_FALSE(PlayNext(false));
    g_general.isLoopPlayList = 1;
    ASSERT_TRUE(PlayNext(false));
    EXPECT_EQ(g_playList.playedCount, 1u);
    EXPECT_EQ(w->StatusText(1), L"Tracks.1 / 5");
}

TEST_F(PlayOrderTest, ShuffleAfterGoingBackTwiceReplaysTheHistoryThenDraws) {
    g_general.isShuffle = 1;
    Fill(L"abcde");
    std::vector<uint32_t> played;
    for (int i = 0; i < 3; i++) {
        ASSERT_TRUE(PlayNext(false));
        played.push_back(g_playList.nowPlaying);
    }
    PlayPrevious(false);
    PlayPrevious(false);
    EXPECT_EQ(g_playList.nowPlaying, played[0]);
    int drawn = g_random.index;
    ASSERT_TRUE(PlayNext(false));
    EXPECT_EQ(g_playList.nowPlaying, played[1]);
    ASSERT_TRUE(PlayNext(false));
    EXPECT_EQ(g_playList.nowPlaying, played[2]);
    EXPECT_EQ(g_random.index, drawn);
    ASSERT_TRUE(PlayNext(false));
    uint32_t fourth = g_playList.nowPlaying;
    EXPECT_TRUE(fourth != played[0] && fourth != played[1] && fourth != played[2]);
    EXPECT_EQ(EntryOrder((int)fourth), 3);
}

TEST_F(PlayOrderTest, OppositeSwapsOrderedAndShuffledForOneStep) {
    Fill(L"abcde");
    ASSERT_TRUE(PlayNext(false));
    g_random.Seed(3);
    Mt19937 probe;
    probe.Seed(3);
    uint32_t k = probe.Next() % 4;
    ASSERT_TRUE(PlayNext(true));
    EXPECT_EQ(g_playList.nowPlaying, k + 1);  // the k-th unplayed entry of b..e
    g_general.isShuffle = 1;
    uint32_t at = g_playList.nowPlaying;
    if (at < 4) {
        ASSERT_TRUE(PlayNext(true));
        EXPECT_EQ(g_playList.nowPlaying, at + 1);
    }
}

TEST_F(PlayOrderTest, EnterOnAnEntryPlayedThirdMakesItLastInTheHistory) {
    Fill(L"abcde");
    for (int i = 0; i < 5; i++) ASSERT_TRUE(PlayNext(false));
    SetCurrent(w->playList, 2);
    w->Key(VK_RETURN);
    EXPECT_EQ(Playing(), L"c");
    EXPECT_EQ(Orders(), (std::vector<int>{0, 1, 4, 2, 3}));
    EXPECT_EQ(NowPlayingLooks(), 1);
    EXPECT_TRUE(HasNowPlayingLook(2));
    EXPECT_EQ((int)w->playList->rows[4].cells[PlayListIcon].value, -GroupIcon(GroupLossless));
}

TEST_F(PlayOrderTest, AltEnterStartsAtThePositionShownBefore) {
    Fill(L"ab");
    ASSERT_TRUE(PlayNext(false));
    SeekTo(600);
    seekPosition = 600;
    SetCurrent(w->playList, 1);
    w->win.Send(WM_SYSKEYDOWN, VK_RETURN, 1 | (1 << 29));
    EXPECT_EQ(Playing(), L"b");
    EXPECT_GE(GetPosition(), 550);
}

TEST_F(PlayOrderTest, RestartWhilePlayingForgetsThePassButPlaysOn) {
    Fill(L"abc");
    ASSERT_TRUE(PlayNext(false));
    ASSERT_TRUE(PlayNext(false));
    w->Key(VK_F12);
    EXPECT_EQ(w->StatusText(1), L"Tracks.0 / 3");
    EXPECT_EQ(Orders(), (std::vector<int>{-1, -1, -1}));
    EXPECT_EQ(NowPlayingLooks(), 0);
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(g_playList.nowPlaying, 0u);
    // The pass starts again at the first entry.
    ASSERT_TRUE(PlayNext(false));
    EXPECT_EQ(Playing(), L"a");
}

TEST_F(PlayOrderTest, TrackEndsMoveOnThenStopAndShutDownAtTheEnd) {
    Fill(L"ab");
    shutdownAfterPlayList = true;
    ASSERT_TRUE(PlayNext(false));
    TickUntil([] { return g_playList.nowPlaying == 1; }, 4000);
    EXPECT_EQ(Playing(), L"b");
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(g_shutdowns, 0);
    TickUntil([] { return GetStatus() == StatusStopped; }, 4000);
    PositionTick();
    EXPECT_EQ(GetStatus(), StatusStopped);
    EXPECT_EQ(g_shutdowns, 1);
    EXPECT_EQ(NowPlayingLooks(), 0);
    EXPECT_EQ(EntryOrder(1), 1);
    for (int i = 0; i < 5; i++) PositionTick();
    EXPECT_EQ(g_shutdowns, 1);  // once
    EXPECT_EQ(seekPosition, seekLength);  // the seek panel stays at the end
}

TEST_F(PlayOrderTest, ALoopingPlaylistStartsANewPassAtItsEnd) {
    Fill(L"a");
    g_general.isLoopPlayList = 1;
    ASSERT_TRUE(PlayNext(false));
    Sleep(1100);
    TickUntil([] { return GetPosition() > 0 && GetPosition() < 500 && g_engine.playState == PlayStatePlaying; }, 3000);
    EXPECT_EQ(GetStatus(), StatusPlaying);
    EXPECT_EQ(g_playList.playedCount, 1u);
}

// Gapless playback on the system's endpoint, whose sound test.sh records:
// pieces of one sine in the playlist come out as one sine, and what is shown
// moves on when the next piece is heard. A second rate is resampled without a gap.
TEST_F(PlayOrderTest, GaplessPiecesOfOneSineComeOutWhole) {
    std::wstring capture = TestExeFolder() + L"alsa-capture.raw";
    StopTrack();
    AudioFree();
    struct Restore {
        ~Restore() {
            StopTrack();
            AudioFree();
            g_gaplessPlayback = false;
            AudioInit(0, 44100, nullptr);
        }
    } restore;
    struct {
        int secondRate;
        bool shuffle, loopFromTheLast;
    } cases[] = {{44100, false, false}, {48000, false, false}, {44100, true, false}, {44100, false, true}};
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.secondRate << (c.shuffle ? " shuffled" : "") << (c.loopFromTheLast ? " looping" : ""));
        ResetLibraryState(dir.path);
        EmptyPlayList();
        const uint32_t cut = 22050 + 321;
        double from = (double)cut / 44100;
        ASSERT_TRUE(WriteSinePiece(media->File(L"p.wav"), 44100, 0.0, cut));
        ASSERT_TRUE(WriteSinePiece(media->File(L"q.wav"), c.secondRate, from, (uint32_t)((1.0 - from) * c.secondRate)));
        // Looping: the last entry plays first and the list starts again with the first.
        AppendEntry(media->path.c_str(), c.loopFromTheLast ? L"q" : L"p", L"wav", 500);
        AppendEntry(media->path.c_str(), c.loopFromTheLast ? L"p" : L"q", L"wav", 500);
        g_general.isShuffle = c.shuffle;
        g_general.isLoopPlayList = c.loopFromTheLast;
        g_gaplessPlayback = true;
        ASSERT_TRUE(AudioInit(-1, 44100, nullptr));
        AudioOutputInfo info{};
        AudioGetOutputInfo(&info);
        if (c.shuffle) {
            // The second piece is the one the shuffle draws after the first.
            ASSERT_TRUE(PlayEntry(0, false, false));
        } else if (c.loopFromTheLast) {
            ASSERT_TRUE(PlayEntry(1, false, false));
        } else {
            ASSERT_TRUE(PlayNext(false));
        }
        ASSERT_EQ(Playing(), L"p");
        static bool sawAhead;
        sawAhead = false;
        TickUntil([] {
            sawAhead = sawAhead || NextTrackPath();
            return wcsstr(currentPath.c_str(), L"q.wav") != nullptr;
        }, 3000);
        EXPECT_TRUE(sawAhead);
        EXPECT_EQ(Playing(), L"q");
        EXPECT_EQ(GetStatus(), StatusPlaying);
        EXPECT_GT(seekLength, 400u);
        EXPECT_LT(seekLength, 600u);
        if (c.loopFromTheLast) {
            // The list changes under the playing piece: nothing follows it now.
            g_general.isLoopPlayList = 0;
            RemoveEntry(1);
        }
        TickUntil([] { return GetStatus() == StatusStopped; }, 3000);
        EXPECT_EQ(NextTrackPath(), nullptr);
        StopTrack();
        AudioFree();
        std::string raw = ReadFileBytes(capture);
        if (raw.empty()) GTEST_SKIP() << "no ALSA capture file (run through test.sh)";
        EXPECT_EQ(JoinedSineProblem(raw, (int)info.speakers, (int)info.freq, 1.0), "");
    }
}

// The track opened ahead never outlives a change: a seek, a pause, a loop, a
// stop or another order drop it, and the tick opens the right one again.
TEST_F(PlayOrderTest, TheTrackOpenedAheadFollowsEveryChange) {
    struct Off {
        ~Off() { g_gaplessPlayback = false; }
    } off;
    g_gaplessPlayback = true;
    Fill(L"abc");
    ASSERT_TRUE(PlayNext(false));
    auto ahead = [] { return NextTrackPath() ? std::wstring(NextTrackPath()) : std::wstring(); };
    auto tickOnce = [] {
        Sleep(120);
        PositionTick();
    };
    tickOnce();
    EXPECT_EQ(ahead(), media->File(L"b.wav"));
    EXPECT_EQ(Playing(), L"a");  // what is shown stays until the end is heard
    SeekTo(100);
    EXPECT_EQ(ahead(), L"");
    tickOnce();
    EXPECT_EQ(ahead(), media->File(L"b.wav"));
    Pause();
    EXPECT_EQ(ahead(), L"");
    Resume();
    tickOnce();
    EXPECT_EQ(ahead(), media->File(L"b.wav"));
    SetLoop(true);
    EXPECT_EQ(ahead(), L"");
    tickOnce();
    EXPECT_EQ(ahead(), L"");  // a looping track has no end
    SetLoop(false);
    tickOnce();
    EXPECT_EQ(ahead(), media->File(L"b.wav"));
    // The list changes under it.
    RemoveEntry(1);
    tickOnce();
    EXPECT_EQ(ahead(), media->File(L"c.wav"));
    // The end plays the entry opened ahead, and nothing is left open after the last.
    TickUntil([] { return g_playList.nowPlaying == 1; }, 3000);
    EXPECT_EQ(Playing(), L"c");
    EXPECT_EQ(GetStatus(), StatusPlaying);
    tickOnce();
    EXPECT_EQ(ahead(), L"");
    StopPlayOrder(false, false);
    EXPECT_EQ(ahead(), L"");
}

TEST_F(PlayOrderTest, CommandsFlipTheirSwitchesAndShowCurrentReports) {
    RunPlayOrderCommand(40035);
    EXPECT_EQ(g_general.isShuffle, 1);
    RunPlayOrderCommand(40040);
    EXPECT_EQ(g_general.isLoopPlayList, 1);
    RunPlayOrderCommand(40041);
    EXPECT_TRUE(shutdownAfterPlayList);
    RunPlayOrderCommand(40036);
    EXPECT_EQ(g_general.isLoop, 1);
    RunPlayOrderCommand(40036);
    EXPECT_FALSE(RunPlayOrderCommand(40037));
    Fill(L"a");
    g_general.isShuffle = 0;
    ASSERT_TRUE(PlayNext(false));
    seekPosition = 250;
    AnyBoxCatcher boxes;
    RunPlayOrderCommand(40039);
    std::vector<std::wstring> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    std::wstring path = media->File(L"a.wav");
    EXPECT_EQ(seen[0], L"Information|Track: " + path + L"\nFile: " + path + L"\n----------\nPos/Length: 250/1000 ms");
}

TEST_F(PlayOrderTest, PlayingAFileOutsideThePlaylistTakesTheLookOff) {
    Fill(L"ab");
    ASSERT_TRUE(PlayNext(false));
    PlayFileNow(media->File(L"c.wav").c_str());
    EXPECT_EQ(Playing(), L"c");
    EXPECT_FALSE(g_playList.fromPlayList);
    EXPECT_EQ(NowPlayingLooks(), 0);
    EXPECT_EQ(GetStatus(), StatusPlaying);
    StopPlayOrder(false, true);
    EXPECT_EQ(seekLength, 1u);
    EXPECT_STREQ(NowPlayingPattern(), L"");
}
