// Closes a top-level window by title the way a user does (WM_CLOSE) and waits
// for its process to end. Used by run.sh --seconds.
#include <windows.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: close_window TITLE\n");
        return 2;
    }
    HWND w = FindWindowW(nullptr, argv[1]);
    if (!w) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageW(w, WM_CLOSE, 0, 0);
    DWORD r = p ? WaitForSingleObject(p, 20000) : WAIT_FAILED;
    if (p) CloseHandle(p);
    return r == WAIT_OBJECT_0 ? 0 : 1;
}
