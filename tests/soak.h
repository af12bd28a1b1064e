// Seeded mutation soak for the parsers: each input is a copy of one of a few
// good samples with one to four damages stacked on it (bit flips, byte
// changes, cuts, removed or doubled ranges, splices of two samples, length
// fields set to their largest values). The same seed gives the same inputs,
// so a failure is found again by running the same test.
//
// SONVALE_SOAK=n runs at least n * 10,000 inputs per parser (the default runs
// the counts the tests give, a few seconds in all); SONVALE_SOAK_SEED=s moves
// every seed, for soaks that look further than the usual inputs.
//
// Plain C++ only: the same file builds for Windows and for the native Linux
// build with the address and undefined-behaviour sanitisers.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <functional>
#include <random>
#include <string>
#include <vector>

int SoakFactor();
// The number of inputs for a parser whose default is `base`.
size_t SoakInputs(size_t base);

struct SoakOptions {
    uint32_t seed = 1;
    int limitMs = 3000;                 // one input taking longer is a hang
    size_t hotBytes = 4096;             // half the damage lands in the first bytes, where headers are
    std::vector<size_t> lengthFields;   // offsets of length fields in the samples, set to maxima more often
};

class Mutator {
public:
    Mutator(const std::vector<std::string>& samples, const SoakOptions& options);
    std::string Next();
    std::mt19937& Random() { return rng_; }

private:
    size_t Place(size_t size);
    void Damage(std::string* b);
    const std::vector<std::string>& samples_;
    SoakOptions options_;
    std::mt19937 rng_;
};

// Runs `count` mutated inputs through `parse`, which must neither crash nor
// take longer than options.limitMs on any one of them: a hang prints the
// parser's name and the input's number, keeps the input in
// "soak-hang-<name>.bin" in the current folder and ends the process.
// `parse` returning false stops the run (a test's assertion failed).
// Prints "soak <name>: <n> inputs, 0 crashes, 0 hangs, slowest <ms> ms" and
// returns how many ran.
size_t Soak(const char* name, const std::vector<std::string>& samples, size_t count,
            const std::function<bool(const std::string&)>& parse, const SoakOptions& options = {});
