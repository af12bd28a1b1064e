#include "tests/test_support.h"
#include "app/disk_file.h"
#include "app/paths.h"
#include <shellapi.h>

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
    atexit([] { RemoveTree(g_root); });
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

bool RemoveTree(const std::wstring& path) {
    std::wstring p = path;
    while (!p.empty() && p.back() == L'\\') p.pop_back();
    if (GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    p.push_back(L'\0');
    p.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = p.c_str();
    op.fFlags = FOF_NO_UI;
    return SHFileOperationW(&op) == 0;
}

std::wstring TestExeFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}
