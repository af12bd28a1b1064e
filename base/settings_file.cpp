#include "base/settings_file.h"
#include <string.h>

static const char kBom[3] = {'\xEF', '\xBB', '\xBF'};

bool ParseSettingsSection(const char* data, size_t size, const std::string& header,
                          std::vector<SettingsEntry>* out) {
    const char* p = data;
    const char* end = data + size;
    if (size >= 3 && memcmp(p, kBom, 3) == 0) p += 3;
    // Find the header at the start of a line; text behind it on that line is ignored.
    // The header compared is "[name]" without its line end.
    size_t hlen = header.size();
    bool found = false;
    while (p < end) {
        if ((size_t)(end - p) >= hlen && memcmp(p, header.data(), hlen) == 0) {
            found = true;
        }
        const char* eol = p;
        while (eol + 1 < end && !(eol[0] == '\r' && eol[1] == '\n')) eol++;
        if (eol + 1 >= end) {  // no CR LF after this line
            p = end;
            break;
        }
        p = eol + 2;
        if (found) break;
    }
    if (!found) return false;
    // Entry lines: a line needs its CR LF to count. The next header line ends the
    // section, with or without the empty line before it, also right after the
    // header, so that an empty section never takes the entries of the next one.
    while (p < end) {
        if (*p == '[') break;
        if (end - p >= 3 && p[0] == '\r' && p[1] == '\n' && p[2] == '[') break;
        const char* eol = p;
        while (eol + 1 < end && !(eol[0] == '\r' && eol[1] == '\n')) eol++;
        if (eol + 1 >= end) break;
        const char* sep = nullptr;
        for (const char* q = p; q + 3 <= eol; q++) {
            if (q[0] == ' ' && q[1] == '=' && q[2] == ' ') {
                sep = q;
                break;
            }
        }
        if (sep) {  // a line without " = " is not an entry
            SettingsEntry e;
            e.name.SetFromBytes(p, (size_t)(sep - p));
            e.value.SetFromBytes(sep + 3, (size_t)(eol - sep - 3));
            out->push_back(std::move(e));
        }
        p = eol + 2;
    }
    return true;
}

uint32_t ParseDecimal32(const wchar_t* s) {
    while (*s == L' ' || *s == L'\t') s++;
    bool negative = false;
    if (*s == L'+' || *s == L'-') negative = *s++ == L'-';
    uint32_t v = 0;
    while (*s >= L'0' && *s <= L'9') v = v * 10 + (uint32_t)(*s++ - L'0');
    return negative ? 0u - v : v;
}

uint64_t ParseHex64(const wchar_t* s) {
    uint64_t v = 0;
    for (;; s++) {
        unsigned d;
        if (*s >= L'0' && *s <= L'9') d = *s - L'0';
        else if (*s >= L'A' && *s <= L'F') d = *s - L'A' + 10;
        else if (*s >= L'a' && *s <= L'f') d = *s - L'a' + 10;
        else break;
        v = (v << 4) | d;
    }
    return v;
}
