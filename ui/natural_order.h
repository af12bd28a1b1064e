// Sort keys that order texts exactly as StrCmpLogicalW does, built once for
// many texts: each text becomes a list of runs, digits compared by value and
// the other runs by their rank among all distinct runs (ranked once with the
// same locale comparison). Sorting 100,000 names then needs no string
// comparisons at all.
#pragma once
#include <windows.h>
#include <stdint.h>

struct NaturalRun {
    const wchar_t* digits;  // digit run without leading zeros, or null for a text run
    int32_t value;          // digit count, or the text run's rank
};

struct NaturalKeys {
    NaturalRun* runs;   // every text's runs, one after another
    int32_t* first;     // first run of text i; first[i + 1] - first[i] runs
    int32_t count;
};

bool BuildNaturalKeys(NaturalKeys* keys, const wchar_t* const* texts, int count);
// <0, 0 or >0 as StrCmpLogicalW(texts[a], texts[b]).
int CompareNaturalKeys(const NaturalKeys* keys, int a, int b);
void ReleaseNaturalKeys(NaturalKeys* keys);
