#include "tests/engine_support.h"
#include <math.h>
#include <string.h>
#include "tests/test_support.h"

std::wstring MediaPath(const char* name) {
    std::wstring w(name, name + strlen(name));
    return TestExeFolder() + L"media\\" + w;
}

bool MediaExists(const char* name) { return GetFileAttributesW(MediaPath(name).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string MediaBytes(const char* name) { return ReadFileBytes(MediaPath(name)); }

std::vector<float> ReferenceF32(const char* name) {
    std::string b = MediaBytes(name);
    std::vector<float> v(b.size() / 4);
    memcpy(v.data(), b.data(), v.size() * 4);
    return v;
}

std::vector<int16_t> ReferenceS16(const char* name) {
    std::string b = MediaBytes(name);
    std::vector<int16_t> v(b.size() / 2);
    memcpy(v.data(), b.data(), v.size() * 2);
    return v;
}

HSTREAM OpenDecode(const char* name, DWORD flags) {
    std::wstring path = MediaPath(name);
    return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, flags | BASS_UNICODE | BASS_STREAM_DECODE);
}

std::vector<float> DecodeFloat(DWORD handle, size_t maxFrames) {
    std::vector<float> all;
    std::vector<float> buf(8192);
    while (all.size() < maxFrames * 8) {
        DWORD got = BASS_ChannelGetData(handle, buf.data(), (DWORD)(buf.size() * 4) | BASS_DATA_FLOAT);
        if (got == (DWORD)-1 || got == 0) break;
        all.insert(all.end(), buf.begin(), buf.begin() + got / 4);
    }
    return all;
}

std::vector<int16_t> DecodeS16(DWORD handle, size_t maxSamples) {
    std::vector<int16_t> all;
    std::vector<int16_t> buf(8192);
    while (all.size() < maxSamples) {
        DWORD got = BASS_ChannelGetData(handle, buf.data(), (DWORD)(buf.size() * 2));
        if (got == (DWORD)-1 || got == 0) break;
        all.insert(all.end(), buf.begin(), buf.begin() + got / 2);
    }
    return all;
}

double MaxDiff(const std::vector<float>& a, const std::vector<float>& b, size_t count) {
    double worst = 0;
    for (size_t i = 0; i < count && i < a.size() && i < b.size(); i++) worst = fmax(worst, fabs((double)a[i] - b[i]));
    return worst;
}
