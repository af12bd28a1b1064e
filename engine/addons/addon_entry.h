// What each of our add-ons ends with: handing out a tag block it keeps,
// closing a stream, and the one export the host looks for.
#pragma once
#include <string>
#include "sonvale_addon.h"

// `block` when the host asks for its kind and it holds anything, else null.
inline const char* TagBlockOf(const std::string& block, DWORD kind, DWORD type, DWORD* bytes) {
    if (type != kind || block.empty()) return nullptr;
    *bytes = (DWORD)block.size();
    return block.data();
}

template <class Stream>
void __cdecl CloseStream(void* stream) {
    delete (Stream*)stream;
}

// Hands `addon` to a host of our interface version, nothing to any other.
#define SV_EXPORT_ADDON(addon)                                                                  \
    extern "C" __declspec(dllexport) const SvAddon* WINAPI SonvaleAddonQuery(DWORD hostVersion) { \
        return hostVersion == SV_ADDON_VERSION ? &(addon) : nullptr;                            \
    }
