#include "media/tags.h"
#include <windows.h>
#include <string.h>

static const char* const kGenres[148] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal", "New Age",
    "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska",
    "Death Metal", "Prunks", "Soundtrack", "Euro-techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion",
    "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock",
    "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro",
    "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk/Rock", "National Folk", "Swing", "Fast-Fusion", "Bebob",
    "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech",
    "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire",
    "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
    "Duet", "Punk Rock", "Drum Solo", "A Cappella", "Euro-House", "Dance Hall", "Goa", "Drum&Bass", "Club-House",
    "Hardcore", "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap",
    "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Trash Metal", "Anime", "JPop", "Synthpop"};

std::wstring GenreName(int n) {
    if (n >= 0 && n < 148) {
        const char* g = kGenres[n];
        return std::wstring(g, g + strlen(g));
    }
    wchar_t t[16];
    swprintf(t, 16, L"(%i)", n);
    return t;
}

// The genre frame form: "(17)" and "(17)Something" become the table's name.
static std::wstring GenreFromFrame(const std::wstring& text) {
    if (text.empty() || text[0] != L'(') return text;
    size_t close = text.find(L')');
    if (close == std::wstring::npos || close < 2 || close > 5) return text;
    int n = 0;
    for (size_t i = 1; i < close; i++) {
        if (text[i] < L'0' || text[i] > L'9') return text;
        n = n * 10 + (text[i] - L'0');
    }
    return n <= 147 ? GenreName(n) : text;
}

static std::wstring Convert(const char* bytes, size_t n, unsigned codePage) {
    std::wstring w;
    if (codePage == 1200 || codePage == 1201) {
        size_t chars = n / 2;
        w.reserve(chars);
        for (size_t i = 0; i < chars; i++) {
            uint8_t a = (uint8_t)bytes[2 * i], b = (uint8_t)bytes[2 * i + 1];
            wchar_t c = codePage == 1200 ? (wchar_t)(a | b << 8) : (wchar_t)(b | a << 8);
            if (!c) break;
            w.push_back(c);
        }
        return w;
    }
    size_t len = 0;
    while (len < n && bytes[len]) len++;
    if (!len || len > 0x7FFFFFFF) return w;
    UINT cp = codePage ? codePage : CP_ACP;
    int count = MultiByteToWideChar(cp, 0, bytes, (int)len, nullptr, 0);
    if (count <= 0 && cp != CP_ACP) {  // a code page this system lacks
        cp = CP_ACP;
        count = MultiByteToWideChar(cp, 0, bytes, (int)len, nullptr, 0);
    }
    if (count <= 0) return w;
    w.resize((size_t)count);
    MultiByteToWideChar(cp, 0, bytes, (int)len, w.data(), count);
    return w;
}

// Field names are ASCII: compared without the locale's rules, which cost a
// conversion of both strings each time (a dozen names per field).
static bool Is(const char* a, const char* b) { return _stricmp(a, b) == 0; }

void SetTagField(TagRecord* r, const char* name, const char* bytes, ptrdiff_t count, unsigned codePage, int type) {
    size_t n = count < 0 ? strlen(bytes) : (size_t)count;
    if (type != TagId3v2 && NoteReplayGainField(&r->replayGain, name, bytes, n)) return;
    if (Is(name, "cuesheet")) {
        size_t len = 0;
        while (len < n && bytes[len]) len++;
        r->cueText.assign(bytes, len);
        r->hasCue = true;
        r->cueEmbedded = true;
        return;
    }
    std::wstring text = Convert(bytes, n, codePage);
    while (!text.empty() && text.back() == L' ') text.pop_back();
    if (text.empty()) return;
    std::wstring clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
            clean += L"  ";
            i++;
        } else {
            clean.push_back(text[i] == L'\t' ? L' ' : text[i]);
        }
    }
    bool frame = type == TagId3v2;
    StringBuffer* field = nullptr;
    if (frame ? Is(name, "TIT2") || Is(name, "TT2") : Is(name, "TITLE")) field = &r->title;
    else if (frame ? Is(name, "TPE1") || Is(name, "TP1") : Is(name, "ARTIST") || Is(name, "AUTHOR")) field = &r->artist;
    else if (frame ? Is(name, "TALB") || Is(name, "TAL") : Is(name, "ALBUM") || Is(name, "WM/AlbumTitle")) field = &r->album;
    else if (frame ? Is(name, "TYER") || Is(name, "TYE") || Is(name, "TDRC") : Is(name, "YEAR") || Is(name, "date") || Is(name, "WM/Year"))
        field = &r->year;
    else if (frame ? Is(name, "TCON") || Is(name, "TCO") : Is(name, "GENRE") || Is(name, "WM/Genre")) {
        if (frame) clean = GenreFromFrame(clean);
        field = &r->genre;
    } else if (frame ? Is(name, "TRCK") || Is(name, "TRK")
                     : Is(name, "TRACK") || Is(name, "tracknumber") || Is(name, "WM/TrackNumber"))
        field = &r->track;
    else if (frame ? Is(name, "COMM") || Is(name, "COM") : Is(name, "COMMENT") || Is(name, "DESCRIPTION"))
        field = &r->comment;
    if (field) field->Set(clean.c_str(), clean.size());
}

// ---- ID3v1 ------------------------------------------------------------------

static void Id3v1Text(TagRecord* r, const char* name, const char* at, size_t n, unsigned cp) {
    size_t len = 0;
    bool content = false;
    for (; len < n && at[len]; len++)
        if (at[len] != ' ') content = true;
    if (content) SetTagField(r, name, at, (ptrdiff_t)len, cp, TagId3);
}

static void ParseId3v1(TagRecord* r, const char* b, size_t size, unsigned cp) {
    if (size < 128 || memcmp(b, "TAG", 3) != 0) return;
    Id3v1Text(r, "ALBUM", b + 63, 30, cp);
    Id3v1Text(r, "ARTIST", b + 33, 30, cp);
    Id3v1Text(r, "YEAR", b + 93, 4, cp);
    Id3v1Text(r, "TITLE", b + 3, 30, cp);
    r->genre.Set(GenreName((uint8_t)b[127]).c_str());
    bool comment = false;
    for (int i = 97; i < 127; i++)
        if (b[i]) comment = true;
    if (comment) {
        Id3v1Text(r, "COMMENT", b + 97, 28, cp);
        r->track.Set(std::to_wstring((uint8_t)b[126]).c_str());
    }
}

// ---- ID3v2 ------------------------------------------------------------------

static unsigned FrameCodePage(const uint8_t** data, size_t* size, unsigned globalCp) {
    if (*size == 0) return globalCp;
    uint8_t e = **data;
    if (e > 3) return globalCp;
    ++*data;
    --*size;
    static const unsigned pages[4] = {0, 1200, 1201, 65001};
    return e == 0 ? globalCp : pages[e];
}

static unsigned ByteOrderMark(const uint8_t** data, size_t* size, unsigned cp) {
    const uint8_t* d = *data;
    if (*size >= 2 && d[0] == 0xFF && d[1] == 0xFE) cp = 1200;
    else if (*size >= 2 && d[0] == 0xFE && d[1] == 0xFF) cp = 1201;
    else if (*size >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) cp = 65001;
    else return cp;
    size_t skip = cp == 65001 ? 3 : 2;
    *data += skip;
    *size -= skip;
    return cp;
}

static size_t SyncSafe(const uint8_t* p) {
    return (size_t)(p[0] & 0x7F) << 21 | (size_t)(p[1] & 0x7F) << 14 | (size_t)(p[2] & 0x7F) << 7 | (p[3] & 0x7F);
}

static size_t BigEndian32(const uint8_t* p) {
    return (size_t)p[0] << 24 | (size_t)p[1] << 16 | (size_t)p[2] << 8 | p[3];
}

// Whether a frame, the padding or the tag end follows `skip` bytes after `at`.
static bool FrameStartsAt(const uint8_t* at, size_t skip, const uint8_t* end) {
    if (skip > (size_t)(end - at)) return false;
    const uint8_t* q = at + skip;
    if (q == end) return true;
    if (end - q < 4) return false;
    if (!q[0]) return true;
    for (int i = 0; i < 4; i++)
        if (!((q[i] >= 'A' && q[i] <= 'Z') || (q[i] >= '0' && q[i] <= '9'))) return false;
    return true;
}

// A user text frame: a description, its terminator, then the value; only the
// levelling gains and peaks are taken from them.
static void UserTextFrame(TagRecord* r, const uint8_t* data, size_t n, unsigned cp) {
    bool wide = cp == 1200 || cp == 1201;
    size_t step = wide ? 2 : 1, end = 0;
    while (end + step <= n && (data[end] || (wide && data[end + 1]))) end += step;
    if (end + step > n) return;
    const uint8_t* value = data + end + step;
    size_t valueSize = n - end - step;
    const uint8_t* desc = data;
    size_t descSize = end;
    unsigned descCp = ByteOrderMark(&desc, &descSize, cp);
    std::wstring name = Convert((const char*)desc, descSize, descCp);
    unsigned valueCp = ByteOrderMark(&value, &valueSize, cp);
    std::wstring text = Convert((const char*)value, valueSize, valueCp);
    // Names and numbers are plain ASCII; anything else cannot match or parse.
    std::string a, b;
    for (wchar_t c : name) a.push_back(c < 128 ? (char)c : '?');
    for (wchar_t c : text) b.push_back(c < 128 ? (char)c : '?');
    NoteReplayGainField(&r->replayGain, a.c_str(), b.c_str(), b.size());
}

static void ParseId3v2(TagRecord* r, const char* block, size_t size, unsigned globalCp) {
    const uint8_t* b = (const uint8_t*)block;
    if (size < 10) return;
    // The size in the header counts what follows the 10 header bytes.
    size_t tagEnd = 10 + SyncSafe(b + 6);
    const uint8_t* end = b + (tagEnd < size ? tagEnd : size);  // never past the bytes we hold
    const uint8_t* p = b + 10;
    int version = b[3];
    if ((b[5] & 0x40) && (version == 3 || version == 4) && p + 4 <= end) {
        // An extended header: 2.3 counts the bytes after its size, 2.4 the whole header.
        size_t ext = version == 4 ? SyncSafe(p) : 4 + BigEndian32(p);
        p = ext < (size_t)(end - p) ? p + ext : end;
    }
    bool haveComment = false;
    while (p + 6 <= end) {
        if (!p[1] && !p[2] && !p[3] && !p[4] && !p[5]) break;
        size_t idLen = 0;
        while (idLen < 5 && p + idLen < end && p[idLen]) idLen++;
        if (idLen != 3 && idLen != 4) {
            p++;
            continue;
        }
        size_t header = idLen == 4 ? 10 : 7;
        if (p + header > end) break;
        size_t frameSize;
        if (idLen == 3) {
            frameSize = (size_t)p[4] << 8 | p[5];
        } else if (version == 4 && !((p[4] | p[5] | p[6] | p[7]) & 0x80)) {
            // 2.4 sizes are synch-safe; some writers put plain ones there all the same,
            // which shows when only the plain size lands on the next frame.
            frameSize = SyncSafe(p + 4);
            size_t plain = BigEndian32(p + 4);
            if (plain != frameSize && !FrameStartsAt(p, 10 + frameSize, end) && FrameStartsAt(p, 10 + plain, end))
                frameSize = plain;
        } else {
            frameSize = BigEndian32(p + 4);
        }
        if (idLen == 3 && frameSize > 0) frameSize--;
        const uint8_t* data = p + header;
        if (frameSize > (size_t)(end - data)) break;  // its data would pass the tag end
        char id[5] = {};
        memcpy(id, p, idLen);
        const uint8_t* text = data;
        size_t n = frameSize;
        unsigned cp = globalCp;
        bool offer = true;
        if (idLen == 4) {
            if (!strcmp(id, "COMM")) {
                // The language's string must be three bytes long for any but the first comment.
                size_t langLen = 0;
                while (langLen < 4 && 1 + langLen < n && data[1 + langLen]) langLen++;
                offer = !haveComment || langLen == 3;
                if (n >= 5) {
                    text += 5;
                    n -= 5;
                    // An empty UTF-16 description with its byte order mark.
                    if (frameSize >= 8 && data[4] == 0xFF && data[5] == 0xFE && data[6] == 0 && data[7] == 0) {
                        text += 2;
                        n -= 2;
                    }
                } else {
                    offer = false;
                }
                haveComment = true;
            }
            cp = FrameCodePage(&text, &n, globalCp);
            if (!strcmp(id, "TXXX")) {
                UserTextFrame(r, text, n, cp);
                offer = false;
            }
        }
        cp = ByteOrderMark(&text, &n, cp);
        if (offer) SetTagField(r, id, (const char*)text, (ptrdiff_t)n, cp, TagId3v2);
        p = data + frameSize;
    }
}

// ---- name=value blocks and stream metadata -----------------------------------

static void ParseValues(TagRecord* r, const char* b, size_t size, int type) {
    size_t at = 0;
    while (at < size && b[at]) {
        size_t len = 0;
        while (at + len < size && b[at + len]) len++;
        std::string item(b + at, len);
        size_t eq = item.find('=');
        if (eq != std::string::npos && eq + 1 < item.size()) {
            std::string name = item.substr(0, eq);
            SetTagField(r, name.c_str(), item.data() + eq + 1, (ptrdiff_t)(item.size() - eq - 1), 65001, type);
        }
        at += len + 1;
    }
}

static std::wstring Unquote(std::wstring v) {
    if (v.size() >= 2 && v.front() == L'\'' && v.back() == L'\'') v = v.substr(1, v.size() - 2);
    return v;
}

static void ParseMeta(TagRecord* r, const char* b, size_t size) {
    size_t len = 0;
    while (len < size && b[len]) len++;
    std::wstring text = Convert(b, len, 0);
    size_t start = 0;
    while (start <= text.size()) {
        size_t semi = text.find(L';', start);
        std::wstring piece = text.substr(start, semi == std::wstring::npos ? std::wstring::npos : semi - start);
        size_t eq = piece.find(L'=');
        if (eq != std::wstring::npos) {
            std::wstring name = piece.substr(0, eq), value = Unquote(piece.substr(eq + 1));
            if (name == L"StreamTitle") {
                size_t open = value.rfind(L'(');
                if (open != std::wstring::npos) {
                    std::wstring album = value.substr(open + 1);
                    if (!album.empty() && album.back() == L')') album.pop_back();
                    size_t cut = open > 0 && value[open - 1] == L' ' ? open - 1 : open;
                    r->album.Set(album.c_str());
                    r->title.Set(value.substr(0, cut).c_str());
                } else {
                    r->title.Set(value.c_str());
                }
            } else if (name == L"StreamUrl") {
                r->comment.Set(value.c_str());
            }
        }
        if (semi == std::wstring::npos) break;
        start = semi + 1;
    }
}

void ParseTagBlock(TagRecord* r, const char* block, size_t size, int type, unsigned codePage) {
    if (!block || !size) return;
    switch (type) {
    case TagId3: ParseId3v1(r, block, size, codePage); break;
    case TagId3v2: ParseId3v2(r, block, size, codePage); break;
    case TagOgg:
    case TagApe:
    case TagMp4:
    case TagWma: ParseValues(r, block, size, type); break;
    case TagMeta: ParseMeta(r, block, size); break;
    }
}

size_t TagBlockSize(const char* block, int type, size_t limit) {
    if (!block) return 0;
    if (type == TagId3) return 128 < limit ? 128 : limit;
    if (type == TagId3v2) {
        if (limit < 10) return limit;
        size_t n = 10 + SyncSafe((const uint8_t*)block + 6);
        return n < limit ? n : limit;
    }
    if (type == TagMeta) {
        size_t n = 0;
        while (n < limit && block[n]) n++;
        return n;
    }
    // A list of strings ended by an empty one.
    size_t n = 0;
    while (n < limit) {
        if (!block[n]) return n + 1;
        while (n < limit && block[n]) n++;
        n++;
    }
    return limit;
}

void FillCaptions(TagRecord* r) {
    r->title.Set(L"Title");
    r->artist.Set(L"Artist");
    r->album.Set(L"Album");
    r->year.Set(L"Year");
    r->genre.Set(L"Genre");
    r->comment.Set(L"Comments");
    r->track.Set(L"\x2116");
}
