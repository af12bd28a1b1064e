// What a server sends before and inside an internet stream, parsed with no
// trust in it: the reply's header block, and the ICY metadata blocks that a
// Shoutcast or Icecast server puts between the audio bytes.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

struct HttpReply {
    int status = 0;           // 0 when the status line is not one
    bool icy = false;         // "ICY 200 OK" rather than "HTTP/1.x ..."
    std::string tagBlock;     // each line ending in a zero, then one more zero
    int64_t contentLength = -1;
    uint32_t metaInt = 0;     // audio bytes between metadata blocks, 0 for none
    uint32_t bitrateKbps = 0; // "icy-br"
};

// raw: the status line and the header lines, separated by CR LF or LF, up to
// the empty line (anything after it is ignored). Lines beyond the limits are
// dropped. False when there is no status line at all.
bool ParseHttpReply(const char* raw, size_t size, HttpReply* reply);

// Splits the bytes after the headers into audio and metadata: every metaInt
// audio bytes one length byte n, then n * 16 bytes of text (zero padded).
class IcyDemux {
public:
    explicit IcyDemux(uint32_t metaInt) : metaInt_(metaInt), audioLeft_(metaInt) {}
    // Appends the audio to *audio and each complete, non-empty metadata text
    // (up to its first zero) to *metas; *at, when given, gets the size of
    // *audio where each text came, the audio byte from which it applies.
    void Feed(const uint8_t* data, size_t size, std::string* audio, std::vector<std::string>* metas,
              std::vector<size_t>* at = nullptr);

private:
    uint32_t metaInt_;
    uint32_t audioLeft_;   // audio bytes before the next length byte
    size_t metaLeft_ = 0;  // metadata bytes still to come
    bool inMeta_ = false;
    std::string meta_;
};
