#include "library/statistics.h"
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

static const int64_t kMaxStatisticsFile = 1024LL * 1024 * 1024;

static int64_t SystemClock() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (int64_t)(((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime);
}
static int64_t (*g_clock)() = SystemClock;

void SetStatsClock(int64_t (*now)()) { g_clock = now ? now : SystemClock; }

static std::wstring StatisticsPath() { return ProgramFolder() + L"Scrobbler.dcp"; }

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
