// Growable UTF-16 text with a narrow companion that keeps its last
// conversion to UTF-8 or to the ANSI code page.
#pragma once
#include <windows.h>
#include <string>

struct StringBuffer {
    std::wstring text;
    std::string narrow;  // last conversion; replaced by each ToUtf8/ToAnsi

    const wchar_t* c_str() const { return text.c_str(); }
    size_t length() const { return text.size(); }
    bool empty() const { return text.empty(); }
    void Set(const wchar_t* s) { text.assign(s ? s : L""); }
    void Set(const wchar_t* s, size_t n) { text.assign(s, n); }

    // Converts bytes in the code page to the text; embedded NULs end it.
    void SetFromBytes(const char* bytes, size_t n, UINT codePage = CP_UTF8);
    const std::string& ToUtf8() { return ToCodePage(CP_UTF8); }
    const std::string& ToAnsi() { return ToCodePage(CP_ACP); }
    const std::string& ToCodePage(UINT codePage);
};

std::wstring Utf8ToWide(const char* bytes, size_t n);
std::string WideToUtf8(const wchar_t* text, size_t n);
inline std::string WideToUtf8(const std::wstring& s) { return WideToUtf8(s.data(), s.size()); }
