#include "media/cue_files.h"
#include "media/cue_parsed.h"
#include "media/file_groups.h"
#include <windows.h>
#include <shlwapi.h>
#include <algorithm>
#include <memory>

static bool NoTags(const wchar_t*, TagRecord*) { return false; }
static int32_t NoLength(const wchar_t*) { return 0; }
CueProbes g_cueProbes = {NoTags, NoLength};

static bool ReadWholeFile(const wchar_t* path, std::string* bytes) {
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart <= (LONGLONG)kMaxCueSheetBytes;
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
        sheet->cueText = SheetTextFromFile(std::move(bytes));
        sheet->hasCue = true;
        sheet->cueEmbedded = false;
        sheet->path.Set(path);
        return true;
    }
    TagRecord tags;
    if (!g_cueProbes.tags(path, &tags) || !tags.hasCue || tags.cueText.size() > kMaxCueSheetBytes) return false;
    sheet->cueText = tags.cueText;
    sheet->hasCue = true;
    sheet->cueEmbedded = true;
    sheet->path.Set(path);
    sheet->lengthMs = tags.lengthMs;
    return true;
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

bool IsListFile(const wchar_t* path) {
    const wchar_t* ext = PathFindExtensionW(path);
    return lstrcmpiW(ext, L".cue") == 0 || lstrcmpiW(ext, L".m3u") == 0;
}

bool HasEmbeddedCueSheet(const wchar_t* path) {
    TagRecord tags;
    return g_cueProbes.tags(path, &tags) && tags.hasCue;
}

bool SplitTrackPath(const wchar_t* trackPath, std::wstring* container, std::wstring* name) {
    std::wstring p = trackPath;
    size_t slash = p.rfind(L'\\');
    if (slash == std::wstring::npos) return false;
    *container = p.substr(0, slash);
    *name = p.substr(slash + 1);
    return true;
}

bool IsMergedCueName(const wchar_t* name) {
    const wchar_t* bar = wcsrchr(name, L'|');
    return bar && lstrcmpiW(bar, L"| cue") == 0;
}

static void FillAudioFiles(CueSheet* sheet) {
    const std::string& t = sheet->record.cueText;
    for (const KeyLine& file : ParseSheet(t).files)
        sheet->audioFiles.push_back(FolderOfPath(sheet->path) +
                                    DecodeSheetValue(sheet->record, SheetValue(t, file), true));
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

// The sheet last asked about: its text read and indexed once, and the
// lengths of the audio files its tracks play, each probed once.
struct CueTrackLengths::Sheet {
    std::wstring container;
    TagRecord record;
    ParsedSheet parsed;
    std::vector<std::pair<std::wstring, int32_t>> audioLengths;
};

CueTrackLengths::CueTrackLengths() = default;
CueTrackLengths::~CueTrackLengths() = default;

bool CueTrackLengths::Length(const wchar_t* trackPath, int32_t* lengthMs) {
    std::wstring container, name;
    if (!SplitTrackPath(trackPath, &container, &name)) return false;
    if (!last || _wcsicmp(last->container.c_str(), container.c_str()) != 0) {
        auto fresh = std::make_unique<Sheet>();
        if (!LoadSheet(container.c_str(), &fresh->record)) return false;
        fresh->container = container;
        fresh->parsed = ParseSheet(fresh->record.cueText);
        last = std::move(fresh);
    }
    const std::string& t = last->record.cueText;
    const ParsedSheet& s = last->parsed;
    int track = FindSheetTrack(t, s, TrackNumberOf(name.c_str()));
    int32_t total = last->record.lengthMs;  // an embedded sheet's is its own file's
    if (!last->record.cueEmbedded) {
        total = 0;
        int file = track >= 0 ? s.tracks[(size_t)track].file : -1;
        if (file >= 0) {
            std::wstring audio =
                FolderOfPath(container) + DecodeSheetValue(last->record, SheetValue(t, s.files[(size_t)file]), true);
            auto known = std::find_if(last->audioLengths.begin(), last->audioLengths.end(),
                                      [&](const auto& a) { return _wcsicmp(a.first.c_str(), audio.c_str()) == 0; });
            if (known == last->audioLengths.end()) {
                int32_t probed = g_cueProbes.length(audio.c_str());
                last->audioLengths.emplace_back(audio, probed > 0 ? probed : 0);
                known = last->audioLengths.end() - 1;
            }
            total = known->second;
        }
    }
    int32_t start = 0, length = 0;
    *lengthMs = track >= 0 && SheetTimesOf(t, s, (size_t)track, total, &start, &length) ? length : 0;
    return true;
}

bool CueTrackLength(const wchar_t* trackPath, int32_t* lengthMs) {
    CueTrackLengths lengths;
    return lengths.Length(trackPath, lengthMs);
}

bool SingleAudioFile(const CueSheet& sheet, std::wstring* audioPath) {
    if (sheet.audioFiles.size() != 1 || !Exists(sheet.audioFiles[0])) return false;
    *audioPath = sheet.audioFiles[0];
    return true;
}
