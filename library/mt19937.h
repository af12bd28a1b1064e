// The 32-bit Mersenne Twister (MT19937) that shuffle draws from.
#pragma once
#include <stdint.h>

struct Mt19937 {
    uint32_t state[624];
    int index = 625;  // not seeded
    void Seed(uint32_t seed);
    uint32_t Next();
};

extern Mt19937 g_random;  // seeded once at start-up with GetTickCount
