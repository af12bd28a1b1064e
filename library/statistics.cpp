#include "library/statistics.h"
#include "library/bounded_text.h"
#include "library/kept_aside.h"
#include "base/disk_file.h"
#include "base/general_settings.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/string_buffer.h"
#include "audio/engine.h"
#include "media/tags.h"
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <new>

ListenStats g_stats;

static const char kHeader[] = "\xEF\xBB\xBF[Sonvale 1.0 Scrobbler]";  // 26 bytes, then a NUL
// Five empty texts, "0", "0" and CR LF: no record is shorter.
static const size_t kSmallestRecord = 11;
static const int64_t kMaxStatisticsFile = 1024LL * 1024 * 1024;

static int64_t SystemClock() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (int64_t)(((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime);
}
static int64_t (*g_clock)() = SystemClock;

void SetStatsClock(int64_t (*now)()) { g_clock = now ? now : SystemClock; }

static std::wstring StatisticsPath() { return ProgramFolder() + L"Scrobbler.dcp"; }

// ---- Scrobbler.dcp ----------------------------------------------------------

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

bool LoadStatistics() {
    std::string bytes;
    std::wstring path = StatisticsPath();
    g_stats.keepFile = false;
    g_stats.kept.pending = false;
    if (!ReadWholeFile(path.c_str(), &bytes, kMaxStatisticsFile)) {
        DWORD error = GetLastError();
        // A file that is there but could not be read keeps its history: this
        // run's listens are not worth more than every earlier one.
        g_stats.keepFile = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (g_stats.keepFile && error == ERROR_NOT_ENOUGH_MEMORY)
            ShowInformation(L"Not enough memory to read Scrobbler.dcp: it is left as it is.");
        return false;
    }
    g_stats.current = -1;
    g_stats.listening = g_stats.counting = false;
    StatisticsRead read;
    bool ok = ParseStatistics(bytes.data(), bytes.size(), &g_stats.records, &read);
    // Read in part, or not ours: the first save keeps a copy of it first.
    g_stats.kept.pending = !ok || !read.whole;
    if (read.outOfMemory) {
        wchar_t text[200];
        _snwprintf(text, 200, L"Not enough memory to read all of Scrobbler.dcp: the first %u records were kept.",
                   (unsigned)g_stats.records.size());
        text[199] = 0;
        ShowInformation(text);
    }
    KeepAside(&g_stats.kept, path);
    return ok;
}

// Adds the running stretch to the current record; the stretch goes on from now when `goOn`.
static void AddStretch(bool goOn) {
    ListenStats& s = g_stats;
    if (!s.counting) return;
    int64_t now = g_clock();
    int64_t elapsed = (now - s.startTime) / 10000;
    // A clock set back gives a negative stretch, which adds nothing.
    if (s.listening && elapsed > 0 && s.current >= 0 && (size_t)s.current < s.records.size())
        s.records[(size_t)s.current].listenMs += elapsed;
    s.startTime = now;
    s.counting = goOn;
}

bool SaveStatistics() {
    if (g_stats.keepFile) return false;
    AddStretch(true);
    std::wstring path = StatisticsPath();
    if (!KeepAside(&g_stats.kept, path)) return false;  // no copy: the old file stays as it is
    std::string bytes;
    try {
        bytes = SerializeStatistics(g_stats.records);
    } catch (const std::bad_alloc&) {
        ShowInformation(L"Not enough memory to save Scrobbler.dcp: the file on disk was left as it was.");
        return false;
    }
    SetLastError(0);
    if (!ReplaceFileContents(path, bytes)) {
        DWORD code = GetLastError();
        ShowOsError(code ? code : ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}

void ResetStatistics() {
    g_stats.records.clear();
    g_stats.records.shrink_to_fit();
    g_stats.current = -1;
    g_stats.listening = g_stats.counting = false;
}

// ---- accounting --------------------------------------------------------------

// An empty text of the track matches anything; an empty field of the record too.
static bool Matches(const StringBuffer& track, const std::wstring& record) {
    return track.empty() || record.empty() || track.text == record;
}

void StatsBegin(const TagRecord& t, int32_t lengthMs) {
    ListenStats& s = g_stats;
    // A stretch that runs while the tags change (a stream's next song) ends
    // with the old record and goes on with the new one.
    bool running = s.counting;
    AddStretch(false);
    if (!g_general.isScrobblerEnabled) {
        s.current = -1;
        s.listening = false;
        return;
    }
    int32_t found = -1;
    for (size_t i = 0; i < s.records.size() && found < 0; i++) {
        const ListenRecord& r = s.records[i];
        if (r.lengthMs == lengthMs && Matches(t.title, r.title) && Matches(t.album, r.album) &&
            Matches(t.artist, r.artist) && Matches(t.genre, r.genre) && Matches(t.year, r.year))
            found = (int32_t)i;
    }
    if (found < 0) {
        ListenRecord r;
        r.title = t.title.text;
        r.artist = t.artist.text;
        r.album = t.album.text;
        r.year = t.year.text;
        r.genre = t.genre.text;
        r.lengthMs = lengthMs;
        s.records.push_back(std::move(r));
        found = (int32_t)s.records.size() - 1;
    }
    s.current = found;
    s.listening = true;
    if (running) {
        s.startTime = g_clock();
        s.counting = true;
    }
}

void StatsNowPlaying(const TagRecord& tags) {
    StatsBegin(tags, seekLength > 0x7FFFFFFFu ? 0x7FFFFFFF : (int32_t)seekLength);
}

void StatsAccountListened() { AddStretch(false); }

void StatsStampResume() {
    ListenStats& s = g_stats;
    // A stretch already running keeps its start: restarting it would lose its time.
    if (!s.listening || !g_general.isScrobblerEnabled || s.counting) return;
    s.startTime = g_clock();
    s.counting = true;
}

void StatsStopListen() {
    AddStretch(false);
    g_stats.listening = false;
    g_stats.current = -1;
}

// ---- the settings page's texts -------------------------------------------------

int64_t ListenCount(const ListenRecord& r) { return r.lengthMs > 0 ? r.listenMs / r.lengthMs : 0; }

void FormatListenTime(int64_t ms, wchar_t* out, int size) {
    int64_t total = ms > 0 ? ms / 1000 : 0;
    int seconds = (int)(total % 60), minutes = (int)(total / 60 % 60);
    if (total < 3600) _snwprintf(out, size, L"%02i:%02i", minutes, seconds);
    else _snwprintf(out, size, L"%i:%02i:%02i", (int)(total / 3600), minutes, seconds);
    out[size - 1] = 0;
}
