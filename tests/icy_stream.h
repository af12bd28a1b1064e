// What an ICY server sends after its headers, for the tests (plain C++).
#pragma once
#include <stddef.h>
#include <string>
#include <vector>

// The audio interleaved with ICY metadata blocks every metaInt bytes; titles[i]
// goes into block i (the text "StreamTitle='...';"), an empty one means none.
std::string WithIcyBlocks(const std::string& audio, size_t metaInt, const std::vector<std::string>& titles,
                          size_t* blocksOut = nullptr);
