#include "byte_source.h"
#include <string.h>
#include "bass.h"
#include "net_feed.h"

ByteSource::~ByteSource() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

std::unique_ptr<ByteSource> ByteSource::OpenFile(const wchar_t* path, uint64_t offset, uint64_t length, int* error) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    std::unique_ptr<ByteSource> s(new ByteSource());
    s->file_ = h;
    s->path_ = path;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size) || (uint64_t)size.QuadPart < offset) {
        *error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    uint64_t available = (uint64_t)size.QuadPart - offset;
    s->base_ = offset;
    s->size_ = (int64_t)(length && length < available ? length : available);
    return s;
}

std::unique_ptr<ByteSource> ByteSource::OpenMemory(const void* data, uint64_t length) {
    std::unique_ptr<ByteSource> s(new ByteSource());
    s->memory_ = (const uint8_t*)data;
    s->size_ = (int64_t)length;
    return s;
}

std::unique_ptr<ByteSource> ByteSource::Window(int64_t offset, int64_t length, int* error) const {
    if (net_ || offset < 0 || length <= 0 || offset > size_ || length > size_ - offset) {
        *error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    if (memory_) return OpenMemory(memory_ + offset, (uint64_t)length);
    return OpenFile(path_.c_str(), base_ + (uint64_t)offset, (uint64_t)length, error);
}

std::unique_ptr<ByteSource> ByteSource::OpenNet(std::shared_ptr<NetFeed> feed) {
    std::unique_ptr<ByteSource> s(new ByteSource());
    // An unknown length: as far as the download goes.
    s->size_ = feed->Length() >= 0 ? feed->Length() : INT64_MAX / 4;
    s->net_ = std::move(feed);
    return s;
}

size_t ByteSource::Read(void* buffer, size_t bytes) {
    if (pos_ >= size_) return 0;
    if ((int64_t)bytes > size_ - pos_) bytes = (size_t)(size_ - pos_);
    if (net_) {
        size_t got = net_->Read(pos_, buffer, bytes, true);
        pos_ += got;
        return got;
    }
    if (memory_) {
        memcpy(buffer, memory_ + pos_, bytes);
        pos_ += bytes;
        return bytes;
    }
    if (filePos_ != pos_) {
        LARGE_INTEGER to;
        to.QuadPart = (LONGLONG)(base_ + pos_);
        if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return 0;
        filePos_ = pos_;
    }
    size_t done = 0;
    while (done < bytes) {
        DWORD chunk = (DWORD)((bytes - done) > (1u << 30) ? (1u << 30) : (bytes - done));
        DWORD got = 0;
        if (!ReadFile(file_, (uint8_t*)buffer + done, chunk, &got, nullptr) || got == 0) break;
        done += got;
    }
    pos_ += done;
    filePos_ = pos_;
    return done;
}

bool ByteSource::Seek(int64_t pos) {
    if (pos < 0 || pos > size_) return false;
    pos_ = pos;
    return true;
}

bool ByteSource::ReadAt(int64_t pos, void* buffer, size_t bytes) {
    if (pos < 0 || pos > size_ || (int64_t)bytes > size_ - pos) return false;
    if (net_) return net_->Read(pos, buffer, bytes, false) == bytes;
    int64_t keep = pos_;
    pos_ = pos;
    bool ok = Read(buffer, bytes) == bytes;
    pos_ = keep;
    return ok;
}
