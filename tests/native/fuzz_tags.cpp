// A coverage-guided fuzz target (clang's libFuzzer) for the tag blocks the
// audio library hands out. The input's first byte picks the block type (its
// low bits) and the code page of text without an encoding (its high bits);
// the rest is the block, in a buffer of exactly its size.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <memory>
#include "media/tags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const int kTypes[8] = {TagId3, TagId3v2, TagOgg, TagApe, TagMp4, TagWma, TagMeta, TagId3v2};
    static const unsigned kPages[4] = {0, 1252, 65001, 28591};
    int type = kTypes[data[0] & 7];
    unsigned page = kPages[data[0] >> 3 & 3];
    size_t n = size - 1;
    std::unique_ptr<char[]> block(new char[n ? n : 1]);
    memcpy(block.get(), data + 1, n);
    TagRecord r;
    ParseTagBlock(&r, block.get(), n, type, page);
    size_t sized = TagBlockSize(block.get(), type, n);
    if (sized > n) abort();
    ParseTagBlock(&r, block.get(), sized, type, page);
    // UTF-16 text takes two bytes a character; the genre's "(n)" is the one thing longer than its bytes.
    for (const StringBuffer* f : {&r.title, &r.artist, &r.album, &r.comment, &r.genre})
        if (f->text.size() > n + 64) abort();
    if (r.cueText.size() > n) abort();
    return 0;
}
