#include "library/playlist_file.h"
#include "library/bounded_text.h"
#include "base/string_buffer.h"
#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <new>

static const char kHeader[] = "\xEF\xBB\xBF[Sonvale 1.0 PlayList]";  // 25 bytes, then a NUL

void SplitEntryPath(const std::wstring& path, PlayListRecord* r) {
    const wchar_t* p = path.c_str();
    size_t n = path.size(), stem = n, slash = n;
    for (size_t i = n; i-- > 0;)
        if (p[i] == L'.') {
            stem = i;
            break;
        }
    for (size_t i = stem; i-- > 0;)
        if (p[i] == L'\\') {
            slash = i;
            break;
        }
    r->extension.assign(stem < n ? p + stem + 1 : p + n, stem < n ? n - stem - 1 : 0);
    if (slash < n) {
        r->name.assign(p + slash + 1, stem - slash - 1);
        r->folder.assign(p, slash + 1);
    } else {
        r->name.clear();
        r->folder.assign(p, stem);
        r->folder += L'\\';
    }
}

std::wstring EntryPath(const PlayListRecord& r) { return r.folder + r.name + L"." + r.extension; }

std::string SerializePlayList(const std::vector<PlayListRecord>& records, uint32_t nowPlaying) {
    std::string s(kHeader, sizeof(kHeader));  // includes the NUL
    char line[64];
    s += "\r\n";
    snprintf(line, sizeof(line), "#Elements: %i", (int)records.size());
    s.append(line, strlen(line) + 1);
    s += "\r\n";
    snprintf(line, sizeof(line), "#NowPlaying: %i", (int)nowPlaying);
    s.append(line, strlen(line) + 1);
    s += "\r\n";
    for (const PlayListRecord& r : records) {
        // A record lacking a part (hand-edited files only) keeps what it has.
        std::wstring path = r.extension.empty() ? r.folder + r.name : EntryPath(r);
        s += WideToUtf8(path);
        s.push_back('\0');
        snprintf(line, sizeof(line), "%i", (int)r.lengthMs);
        s.append(line, strlen(line) + 1);
        snprintf(line, sizeof(line), "%i", (int)r.playOrder);
        s.append(line, strlen(line) + 1);
        s += "\r\n";
    }
    return s;
}

// Counts, lengths, play orders and the now-playing entry from the records.
static void Settle(PlayListFile* f) {
    f->playedCount = 0;
    f->totalLength = f->playedLength = 0;
    // The play order walks the history by these numbers: a hand-edited or damaged
    // file with gaps or repeats is renumbered 0..n-1, keeping its order.
    std::vector<size_t> played;
    try {
        for (size_t i = 0; i < f->records.size(); i++)
            if (f->records[i].playOrder != -1) played.push_back(i);
    } catch (const std::bad_alloc&) {
        // No room to renumber: the pass starts afresh rather than walk a broken history.
        f->outOfMemory = true;
        f->whole = false;
        played.clear();
        for (PlayListRecord& r : f->records) r.playOrder = -1;
    }
    for (const PlayListRecord& r : f->records) {
        f->totalLength += r.lengthMs;
        if (r.playOrder != -1) f->playedLength += r.lengthMs;
    }
    std::stable_sort(played.begin(), played.end(), [&](size_t a, size_t b) {
        return f->records[a].playOrder < f->records[b].playOrder;
    });
    for (size_t k = 0; k < played.size(); k++) f->records[played[k]].playOrder = (int32_t)k;
    f->playedCount = (uint32_t)played.size();
    int32_t n = f->nowPlayingRead;
    f->nowPlaying = n >= 0 && (size_t)n < f->records.size() && f->records[(size_t)n].playOrder != -1 ? (uint32_t)n : 0;
}

bool ParsePlayList(const char* data, size_t size, PlayListFile* out) {
    *out = PlayListFile{};
    const size_t headerLen = sizeof(kHeader) - 1;
    if (size < headerLen || memcmp(data, kHeader, headerLen) != 0) return false;
    const char* end = data + size;
    const char* nul = NulFrom(data + headerLen, end);
    if (!nul) return true;
    if (end - nul <= 13) return true;
    int32_t count = DecimalAt(nul + 13, end);
    nul = NulFrom(nul + 1, end);
    if (!nul || end - nul <= 15) return true;
    out->nowPlayingRead = DecimalAt(nul + 15, end);
    nul = NulFrom(nul + 1, end);
    if (!nul) return true;
    size_t next = (size_t)(nul - data) + 3;  // where the next record starts, maybe past the end
    // Reserve no more memory than the file itself takes: a hostile count in a
    // large file must not ask for many times that at once. More room comes as
    // records are really read.
    if (count > 0) {
        size_t ahead = size / sizeof(PlayListRecord);
        try {
            out->records.reserve((size_t)count < ahead ? (size_t)count : ahead);
        } catch (const std::bad_alloc&) {
        }
    }
    try {
        while ((int32_t)out->records.size() < count && next < size) {
            const char* rec = data + next;
            const char* pathEnd = NulFrom(rec, end);
            if (!pathEnd) break;
            const char* lenEnd = NulFrom(pathEnd + 1, end);
            if (!lenEnd) break;
            const char* orderEnd = NulFrom(lenEnd + 1, end);
            if (!orderEnd) break;
            PlayListRecord r;
            SplitEntryPath(Utf8ToWide(rec, (size_t)(pathEnd - rec)), &r);
            r.lengthMs = DecimalAt(pathEnd + 1, lenEnd);
            r.playOrder = DecimalAt(lenEnd + 1, orderEnd);
            if (r.playOrder < 0) r.playOrder = -1;
            out->records.push_back(std::move(r));
            next = (size_t)(orderEnd - data) + 3;
        }
    } catch (const std::bad_alloc&) {
        out->outOfMemory = true;
    }
    out->whole = !out->outOfMemory && count >= 0 && out->records.size() == (size_t)count && next == size;
    Settle(out);
    return true;
}

void KeepFirstRecords(PlayListFile* f, size_t n) {
    if (n >= f->records.size()) return;
    f->records.resize(n);
    f->whole = false;
    Settle(f);
}
