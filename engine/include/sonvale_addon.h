// The add-on interface of Sonvale's bass.dll.
//
// An add-on is a DLL that exports one function:
//
//     const SvAddon* WINAPI SonvaleAddonQuery(DWORD hostVersion);
//
// hostVersion is SV_ADDON_VERSION of the loading library; the add-on returns
// null when it cannot work with it. The returned record lives as long as the
// DLL is loaded. It declares the formats (BASS_PLUGININFO, as BASS_PluginGetInfo
// hands it on) and a decoder: BASS_StreamCreateFile offers every file that no
// built-in reader takes to each loaded add-on in load order.
//
// The decoder reads the file only through the SvReader it is given (the
// reader covers exactly the offset/length window the caller asked for) and
// gives interleaved float samples in [-1, 1]. Its calls for one stream are
// never made concurrently, but different streams may be used from different
// threads at once. Nothing may throw across this interface.
#pragma once
#include <stdint.h>
#include "bass.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SV_ADDON_VERSION 2

typedef struct SvReader {
    void* context;
    // Bytes read, fewer at the end of the window.
    size_t(__cdecl* read)(void* context, void* buffer, size_t bytes);
    // Absolute position within the window; non-zero on success.
    int(__cdecl* seek)(void* context, int64_t position);
    int64_t(__cdecl* tell)(void* context);
    int64_t(__cdecl* size)(void* context);
    // The file's path when the window is a file from its first byte, else
    // null (memory, an offset window, a download): an add-on may look for
    // companion files beside it (WavPack's correction file).
    const wchar_t* path;
} SvReader;

typedef struct SvStreamInfo {
    DWORD freq;
    DWORD chans;
    DWORD ctype;    // one of the types the add-on declares
    DWORD origres;  // as in BASS_CHANNELINFO
    int64_t frames; // length in frames, -1 when unknown
} SvStreamInfo;

typedef struct SvAddon {
    DWORD version;  // SV_ADDON_VERSION
    BASS_PLUGININFO info;
    // Opens a stream, or returns null with *error set: BASS_ERROR_FILEFORM when
    // the data is not one of the add-on's formats, another BASS error number
    // when it is but cannot be decoded. flags are the BASS_StreamCreateFile flags.
    void*(__cdecl* open)(const SvReader* reader, DWORD flags, SvStreamInfo* info, int* error);
    // Up to frames frames; 0 at the end, -1 on an error that ends the stream.
    int64_t(__cdecl* read)(void* stream, float* out, int64_t frames);
    // Non-zero on success.
    int(__cdecl* seek)(void* stream, int64_t frame);
    // A tag block in the BASS_ChannelGetTags layout, with its size in bytes,
    // or null. Valid until the stream is closed.
    const char*(__cdecl* tags)(void* stream, DWORD type, DWORD* bytes);
    void(__cdecl* close)(void* stream);
} SvAddon;

typedef const SvAddon*(WINAPI* SvAddonQueryFn)(DWORD hostVersion);
#define SV_ADDON_QUERY_NAME "SonvaleAddonQuery"

#ifdef __cplusplus
}
#endif
