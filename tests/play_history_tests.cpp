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
