#include "media/mpeg_probe.h"
#include "media/mpeg_headers.h"
#include <windows.h>
#include <string.h>
#include <vector>

namespace {

struct FileHandle {
    HANDLE h;
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

bool ReadExactly(HANDLE h, uint8_t* to, size_t bytes) {
    DWORD got = 0;
    return ReadFile(h, to, (DWORD)bytes, &got, nullptr) && got == bytes;
}

// The head read covers a plain ID3v2 tag and the first frames after it.
const size_t kHeadBytes = 8192;
// Three frames of the largest kind (layer 2 at 384 kbit/s and 32 kHz), with room.
const size_t kFramesBytes = 3 * 1728 + 64;
const int64_t kMaxId3v2 = 16 << 20;
// ID3v1 (128 bytes) and the 32-byte APE footer before it.
const size_t kTailBytes = 160;

// The size of the ID3v2 tag that starts the file, 0 without one; the same
// rules as the audio library's: sizes as sync-safe numbers, a footer counted.
int64_t Id3v2Size(const uint8_t* h, int64_t fileSize) {
    if (memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF || ((h[6] | h[7] | h[8] | h[9]) & 0x80)) return 0;
    int64_t size = (int64_t)h[6] << 21 | h[7] << 14 | h[8] << 7 | h[9];
    size += 10 + ((h[5] & 0x10) ? 10 : 0);
    return size <= fileSize ? size : 0;
}

bool FrameIdOrPadding(const uint8_t* q) {
    if (!q[0]) return true;
    for (int i = 0; i < 4; i++)
        if (!((q[i] >= 'A' && q[i] <= 'Z') || (q[i] >= '0' && q[i] <= '9'))) return false;
    return true;
}

// In a tag longer than the head, a picture frame that reaches past the head
// need not be read: its bytes stay zero (the tag parser passes over a
// picture) and the reading goes on at its end, which is returned; 0 when
// there is none or the frames are not plain to walk (other than 2.3 and 2.4,
// unsynchronised, an extended header, a 2.4 size that may be meant plain).
int64_t PictureEnd(const uint8_t* head, size_t have, int64_t tagEnd) {
    int version = head[3];
    if ((version != 3 && version != 4) || (head[5] & 0xC0)) return 0;
    size_t p = 10;
    while (p + 10 <= have && (int64_t)p + 10 <= tagEnd && head[p]) {
        const uint8_t* h = head + p;
        uint32_t plain = (uint32_t)h[4] << 24 | h[5] << 16 | h[6] << 8 | h[7];
        uint32_t size = plain;
        if (version == 4) {
            if ((h[4] | h[5] | h[6] | h[7]) & 0x80) return 0;
            size = (uint32_t)h[4] << 21 | h[5] << 14 | h[6] << 7 | h[7];
        }
        int64_t end = (int64_t)p + 10 + size;
        if (end > tagEnd) return 0;
        if (end + 4 > (int64_t)have) return memcmp(h, "APIC", 4) == 0 ? end : 0;
        if (size != plain && !FrameIdOrPadding(head + end)) return 0;
        p = (size_t)end;
    }
    return 0;
}

}  // namespace

bool QuickProbeMpeg(const wchar_t* path, TagRecord* tags, unsigned codePage) {
    FileHandle f{CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (f.h == INVALID_HANDLE_VALUE) return false;
    // The head; a file shorter than that is read whole, its tail with it.
    std::vector<uint8_t> head(kHeadBytes);
    DWORD got = 0;
    if (!ReadFile(f.h, head.data(), (DWORD)head.size(), &got, nullptr) || got < 4) return false;
    bool whole = got < kHeadBytes;
    head.resize(got);
    int64_t size = got;
    uint8_t tailBuffer[kTailBytes];
    if (!whole) {
        LARGE_INTEGER back, at{};
        back.QuadPart = -(int64_t)kTailBytes;
        if (!SetFilePointerEx(f.h, back, &at, FILE_END) || !ReadExactly(f.h, tailBuffer, kTailBytes)) return false;
        size = at.QuadPart + (int64_t)kTailBytes;
    }

    int64_t start = head.size() >= 10 ? Id3v2Size(head.data(), size) : 0;
    if (start > kMaxId3v2) return false;
    // A long ID3v2 tag (pictures): the rest of it and the first frames, in one more read.
    int64_t want = start + (int64_t)kFramesBytes;
    if (want > size) want = size;
    if (want > (int64_t)head.size()) {
        // From the end of the head, or past a picture.
        int64_t from = (int64_t)head.size();
        int64_t picture = whole ? 0 : PictureEnd(head.data(), head.size(), start);
        if (picture > from && picture < want) from = picture;
        head.resize((size_t)want);
        LARGE_INTEGER at;
        at.QuadPart = from;
        if (!SetFilePointerEx(f.h, at, nullptr, FILE_BEGIN) ||
            !ReadExactly(f.h, head.data() + from, head.size() - (size_t)from))
            return false;
    }
    const uint8_t* tail = whole ? head.data() : tailBuffer;
    size_t tailBytes = whole ? head.size() : kTailBytes;
    const uint8_t* tailEnd = tail + tailBytes;

    int64_t end = size;
    const uint8_t* v1 = nullptr;
    if (end - start >= 128 && tailBytes >= 128 && memcmp(tailEnd - 128, "TAG", 3) == 0) {
        v1 = tailEnd - 128;
        end -= 128;
    }
    // An APE tag: the library reads it in place of ID3v2; leave such files to it.
    size_t footerBack = v1 ? 128 + 32 : 32;
    if (tailBytes >= footerBack && end - start >= 32 && memcmp(tailEnd - footerBack, "APETAGEX", 8) == 0) return false;

    MpegLength length;
    if (start >= (int64_t)head.size() ||
        !MpegLengthFromHeaders(head.data() + start, head.size() - (size_t)start, end - start, &length))
        return false;

    tags->path.Set(path);
    if (v1) ParseTagBlock(tags, (const char*)v1, 128, TagId3, codePage);
    if (start > 0) {
        const char* block = (const char*)head.data();
        ParseTagBlock(tags, block, TagBlockSize(block, TagId3v2, (size_t)start), TagId3v2, codePage);
    }
    tags->lengthMs = MpegMilliseconds(length.samples, length.rate);
    return true;
}
