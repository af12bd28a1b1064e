#include "library/open_outside.h"
#include "app/general_settings.h"
#include <windows.h>
#include <shellapi.h>

std::wstring SecondPlayerCommand(const wchar_t* exe, const wchar_t* path) {
    return std::wstring(exe) + L" /fs /f \"" + path + L"\"";
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
