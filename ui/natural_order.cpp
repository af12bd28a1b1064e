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
    runs.reserve((size_t)count * 3);
    for (int i = 0; i < count; i++) {
        keys->first[i] = (int32_t)runs.size();
        const wchar_t* p = texts[i] ? texts[i] : L"";
        while (*p) {
            const wchar_t* start = p;
            if (IsDigit(*p)) {
                while (*p == L'0' && IsDigit(p[1])) p++;
                start = p;
                while (IsDigit(*p)) p++;
                runs.push_back(NaturalRun{start, (int32_t)(p - start)});
            } else {
                while (*p && !IsDigit(*p)) p++;
                std::wstring_view run(start, p - start);
                auto found = ids.emplace(run, (int32_t)distinct.size());
                if (found.second) distinct.push_back(run);
                runs.push_back(NaturalRun{nullptr, found.first->second});
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
        if (!r.digits) r.value = rank[r.value];

    keys->runs = (NaturalRun*)HeapAlloc(heap, 0, (runs.size() + 1) * sizeof(NaturalRun));
    if (!keys->runs) {
        ReleaseNaturalKeys(keys);
        return false;
    }
    if (!runs.empty()) memcpy(keys->runs, runs.data(), runs.size() * sizeof(NaturalRun));
    return true;
}

int CompareNaturalKeys(const NaturalKeys* keys, int a, int b) {
    const NaturalRun* x = keys->runs + keys->first[a];
    const NaturalRun* xe = keys->runs + keys->first[a + 1];
    const NaturalRun* y = keys->runs + keys->first[b];
    const NaturalRun* ye = keys->runs + keys->first[b + 1];
    for (; x < xe; x++, y++) {
        if (y == ye) return 1;
        if (x->digits && !y->digits) return -1;
        if (!x->digits && y->digits) return 1;
        if (x->digits) {
            if (x->value != y->value) return x->value < y->value ? -1 : 1;
            int d = wmemcmp(x->digits, y->digits, x->value);
            if (d) return d;
        } else if (x->value != y->value) {
            return x->value < y->value ? -1 : 1;
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
