#include "base/paths.h"
#include <windows.h>
#include <shlobj.h>

const wchar_t kUninstallerName[] = L"Uninstall.exe";

static std::wstring g_programFolder;

static std::wstring WithSlash(std::wstring s) {
    if (!s.empty() && s.back() != L'\\') s += L'\\';
    return s;
}

std::wstring ExecutableFolder() {
    wchar_t path[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L'\\');
    return slash == std::wstring::npos ? L".\\" : p.substr(0, slash + 1);
}

// Can this process make a file here? (A probe file, gone again on close.)
static bool FolderWritable(const std::wstring& folder) {
    wchar_t name[64];
    wsprintfW(name, L"~sonvale-%lu.tmp", GetCurrentProcessId());
    HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool UsesUserDataFolder(const std::wstring& exeFolder) {
    if (GetFileAttributesW((exeFolder + kUninstallerName).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return !FolderWritable(exeFolder);
}

static std::wstring UserDataFolder() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return std::wstring();
    std::wstring folder = WithSlash(appData) + L"Sonvale";
    CreateDirectoryW(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
    return WithSlash(folder);
}

const std::wstring& ProgramFolder() {
    if (g_programFolder.empty()) {
        std::wstring exe = ExecutableFolder();
        std::wstring user = UsesUserDataFolder(exe) ? UserDataFolder() : std::wstring();
        g_programFolder = user.empty() ? exe : user;
    }
    return g_programFolder;
}

void SetProgramFolder(const std::wstring& folder) { g_programFolder = WithSlash(folder); }

std::wstring DataFolderText() {
    const std::wstring& folder = ProgramFolder();
    bool beside = lstrcmpiW(folder.c_str(), ExecutableFolder().c_str()) == 0;
    return (beside ? L"Portable: settings, playlist and statistics are kept beside the program, in "
                   : L"Installed: settings, playlist and statistics are kept in ") + folder + L"\r\n";
}
