// A file handle with its size and path; always shares read and write.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>

struct DiskFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD lastTransfer = 0;   // bytes moved by the last Read or Write
    int64_t size = 0;         // taken when opened
    wchar_t path[MAX_PATH] = {};

    DiskFile() = default;
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;
    ~DiskFile() { Close(); }

    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
    bool Open(const wchar_t* filePath, DWORD access, DWORD disposition, DWORD attributes);
    bool Read(void* buffer, DWORD count);
    bool Write(const void* buffer, DWORD count);
    bool SeekToEnd();
    void Close();
};

// Whole-file helpers used by the small readers of the program's own files.
bool ReadWholeFile(const wchar_t* path, std::string* out, int64_t maxBytes);
// Writes the whole file beside the old one (path + ".new") and puts it in
// place in one step, keeping the old file's hidden and system attributes; a
// crash or a full disk leaves the old file as it was.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes);
