#include "app/paths.h"
#include <windows.h>

static std::wstring g_programFolder;

const std::wstring& ProgramFolder() {
    if (g_programFolder.empty()) {
        wchar_t path[MAX_PATH * 4] = {};
        DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
        std::wstring p(path, n);
        size_t slash = p.find_last_of(L'\\');
        g_programFolder = slash == std::wstring::npos ? L".\\" : p.substr(0, slash + 1);
    }
    return g_programFolder;
}

void SetProgramFolder(const std::wstring& folder) {
    g_programFolder = folder;
    if (!g_programFolder.empty() && g_programFolder.back() != L'\\') g_programFolder += L'\\';
}
