#include <gtest/gtest.h>
#include <random>
#include "library/mt19937.h"
#include "library/play_history.h"

TEST(Mt19937, MatchesTheReferenceGenerator) {
    Mt19937 g;
    g.Seed(5489);
    EXPECT_EQ(g.Next(), 3499211612u);  // the published first output for the default seed
    g.Seed(5489);
    uint32_t v = 0;
    for (int i = 0; i < 10000; i++) v = g.Next();
    EXPECT_EQ(v, 4123659995u);  // the 10000th output, as the C++ standard states it
    for (uint32_t seed : {0u, 1u, 0xFFFFFFFFu, 123456789u}) {
        std::mt19937 ref(seed);
        g.Seed(seed);
        for (int i = 0; i < 2000; i++) ASSERT_EQ(g.Next(), ref()) << "seed " << seed << " at " << i;
    }
}

struct History {
    std::vector<int32_t> orders;
    uint32_t now = 0, played = 0;
    explicit History(size_t n) : orders(n, -1) {}
    PlayHistory h() { return PlayHistory{&orders, &now, &played}; }
    // Plays what Next picks, as the play order does; -1 at the end.
    int32_t Next(bool shuffle, Mt19937* g) {
        int32_t c = NextCandidate(h(), shuffle, g, -1);
        if (c >= 0) MarkPlayed(h(), (uint32_t)c, true);
        return c;
    }
    int32_t Previous(bool shuffle) {
        int32_t c = PreviousCandidate(h(), shuffle, -1);
        if (c >= 0) MarkPlayed(h(), (uint32_t)c, true);
        return c;
    }
};

TEST(PlayHistory, OrderedPlayWalksTheListAndStopsAtItsEnd) {
    History one(1);
    EXPECT_EQ(one.Next(false, nullptr), 0);
    EXPECT_EQ(one.Next(false, nullptr), -1);
    EXPECT_TRUE(PassComplete(one.h(), false));

    History three(3);
    EXPECT_EQ(three.Next(false, nullptr), 0);
    EXPECT_EQ(three.Next(false, nullptr), 1);
    EXPECT_EQ(three.Previous(false), 0);
    EXPECT_EQ(three.Previous(false), -1);
    History empty(0);
    EXPECT_EQ(empty.Next(false, nullptr), -1);
}

TEST(PlayHistory, ShufflePlaysEveryEntryOnceThenStops) {
    Mt19937 g;
    g.Seed(42);
    History h(7);
    std::vector<int> seen(7, 0);
    for (int i = 0; i < 7; i++) {
        int32_t c = h.Next(true, &g);
        ASSERT_GE(c, 0);
        seen[c]++;
    }
    for (int s : seen) EXPECT_EQ(s, 1);
    EXPECT_TRUE(PassComplete(h.h(), true));
    EXPECT_EQ(h.Next(true, &g), -1);  // isLoopPlayList off: the end
    RestartPass(h.h());
    EXPECT_EQ(h.played, 0u);
    EXPECT_GE(h.Next(true, &g), 0);
}

TEST(PlayHistory, GoingBackThenForwardReplaysTheHistoryInOrder) {
    Mt19937 g;
    g.Seed(7);
    History h(6);
    int32_t a = h.Next(true, &g), b = h.Next(true, &g), c = h.Next(true, &g);
    EXPECT_EQ(h.Previous(true), b);
    EXPECT_EQ(h.Previous(true), a);
    EXPECT_EQ(h.Previous(true), -1);  // at the start of the history
    uint32_t drawsBefore = g.index;
    EXPECT_EQ(h.Next(true, &g), b);
    EXPECT_EQ(h.Next(true, &g), c);
    EXPECT_EQ(g.index, drawsBefore);  // no random draw while replaying
    int32_t d = h.Next(true, &g);
    EXPECT_TRUE(d != a && d != b && d != c);
    EXPECT_EQ(h.played, 4u);
}

TEST(PlayHistory, PlayingAnEntryAgainMovesItToTheEnd) {
    History h(5);
    for (int i = 0; i < 5; i++) h.Next(false, nullptr);
    // Entry 2 was played third (order 2); playing it by hand makes it fifth.
    MarkPlayed(h.h(), 2, false);
    EXPECT_EQ(h.orders, (std::vector<int32_t>{0, 1, 4, 2, 3}));
    EXPECT_EQ(h.played, 5u);
    EXPECT_EQ(h.now, 2u);
}

TEST(PlayHistory, OppositeSwapsTheModeForOneStep) {
    Mt19937 g;
    g.Seed(99);
    History h(50);
    h.Next(false, &g);
    // Ordered with opposite: a random unplayed entry (not simply the next one, with this seed).
    int32_t r = NextCandidate(h.h(), true, &g, -1);
    EXPECT_GE(r, 1);
    EXPECT_NE(r, 1);
    // Shuffled with opposite: the following entry in list order.
    EXPECT_EQ(NextCandidate(h.h(), false, &g, -1), 1);
}
