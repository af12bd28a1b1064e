// Random access to the bytes a stream decodes: a window (offset, length) of a
// file opened by wide path, of a caller's memory block, or an internet
// stream's download. Reads past the window's end return short; positions are
// relative to the window. Reads of a download wait for its bytes; it is not
// seekable for the decoders (they must not look for its end).
#pragma once
#include <windows.h>
#include <stdint.h>
#include <memory>
#include <string>

class NetFeed;

class ByteSource {
public:
    ~ByteSource();
    // length 0 means: to the end of the file.
    static std::unique_ptr<ByteSource> OpenFile(const wchar_t* path, uint64_t offset, uint64_t length, int* error);
    static std::unique_ptr<ByteSource> OpenMemory(const void* data, uint64_t length);
    static std::unique_ptr<ByteSource> OpenNet(std::shared_ptr<NetFeed> feed);

    size_t Read(void* buffer, size_t bytes);
    bool Seek(int64_t pos);  // absolute within the window; may be at the end, not past it
    int64_t Tell() const { return pos_; }
    int64_t Size() const { return size_; }
    // Reads exactly bytes at pos; false when the window is shorter.
    bool ReadAt(int64_t pos, void* buffer, size_t bytes);
    const std::wstring& Path() const { return path_; }
    bool Seekable() const { return !net_; }
    // A window of this window, with its own position (files and memory only).
    std::unique_ptr<ByteSource> Window(int64_t offset, int64_t length, int* error) const;
    // True when the window is a file from its first byte (companion files such
    // as a correction file can then be looked for beside it).
    bool IsFileFromStart() const { return file_ != INVALID_HANDLE_VALUE && base_ == 0; }
    bool IsNetwork() const { return net_ != nullptr; }

private:
    ByteSource() = default;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    const uint8_t* memory_ = nullptr;
    uint64_t base_ = 0;
    int64_t size_ = 0;
    int64_t pos_ = 0;
    int64_t filePos_ = -1;  // where the OS handle's pointer is, relative to the window
    std::wstring path_;
    std::shared_ptr<NetFeed> net_;
};
