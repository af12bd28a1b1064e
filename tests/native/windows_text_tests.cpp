// The native build's text conversion gives what Windows gives: UTF-16 units,
// U+FFFD for bad UTF-8 and lone surrogates, Windows-1252's own characters,
// and Windows' answers about sizes.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

static std::wstring Wide(const std::string& bytes, UINT cp) {
    int n = MultiByteToWideChar(cp, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring w((size_t)(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        EXPECT_EQ(MultiByteToWideChar(cp, 0, bytes.data(), (int)bytes.size(), w.data(), n), n);
    }
    return w;
}

static std::string Narrow(const std::wstring& text, UINT cp) {
    int n = WideCharToMultiByte(cp, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string b((size_t)(n > 0 ? n : 0), '\0');
    if (n > 0) {
        EXPECT_EQ(WideCharToMultiByte(cp, 0, text.data(), (int)text.size(), b.data(), n, nullptr, nullptr), n);
    }
    return b;
}

TEST(WindowsText, Utf8InUtf16Units) {
    EXPECT_EQ(Wide("a\xC3\xA9\xE2\x82\xAC", CP_UTF8), std::wstring({L'a', 0xE9, 0x20AC}));
    EXPECT_EQ(Wide("\xF0\x9F\x8E\xB5", CP_UTF8), std::wstring({(wchar_t)0xD83C, (wchar_t)0xDFB5}));
    // A bad byte, a cut sequence, an encoded surrogate and an overlong form each give U+FFFD.
    EXPECT_EQ(Wide("\xFFx", CP_UTF8), std::wstring({0xFFFD, L'x'}));
    EXPECT_EQ(Wide("\xE2\x82", CP_UTF8), std::wstring({0xFFFD}));
    EXPECT_EQ(Wide("\xED\xA0\x80", CP_UTF8), std::wstring({0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(Wide("\xC0\xAF", CP_UTF8), std::wstring({0xFFFD, 0xFFFD}));
    EXPECT_EQ(Wide(std::string("a\0b", 3), CP_UTF8), std::wstring(L"a\0b", 3));  // a count, not a C string

    EXPECT_EQ(Narrow(std::wstring({L'a', 0xE9, (wchar_t)0xD83C, (wchar_t)0xDFB5}), CP_UTF8), "a\xC3\xA9\xF0\x9F\x8E\xB5");
    EXPECT_EQ(Narrow(std::wstring({(wchar_t)0xDC00, L'z'}), CP_UTF8), "\xEF\xBF\xBDz");
}

TEST(WindowsText, Windows1252AndTheSystemCodePage) {
    EXPECT_EQ(Wide("\x80\x81\x9F\xE9", 1252), std::wstring({0x20AC, 0x81, 0x178, 0xE9}));
    EXPECT_EQ(Wide("\x80", CP_ACP), std::wstring({0x20AC}));
    EXPECT_EQ(Wide("\x80", 28591), std::wstring({0x80}));
    EXPECT_EQ(Narrow(std::wstring({0x20AC, 0xE9, 0x416}), 1252), "\x80\xE9?");
}

TEST(WindowsText, SizesAndRefusals) {
    wchar_t small[2];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, small, 2), 0);  // no room: nothing
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, nullptr, 0), 0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, "abc", 3, nullptr, 0), 0);    // a code page it lacks
    char out[1];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\x00E9", 1, out, 1, nullptr, nullptr), 0);
    EXPECT_EQ(lstrcmpiA("WM/Year", "wm/YEAR"), 0);
    EXPECT_NE(lstrcmpiA("TIT2", "TIT"), 0);
}
