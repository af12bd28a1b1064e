#include "file_tags.h"
#include <string.h>
#include "bass.h"

static uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

void AppendTagString(std::string& block, const std::string& entry) {
    if (!block.empty()) block.pop_back();  // the closing zero
    block += entry;
    block.push_back('\0');
    block.push_back('\0');
}

// An APE tag whose footer ends at footerEnd: its text items become the block.
static bool ReadApe(ByteSource& src, int64_t footerEnd, std::map<DWORD, std::string>& tags, int64_t* tagStart) {
    uint8_t f[32];
    if (footerEnd < 32 || !src.ReadAt(footerEnd - 32, f, 32) || memcmp(f, "APETAGEX", 8) != 0) return false;
    uint32_t size = Le32(f + 12);  // items and footer
    uint32_t count = Le32(f + 16);
    uint32_t flags = Le32(f + 20);
    if (size < 32 || size > 16 * 1024 * 1024 || (int64_t)size > footerEnd) return false;
    int64_t itemsStart = footerEnd - size;
    *tagStart = itemsStart - ((flags & 0x80000000u) ? 32 : 0);
    if (*tagStart < 0) *tagStart = itemsStart;
    std::string items(size - 32, '\0');
    if (!src.ReadAt(itemsStart, items.data(), items.size())) return false;
    std::string block;
    size_t p = 0;
    for (uint32_t i = 0; i < count && i < 10000 && p + 8 < items.size(); i++) {
        uint32_t len = Le32((const uint8_t*)items.data() + p);
        uint32_t itemFlags = Le32((const uint8_t*)items.data() + p + 4);
        p += 8;
        size_t keyEnd = items.find('\0', p);
        if (keyEnd == std::string::npos) break;
        std::string key = items.substr(p, keyEnd - p);
        p = keyEnd + 1;
        if (len > items.size() - p) break;
        if ((itemFlags & 6) == 0) {  // text
            std::string value = items.substr(p, len);
            // Several values are separated by zeros; the block keeps the first.
            value.resize(strnlen(value.c_str(), value.size()));
            AppendTagString(block, key + "=" + value);
        }
        p += len;
    }
    if (block.empty()) block.assign(1, '\0');
    tags[BASS_TAG_APE] = block;
    return true;
}

AudioRange ReadFileTags(ByteSource& src, std::map<DWORD, std::string>& tags) {
    AudioRange r;
    r.end = src.Size();
    uint8_t h[10];
    if (src.ReadAt(0, h, 10) && memcmp(h, "ID3", 3) == 0 && h[3] < 0xFF && h[4] < 0xFF &&
        !((h[6] | h[7] | h[8] | h[9]) & 0x80)) {
        int64_t size = (int64_t)h[6] << 21 | h[7] << 14 | h[8] << 7 | h[9];
        size += 10 + ((h[5] & 0x10) ? 10 : 0);
        if (size <= r.end && !(src.IsNetwork() && size > (1 << 20))) {
            std::string block((size_t)size, '\0');
            if (src.ReadAt(0, block.data(), block.size())) {
                tags[BASS_TAG_ID3V2] = block;
                r.start = size;
            }
        }
    }
    // A download's end is not there yet: its end tags are audio to the decoder
    // (which skips them), and an ID3v2 tag over a megabyte is not waited for.
    if (src.IsNetwork()) return r;
    uint8_t v1[128];
    if (r.end - r.start >= 128 && src.ReadAt(r.end - 128, v1, 128) && memcmp(v1, "TAG", 3) == 0) {
        tags[BASS_TAG_ID3] = std::string((const char*)v1, 128);
        r.end -= 128;
    }
    int64_t apeStart = 0;
    if (ReadApe(src, r.end, tags, &apeStart) && apeStart >= r.start) r.end = apeStart;
    return r;
}
