#include "media/address_list.h"

std::wstring JoinListFileLines(const std::wstring& text) {
    std::wstring out;
    size_t at = 0;
    while (at <= text.size()) {
        size_t eol = text.find(L'\n', at);
        if (eol == std::wstring::npos) eol = text.size();
        size_t a = at, b = eol;
        while (a < b && (text[a] == L' ' || text[a] == L'\r')) a++;
        while (b > a && (text[b - 1] == L' ' || text[b - 1] == L'\r')) b--;
        if (b > a && text[a] != L'#') {
            if (!out.empty()) out += L'|';
            out.append(text, a, b - a);
        }
        at = eol + 1;
    }
    return out;
}
