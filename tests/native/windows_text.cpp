// Text conversion for the native build (include/windows.h): UTF-8,
// Windows-1252 (also for CP_ACP) and Latin-1, in UTF-16 units.
#include <windows.h>
#include <string>

static const uint16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

static bool Known(UINT cp) { return cp == CP_ACP || cp == 1252 || cp == 28591 || cp == CP_UTF8; }

// One character of UTF-8 at s (n > 0 bytes): its code point, U+FFFD for the
// longest start of a sequence that cannot go on; *used says how many bytes.
static uint32_t NextUtf8(const uint8_t* s, size_t n, size_t* used) {
    uint8_t b = s[0];
    *used = 1;
    if (b < 0x80) return b;
    size_t need;
    uint8_t lower = 0x80, upper = 0xBF;
    uint32_t cp;
    if (b >= 0xC2 && b <= 0xDF) need = 1, cp = b & 0x1F;
    else if (b >= 0xE0 && b <= 0xEF) {
        need = 2, cp = b & 0x0F;
        if (b == 0xE0) lower = 0xA0;
        if (b == 0xED) upper = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3, cp = b & 0x07;
        if (b == 0xF0) lower = 0x90;
        if (b == 0xF4) upper = 0x8F;
    } else {
        return 0xFFFD;
    }
    for (size_t i = 1; i <= need; i++) {
        if (i >= n || s[i] < lower || s[i] > upper) {
            *used = i;
            return 0xFFFD;
        }
        cp = cp << 6 | (s[i] & 0x3F);
        lower = 0x80, upper = 0xBF;
    }
    *used = need + 1;
    return cp;
}

int MultiByteToWideChar(UINT codePage, DWORD, const char* bytes, int count, wchar_t* out, int outSize) {
    if (!Known(codePage) || !bytes || count < 1 || outSize < 0) return 0;
    std::u16string units;
    const uint8_t* s = (const uint8_t*)bytes;
    size_t n = (size_t)count;
    for (size_t i = 0; i < n;) {
        uint32_t cp;
        if (codePage == CP_UTF8) {
            size_t used;
            cp = NextUtf8(s + i, n - i, &used);
            i += used;
        } else {
            cp = s[i++];
            if (codePage != 28591 && cp >= 0x80 && cp < 0xA0) cp = k1252High[cp - 0x80];
        }
        if (cp > 0xFFFF) {
            units.push_back((char16_t)(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back((char16_t)(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back((char16_t)cp);
        }
    }
    if (outSize == 0) return (int)units.size();
    if (!out || units.size() > (size_t)outSize) return 0;
    for (size_t i = 0; i < units.size(); i++) out[i] = (wchar_t)units[i];
    return (int)units.size();
}

int WideCharToMultiByte(UINT codePage, DWORD, const wchar_t* text, int count, char* out, int outSize, const char*,
                        BOOL* usedDefault) {
    if (usedDefault) *usedDefault = 0;
    if (!Known(codePage) || !text || count < 1 || outSize < 0) return 0;
    std::string bytes;
    size_t n = (size_t)count;
    for (size_t i = 0; i < n; i++) {
        uint32_t c = (uint32_t)text[i] & 0xFFFF;  // a UTF-16 unit, as on Windows
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && ((uint32_t)text[i + 1] & 0xFC00) == 0xDC00) {
            c = 0x10000 + ((c - 0xD800) << 10) + (((uint32_t)text[i + 1] & 0xFFFF) - 0xDC00);
            i++;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (codePage == CP_UTF8) {
            if (c < 0x80) {
                bytes += (char)c;
            } else if (c < 0x800) {
                bytes += (char)(0xC0 | c >> 6);
                bytes += (char)(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                bytes += (char)(0xE0 | c >> 12);
                bytes += (char)(0x80 | (c >> 6 & 0x3F));
                bytes += (char)(0x80 | (c & 0x3F));
            } else {
                bytes += (char)(0xF0 | c >> 18);
                bytes += (char)(0x80 | (c >> 12 & 0x3F));
                bytes += (char)(0x80 | (c >> 6 & 0x3F));
                bytes += (char)(0x80 | (c & 0x3F));
            }
            continue;
        }
        int b = -1;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || (codePage == 28591 && c <= 0xFF)) b = (int)c;
        else if (codePage != 28591)
            for (int k = 0; k < 32; k++)
                if (k1252High[k] == c) b = 0x80 + k;
        if (b < 0) {
            b = '?';
            if (usedDefault) *usedDefault = 1;
        }
        bytes += (char)b;
    }
    if (outSize == 0) return (int)bytes.size();
    if (!out || bytes.size() > (size_t)outSize) return 0;
    memcpy(out, bytes.data(), bytes.size());
    return (int)bytes.size();
}
