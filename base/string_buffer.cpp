#include "base/string_buffer.h"

static std::wstring ToWide(const char* bytes, size_t n, UINT codePage) {
    std::wstring out;
    if (!bytes || n == 0 || n > 0x7fffffff) return out;
    int len = MultiByteToWideChar(codePage, 0, bytes, (int)n, nullptr, 0);
    if (len <= 0) return out;
    out.resize((size_t)len);
    MultiByteToWideChar(codePage, 0, bytes, (int)n, out.data(), len);
    size_t nul = out.find(L'\0');
    if (nul != std::wstring::npos) out.resize(nul);
    return out;
}

static std::string ToNarrow(const wchar_t* text, size_t n, UINT codePage) {
    std::string out;
    if (!text || n == 0 || n > 0x7fffffff) return out;
    int len = WideCharToMultiByte(codePage, 0, text, (int)n, nullptr, 0, nullptr, nullptr);
    if (len <= 0) return out;
    out.resize((size_t)len);
    WideCharToMultiByte(codePage, 0, text, (int)n, out.data(), len, nullptr, nullptr);
    return out;
}

std::wstring Utf8ToWide(const char* bytes, size_t n) { return ToWide(bytes, n, CP_UTF8); }
std::string WideToUtf8(const wchar_t* text, size_t n) { return ToNarrow(text, n, CP_UTF8); }

void StringBuffer::SetFromBytes(const char* bytes, size_t n, UINT codePage) {
    text = ToWide(bytes, n, codePage);
}

const std::string& StringBuffer::ToCodePage(UINT codePage) {
    narrow = ToNarrow(text.data(), text.size(), codePage);
    return narrow;
}
