// The pass history of the play order over the entries' play orders: -1 for an
// entry not played in this pass, else its 0-based place in the pass.
#pragma once
#include <stdint.h>
#include <vector>
#include "library/mt19937.h"

struct PlayHistory {
    std::vector<int32_t>* orders;  // one per playlist entry, in list order
    uint32_t* nowPlaying;
    uint32_t* playedCount;
};

// Entry n becomes now playing: a new entry is appended to the history; an
// already played one moves to its end unless keepPosition. Returns true when
// it was newly counted as played.
bool MarkPlayed(PlayHistory h, uint32_t n, bool keepPosition);

// The next candidate, or -1 at the end. Draws from `random` only in shuffle.
int32_t NextCandidate(PlayHistory h, bool shuffle, Mt19937* random, int32_t previousCandidate);
// The previous candidate, or -1 to stop.
int32_t PreviousCandidate(PlayHistory h, bool shuffle, int32_t previousCandidate);
// The pass is complete: ordered, at the last entry; shuffled, every entry played.
bool PassComplete(PlayHistory h, bool shuffle);
// Forgets the pass.
void RestartPass(PlayHistory h);
