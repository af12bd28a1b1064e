#include "app/lyrics.h"
#include "app/main_frame.h"
#include "ui/list_view.h"
#include <windows.h>
#include <shellapi.h>

static const wchar_t kSearchHost[] = L"https://duckduckgo.com";

std::wstring LyricsQueryText(const std::wstring& artist, const std::wstring& title, bool titleGiven) {
    std::wstring text = artist + L" - " + title;
    if (titleGiven) {
        // Only a dot of the title counts: an artist such as "Dr. X" keeps its name.
        size_t dot = text.rfind(L'.');
        if (dot != std::wstring::npos && dot >= artist.size() + 3) text.resize(dot);
    }
    return text + L" lyrics";
}

std::string EncodeQuery(const std::wstring& text) {
    std::string utf8;
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    if (n > 0) {
        utf8.resize((size_t)n);
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), utf8.data(), n, nullptr, nullptr);
    }
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : utf8) {
        if (b == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return out;
}

std::wstring LyricsAddress(const std::wstring& artist, const std::wstring& title, bool titleGiven) {
    std::string q = EncodeQuery(LyricsQueryText(artist, title, titleGiven));
    std::wstring address = kSearchHost;
    address += L"/search?&q=";
    address.append(q.begin(), q.end());
    address += L"&ie=utf-8&oe=utf-8&btnI=I%27m+Feeling+Lucky";
    return address;
}

static std::wstring Cell(const ListView* l, int row, int column, bool* given) {
    *given = false;
    if (!l || row >= l->rowCount || column >= l->columnCount) return L"";
    const ListCell& c = l->rows[row].cells[column];
    *given = c.text != nullptr && !c.empty;
    return c.text ? std::wstring(c.text) : std::wstring();
}

static void OpenWithShell(const wchar_t* address) {
    ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}
void (*g_openAddress)(const wchar_t* address) = OpenWithShell;

void SearchLyrics() {
    bool artistGiven, titleGiven;
    std::wstring artist = Cell(g_mainFrame.info, 1, 0, &artistGiven);
    std::wstring title = Cell(g_mainFrame.info, 0, 0, &titleGiven);
    std::wstring address = LyricsAddress(artist, title, titleGiven);
    g_openAddress(address.c_str());
}
