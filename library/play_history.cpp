#include "library/play_history.h"

static int32_t EntryWithOrder(const std::vector<int32_t>& orders, int32_t order) {
    for (size_t i = 0; i < orders.size(); i++)
        if (orders[i] == order) return (int32_t)i;
    return -1;
}

bool MarkPlayed(PlayHistory h, uint32_t n, bool keepPosition) {
    std::vector<int32_t>& o = *h.orders;
    if (n >= o.size()) return false;
    *h.nowPlaying = n;
    if (o[n] == -1) {
        o[n] = (int32_t)(*h.playedCount)++;
        return true;
    }
    if (keepPosition) return false;
    int32_t p = o[n];
    for (int32_t& v : o)
        if (v > p) v--;
    o[n] = (int32_t)*h.playedCount - 1;
    return false;
}

int32_t NextCandidate(PlayHistory h, bool shuffle, Mt19937* random, int32_t previousCandidate) {
    const std::vector<int32_t>& o = *h.orders;
    uint32_t count = (uint32_t)o.size();
    uint32_t now = *h.nowPlaying, played = *h.playedCount;
    if (count == 0) return -1;
    if (!shuffle) {
        uint32_t c = (now == 0 && played == 0) ? 0 : now + 1;
        return c < count ? (int32_t)c : -1;
    }
    int32_t at = now < count ? o[now] : -1;
    if (played > 0 && at < (int32_t)played - 1) {
        // Back in the history: replay the later entries in their old order.
        int32_t c = EntryWithOrder(o, at + 1);
        return c >= 0 ? c : (previousCandidate >= 0 ? previousCandidate : 0);
    }
    if (played >= count) return -1;
    uint32_t k = random->Next() % (count - played);
    for (uint32_t i = 0; i < count; i++) {
        if (o[i] != -1) continue;
        if (k == 0) return (int32_t)i;
        k--;
    }
    return -1;
}

int32_t PreviousCandidate(PlayHistory h, bool shuffle, int32_t previousCandidate) {
    const std::vector<int32_t>& o = *h.orders;
    uint32_t now = *h.nowPlaying;
    if (!shuffle) return now == 0 || now > o.size() ? -1 : (int32_t)now - 1;
    if (*h.playedCount < 2 || now >= o.size()) return -1;
    int32_t at = o[now];
    if (at < 1) return -1;
    int32_t c = EntryWithOrder(o, at - 1);
    return c >= 0 ? c : (previousCandidate >= 0 ? previousCandidate : 0);
}

bool PassComplete(PlayHistory h, bool shuffle) {
    size_t count = h.orders->size();
    if (shuffle) return *h.playedCount >= count;
    return count > 0 && *h.nowPlaying == count - 1;
}

void RestartPass(PlayHistory h) {
    for (int32_t& v : *h.orders) v = -1;
    *h.nowPlaying = 0;
    *h.playedCount = 0;
}
