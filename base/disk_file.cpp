#include "base/disk_file.h"
#include <wchar.h>

bool DiskFile::Open(const wchar_t* filePath, DWORD access, DWORD disposition, DWORD attributes) {
    Close();
    lastTransfer = 0;
    size = 0;
    wcsncpy(path, filePath, MAX_PATH - 1);
    path[MAX_PATH - 1] = 0;
    handle = CreateFileW(filePath, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                         attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER li{};
    if (GetFileSizeEx(handle, &li)) size = li.QuadPart;
    return true;
}

bool DiskFile::Read(void* buffer, DWORD count) {
    lastTransfer = 0;
    return IsOpen() && ReadFile(handle, buffer, count, &lastTransfer, nullptr) && lastTransfer == count;
}

bool DiskFile::Write(const void* buffer, DWORD count) {
    lastTransfer = 0;
    return IsOpen() && WriteFile(handle, buffer, count, &lastTransfer, nullptr) && lastTransfer == count;
}

bool DiskFile::SeekToEnd() {
    LARGE_INTEGER zero{};
    return IsOpen() && SetFilePointerEx(handle, zero, nullptr, FILE_END);
}

void DiskFile::Close() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

bool ReadWholeFile(const wchar_t* path, std::string* out, int64_t maxBytes) {
    DiskFile f;
    out->clear();
    if (!f.Open(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL)) return false;
    if (f.size < 0 || f.size > maxBytes) return false;
    out->resize((size_t)f.size);
    if (f.size == 0) return true;
    if (!f.Read(out->data(), (DWORD)f.size)) {
        out->resize(f.lastTransfer);  // the file shrank while reading: keep what came
    }
    return true;
}

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes) {
    std::wstring temp = path + L".new";
    WIN32_FILE_ATTRIBUTE_DATA old{};
    DWORD attrs = 0;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &old))
        attrs = old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    DiskFile f;
    if (!f.Open(temp.c_str(), GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL)) return false;
    bool ok = (bytes.empty() || f.Write(bytes.data(), (DWORD)bytes.size())) && FlushFileBuffers(f.handle);
    f.Close();
    if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileW(temp.c_str());
        return false;
    }
    if (attrs) SetFileAttributesW(path.c_str(), attrs);
    return true;
}
