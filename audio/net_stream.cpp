#include "audio/net_stream.h"

static std::wstring g_lastRequest;

// The connect thread is not there yet: the request is kept and refused, so
// the caller reports the track as not playable.
bool StartNetStream(const wchar_t* urls) {
    g_lastRequest = urls;
    return false;
}

const std::wstring& LastNetStreamRequest() { return g_lastRequest; }
