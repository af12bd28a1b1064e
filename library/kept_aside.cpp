#include "library/kept_aside.h"
#include "base/messages.h"
#include <windows.h>

static std::wstring FileName(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool KeepAside(KeptAside* k, const std::wstring& path) {
    if (!k->pending) return true;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        k->pending = false;  // nothing left to keep
        return true;
    }
    std::wstring copy;
    bool copied = false;
    for (int n = 1; n <= 9 && !copied; n++) {
        copy = path + L".bad" + (n > 1 ? std::to_wstring(n) : L"");
        copied = CopyFileW(path.c_str(), copy.c_str(), n < 9) != FALSE;
    }
    if (!copied) return false;
    k->pending = false;
    std::wstring text = FileName(path) + L" could not be read whole, so it was kept as " + FileName(copy) +
                        L" before being saved again.";
    ShowInformation(text.c_str());
    return true;
}
