#include "library/playlist_file.h"
#include "library/bounded_text.h"
#include "base/string_buffer.h"
#include <stdio.h>
#include <string.h>
#include <algorithm>

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
    int32_t nowPlaying = DecimalAt(nul + 15, end);
    nul = NulFrom(nul + 1, end);
    if (!nul) return true;
    const char* rec = nul + 3;
    // A record takes at least 8 bytes: a hostile count reserves no more than the file holds.
    if (count > 0) out->records.reserve((size_t)count < size / 8 ? (size_t)count : size / 8);
    while ((int32_t)out->records.size() < count && rec < end) {
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
        out->totalLength += r.lengthMs;
        if (r.playOrder != -1) {
            out->playedLength += r.lengthMs;
            out->playedCount++;
        }
        out->records.push_back(std::move(r));
        rec = orderEnd + 3;
    }
    // The play order walks the history by these numbers: a hand-edited or damaged
    // file with gaps or repeats is renumbered 0..n-1, keeping its order.
    std::vector<size_t> played;
    for (size_t i = 0; i < out->records.size(); i++)
        if (out->records[i].playOrder != -1) played.push_back(i);
    std::stable_sort(played.begin(), played.end(), [&](size_t a, size_t b) {
        return out->records[a].playOrder < out->records[b].playOrder;
    });
    for (size_t k = 0; k < played.size(); k++) out->records[played[k]].playOrder = (int32_t)k;
    if (nowPlaying >= 0 && (size_t)nowPlaying < out->records.size() && out->records[nowPlaying].playOrder != -1)
        out->nowPlaying = (uint32_t)nowPlaying;
    return true;
}
