#include "tests/test_support.h"
#include <stdio.h>
#include "base/disk_file.h"
#include "base/paths.h"
#include <shellapi.h>

// Wine's GetProcessHandleCount answers 0: there the handle values are tried one by one.
int HandleCount() {
    DWORD n = 0, flags = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n) return (int)n;
    for (uintptr_t h = 4; h < 0x20000; h += 4) n += GetHandleInformation((HANDLE)h, &flags) != 0;
    return (int)n;
}

static std::wstring g_root;

void ScratchFolder::InitForProcess() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    wchar_t name[64];
    swprintf(name, 64, L"sonvale-test-%lu\\", GetCurrentProcessId());
    g_root = std::wstring(tmp) + name;
    RemoveTree(g_root);
    CreateDirectoryW(g_root.c_str(), nullptr);
    SetProgramFolder(g_root);
    // Relative paths land in the scratch folder too, never among the build's files.
    SetCurrentDirectoryW(g_root.c_str());
}

const std::wstring& ScratchFolder::Root() { return g_root; }

ScratchFolder::ScratchFolder(const wchar_t* name) {
    path = g_root + name + L"\\";
    RemoveTree(path);
    CreateDirectoryW(path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path); }

std::string ReadFileBytes(const std::wstring& path) {
    std::string out;
    ReadWholeFile(path.c_str(), &out, 1 << 30);
    return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    DiskFile f;
    return f.Open(path.c_str(), GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL) &&
           (bytes.empty() || f.Write(bytes.data(), (DWORD)bytes.size()));
}

// Walks the tree itself: the shell's delete overflows the stack on folders
// deeper than MAX_PATH. The "\\?\" form reaches such paths.
static bool RemoveLongTree(const std::wstring& longPath) {
    DWORD attrs = GetFileAttributesW(longPath.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return true;
    if (attrs & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(longPath.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY) || (attrs & FILE_ATTRIBUTE_REPARSE_POINT))
        return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(longPath.c_str()) : DeleteFileW(longPath.c_str());
    bool ok = true;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((longPath + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
            ok = RemoveLongTree(longPath + L"\\" + fd.cFileName) && ok;
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryW(longPath.c_str()) && ok;
}

bool RemoveTree(const std::wstring& path) {
    std::wstring p = path;
    while (!p.empty() && p.back() == L'\\') p.pop_back();
    if (p.empty()) return false;
    if (p.compare(0, 4, L"\\\\?\\") != 0) p = L"\\\\?\\" + p;
    return RemoveLongTree(p);
}

std::wstring TestExeFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

#include <math.h>
#include <stdint.h>

static void Put16(std::string& s, uint16_t v) { s.push_back((char)(v & 255)); s.push_back((char)(v >> 8)); }

std::string WaveHeader(uint16_t tag, uint16_t chans, uint32_t rate, uint16_t bits, uint32_t dataBytes) {
    auto le = [](uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; i++) s += (char)(v >> 8 * i);
        return s;
    };
    return "RIFF" + le(36 + dataBytes, 4) + "WAVEfmt " + le(16, 4) + le(tag, 2) + le(chans, 2) + le(rate, 4) +
           le(rate * chans * bits / 8, 4) + le(chans * bits / 8, 2) + le(bits, 2) + "data" + le(dataBytes, 4);
}

// The header of a 16-bit stereo PCM WAVE of the given rate and frame count.
static std::string StereoWavHeader(int rate, uint32_t frames) { return WaveHeader(1, 2, (uint32_t)rate, 16, frames * 4); }

bool WriteSineWav(const std::wstring& path, int seconds, int rate, double hz, double level, int silentSeconds) {
    uint32_t sounding = (uint32_t)(seconds * rate);
    uint32_t frames = (uint32_t)((seconds + silentSeconds) * rate);
    std::string s = StereoWavHeader(rate, frames);
    s.reserve(s.size() + frames * 4);
    for (uint32_t i = 0; i < frames; i++) {
        int16_t v = i < sounding ? (int16_t)lrint(sin(2 * 3.14159265358979323846 * hz * i / rate) * level * 32767) : 0;
        Put16(s, (uint16_t)v);
        Put16(s, (uint16_t)v);
    }
    return WriteFileBytes(path, s);
}

static void PutSine(std::string& s, int rate, double fromSeconds, uint32_t frames, double hz, double level) {
    for (uint32_t i = 0; i < frames; i++) {
        double t = fromSeconds + (double)i / rate;
        int16_t v = (int16_t)lrint(sin(2 * 3.14159265358979323846 * hz * t) * level * 32767);
        Put16(s, (uint16_t)v);
        Put16(s, (uint16_t)v);
    }
}

bool WriteSinePiece(const std::wstring& path, int rate, double fromSeconds, uint32_t frames, double hz, double level) {
    std::string s = StereoWavHeader(rate, frames);
    PutSine(s, rate, fromSeconds, frames, hz, level);
    return WriteFileBytes(path, s);
}

bool WriteSinePieces(const std::wstring& path, int rate, const std::vector<std::pair<double, uint32_t>>& pieces) {
    uint32_t frames = 0;
    for (auto& p : pieces) frames += p.second;
    std::string s = StereoWavHeader(rate, frames);
    for (auto& p : pieces) PutSine(s, rate, p.first, p.second, 440.0, 0.5);
    return WriteFileBytes(path, s);
}

std::vector<float> CapturedFirstChannel(const std::string& raw, int chans) {
    std::vector<float> s;
    const float* f = (const float*)raw.data();
    size_t nf = raw.size() / 4;
    bool isFloat = nf > 0;
    for (size_t i = 0; i < nf && isFloat; i++) isFloat = fabsf(f[i]) <= 1.5f && f[i] == f[i];
    if (chans < 1) chans = 1;
    if (isFloat) {
        for (size_t i = 0; i < nf; i += chans) s.push_back(f[i]);
    } else {
        const int16_t* p = (const int16_t*)raw.data();
        for (size_t i = 0; i < raw.size() / 2; i += chans) s.push_back(p[i] / 32768.0f);
    }
    return s;
}

std::string JoinedSineProblem(const std::string& raw, int chans, int rate, double seconds, double stepLimit) {
    std::vector<float> s = CapturedFirstChannel(raw, chans);
    size_t first = 0, last = 0;
    for (size_t i = 0; i < s.size(); i++)
        if (fabsf(s[i]) > 0.05f) {
            if (!first) first = i;
            last = i;
        }
    char text[200];
    double length = (double)(last - first) / rate;
    if (last <= first + 8 || fabs(length - seconds) > 0.004) {
        snprintf(text, sizeof(text), "%.4f s of sound instead of %.4f", length, seconds);
        return text;
    }
    // The sine's own slope is at most 0.032 a frame at 44.1 kHz.
    auto smooth = [&](size_t i) { return (s[i] + s[i - 1] + s[i - 2] + s[i - 3]) / 4; };
    int quiet = 0;
    for (size_t i = first + 4; i <= last; i++) {
        quiet = fabsf(s[i]) < 0.01f ? quiet + 1 : 0;
        float d = fabsf(smooth(i) - smooth(i - 1));
        if (quiet > 2 || d > stepLimit) {
            snprintf(text, sizeof(text), "%s at %.4f s", quiet > 2 ? "silence" : "a step", (double)(i - first) / rate);
            return text;
        }
    }
    return "";
}

bool WriteTinyModule(const std::wstring& path, int seconds) {
    // Speed 6 at 125 BPM: a row lasts 0.12 s, a 64-row pattern 7.68 s.
    int patterns = seconds <= 0 ? 1 : (int)ceil(seconds / 7.68);
    if (patterns > 64) patterns = 64;
    std::string s(20, '\0');
    memcpy(&s[0], "tiny test module", 16);
    const int sampleWords = 32;
    for (int i = 0; i < 31; i++) {
        // Name, length in words (big-endian), finetune, volume, loop start and loop length.
        std::string sample(30, '\0');
        sample[29] = 1;
        if (i == 0) {
            memcpy(&sample[0], "square", 6);
            sample[23] = sample[29] = (char)sampleWords;
            sample[25] = 48;
        }
        s += sample;
    }
    s.push_back((char)patterns);
    s.push_back((char)127);
    for (int i = 0; i < 128; i++) s.push_back((char)(i < patterns ? i : 0));
    s += "M.K.";
    static const uint16_t periods[] = {428, 381, 339, 320, 285, 254, 226, 214};
    for (int p = 0; p < patterns; p++) {
        for (int row = 0; row < 64; row++) {
            for (int chn = 0; chn < 4; chn++) {
                uint8_t cell[4] = {0, 0, 0, 0};
                if (chn == 0 && row % 4 == 0) {
                    uint16_t period = periods[(row / 4 + p) % 8];
                    cell[0] = (uint8_t)(period >> 8);  // sample 1: high nibble 0
                    cell[1] = (uint8_t)(period & 255);
                    cell[2] = 0x10;                    // sample 1, no effect
                }
                s.append((const char*)cell, 4);
            }
        }
    }
    for (int i = 0; i < sampleWords * 2; i++) s.push_back((char)(i < sampleWords ? 100 : -100));
    return WriteFileBytes(path, s);
}

static CRITICAL_SECTION g_lock;
static std::vector<std::wstring> g_seen;

struct BoxSearch {
    const wchar_t* only;
    HWND found;
};

static BOOL CALLBACK FindAnyBox(HWND hwnd, LPARAM lp) {
    BoxSearch* s = (BoxSearch*)lp;
    wchar_t cls[16], title[32] = {};
    GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || wcscmp(cls, L"#32770") || !IsWindowVisible(hwnd)) return TRUE;
    // Only a box's own caption is asked for: asking another window of this process
    // would wait for its thread, which may be the one waiting for this thread to end.
    if (s->only && (GetWindowTextW(hwnd, title, 32), wcscmp(title, s->only))) return TRUE;
    s->found = hwnd;
    return FALSE;
}

static DWORD WINAPI CatchAny(void* arg) {
    AnyBoxCatcher* c = (AnyBoxCatcher*)arg;
    while (!InterlockedCompareExchange(&c->stop, 0, 0)) {
        BoxSearch search{c->only, nullptr};
        EnumWindows(FindAnyBox, (LPARAM)&search);
        if (HWND box = search.found) {
            wchar_t caption[256] = {}, text[1024] = {};
            GetWindowTextW(box, caption, 256);
            GetDlgItemTextW(box, 0xFFFF, text, 1024);
            EnterCriticalSection(&g_lock);
            g_seen.push_back(std::wstring(caption) + L"|" + text);
            LeaveCriticalSection(&g_lock);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            while (IsWindow(box)) Sleep(5);
        }
        Sleep(5);
    }
    return 0;
}

AnyBoxCatcher::AnyBoxCatcher(const wchar_t* only) : only(only) {
    static bool ready = (InitializeCriticalSection(&g_lock), true);
    (void)ready;
    EnterCriticalSection(&g_lock);
    g_seen.clear();
    LeaveCriticalSection(&g_lock);
    thread = CreateThread(nullptr, 0, CatchAny, this, 0, nullptr);
}

AnyBoxCatcher::~AnyBoxCatcher() {
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
}

std::vector<std::wstring> AnyBoxCatcher::Seen() {
    EnterCriticalSection(&g_lock);
    std::vector<std::wstring> copy = g_seen;
    LeaveCriticalSection(&g_lock);
    return copy;
}

// The General keys in the order a save writes them, with their defaults.
const GeneralKey kGeneralKeys[kGeneralKeyCount] = {
    {"isVisible", "1"}, {"isSmall", "0"}, {"isMaximized", "0"}, {"xPos", "0"}, {"yPos", "0"},
    {"Width", "0"}, {"Height", "0"}, {"pSeekHeight", "45"}, {"pSeekHeightMaximized", "103"},
    {"isSwapPanels", "0"}, {"marginBig", "7"}, {"marginSmall", "4"}, {"LCR", "0"},
    {"RegisteredAssociations", ""}, {"MusicFolder", ""}, {"globalCP", "0"}, {"isShuffle", "1"},
    {"isLoop", "0"}, {"isLoopPlayList", "0"}, {"isSeekGraphical", "1"}, {"PlayerVolume", "65535"},
    {"Theme", "1099"}, {"isShowIcons", "1"}, {"isEnlargeFont", "0"}, {"OSDView", "1"},
    {"pVolumeControls", "2"}, {"isSIOpenFolder", "0"}, {"isSIAddFolder", "0"}, {"isSIWithAudioFiles", "0"},
    {"isShowLanguage", "0"}, {"isShowCPU", "1"}, {"isStartDate", "0"}, {"isTrayUpdateLow", "0"},
    {"isSpectrum", "1"}, {"isCPUUsage", "1"}, {"isMergeCue", "1"}, {"isUseAlbums", "1"}, {"isOnTop", "1"},
    {"isSmoothPause", "1"}, {"isRememberPosInTrack", "1"}, {"isSupressStandby", "1"},
    {"isVolumeAutoCenter", "0"}, {"isSkipSilence", "0"}, {"FilesTop", "0"}, {"FilesSelected", "0"},
    {"Path", ""}, {"pathReal", ""}, {"PlayListTop", "0"}, {"PlayListSelected", "0"}, {"NowPlaying", "0"},
    {"SpectrumType", "1"}, {"Focus", "0"}, {"lastPlayedFile", ""}, {"lastPlayedPos", "-1"},
    {"lastPlayedFromPL", "0"}, {"isScrobblerEnabled", "1"}, {"ReplayGainMode", "0"}, {"ReplayGainPreamp", "0"},
    {"ReplayGainUntagged", "0"},
};
