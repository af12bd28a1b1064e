// BASS_PluginLoad / GetInfo / Free over our add-on interface (sonvale_addon.h).
#include <string>
#include "addons.h"
#include "bass.h"
#include "error.h"

extern "C" {

HPLUGIN WINAPI BASS_PluginLoad(const char* file, DWORD flags) {
    if (!file) return Fail(BASS_ERROR_FILEOPEN, (HPLUGIN)0);
    std::wstring path;
    if (flags & BASS_UNICODE) {
        path = (const wchar_t*)file;
    } else {
        int n = MultiByteToWideChar(CP_ACP, 0, file, -1, nullptr, 0);
        path.assign(n > 0 ? (size_t)n : 1, L'\0');
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, file, -1, path.data(), n);
        path.resize(wcslen(path.c_str()));
    }
    int error = 0;
    HPLUGIN h = LoadAddon(path.c_str(), &error);
    return h ? Ok(h) : Fail(error, (HPLUGIN)0);
}

BOOL WINAPI BASS_PluginFree(HPLUGIN handle) {
    return FreeAddon(handle) ? Ok(TRUE) : Fail(BASS_ERROR_HANDLE, FALSE);
}

const BASS_PLUGININFO* WINAPI BASS_PluginGetInfo(HPLUGIN handle) {
    const BASS_PLUGININFO* info = AddonInfo(handle);
    return info ? Ok(info) : Fail(BASS_ERROR_HANDLE, (const BASS_PLUGININFO*)nullptr);
}

}  // extern "C"
