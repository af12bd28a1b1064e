#include "media/cue_sheet.h"
#include "app/general_settings.h"
#include "audio/engine.h"
#include "audio/overview.h"
#include "audio/track_display.h"
#include "library/file_browser.h"
#include "library/file_groups.h"
#include "library/playlist.h"
#include "library/statistics.h"
#include "ui/list_view.h"
#include <windows.h>

// ---- keyword search in the raw bytes ------------------------------------------

static const size_t npos = std::string::npos;

// A keyword counts at the text start or after "\r\n" and any spaces.
// A UTF-8 mark at the start is skipped: the text starts after it.
static bool AtLineStart(const std::string& t, size_t at) {
    size_t start = t.size() >= 3 && (uint8_t)t[0] == 0xEF && (uint8_t)t[1] == 0xBB && (uint8_t)t[2] == 0xBF ? 3 : 0;
    if (at < start) return false;
    size_t i = at;
    while (i > start && t[i - 1] == ' ') i--;
    return i == start || (i >= 2 && t[i - 2] == '\r' && t[i - 1] == '\n');
}

// The first line-start occurrence of the keyword at or after `from`; npos when none.
static size_t FindKey(const std::string& t, const char* key, size_t from) {
    for (size_t at = t.find(key, from); at != npos; at = t.find(key, at + 1))
        if (AtLineStart(t, at)) return at;
    return npos;
}

static size_t LineEnd(const std::string& t, size_t from) {
    size_t e = t.find("\r\n", from);
    return e == npos ? t.size() : e;
}

// The keyword's value, searched from `from`; with a stop keyword the value must
// end before the stop keyword's first line-start occurrence.
static bool KeyValue(const std::string& t, const char* key, size_t from, const char* stop, std::string* value,
                     size_t* keyAt = nullptr) {
    size_t at = FindKey(t, key, from);
    if (at == npos) return false;
    size_t limit = stop ? FindKey(t, stop, from) : npos;
    size_t begin = at + strlen(key) + 1;
    if (begin > t.size()) begin = t.size();
    size_t lineEnd = LineEnd(t, begin);
    size_t end = lineEnd;
    if (begin < t.size() && t[begin] == '"') {
        size_t close = t.find('"', begin + 1);
        if (close != npos && close < lineEnd && close < limit) {
            begin++;
            end = close;
        }
    }
    if (limit != npos && end > limit) return false;
    value->assign(t, begin, end - begin);
    if (keyAt) *keyAt = at;
    return true;
}

static bool IsUtf8Sheet(const TagRecord& sheet) {
    const std::string& t = sheet.cueText;
    return sheet.cueEmbedded || (t.size() >= 3 && (uint8_t)t[0] == 0xEF && (uint8_t)t[1] == 0xBB && (uint8_t)t[2] == 0xBF);
}

static std::wstring Decode(const TagRecord& sheet, const std::string& value, bool fileName = false) {
    UINT cp = IsUtf8Sheet(sheet) ? CP_UTF8 : fileName ? CP_ACP : (g_general.globalCP ? g_general.globalCP : CP_ACP);
    StringBuffer b;
    b.SetFromBytes(value.data(), value.size(), cp);
    return b.text;
}

static std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

static int LeadingNumber(const wchar_t* name) {
    int n = 0;
    while (*name >= L'0' && *name <= L'9' && n < 100000) n = n * 10 + (*name++ - L'0');
    return n;
}

static size_t FindTrack(const std::string& t, int number) {
    char key[24];
    snprintf(key, sizeof(key), "TRACK %02i", number);
    return FindKey(t, key, 0);
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

// ---- the sheet ------------------------------------------------------------------

static bool ReadWholeFile(const wchar_t* path, std::string* bytes) {
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart < (64 << 20);  // no sheet is that large
    if (ok) {
        bytes->resize((size_t)size.QuadPart);
        DWORD got = 0;
        ok = bytes->empty() || (ReadFile(f, bytes->data(), (DWORD)bytes->size(), &got, nullptr) && got == bytes->size());
    }
    CloseHandle(f);
    return ok;
}

bool LoadSheet(const wchar_t* path, TagRecord* sheet) {
    DWORD a = GetFileAttributesW(path);
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (IsListFile(path)) {
        std::string bytes;
        if (!ReadWholeFile(path, &bytes)) return false;
        if (bytes.size() >= 2 && (uint8_t)bytes[0] == 0xFF && (uint8_t)bytes[1] == 0xFE) {
            // UTF-16: the whole text becomes UTF-8, its mark with it.
            std::wstring w((bytes.size()) / 2, L'\0');
            memcpy(w.data(), bytes.data(), w.size() * 2);
            bytes = WideToUtf8(w.data() + 1, w.size() - 1);
            bytes.insert(0, "\xEF\xBB\xBF");
        }
        sheet->cueText = bytes;
        sheet->hasCue = true;
        sheet->cueEmbedded = false;
        sheet->path.Set(path);
        return true;
    }
    TagRecord tags;
    if (!ProbeTags(path, &tags) || !tags.hasCue) return false;
    sheet->cueText = tags.cueText;
    sheet->hasCue = true;
    sheet->cueEmbedded = true;
    sheet->path.Set(path);
    sheet->lengthMs = tags.lengthMs;
    return true;
}

int CountSheetFiles(const TagRecord& sheet) {
    const std::string& t = sheet.cueText;
    int n = 0;
    for (size_t at = FindKey(t, "FILE", 0); at != npos; at = FindKey(t, "FILE", LineEnd(t, at))) n++;
    return n;
}

// The FILE line nearest before a position.
static bool FileBefore(const TagRecord& sheet, size_t position, std::string* value) {
    const std::string& t = sheet.cueText;
    size_t best = npos;
    for (size_t at = FindKey(t, "FILE", 0); at != npos && at < position; at = FindKey(t, "FILE", at + 1)) best = at;
    return best != npos && KeyValue(t, "FILE", best, "TRACK", value);
}

std::wstring SheetAudioFile(const TagRecord& sheet, const wchar_t* trackName) {
    size_t track = FindTrack(sheet.cueText, LeadingNumber(trackName));
    std::string file;
    if (track == npos || !FileBefore(sheet, track, &file)) return {};
    return FolderOf(sheet.path.text) + Decode(sheet, file, true);
}

static bool Exists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FindAudioFile(std::wstring* path) {
    if (Exists(*path)) return true;
    size_t dot = path->rfind(L'.');
    size_t slash = path->rfind(L'\\');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return false;
    for (int g = GroupLossless; g <= GroupMusic; g++)
        for (const std::wstring& e : g_fileGroups.groups[g].patterns) {
            std::wstring candidate = path->substr(0, dot + 1) + e;
            if (Exists(candidate)) {
                *path = candidate;
                return true;
            }
        }
    return false;
}

bool TrackTimes(const TagRecord& sheet, size_t position, int32_t totalMs, int32_t* startMs, int32_t* lengthMs) {
    const std::string& t = sheet.cueText;
    size_t after = LineEnd(t, position);
    std::string v;
    if (!KeyValue(t, "INDEX 01", after, "TRACK", &v)) return false;
    int32_t start = CueTimeMs(v);
    int32_t end = totalMs;
    size_t next = FindKey(t, "TRACK", after);
    size_t file = FindKey(t, "FILE", after);
    if (next != npos && (file == npos || next < file)) {
        size_t nextAfter = LineEnd(t, next);
        if (KeyValue(t, "INDEX 00", nextAfter, "TRACK", &v) || KeyValue(t, "INDEX 01", nextAfter, "TRACK", &v))
            end = CueTimeMs(v);
    }
    *startMs = start;
    *lengthMs = end - start;
    return true;
}

int32_t TrackLength(TagRecord* sheet, const wchar_t* trackName) {
    int n = LeadingNumber(trackName);
    sheet->track.Set(std::to_wstring(n).c_str());
    size_t at = FindTrack(sheet->cueText, n);
    int32_t start = 0, length = 0;
    if (at == npos || !TrackTimes(*sheet, at, sheet->lengthMs, &start, &length)) return 0;
    return length;
}

// The extension of the sheet's first FILE name (the whole name when it has no dot).
static bool SheetExtension(const TagRecord& sheet, std::wstring* extension) {
    std::string file;
    if (!KeyValue(sheet.cueText, "FILE", 0, nullptr, &file)) return false;
    std::wstring fileName = Decode(sheet, file, true);
    size_t dot = fileName.rfind(L'.');
    *extension = dot == std::wstring::npos ? fileName : fileName.substr(dot + 1);
    return true;
}

struct SheetTrack {
    size_t at;               // where its TRACK keyword stands
    std::wstring number;     // "01 ": the number and the space after it
    std::wstring title;      // its TITLE, else "Track 01"
    std::wstring performer;  // its own PERFORMER; empty when none
};

// Every track of the sheet in order, but those whose block holds REM SKIP.
template <class Visit>
static void ForEachTrack(const TagRecord& sheet, Visit visit) {
    const std::string& t = sheet.cueText;
    for (size_t at = FindKey(t, "TRACK", 0); at != npos; at = FindKey(t, "TRACK", LineEnd(t, at))) {
        std::string number;
        KeyValue(t, "TRACK", at, nullptr, &number);
        size_t space = number.find(' ');
        if (space != npos) number.resize(space + 1);
        size_t after = LineEnd(t, at);
        size_t skip = FindKey(t, "REM SKIP", after), next = FindKey(t, "TRACK", after);
        if (skip != npos && (next == npos || skip < next)) continue;
        SheetTrack track{at, Decode(sheet, number), {}, {}};
        std::string v;
        if (KeyValue(t, "TITLE", after, "TRACK", &v)) {
            track.title = Decode(sheet, v);
        } else {
            wchar_t fallback[32];
            swprintf(fallback, 32, L"Track %02i", atoi(number.c_str()));
            track.title = fallback;
        }
        if (KeyValue(t, "PERFORMER", after, "TRACK", &v)) track.performer = Decode(sheet, v);
        visit(track);
    }
}

int ImportSheetToPlayList(const TagRecord& sheet) {
    std::wstring extension;
    if (!SheetExtension(sheet, &extension)) return 0;
    std::wstring folder = sheet.path.text + L"\\";
    int added = 0;
    ForEachTrack(sheet, [&](const SheetTrack& track) {
        int32_t start = 0, length = 0;
        if (!TrackTimes(sheet, track.at, sheet.lengthMs, &start, &length)) length = 0;
        if (length < 0) length = 0;
        if (AppendEntry(folder.c_str(), (track.number + track.title).c_str(), extension.c_str(), length)) added++;
    });
    return added;
}

int ImportSheetToFileList(const TagRecord& sheet) {
    BeginFileListRows();
    std::wstring extension;
    if (!SheetExtension(sheet, &extension)) return 0;
    std::string v;
    std::wstring albumPerformer = KeyValue(sheet.cueText, "PERFORMER", 0, "FILE", &v) ? Decode(sheet, v) : L"";
    int added = 0;
    ForEachTrack(sheet, [&](const SheetTrack& track) {
        std::wstring name = track.number + track.title;
        if (!track.performer.empty() && lstrcmpiW(track.performer.c_str(), albumPerformer.c_str()) != 0)
            name += L" [" + track.performer + L"]";
        name += L"." + extension;
        if (AddFileListFileRow(name.c_str())) added++;
    });
    return added;
}

static bool IsAbsolute(const std::wstring& name) {
    return name.size() > 3 && ((name[0] == L'\\' && name[1] == L'\\') || (name[1] == L':' && name[2] == L'\\'));
}

bool PlaySheetTrack(TagRecord* sheet, const wchar_t* trackName) {
    const std::string& t = sheet->cueText;
    int n = LeadingNumber(trackName);
    sheet->track.Set(std::to_wstring(n).c_str());
    struct { const char* key; StringBuffer* field; } album[] = {
        {"REM GENRE", &sheet->genre}, {"REM DATE", &sheet->year}, {"REM COMMENT", &sheet->comment},
        {"TITLE", &sheet->album}, {"PERFORMER", &sheet->artist}};
    std::string v;
    for (auto& a : album)
        if (KeyValue(t, a.key, 0, "FILE", &v)) a.field->Set(Decode(*sheet, v).c_str());
    bool opened = false;
    size_t at = FindTrack(t, n);
    if (at != npos) {
        std::wstring audio;
        std::string file;
        if (sheet->cueEmbedded) {
            audio = sheet->path.text;
        } else if (FileBefore(*sheet, at, &file)) {
            audio = Decode(*sheet, file, true);
            if (!IsAbsolute(audio)) audio = FolderOf(sheet->path.text) + audio;
        }
        size_t after = LineEnd(t, at);
        if (KeyValue(t, "TITLE", after, "TRACK", &v)) sheet->title.Set(Decode(*sheet, v).c_str());
        if (KeyValue(t, "PERFORMER", after, "TRACK", &v)) sheet->artist.Set(Decode(*sheet, v).c_str());
        bool wasFromPlayList = g_playList.fromPlayList;
        g_playList.fromPlayList = true;  // no "Can't play file" box for a track
        opened = !audio.empty() && FindAudioFile(&audio) && OpenTrack(audio.c_str(), false, true);
        g_playList.fromPlayList = wasFromPlayList;
        int32_t start = 0, length = 0;
        if (opened && TrackTimes(*sheet, at, (int32_t)seekLength, &start, &length)) {
            SetTrackBounds(start, length);
            bool complete = g_engine.scanComplete;
            g_engine.scanBusy = false;
            if (!complete) StartOverviewScan();
        } else {
            g_engine.scanBusy = false;
        }
    }
    ShowTagRecord(*sheet);
    // A track that did not open is no listen.
    if (opened) StatsNowPlaying(*sheet);
    ShowStreamInfo(true);
    return opened;
}

// ---- the player's uses ------------------------------------------------------------

bool HasEmbeddedCueSheet(const wchar_t* path) {
    TagRecord tags;
    return ProbeTags(path, &tags) && tags.hasCue;
}

static bool SplitTrackPath(const wchar_t* trackPath, std::wstring* container, std::wstring* name) {
    std::wstring p = trackPath;
    size_t slash = p.rfind(L'\\');
    if (slash == std::wstring::npos) return false;
    *container = p.substr(0, slash);
    *name = p.substr(slash + 1);
    return true;
}

bool PlayCueTrack(const wchar_t* trackPath) {
    std::wstring container, name;
    TagRecord sheet;
    if (!SplitTrackPath(trackPath, &container, &name) || !LoadSheet(container.c_str(), &sheet)) return false;
    return PlaySheetTrack(&sheet, name.c_str());
}

bool IsMergedCueName(const wchar_t* name) {
    const wchar_t* bar = wcsrchr(name, L'|');
    return bar && lstrcmpiW(bar, L"| cue") == 0;
}

static const wchar_t* CellName(const ListView* l, int row) {
    const wchar_t* t = l->rows[row].cells[FileListName].text;
    return t ? t : L"";
}

static bool StartsWithNoCase(const wchar_t* text, const std::wstring& prefix) {
    return _wcsnicmp(text, prefix.c_str(), prefix.size()) == 0;
}

// The row of the audio file beside a sheet's row: first upwards, then
// downwards, each way only while the names begin with the sheet's base name.
static int FindAudioRow(const ListView* l, int sheetRow, const std::wstring& base, const std::wstring& audioName) {
    for (int step : {-1, 1})
        for (int r = sheetRow + step; r >= 0 && r < l->rowCount && StartsWithNoCase(CellName(l, r), base); r += step)
            if (!l->rows[r].cells[FileListName].value && lstrcmpiW(CellName(l, r), audioName.c_str()) == 0) return r;
    return -1;
}

void MergeCueSheets(ListView* l, const wchar_t* folder) {
    if (!l || l->columnCount <= FileListName) return;
    std::vector<char> gone((size_t)l->rowCount);
    int focus = l->currentRow;
    bool any = false;
    for (int r = 0; r < l->rowCount; r++) {
        const wchar_t* name = CellName(l, r);
        const wchar_t* dot = wcsrchr(name, L'.');
        if (l->rows[r].cells[FileListName].value || !dot || lstrcmpiW(dot + 1, L"cue") != 0) continue;
        CueSheet sheet;
        std::wstring audio;
        if (!ReadCueSheet((std::wstring(folder) + name).c_str(), &sheet) || !SingleAudioFile(sheet, &audio)) continue;
        std::wstring base(name, (size_t)(dot - name));
        std::wstring audioName = audio.substr(audio.rfind(L'\\') + 1);
        int row = FindAudioRow(l, r, base, audioName);
        if (row < 0) continue;
        size_t audioDot = audioName.rfind(L'.');
        std::wstring merged = base + (audioDot == std::wstring::npos ? L"" : audioName.substr(audioDot)) + L" | cue";
        SetCellText(l, FileListName, merged.c_str(), row);
        gone[(size_t)r] = 1;
        any = true;
        if (focus == r) focus = row;  // a focused sheet hands the focus to its audio row
    }
    if (!any) return;
    // The rows go with the list's own removal of selected rows; the marks of
    // the rows that stay come back afterwards.
    std::vector<char> marks;
    int removedBeforeFocus = 0;
    for (int r = 0; r < l->rowCount; r++) {
        if (!gone[(size_t)r]) marks.push_back(l->rows[r].selected);
        else if (r < focus) removedBeforeFocus++;
        l->rows[r].selected = gone[(size_t)r] != 0;
    }
    DeleteSelected(l, true);
    for (int r = 0; r < l->rowCount; r++) l->rows[r].selected = marks[(size_t)r] != 0;
    if (focus >= 0 && l->rowCount > 0) {
        focus -= removedBeforeFocus;
        l->currentRow = focus < l->rowCount ? focus : l->rowCount - 1;
    }
}

static void FillAudioFiles(CueSheet* sheet) {
    const std::string& t = sheet->record.cueText;
    std::string v;
    for (size_t at = FindKey(t, "FILE", 0); at != npos; at = FindKey(t, "FILE", LineEnd(t, at)))
        if (KeyValue(t, "FILE", at, "TRACK", &v))
            sheet->audioFiles.push_back(FolderOf(sheet->path) + Decode(sheet->record, v, true));
}

bool ReadCueSheet(const wchar_t* path, CueSheet* sheet) {
    if (!LoadSheet(path, &sheet->record) || sheet->record.cueEmbedded) return false;
    sheet->path = path;
    FillAudioFiles(sheet);
    return !sheet->audioFiles.empty();
}

bool ReadEmbeddedCueSheet(const wchar_t* audioPath, CueSheet* sheet) {
    if (!LoadSheet(audioPath, &sheet->record) || !sheet->record.cueEmbedded) return false;
    sheet->path = audioPath;
    sheet->audioFiles.push_back(audioPath);
    return true;
}

bool CueTrackLength(const wchar_t* trackPath, int32_t* lengthMs) {
    std::wstring container, name;
    TagRecord sheet;
    if (!SplitTrackPath(trackPath, &container, &name) || !LoadSheet(container.c_str(), &sheet)) return false;
    if (!sheet.cueEmbedded) {
        std::wstring audio = SheetAudioFile(sheet, name.c_str());
        int32_t total = audio.empty() ? -1 : ProbeLength(audio.c_str());
        sheet.lengthMs = total > 0 ? total : 0;
    }
    *lengthMs = TrackLength(&sheet, name.c_str());
    return true;
}

int AppendCueTracks(const CueSheet& sheet, int32_t audioLengthMs) {
    TagRecord record = sheet.record;
    record.lengthMs = audioLengthMs;
    return ImportSheetToPlayList(record);
}

bool SingleAudioFile(const CueSheet& sheet, std::wstring* audioPath) {
    if (sheet.audioFiles.size() != 1 || !Exists(sheet.audioFiles[0])) return false;
    *audioPath = sheet.audioFiles[0];
    return true;
}
