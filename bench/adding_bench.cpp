// Adding a folder to the playlist next to the floor under it: opening each
// file and reading its first 8 KB and last 128 bytes. Run it under Wine with
// a folder of audio files (bench/compare.sh makes one):
//     wine build/bench/adding_bench.exe Z:\path\to\folder [rounds]
// Prints per round the floor, F5's add (on the adding thread) and the same add
// on the window's thread (the command line's and drops' way), with their
// ratios to the floor; the rounds alternate so that other load on the machine
// falls on all alike. Then what one file costs:
// the floor's open and two reads, the quick MPEG probe, and an open through
// the audio library with its tags and length.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string>
#include <vector>
#include "app/general_settings.h"
#include "audio/audio_library.h"
#include "audio/track_display.h"
#include "media/mpeg_probe.h"
#include "base/paths.h"
#include "library/adding.h"
#include "library/file_browser.h"
#include "library/playlist.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/theme.h"
#include "ui/ui_window.h"

#include "bench/bench_window.h"

// Open, read the head and the tail, close: what any scan costs at least.
static bool FloorFile(const std::wstring& path) {
    static char head[8192], tail[128];
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD got;
    ReadFile(h, head, sizeof(head), &got, nullptr);
    LARGE_INTEGER back;
    back.QuadPart = -128;
    SetFilePointerEx(h, back, nullptr, FILE_END);
    ReadFile(h, tail, sizeof(tail), &got, nullptr);
    CloseHandle(h);
    return true;
}

static int Floor(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int files = 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (FloorFile(folder + fd.cFileName)) files++;
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return files;
}

// Microseconds a file for each way of reading it, over the folder's first
// `count` files, best of three.
static void PerFile(const std::wstring& folder, int count) {
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcsrchr(fd.cFileName, L'.'))
            paths.push_back(folder + fd.cFileName);
    } while ((int)paths.size() < count && FindNextFileW(find, &fd));
    FindClose(find);
    if (paths.empty()) return;
    auto time = [&](auto probe) {
        double best = 1e9;
        for (int round = 0; round < 3; round++) {
            double t0 = Now();
            for (const std::wstring& p : paths) probe(p);
            double us = (Now() - t0) * 1000.0 / (double)paths.size();
            if (us < best) best = us;
        }
        return best;
    };
    double floorUs = time([](const std::wstring& p) { FloorFile(p); });
    double quickUs = time([](const std::wstring& p) {
        TagRecord t;
        QuickProbeMpeg(p.c_str(), &t, 0);
    });
    double libraryUs = time([](const std::wstring& p) {
        AudioChannel ch = AudioOpenFile(p.c_str(), true, false);
        if (!ch) return;
        TagRecord t;
        ReadChannelTags(ch, &t);
        AudioFreeChannel(ch);
    });
    printf("one file (us, %d files): floor %.0f, quick MPEG probe %.0f, library open %.0f\n", (int)paths.size(),
           floorUs, quickUs, libraryUs);
}

// Committed private memory; Wine does not count it for a process, so the
// committed private pages are summed there.
static double PrivateMb() {
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof(m);
    SIZE_T bytes = 0;
    if (GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&m, sizeof(m))) bytes = m.PrivateUsage;
    MEMORY_BASIC_INFORMATION b;
    const bool counted = bytes != 0;
    for (const char* at = nullptr; !counted && VirtualQuery(at, &b, sizeof(b)) == sizeof(b);
         at = (const char*)b.BaseAddress + b.RegionSize) {
        if (b.State == MEM_COMMIT && b.Type == MEM_PRIVATE) bytes += b.RegionSize;
        if ((const char*)b.BaseAddress + b.RegionSize < at) break;
    }
    return (double)bytes / (1024.0 * 1024.0);
}

static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// F5 on ".." in the folder, through the call the key makes (the rows with the
// file list's path): everything shown, added on the adding thread while this
// thread takes its batches, as the player does.
static int Add(ListView* files) {
    EmptyPlayList();
    for (int r = 0; r < files->rowCount; r++) files->rows[r].selected = false;
    SetCurrent(files, 0);
    FileListAddSelection();
    while (IsAdding()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
    }
    FinishAdding();
    Pump();
    return PlayListCount();
}

// The same on this thread, as the command line's folder and dropped files go.
static int AddHere(ListView* files) {
    EmptyPlayList();
    for (int r = 0; r < files->rowCount; r++) files->rows[r].selected = false;
    SetCurrent(files, 0);
    FileListAddSelectionNow();
    Pump();
    return PlayListCount();
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: adding_bench.exe FOLDER [rounds]\n");
        return 2;
    }
    std::wstring folder = argv[1];
    if (folder.back() != L'\\') folder += L'\\';
    int rounds = argc > 2 ? _wtoi(argv[2]) : 3;
    SetGeneralDefaults();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring work = std::wstring(temp) + L"sonvale-adding-bench\\";
    CreateDirectoryW(work.c_str(), nullptr);
    SetProgramFolder(work);
    AudioInit(0, 44100, nullptr);

    g_window = new UiWindow(L"SonvaleAddingBench", 0, 0, 640, 480);
    if (!Create(g_window, BenchProc, 0)) return 1;
    EditBox* pathBar = new EditBox(4, 4, 300, 19, nullptr);
    ListView* files = new ListView(4, 24, 300, 440, nullptr);
    ListView* playList = new ListView(320, 4, 300, 400, nullptr);
    ListView* status = new ListView(320, 410, 300, 53, nullptr);
    AddControl(g_window, pathBar);
    InitPathBar(pathBar);
    AddControl(g_window, files);
    InitFileListControl(files);
    AddControl(g_window, playList);
    InitPlayListControl(playList);
    AddControl(g_window, status);
    InitStatusLine(status);
    ApplyTheme(g_window, ThemeDarkModern);
    ShowWindow(g_window->hwnd, SW_SHOWNOACTIVATE);
    NavigateFileList(folder.c_str());
    Pump();

    double privateBefore = PrivateMb();
    printf("%-6s %9s %9s %7s %9s %7s %8s\n", "round", "floor (s)", "F5 (s)", "ratio", "here (s)", "ratio", "entries");
    double bestFloor = 1e9, bestAdd = 1e9, bestHere = 1e9;
    for (int i = 0; i < rounds; i++) {
        double t0 = Now();
        int n = Floor(folder);
        double floorMs = Now() - t0;
        t0 = Now();
        int added = Add(files);
        double addMs = Now() - t0;
        t0 = Now();
        int here = AddHere(files);
        double hereMs = Now() - t0;
        // The lengths add up: every file was read, none taken for a missing one.
        printf("%-6d %9.3f %9.3f %6.2fx %9.3f %6.2fx %8d   (%d files; %d here, %lld s of audio)\n", i + 1,
               floorMs / 1000, addMs / 1000, addMs / floorMs, hereMs / 1000, hereMs / floorMs, added, n, here,
               (long long)(g_playList.totalLength / 1000));
        fflush(stdout);
        if (floorMs < bestFloor) bestFloor = floorMs;
        if (addMs < bestAdd) bestAdd = addMs;
        if (hereMs < bestHere) bestHere = hereMs;
    }
    printf("best   %9.3f %9.3f %6.2fx %9.3f %6.2fx\n", bestFloor / 1000, bestAdd / 1000, bestAdd / bestFloor,
           bestHere / 1000, bestHere / bestFloor);
    EmptyPlayList();
    printf("private memory %.1f MB before adding, %.1f MB after the rounds, the playlist emptied\n", privateBefore,
           PrivateMb());
    PerFile(folder, 500);
    EmptyPlayList();
    InitFileListControl(nullptr);
    InitPathBar(nullptr);
    InitPlayListControl(nullptr);
    InitStatusLine(nullptr);
    Destroy(g_window);
    AudioFree();
    DeleteFileW((work + L"PlayList.dcp").c_str());
    DeleteFileW((work + L"Settings.ini").c_str());
    RemoveDirectoryW(work.c_str());
    return 0;
}
