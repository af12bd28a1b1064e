#include "media/file_groups.h"
#include <shlwapi.h>

FileGroupTable g_fileGroups;

struct GroupSetup {
    int32_t icon;
    int32_t paletteEntry;
    const wchar_t* patterns;  // separated by spaces
};

// Icon cells and palette entries of each group; group 14 is kept but never set up.
static const GroupSetup kSetup[kFileGroupCount] = {
    {0, 10, L""},
    {1, 5, L""},
    {2, 5, L""},
    {13, 8, L"rar zip 7z cab"},
    {5, 4, L"exe bat com cmd scr"},
    {0, 7, L""},
    {10, 3, L"bmp jpg png gif jp2"},
    {11, 2, L"avi asf wmv mpg vob mov viv ogm mkv rm 3gp mp4 flv vro mpeg"},
    {7, 0, L"aiff asf asx dls flac fsb it m3u mid mod mp2 mp3 ogg s3m vag wav wax wma xm xma ape"},
    {12, 9, L"htm html shtml phtml mht chm hlp php asp xml idb dhtml swf"},
    {4, 6, L"*"},
    {6, 0, L""},
    {7, 0, L""},
    {8, 0, L""},
    {0, -1, L""},
    {6, 1, L""},
    {9, 0, L""},
    {3, 3, L""},
    {1, 0, L"cue m3u"},
};

static void AddPatterns(FileGroup* g, const wchar_t* list) {
    const wchar_t* p = list;
    while (*p) {
        while (*p == L' ') p++;
        const wchar_t* start = p;
        while (*p && *p != L' ') p++;
        if (p > start) g->patterns.emplace_back(start, p - start);
    }
}

void BuildFileGroups() {
    FileGroupTable& t = g_fileGroups;
    if (t.count) return;
    for (int i = 0; i < kFileGroupCount; i++) {
        FileGroup& g = t.groups[i];
        g.icon = kSetup[i].icon;
        g.paletteEntry = kSetup[i].paletteEntry;
        g.show = true;
        AddPatterns(&g, kSetup[i].patterns);
    }
    t.groups[GroupNowPlaying].mode = MatchFullPath;
    t.count = kFileGroupCount;
    ResetAudioExtensions();
}

// The part after the last "." of a name, or its empty end.
static const wchar_t* NameExtension(const wchar_t* name) {
    const wchar_t* dot = wcsrchr(name, L'.');
    return dot ? dot + 1 : name + wcslen(name);
}

bool GroupMatches(int group, const wchar_t* folder, const wchar_t* name) {
    BuildFileGroups();
    if (group < 0 || group >= kFileGroupCount) return false;
    const FileGroup& g = g_fileGroups.groups[group];
    const wchar_t* ext = NameExtension(name);
    size_t folderLength = wcslen(folder);
    for (const std::wstring& p : g.patterns) {
        if (p.empty() || p == L"*") return true;
        if (g.mode == MatchExtension) {
            if (lstrcmpiW(ext, p.c_str()) == 0) return true;
        } else if (g.mode == MatchFullPath) {
            // folder + name, without building it
            if (p.size() == folderLength + wcslen(name) && _wcsnicmp(p.c_str(), folder, folderLength) == 0 &&
                lstrcmpiW(p.c_str() + folderLength, name) == 0)
                return true;
        }
    }
    return false;
}

// Case-insensitive for the ASCII letters that extensions are made of, and
// fast: the playlist asks once per entry.
static bool InList(const wchar_t* ext, std::initializer_list<const wchar_t*> list) {
    wchar_t lower[8];
    size_t n = 0;
    for (; ext[n]; n++) {
        if (n == 7) return false;  // longer than every extension of the lists
        wchar_t c = ext[n];
        lower[n] = c >= L'A' && c <= L'Z' ? (wchar_t)(c + 32) : c;
    }
    lower[n] = 0;
    for (const wchar_t* e : list)
        if (wcscmp(lower, e) == 0) return true;
    return false;
}

int ExtensionKind(const wchar_t* extension) {
    if (!extension || !*extension) return 0;
    if (InList(extension, {L"als", L"ape", L"cda", L"flac", L"la", L"mac", L"ofr", L"tak", L"tta", L"wav", L"wv"}))
        return GroupLossless;
    if (InList(extension, {L"it", L"kar", L"mid", L"midi", L"mo3", L"mod", L"mtm", L"s3m", L"umx", L"xm"}))
        return GroupMusic;
    return GroupLossy;
}

void ResetAudioExtensions() {
    BuildFileGroups();
    for (int g = GroupLossless; g <= GroupMusic; g++) g_fileGroups.groups[g].patterns.clear();
    for (const wchar_t* e : {L"mp3", L"mp2", L"mp1", L"mpa", L"ogg", L"wav", L"aiff", L"mo3", L"it", L"xm", L"s3m",
                             L"mtm", L"mod", L"umx"})
        AddAudioExtension(e);
}

bool IsAudioExtension(const wchar_t* extension) {
    BuildFileGroups();
    if (!extension || !*extension) return false;
    for (int g = GroupLossless; g <= GroupMusic; g++)
        for (const std::wstring& p : g_fileGroups.groups[g].patterns)
            if (lstrcmpiW(p.c_str(), extension) == 0) return true;
    return false;
}

void AddAudioExtension(const wchar_t* extension) {
    if (!extension || !*extension || IsAudioExtension(extension)) return;
    g_fileGroups.groups[ExtensionKind(extension)].patterns.emplace_back(extension);
}

void SetNowPlayingPattern(const wchar_t* path) {
    BuildFileGroups();
    std::vector<std::wstring>& p = g_fileGroups.groups[GroupNowPlaying].patterns;
    p.clear();
    if (path && *path) p.emplace_back(path);
}

const wchar_t* NowPlayingPattern() {
    BuildFileGroups();
    const std::vector<std::wstring>& p = g_fileGroups.groups[GroupNowPlaying].patterns;
    return p.empty() ? L"" : p[0].c_str();
}
