#include "library/mt19937.h"

Mt19937 g_random;

void Mt19937::Seed(uint32_t seed) {
    state[0] = seed;
    for (int i = 1; i < 624; i++) state[i] = 1812433253u * (state[i - 1] ^ (state[i - 1] >> 30)) + (uint32_t)i;
    index = 624;
}

uint32_t Mt19937::Next() {
    if (index > 624) Seed(5489);  // the reference default when never seeded
    if (index == 624) {
        for (int i = 0; i < 624; i++) {
            uint32_t y = (state[i] & 0x80000000u) | (state[(i + 1) % 624] & 0x7FFFFFFFu);
            state[i] = state[(i + 397) % 624] ^ (y >> 1) ^ ((y & 1) ? 0x9908B0DFu : 0u);
        }
        index = 0;
    }
    uint32_t y = state[index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}
