#include "net_reply.h"
#include <stdlib.h>
#include <string.h>

namespace {

const size_t kMaxLines = 200;
const size_t kMaxLine = 8192;

// ASCII letters of either case (the C library's own comparison differs between systems).
bool SameNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; i++) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? (char)(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? (char)(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    size_t n = strlen(prefix);
    return s.size() >= n && SameNoCase(s.c_str(), prefix, n);
}

// The value after "name:" with its leading blanks, or null when the line is another header.
const char* HeaderValue(const std::string& line, const char* name) {
    size_t n = strlen(name);
    if (line.size() <= n || !SameNoCase(line.c_str(), name, n) || line[n] != ':') return nullptr;
    const char* v = line.c_str() + n + 1;
    while (*v == ' ' || *v == '\t') v++;
    return v;
}

// Decimal digits only, at most limit; -1 otherwise.
int64_t ParseCount(const char* v, int64_t limit) {
    if (!v || *v < '0' || *v > '9') return -1;
    int64_t n = 0;
    for (; *v >= '0' && *v <= '9'; v++) {
        n = n * 10 + (*v - '0');
        if (n > limit) return -1;
    }
    while (*v == ' ' || *v == '\t') v++;
    return *v ? -1 : n;
}

}  // namespace

bool ParseHttpReply(const char* raw, size_t size, HttpReply* reply) {
    *reply = HttpReply{};
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < size && lines.size() < kMaxLines) {
        size_t end = at;
        while (end < size && raw[end] != '\n') end++;
        size_t stop = end;
        if (stop > at && raw[stop - 1] == '\r') stop--;
        if (stop == at) break;  // the empty line ends the headers
        std::string line(raw + at, stop - at > kMaxLine ? kMaxLine : stop - at);
        line.resize(strnlen(line.c_str(), line.size()));  // a zero inside would split the block
        if (!line.empty()) lines.push_back(line);
        at = end + 1;
    }
    if (lines.empty()) return false;
    const std::string& first = lines[0];
    bool http = StartsWithNoCase(first, "HTTP/");
    reply->icy = StartsWithNoCase(first, "ICY ");
    if (!http && !reply->icy) return false;
    size_t space = first.find(' ');
    if (space != std::string::npos) {
        const char* code = first.c_str() + space + 1;
        int status = 0, digits = 0;
        for (; digits < 3 && code[digits] >= '0' && code[digits] <= '9'; digits++) status = status * 10 + (code[digits] - '0');
        if (digits == 3 && (code[3] == 0 || code[3] == ' ')) reply->status = status;
    }
    for (const std::string& line : lines) {
        reply->tagBlock += line;
        reply->tagBlock.push_back('\0');
        if (const char* v = HeaderValue(line, "Content-Length")) reply->contentLength = ParseCount(v, (int64_t)1 << 50);
        else if (const char* v = HeaderValue(line, "icy-metaint")) {
            int64_t n = ParseCount(v, 1 << 20);
            reply->metaInt = n > 0 ? (uint32_t)n : 0;
        } else if (const char* v = HeaderValue(line, "icy-br")) {
            int64_t n = ParseCount(v, 100000);
            // "128,128" from some servers: the first number counts.
            if (n < 0) {
                int64_t first = 0;
                for (const char* d = v; *d >= '0' && *d <= '9' && first <= 100000; d++) first = first * 10 + (*d - '0');
                n = first <= 100000 ? first : 0;
            }
            reply->bitrateKbps = (uint32_t)n;
        }
    }
    reply->tagBlock.push_back('\0');
    return true;
}

void IcyDemux::Feed(const uint8_t* data, size_t size, std::string* audio, std::vector<std::string>* metas,
                    std::vector<size_t>* at) {
    while (size > 0) {
        if (metaInt_ == 0) {
            audio->append((const char*)data, size);
            return;
        }
        if (inMeta_) {
            size_t take = size < metaLeft_ ? size : metaLeft_;
            meta_.append((const char*)data, take);
            data += take;
            size -= take;
            metaLeft_ -= take;
            if (metaLeft_ == 0) {
                inMeta_ = false;
                meta_.resize(strnlen(meta_.c_str(), meta_.size()));
                if (!meta_.empty()) {
                    metas->push_back(meta_);
                    if (at) at->push_back(audio->size());
                }
                meta_.clear();
            }
            continue;
        }
        if (audioLeft_ == 0) {
            // The length byte: 0 means no metadata this time.
            metaLeft_ = (size_t)data[0] * 16;
            data++;
            size--;
            audioLeft_ = metaInt_;
            inMeta_ = metaLeft_ > 0;
            continue;
        }
        size_t take = size < audioLeft_ ? size : audioLeft_;
        audio->append((const char*)data, take);
        data += take;
        size -= take;
        audioLeft_ -= (uint32_t)take;
    }
}
