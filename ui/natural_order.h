// Sort keys that order texts exactly as StrCmpLogicalW does, built once for
// many texts: each text becomes a list of runs, digits compared by value and
// the other runs by their rank among all distinct runs (ranked once with the
// same locale comparison). Sorting 100,000 names then needs no string
// comparisons at all.
#pragma once
#include <windows.h>
#include <stdint.h>

struct NaturalRun {
    int64_t key;            // a text run's rank, or a digit run's value when it has up to 18 digits
    const wchar_t* digits;  // digit run without leading zeros, or null for a text run
    int32_t length;         // digit count
};

struct NaturalKeys {
    NaturalRun* runs;   // every text's runs, one after another
    int32_t* first;     // first run of text i; first[i + 1] - first[i] runs
    int32_t count;
};

bool BuildNaturalKeys(NaturalKeys* keys, const wchar_t* const* texts, int count);
// <0, 0 or >0 as StrCmpLogicalW would compare the two texts whose runs these are.
int CompareNaturalRuns(const NaturalRun* x, const NaturalRun* xe, const NaturalRun* y, const NaturalRun* ye);
// <0, 0 or >0 as StrCmpLogicalW(texts[a], texts[b]).
inline int CompareNaturalKeys(const NaturalKeys* keys, int a, int b) {
    return CompareNaturalRuns(keys->runs + keys->first[a], keys->runs + keys->first[a + 1],
                              keys->runs + keys->first[b], keys->runs + keys->first[b + 1]);
}
void ReleaseNaturalKeys(NaturalKeys* keys);
