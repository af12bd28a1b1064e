#include "audio/plugins.h"
#include "audio/audio_library.h"
#include "audio/engine.h"
#include "media/file_groups.h"
#include <windows.h>

static std::wstring FromCodePage(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), nullptr, 0);
    std::wstring w((size_t)(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), w.data(), n);
    return w;
}

void AddFilterExtensions(const std::wstring& filter) {
    // From each "." to the next ";" (or the end) is one extension.
    size_t dot = filter.find(L'.');
    while (dot != std::wstring::npos) {
        size_t end = filter.find(L';', dot);
        std::wstring ext = filter.substr(dot + 1, end == std::wstring::npos ? std::wstring::npos : end - dot - 1);
        AddAudioExtension(ext.c_str());
        if (end == std::wstring::npos) break;
        dot = filter.find(L'.', end);
    }
}

static void FreePlugins() {
    std::vector<InputPluginRecord>& plugins = g_engine.plugins;
    for (const InputPluginRecord& r : plugins) AudioPluginFree(r.handle);
    plugins.clear();
}

void LoadPluginsFrom(const std::wstring& folder) {
    ResetAudioExtensions();
    // A reload gives every plug-in back first: the library refuses to load one twice.
    FreePlugins();
    std::vector<InputPluginRecord>& plugins = g_engine.plugins;
    plugins.push_back({"BASS Audio Engine", L"bass.dll", L"*.mp3;*.mp2;*.mp1;*.mpa;*.ogg;*.wav;*.aiff", 0});
    plugins.push_back({"BASS Audio Engine (Music)", L"bass.dll", L"*.mo3;*.it;*.xm;*.s3m;*.mtm;*.mod;*.umx", 0});
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"\\Plugins\\bass*.dll").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring path = folder + L"\\Plugins\\" + fd.cFileName;
        uint32_t handle = AudioPluginLoad(path.c_str());
        if (!handle) continue;
        InputPluginRecord r;
        std::string extensions;
        if (!AudioPluginFirstFormat(handle, &r.name, &extensions)) {
            AudioPluginFree(handle);
            continue;
        }
        r.file = path;
        r.filter = FromCodePage(extensions);
        r.handle = handle;
        plugins.push_back(r);
        AddFilterExtensions(plugins.back().filter);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
}

void LoadPlugins() {
    wchar_t exe[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH * 2 - 1);
    std::wstring folder(exe, n);
    size_t slash = folder.find_last_of(L'\\');
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    LoadPluginsFrom(folder);
}

bool IsSupportedAudio(const wchar_t* path) {
    if (!path) return false;
    const wchar_t* slash = wcsrchr(path, L'\\');
    const wchar_t* dot = wcsrchr(slash ? slash : path, L'.');
    return dot && IsAudioExtension(dot + 1);
}

static void AppendGroup(std::wstring* text, int group) {
    bool first = true;
    for (const std::wstring& e : g_fileGroups.groups[group].patterns) {
        *text += first ? L"*." : L", *.";
        *text += e;
        first = false;
    }
}

std::wstring SupportedFormatsText() {
    BuildFileGroups();
    std::wstring t = L"\r\nSupported formats (with loaded plugins):\r\n\tLossless:\r\n";
    AppendGroup(&t, GroupLossless);
    t += L"\r\n    Lossy:\r\n";
    AppendGroup(&t, GroupLossy);
    t += L"\r\n    Music:\r\n";
    AppendGroup(&t, GroupMusic);
    t += L"\r\n    Meta: *.cue, *.m3u";
    return t;
}
