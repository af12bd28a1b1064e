// A coverage-guided fuzz target (clang's libFuzzer) for what internet radio
// servers send: the reply's header block, and the rest of the bytes through
// the ICY demultiplexer, cut where the input's first byte says.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string>
#include <vector>
#include "engine/src/net_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HttpReply reply;
    if (ParseHttpReply((const char*)data, size, &reply)) {
        if (reply.tagBlock.size() < 2 || reply.tagBlock.back() != '\0' || reply.metaInt > (1u << 20)) abort();
    }
    if (size < 2) return 0;
    IcyDemux demux(1 + data[0] % 64);
    std::string audio;
    std::vector<std::string> metas;
    std::vector<size_t> at;
    size_t step = 1 + data[1] % 97;
    for (size_t from = 2; from < size; from += step)
        demux.Feed(data + from, size - from < step ? size - from : step, &audio, &metas, &at);
    size_t total = audio.size();
    for (const std::string& m : metas) total += m.size();
    if (total > size || metas.size() != at.size()) abort();
    return 0;
}
