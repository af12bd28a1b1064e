// Prints how long the playlist takes to save and load a PlayList.dcp of
// 100,000 entries, and the file browser to list and sort a folder of 10,000
// files. Run it under Wine:
//     wine build/bench/library_bench.exe
#include <windows.h>
#include <stdio.h>
#include <string>
#include "app/general_settings.h"
#include "base/paths.h"
#include "library/file_browser.h"
#include "library/playlist.h"
#include "library/playlist_file.h"
#include "base/disk_file.h"
#include "ui/list_view.h"
#include "ui/theme.h"
#include "ui/ui_window.h"

#include "bench/bench_window.h"

static void RemoveFolder(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((dir + fd.cFileName).c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

int main() {
    SetGeneralDefaults();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring work = std::wstring(temp) + L"sonvale-library-bench\\";
    CreateDirectoryW(work.c_str(), nullptr);
    SetProgramFolder(work);

    g_window = new UiWindow(L"SonvaleLibraryBench", 0, 0, 640, 480);
    if (!Create(g_window, BenchProc, 0)) return 1;
    ListView* files = new ListView(4, 4, 300, 460, nullptr);
    ListView* playList = new ListView(320, 4, 300, 400, nullptr);
    AddControl(g_window, files);
    InitFileListControl(files);
    AddControl(g_window, playList);
    InitPlayListControl(playList);
    ApplyTheme(g_window, ThemeDarkModern);

    const int entries = 100000;
    for (int i = 0; i < entries; i++) {
        wchar_t folder[64], name[64];
        swprintf(folder, 64, L"D:\\Music\\Artist %d\\Album %d\\", i % 997, i % 89);
        swprintf(name, 64, L"%02d - Track number %d", i % 20, i);
        AppendEntry(folder, name, i % 3 ? L"mp3" : L"flac", 180000 + i);
        if (i % 4 == 0) SetEntryOrder(i, i / 4);
    }
    double t0 = Now();
    SavePlayList();
    double save = Now() - t0;
    EmptyPlayList();  // as at start-up
    t0 = Now();
    bool loaded = LoadPlayList();
    double load = Now() - t0;
    {
        std::string bytes;
        ReadWholeFile((work + L"PlayList.dcp").c_str(), &bytes, 1LL << 30);
        PlayListFile f;
        t0 = Now();
        ParsePlayList(bytes.data(), bytes.size(), &f);
        printf("  of which parsing the bytes: %.1f ms\n", Now() - t0);
    }
    printf("PlayList.dcp of %d entries: save %.1f ms, load %.1f ms (%s, %d rows)\n", entries, save, load,
           loaded ? "loaded" : "NOT LOADED", PlayListCount());

    std::wstring folder = work + L"folder\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const int count = 10000;
    for (int i = 0; i < count; i++) {
        wchar_t name[64];
        swprintf(name, 64, L"%ls%d track %d.%ls", folder.c_str(), (i * 7919) % count, i, i % 5 ? L"mp3" : L"txt");
        HANDLE h = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    const int runs = 5;
    double best = 1e9;
    for (int i = 0; i < runs; i++) {
        t0 = Now();
        ListFolder(folder.c_str(), true);
        double t = Now() - t0;
        if (t < best) best = t;
    }
    printf("Folder of %d files: listed and sorted in %.1f ms (best of %d, %d rows)\n", count, best, runs,
           files->rowCount);

    RemoveFolder(folder);
    DeleteFileW((work + L"PlayList.dcp").c_str());
    RemoveDirectoryW(work.c_str());
    Destroy(g_window);
    return 0;
}
