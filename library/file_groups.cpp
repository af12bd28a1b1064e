#include "library/file_groups.h"
#include <windows.h>
#include <shlwapi.h>

void SetNowPlayingPattern(const wchar_t*) {}

bool IsListFile(const wchar_t* path) {
    const wchar_t* ext = PathFindExtensionW(path);
    return lstrcmpiW(ext, L".cue") == 0 || lstrcmpiW(ext, L".m3u") == 0;
}
