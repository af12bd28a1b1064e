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
// False when the file cannot be opened, is larger than maxBytes
// (ERROR_FILE_TOO_LARGE) or no memory can be had for it (ERROR_NOT_ENOUGH_MEMORY).
bool ReadWholeFile(const wchar_t* path, std::string* out, int64_t maxBytes);
// The temporary file a save of `path` writes first: beside it, named for this
// process (path + ".<process id>.new"), so that two players saving into one
// folder never write into each other's file.
std::wstring SaveTempPath(const std::wstring& path);
// How long a replace waits for another process that holds the target.
const DWORD kReplaceRetryMs = 2000;
// Writes the whole file beside the old one (SaveTempPath) and puts it in
// place in one step, keeping the old file's hidden and system attributes; a
// crash or a full disk leaves the old file as it was. While another process
// holds the target (a reader, another player's save) the replace is tried
// again for up to kReplaceRetryMs. On failure GetLastError tells why.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes);
