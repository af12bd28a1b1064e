#include "tests/icy_stream.h"

std::string WithIcyBlocks(const std::string& audio, size_t metaInt, const std::vector<std::string>& titles,
                          size_t* blocksOut) {
    std::string out;
    size_t block = 0;
    for (size_t at = 0; at < audio.size(); at += metaInt, block++) {
        size_t n = audio.size() - at < metaInt ? audio.size() - at : metaInt;
        out.append(audio, at, n);
        if (n < metaInt) break;
        std::string title = block < titles.size() ? titles[block] : "";
        if (title.empty()) {
            out.push_back('\0');
            continue;
        }
        std::string text = "StreamTitle='" + title + "';";
        size_t units = (text.size() + 15) / 16;
        text.resize(units * 16, '\0');
        out.push_back((char)units);
        out += text;
    }
    if (blocksOut) *blocksOut = block;
    return out;
}
