#include "media/cue_sheet.h"
#include "media/cue_parsed.h"
#include "base/general_settings.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

// Keywords count only at the start of a line: at the text start (after a UTF-8
// mark) or after "\r\n" and any spaces. The text is walked once; each line
// that starts with a keyword the player reads is noted with its place, and
// every question about the sheet is answered from those notes, so a sheet
// costs the same whatever is asked of it and however its lines are laid out.

static const size_t npos = std::string::npos;

static const char* const kKeyText[kSheetKeys] = {"FILE", "TRACK", "TITLE", "PERFORMER", "INDEX 00", "INDEX 01",
                                                 "REM SKIP", "REM GENRE", "REM DATE", "REM COMMENT"};

static bool HasUtf8Mark(const std::string& t) {
    return t.size() >= 3 && (uint8_t)t[0] == 0xEF && (uint8_t)t[1] == 0xBB && (uint8_t)t[2] == 0xBF;
}

static bool StartsWith(const std::string& t, size_t at, size_t end, const char* key) {
    size_t n = strlen(key);
    return end - at >= n && t.compare(at, n, key) == 0;
}

ParsedSheet ParseSheet(const std::string& t) {
    ParsedSheet s;
    ParsedTrack* track = nullptr;  // the block being read
    size_t lineStart = HasUtf8Mark(t) ? 3 : 0;
    while (lineStart <= t.size()) {
        size_t end = t.find("\r\n", lineStart);
        if (end == npos) end = t.size();
        size_t at = lineStart;
        while (at < end && t[at] == ' ') at++;
        int key = 0;
        while (key < kSheetKeys && !StartsWith(t, at, end, kKeyText[key])) key++;
        if (key < kSheetKeys) {
            KeyLine line{at, end, (SheetKey)key};
            switch (key) {
            case KeyFile:
                s.files.push_back(line);
                if (track) track->fileInBlock = true;
                break;
            case KeyTrack:
                s.tracks.emplace_back();
                track = &s.tracks.back();
                track->line = line;
                track->file = (int)s.files.size() - 1;
                break;
            case KeyTitle:
                if (track && !track->title.Found()) track->title = line;
                break;
            case KeyPerformer:
                if (track && !track->performer.Found()) track->performer = line;
                break;
            case KeyIndex00:
                if (track && !track->index00.Found()) track->index00 = line;
                break;
            case KeyIndex01:
                if (track && !track->index01.Found()) track->index01 = line;
                break;
            case KeyRemSkip:
                if (track && !track->skip.Found()) track->skip = line;
                break;
            }
            if (s.files.empty() && !s.album[key].Found()) s.album[key] = line;
        }
        if (end == t.size()) break;
        lineStart = end + 2;
    }
    return s;
}

// A keyword's value: it begins one character after the keyword; a value that
// begins with a double quote ends at the next one on its line, any other at
// the line end.
std::string SheetValue(const std::string& t, const KeyLine& line) {
    if (!line.Found()) return {};
    size_t begin = line.at + strlen(kKeyText[line.key]) + 1;
    if (begin > line.end) begin = line.end;
    size_t end = line.end;
    if (begin < end && t[begin] == '"') {
        // The closing quote is looked for on this line only.
        const char* close = (const char*)memchr(t.data() + begin + 1, '"', end - begin - 1);
        if (close) {
            begin++;
            end = (size_t)(close - t.data());
        }
    }
    return t.substr(begin, end - begin);
}

// The track whose TRACK line reads "TRACK 07" (at least two digits), or -1.
int FindSheetTrack(const std::string& t, const ParsedSheet& s, int number) {
    char key[24];
    snprintf(key, sizeof(key), "TRACK %02i", number);
    for (size_t i = 0; i < s.tracks.size(); i++)
        if (StartsWith(t, s.tracks[i].line.at, s.tracks[i].line.end, key)) return (int)i;
    return -1;
}

static bool IsUtf8Sheet(const TagRecord& sheet) { return sheet.cueEmbedded || HasUtf8Mark(sheet.cueText); }

std::wstring DecodeSheetValue(const TagRecord& sheet, const std::string& value, bool fileName) {
    UINT cp = IsUtf8Sheet(sheet) ? CP_UTF8 : fileName ? CP_ACP : (g_general.globalCP ? g_general.globalCP : CP_ACP);
    StringBuffer b;
    b.SetFromBytes(value.data(), value.size(), cp);
    return b.text;
}

std::wstring FolderOfPath(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

int TrackNumberOf(const wchar_t* name) {
    int n = 0;
    while (*name >= L'0' && *name <= L'9' && n < 100000) n = n * 10 + (*name++ - L'0');
    return n;
}

int32_t CueTimeMs(const std::string& text) {
    int f[3] = {0, 0, 0};
    int n = 0;
    for (size_t i = 0; i < text.size() && n < 3; i++) {
        char c = text[i];
        if (c >= '0' && c <= '9') f[n] = f[n] * 10 + (c - '0') > 100000000 ? f[n] : f[n] * 10 + (c - '0');
        else if (c == ':') n++;
        else if (c != ' ') break;
    }
    int64_t ms = (int64_t)f[2] * 1000 / 75 + ((int64_t)f[1] + (int64_t)f[0] * 60) * 1000;
    return ms > INT32_MAX ? INT32_MAX : (int32_t)ms;
}

std::string SheetTextFromFile(std::string bytes) {
    if (bytes.size() >= 2 && (uint8_t)bytes[0] == 0xFF && (uint8_t)bytes[1] == 0xFE) {
        // UTF-16: the whole text becomes UTF-8, its mark with it. One unit a
        // wchar_t, whatever wchar_t's width: the native test build's is 32 bits.
        std::wstring w(bytes.size() / 2, L'\0');
        for (size_t i = 0; i < w.size(); i++) w[i] = (wchar_t)((uint8_t)bytes[2 * i] | (uint8_t)bytes[2 * i + 1] << 8);
        bytes = WideToUtf8(w.data() + 1, w.size() - 1);
        bytes.insert(0, "\xEF\xBB\xBF");
    }
    return bytes;
}

int CountSheetFiles(const TagRecord& sheet) { return (int)ParseSheet(sheet.cueText).files.size(); }

std::wstring SheetAudioFile(const TagRecord& sheet, const wchar_t* trackName) {
    ParsedSheet s = ParseSheet(sheet.cueText);
    int track = FindSheetTrack(sheet.cueText, s, TrackNumberOf(trackName));
    if (track < 0 || s.tracks[(size_t)track].file < 0) return {};
    std::string file = SheetValue(sheet.cueText, s.files[(size_t)s.tracks[(size_t)track].file]);
    return FolderOfPath(sheet.path.text) + DecodeSheetValue(sheet, file, true);
}

// A track starts at its INDEX 01 and ends where the next track of the same
// FILE begins: at its INDEX 00 (its pregap), else its INDEX 01. The last
// track of a file ends with the audio.
bool SheetTimesOf(const std::string& t, const ParsedSheet& s, size_t track, int32_t totalMs, int32_t* startMs,
                  int32_t* lengthMs) {
    const ParsedTrack& k = s.tracks[track];
    if (!k.index01.Found()) return false;
    int32_t start = CueTimeMs(SheetValue(t, k.index01));
    int32_t end = totalMs;
    if (track + 1 < s.tracks.size() && !k.fileInBlock) {
        const ParsedTrack& next = s.tracks[track + 1];
        if (next.index00.Found()) end = CueTimeMs(SheetValue(t, next.index00));
        else if (next.index01.Found()) end = CueTimeMs(SheetValue(t, next.index01));
    }
    *startMs = start;
    *lengthMs = end - start;
    return true;
}

bool TrackTimes(const TagRecord& sheet, size_t position, int32_t totalMs, int32_t* startMs, int32_t* lengthMs) {
    ParsedSheet s = ParseSheet(sheet.cueText);
    for (size_t i = 0; i < s.tracks.size(); i++)
        if (s.tracks[i].line.at == position) return SheetTimesOf(sheet.cueText, s, i, totalMs, startMs, lengthMs);
    return false;
}

int32_t TrackLength(TagRecord* sheet, const wchar_t* trackName) {
    int n = TrackNumberOf(trackName);
    sheet->track.Set(std::to_wstring(n).c_str());
    ParsedSheet s = ParseSheet(sheet->cueText);
    int track = FindSheetTrack(sheet->cueText, s, n);
    int32_t start = 0, length = 0;
    if (track < 0 || !SheetTimesOf(sheet->cueText, s, (size_t)track, sheet->lengthMs, &start, &length)) return 0;
    return length;
}

// The extension of the sheet's first FILE name (the whole name when it has no dot).
static bool SheetExtension(const TagRecord& sheet, const ParsedSheet& s, std::wstring* extension) {
    if (s.files.empty()) return false;
    std::wstring fileName = DecodeSheetValue(sheet, SheetValue(sheet.cueText, s.files[0]), true);
    size_t dot = fileName.rfind(L'.');
    *extension = dot == std::wstring::npos ? fileName : fileName.substr(dot + 1);
    return true;
}

struct SheetTrack {
    size_t index;            // in the parsed sheet
    std::wstring number;     // "01 ": the number and the space after it
    std::wstring title;      // its TITLE, else "Track 01"
    std::wstring performer;  // its own PERFORMER; empty when none
};

// Every track of the sheet in order, but those whose block holds REM SKIP.
template <class Visit>
static void ForEachTrack(const TagRecord& sheet, const ParsedSheet& s, Visit visit) {
    const std::string& t = sheet.cueText;
    for (size_t i = 0; i < s.tracks.size(); i++) {
        const ParsedTrack& k = s.tracks[i];
        if (k.skip.Found()) continue;
        std::string number = SheetValue(t, k.line);
        size_t space = number.find(' ');
        if (space != npos) number.resize(space + 1);
        SheetTrack track{i, DecodeSheetValue(sheet, number), {}, {}};
        if (k.title.Found()) {
            track.title = DecodeSheetValue(sheet, SheetValue(t, k.title));
        } else {
            wchar_t fallback[32];
            swprintf(fallback, 32, L"Track %02i", atoi(number.c_str()));
            track.title = fallback;
        }
        if (k.performer.Found()) track.performer = DecodeSheetValue(sheet, SheetValue(t, k.performer));
        visit(track);
    }
}

bool ListSheetTracks(const TagRecord& sheet, std::vector<SheetTrackRow>* rows, std::wstring* extension,
                     std::wstring* albumPerformer) {
    ParsedSheet s = ParseSheet(sheet.cueText);
    if (!SheetExtension(sheet, s, extension)) return false;
    const KeyLine& performer = s.album[KeyPerformer];
    *albumPerformer = performer.Found() ? DecodeSheetValue(sheet, SheetValue(sheet.cueText, performer)) : L"";
    ForEachTrack(sheet, s, [&](const SheetTrack& track) {
        SheetTrackRow row{track.number, track.title, track.performer, false, 0, 0};
        row.timed = SheetTimesOf(sheet.cueText, s, track.index, sheet.lengthMs, &row.startMs, &row.lengthMs);
        rows->push_back(std::move(row));
    });
    return true;
}

static bool IsAbsolute(const std::wstring& name) {
    return name.size() > 3 && ((name[0] == L'\\' && name[1] == L'\\') || (name[1] == L':' && name[2] == L'\\'));
}

bool SheetTrackFields(TagRecord* sheet, const wchar_t* trackName, std::wstring* audio, size_t* trackIndex) {
    const std::string& t = sheet->cueText;
    ParsedSheet s = ParseSheet(t);
    int n = TrackNumberOf(trackName);
    sheet->track.Set(std::to_wstring(n).c_str());
    struct { SheetKey key; StringBuffer* field; } album[] = {
        {KeyRemGenre, &sheet->genre}, {KeyRemDate, &sheet->year}, {KeyRemComment, &sheet->comment},
        {KeyTitle, &sheet->album}, {KeyPerformer, &sheet->artist}};
    for (auto& a : album)
        if (s.album[a.key].Found()) a.field->Set(DecodeSheetValue(*sheet, SheetValue(t, s.album[a.key])).c_str());
    audio->clear();
    int track = FindSheetTrack(t, s, n);
    if (track < 0) return false;
    const ParsedTrack& k = s.tracks[(size_t)track];
    if (sheet->cueEmbedded) {
        *audio = sheet->path.text;
    } else if (k.file >= 0) {
        *audio = DecodeSheetValue(*sheet, SheetValue(t, s.files[(size_t)k.file]), true);
        if (!IsAbsolute(*audio)) *audio = FolderOfPath(sheet->path.text) + *audio;
    }
    if (k.title.Found()) sheet->title.Set(DecodeSheetValue(*sheet, SheetValue(t, k.title)).c_str());
    if (k.performer.Found()) sheet->artist.Set(DecodeSheetValue(*sheet, SheetValue(t, k.performer)).c_str());
    *trackIndex = (size_t)track;
    return true;
}

bool SheetTrackTimes(const TagRecord& sheet, size_t track, int32_t totalMs, int32_t* startMs, int32_t* lengthMs) {
    ParsedSheet s = ParseSheet(sheet.cueText);
    return track < s.tracks.size() && SheetTimesOf(sheet.cueText, s, track, totalMs, startMs, lengthMs);
}
