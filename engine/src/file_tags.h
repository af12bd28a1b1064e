// Tags found at the ends of a file (ID3v2 at the start; APE and ID3v1 at the
// end) and the range between them where the audio is.
#pragma once
#include "decoder.h"

struct AudioRange {
    int64_t start = 0;  // after an ID3v2 tag
    int64_t end = 0;    // before APE and ID3v1 tags
};

AudioRange ReadFileTags(ByteSource& src, std::map<DWORD, std::string>& tags);

// name=value strings, each ending in a zero, then one more zero.
void AppendTagString(std::string& block, const std::string& entry);
