#include "ui/natural_order.h"
#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

static bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

static int CompareRuns(std::wstring_view a, std::wstring_view b) {
    return CompareStringW(GetThreadLocale(), NORM_IGNORECASE, a.data(), (int)a.size(), b.data(), (int)b.size()) -
           CSTR_EQUAL;
}

bool BuildNaturalKeys(NaturalKeys* keys, const wchar_t* const* texts, int count) {
    *keys = NaturalKeys{};
    HANDLE heap = GetProcessHeap();
    keys->first = (int32_t*)HeapAlloc(heap, HEAP_ZERO_MEMORY, (count + 1) * sizeof(int32_t));
    if (!keys->first) return false;
    keys->count = count;

    // The runs of every text, text runs first numbered by their distinct string.
    std::unordered_map<std::wstring_view, int32_t> ids;
    std::vector<std::wstring_view> distinct;
    std::vector<NaturalRun> runs;
    runs.reserve((size_t)count * 5);
    // Names in one list repeat their text runs at the same places ("Artist ",
    // " - ", ".mp3"): the run seen last at each place saves most lookups.
    const int kPlaces = 8;
    std::wstring_view lastRun[kPlaces];
    int32_t lastId[kPlaces] = {};
    for (int i = 0; i < count; i++) {
        keys->first[i] = (int32_t)runs.size();
        const wchar_t* p = texts[i] ? texts[i] : L"";
        int place = 0;
        for (; *p; place++) {
            const wchar_t* start = p;
            if (IsDigit(*p)) {
                while (*p == L'0' && IsDigit(p[1])) p++;
                start = p;
                int64_t value = 0;
                while (IsDigit(*p)) value = value * 10 + (*p++ - L'0');
                runs.push_back(NaturalRun{value, start, (int32_t)(p - start)});
            } else {
                while (*p && !IsDigit(*p)) p++;
                std::wstring_view run(start, p - start);
                int32_t id;
                if (place < kPlaces && lastRun[place] == run) {
                    id = lastId[place];
                } else {
                    auto found = ids.emplace(run, (int32_t)distinct.size());
                    if (found.second) distinct.push_back(run);
                    id = found.first->second;
                    if (place < kPlaces) {
                        lastRun[place] = run;
                        lastId[place] = id;
                    }
                }
                runs.push_back(NaturalRun{id, nullptr, 0});
            }
        }
    }
    keys->first[count] = (int32_t)runs.size();

    // Rank the distinct text runs; runs the locale calls equal share a rank.
    std::vector<int32_t> order(distinct.size());
    for (size_t i = 0; i < order.size(); i++) order[i] = (int32_t)i;
    std::sort(order.begin(), order.end(),
              [&](int32_t a, int32_t b) { return CompareRuns(distinct[a], distinct[b]) < 0; });
    std::vector<int32_t> rank(distinct.size());
    for (size_t i = 0; i < order.size(); i++)
        rank[order[i]] = i > 0 && CompareRuns(distinct[order[i - 1]], distinct[order[i]]) == 0
                             ? rank[order[i - 1]]
                             : (int32_t)i;
    for (NaturalRun& r : runs)
        if (!r.digits) r.key = rank[r.key];

    keys->runs = (NaturalRun*)HeapAlloc(heap, 0, (runs.size() + 1) * sizeof(NaturalRun));
    if (!keys->runs) {
        ReleaseNaturalKeys(keys);
        return false;
    }
    if (!runs.empty()) memcpy(keys->runs, runs.data(), runs.size() * sizeof(NaturalRun));
    return true;
}

int CompareNaturalRuns(const NaturalRun* x, const NaturalRun* xe, const NaturalRun* y, const NaturalRun* ye) {
    for (; x < xe; x++, y++) {
        if (y == ye) return 1;
        if (x->digits && !y->digits) return -1;
        if (!x->digits && y->digits) return 1;
        if (x->digits && (x->length > 18 || y->length > 18)) {
            // Values past 64 bits: more digits is more, else digit by digit.
            if (x->length != y->length) return x->length < y->length ? -1 : 1;
            int d = wmemcmp(x->digits, y->digits, x->length);
            if (d) return d;
        } else if (x->key != y->key) {
            return x->key < y->key ? -1 : 1;
        }
    }
    return y < ye ? -1 : 0;
}

void ReleaseNaturalKeys(NaturalKeys* keys) {
    HANDLE heap = GetProcessHeap();
    if (keys->runs) HeapFree(heap, 0, keys->runs);
    if (keys->first) HeapFree(heap, 0, keys->first);
    *keys = NaturalKeys{};
}
