#include "library/open_outside.h"
#include "base/general_settings.h"
#include <windows.h>
#include <shellapi.h>

// The executable's path is quoted: unquoted, a folder with a space in its name
// would make Windows try "C:\Program.exe" first.
std::wstring SecondPlayerCommand(const wchar_t* exe, const wchar_t* path) {
    return L"\"" + std::wstring(exe) + L"\" /fs /f \"" + path + L"\"";
}

void OpenOutside(const wchar_t* path, bool isFolder) {
    if (g_general.isSIWithAudioFiles && !isFolder) {
        wchar_t exe[MAX_PATH * 2] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH * 2 - 1);
        std::wstring command = SecondPlayerCommand(exe, path);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        return;
    }
    ShellExecuteW(nullptr, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
}
