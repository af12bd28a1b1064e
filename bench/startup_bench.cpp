// Start-up and memory of programs next to a bare window (this program run
// with /bare: a class, a window, a message loop). Each program starts in its
// own folder and is timed until its window shows and answers a message; a second later its
// committed private memory is read, then it is closed as a user closes it.
// Rounds alternate, so other load on the machine falls on all alike.
//     wine build/bench/startup_bench.exe ROUNDS NAME=C:\path\to\Program.exe [NAME=...]
// bench/compare.sh runs it on the player with a playlist of 5,000 entries.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string>
#include <vector>

static double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)frequency.QuadPart;
}

static LRESULT CALLBACK BareProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

static int RunBareWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SonvaleBareWindow";
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"Bare window", WS_OVERLAPPEDWINDOW, 0, 0, 426, 566, nullptr,
                             nullptr, wc.hInstance, nullptr);
    if (!w) return 1;
    ShowWindow(w, SW_SHOWNOACTIVATE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

// Committed private pages, as the process's own VirtualQuery walk would count them.
static SIZE_T PrivateBytes(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION m;
    for (const char* at = nullptr; VirtualQueryEx(process, at, &m, sizeof(m)) == sizeof(m);
         at = (const char*)m.BaseAddress + m.RegionSize) {
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) total += m.RegionSize;
        if ((const char*)m.BaseAddress + m.RegionSize < at) break;
    }
    if (total) return total;
    PROCESS_MEMORY_COUNTERS_EX c{};
    c.cb = sizeof(c);
    return GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&c, sizeof(c)) ? c.PrivateUsage : 0;
}

struct Search {
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK FindShownWindow(HWND w, LPARAM lp) {
    Search* s = (Search*)lp;
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != s->pid || !IsWindowVisible(w)) return TRUE;
    s->found = w;
    return FALSE;
}

static BOOL CALLBACK CloseWindowsOf(HWND w, LPARAM pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == (DWORD)pid && IsWindowVisible(w)) PostMessageW(w, WM_CLOSE, 0, 0);
    return TRUE;
}

struct Program {
    std::wstring name, path, args;
    double best = 1e9;
    SIZE_T memory = 0;
};

// Seconds until the program's window shows and its thread answers (done with
// what it does before it serves the window), or -1; its memory goes to *memory.
static double StartOnce(const Program& p, SIZE_T* memory) {
    std::wstring command = L"\"" + p.path + L"\"" + p.args;
    std::wstring folder = p.path.substr(0, p.path.find_last_of(L'\\') + 1);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    double start = Now();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) return -1;
    // A first wait for input can come before the window (a program may look at
    // its messages while it starts), so the window itself is waited for.
    Search s{pi.dwProcessId, nullptr};
    while (!s.found && Now() - start < 60 && WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT)
        EnumWindows(FindShownWindow, (LPARAM)&s);
    DWORD_PTR answer = 0;
    bool answered = s.found && SendMessageTimeoutW(s.found, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
    double seconds = Now() - start;
    Sleep(1000);
    *memory = PrivateBytes(pi.hProcess);
    EnumWindows(CloseWindowsOf, (LPARAM)pi.dwProcessId);
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return answered ? seconds : -1;
}

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && lstrcmpiW(argv[1], L"/bare") == 0) return RunBareWindow();
    if (argc < 3) {
        fprintf(stderr, "usage: startup_bench.exe ROUNDS NAME=PROGRAM.exe [NAME=PROGRAM.exe ...]\n");
        return 2;
    }
    int rounds = _wtoi(argv[1]);
    std::vector<Program> programs;
    wchar_t self[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    programs.push_back({L"bare window", self, L" /bare"});
    for (int i = 2; i < argc; i++) {
        std::wstring a = argv[i];
        size_t eq = a.find(L'=');
        if (eq == std::wstring::npos) continue;
        programs.push_back({a.substr(0, eq), a.substr(eq + 1), L""});
    }
    for (int r = 0; r < rounds; r++) {
        for (Program& p : programs) {
            SIZE_T memory = 0;
            double s = StartOnce(p, &memory);
            if (s >= 0 && s < p.best) p.best = s;
            if (memory > p.memory) p.memory = memory;
        }
    }
    const Program& bare = programs[0];
    printf("%-22s %10s %8s %14s\n", "program", "start (s)", "ratio", "private (MB)");
    for (const Program& p : programs) {
        if (p.best >= 1e9) {
            printf("%-22ls %10s\n", p.name.c_str(), "failed");
            continue;
        }
        printf("%-22ls %10.3f %7.2fx %14.1f\n", p.name.c_str(), p.best, p.best / bare.best,
               (double)p.memory / (1024.0 * 1024.0));
    }
    return 0;
}
