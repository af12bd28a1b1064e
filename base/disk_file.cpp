#include "base/disk_file.h"
#include <wchar.h>
#include <new>

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
    if (f.size < 0 || f.size > maxBytes) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    try {
        out->resize((size_t)f.size);
    } catch (const std::bad_alloc&) {
        out->clear();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (f.size == 0) return true;
    if (!f.Read(out->data(), (DWORD)f.size)) {
        out->resize(f.lastTransfer);  // the file shrank while reading: keep what came
    }
    return true;
}

std::wstring SaveTempPath(const std::wstring& path) {
    wchar_t suffix[32];
    swprintf(suffix, 32, L".%lu.new", (unsigned long)GetCurrentProcessId());
    return path + suffix;
}

// Another process may hold the target for a moment: a reader, or another
// player putting its own save in place. Those failures pass; others do not.
static bool MayPass(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes) {
    std::wstring temp = SaveTempPath(path);
    WIN32_FILE_ATTRIBUTE_DATA old{};
    DWORD attrs = 0;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &old))
        attrs = old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    DiskFile f;
    if (!f.Open(temp.c_str(), GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL)) return false;
    bool ok = (bytes.empty() || f.Write(bytes.data(), (DWORD)bytes.size())) && FlushFileBuffers(f.handle);
    DWORD error = ok ? 0 : GetLastError();
    f.Close();
    if (ok) {
        DWORD start = GetTickCount();
        while (!(ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))) {
            error = GetLastError();
            if (!MayPass(error) || GetTickCount() - start >= kReplaceRetryMs) break;
            Sleep(15);
        }
    }
    if (!ok) {
        DeleteFileW(temp.c_str());
        SetLastError(error ? error : ERROR_WRITE_FAULT);
        return false;
    }
    if (attrs) SetFileAttributesW(path.c_str(), attrs);
    return true;
}
