#include "library/statistics_file.h"
#include "library/bounded_text.h"
#include "base/string_buffer.h"
#include <stdio.h>
#include <string.h>
#include <new>

static const char kHeader[] = "\xEF\xBB\xBF[Sonvale 1.0 Scrobbler]";  // 26 bytes, then a NUL
// Five empty texts, "0", "0" and CR LF: no record is shorter.
static const size_t kSmallestRecord = 11;

static void AppendField(std::string* s, const std::wstring& text) {
    // A NUL inside a text would end the field early and shift every field after it.
    size_t n = text.find(L'\0');
    *s += WideToUtf8(text.data(), n == std::wstring::npos ? text.size() : n);
    s->push_back('\0');
}

static void AppendHex(std::string* s, uint64_t v) {
    char digits[17];
    int n = 0;
    do {
        digits[n++] = "0123456789ABCDEF"[v & 15];
        v >>= 4;
    } while (v);
    while (n) s->push_back(digits[--n]);
    s->push_back('\0');
}

std::string SerializeStatistics(const std::vector<ListenRecord>& records) {
    std::string s(kHeader, sizeof(kHeader));  // includes the NUL
    char line[64];
    s += "\r\n";
    snprintf(line, sizeof(line), "#Elements: %i", (int)records.size());
    s.append(line, strlen(line) + 1);
    s += "\r\n";
    for (const ListenRecord& r : records) {
        AppendField(&s, r.artist);
        AppendField(&s, r.title);
        AppendField(&s, r.album);
        AppendField(&s, r.genre);
        AppendField(&s, r.year);
        snprintf(line, sizeof(line), "%i", (int)r.lengthMs);
        s.append(line, strlen(line) + 1);
        AppendHex(&s, (uint64_t)r.listenMs);
        s += "\r\n";
    }
    return s;
}

static uint64_t HexAt(const char* at, const char* end) {
    uint64_t v = 0;
    for (; at < end; at++) {
        char c = *at;
        int d = c >= '0' && c <= '9' ? c - '0' : -1;
        if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d < 0) break;
        v = v << 4 | (uint64_t)d;
    }
    return v;
}

// Empty records that stand for a count larger than the records present: a
// few, never a number that only a damaged count asks for.
static const size_t kMostEmptyRecords = 4096;

bool ParseStatistics(const char* data, size_t size, std::vector<ListenRecord>* out, StatisticsRead* read) {
    StatisticsRead ignored;
    if (!read) read = &ignored;
    *read = StatisticsRead{};
    out->clear();
    const size_t headerLen = sizeof(kHeader) - 1;
    if (size < headerLen || memcmp(data, kHeader, headerLen) != 0) return false;
    const char* end = data + size;
    const char* nul = NulFrom(data + headerLen, end);
    if (!nul || end - nul <= 13) return true;
    int32_t count = DecimalAt(nul + 13, end);
    nul = NulFrom(nul + 1, end);
    if (!nul) return true;
    size_t next = (size_t)(nul - data) + 3;  // where the next record starts, maybe past the end
    if (count <= 0) {
        read->whole = count == 0 && next == size;
        return true;
    }
    // A hostile count makes no more records than the rest of the file could hold,
    // and no more memory is reserved ahead than the file itself takes.
    size_t room = next < size ? (size - next) / kSmallestRecord : 0;
    size_t wanted = (size_t)count < room ? (size_t)count : room;
    size_t ahead = size / sizeof(ListenRecord);
    try {
        out->reserve(wanted < ahead ? wanted : ahead);
    } catch (const std::bad_alloc&) {
    }
    try {
        while (out->size() < wanted && next < size) {
            const char* field[8];
            field[0] = data + next;
            bool whole = true;
            for (int i = 0; i < 7 && whole; i++) {
                const char* n = NulFrom(field[i], end);
                if (!n) whole = false;
                else field[i + 1] = n + 1;
            }
            if (!whole) break;  // the file ends inside this record
            auto text = [&](int i) { return Utf8ToWide(field[i], (size_t)(field[i + 1] - 1 - field[i])); };
            ListenRecord r;
            r.artist = text(0);
            r.title = text(1);
            r.album = text(2);
            r.genre = text(3);
            r.year = text(4);
            r.lengthMs = DecimalAt(field[5], field[6] - 1);
            r.listenMs = (int64_t)HexAt(field[6], field[7] - 1);
            out->push_back(std::move(r));
            next = (size_t)(field[7] - data) + 2;  // past the NUL of the number and CR LF
        }
        read->whole = out->size() == (size_t)count && next == size;
        // A count larger than the records present leaves empty records after them.
        size_t empty = wanted - out->size();
        if (empty > kMostEmptyRecords) empty = kMostEmptyRecords;
        out->resize(out->size() + empty);
    } catch (const std::bad_alloc&) {
        read->outOfMemory = true;
        read->whole = false;
    }
    return true;
}
