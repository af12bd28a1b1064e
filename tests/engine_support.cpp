#include "tests/engine_support.h"
#include <math.h>
#include <algorithm>
#include <string.h>
#include <gtest/gtest.h>
#include "audio/audio_library.h"
#include "audio/track_display.h"
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

HSTREAM OpenMemory(const std::string& bytes, DWORD flags) {
    return BASS_StreamCreateFile(TRUE, bytes.data(), 0, bytes.size(), flags | BASS_STREAM_DECODE);
}

BASS_CHANNELINFO ChannelInfo(DWORD handle) {
    BASS_CHANNELINFO info{};
    BASS_ChannelGetInfo(handle, &info);
    return info;
}

HPLUGIN LoadTestAddon(const wchar_t* dll) {
    std::wstring path = TestExeFolder() + L"Plugins\\" + dll;
    return BASS_PluginLoad((const char*)path.c_str(), BASS_UNICODE);
}

std::vector<std::string> TagEntries(const char* block) {
    std::vector<std::string> entries;
    for (const char* q = block; q && *q; q += strlen(q) + 1) entries.push_back(q);
    return entries;
}

bool HasEntry(const std::vector<std::string>& entries, const std::string& entry) {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

bool LibraryTags(const wchar_t* path, TagRecord* tags) {
    AudioChannel ch = AudioOpenFile(path, true, false);
    if (!ch) return false;
    ReadChannelTags(ch, tags);
    AudioFreeChannel(ch);
    return true;
}

void ExpectSameTags(const TagRecord& quick, const TagRecord& library) {
    EXPECT_EQ(quick.title.text, library.title.text);
    EXPECT_EQ(quick.artist.text, library.artist.text);
    EXPECT_EQ(quick.album.text, library.album.text);
    EXPECT_EQ(quick.year.text, library.year.text);
    EXPECT_EQ(quick.comment.text, library.comment.text);
}

std::string Le32(uint32_t v) { return {(char)v, (char)(v >> 8), (char)(v >> 16), (char)(v >> 24)}; }
std::string Be32(uint32_t v) { return {(char)(v >> 24), (char)(v >> 16), (char)(v >> 8), (char)v}; }

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

std::string Mp3AudioPart(const std::string& file) {
    size_t start = 0, end = file.size();
    if (file.size() > 10 && file.compare(0, 3, "ID3") == 0) {
        const uint8_t* h = (const uint8_t*)file.data();
        start = 10 + ((size_t)h[6] << 21 | h[7] << 14 | h[8] << 7 | h[9]);
    }
    if (start > end) start = end;
    if (end - start >= 128 && file.compare(end - 128, 3, "TAG") == 0) end -= 128;
    return file.substr(start, end - start);
}

std::string Mp3WithPicture(int version, size_t pictureBytes) {
    using namespace std::string_literals;
    auto number = [&](size_t n, bool syncSafe) {
        int bits = syncSafe ? 7 : 8, mask = syncSafe ? 127 : 255;
        return std::string{(char)(n >> 3 * bits & mask), (char)(n >> 2 * bits & mask), (char)(n >> bits & mask),
                           (char)(n & mask)};
    };
    auto frame = [&](const char* id, const std::string& body) {
        return id + number(body.size(), version == 4) + "\0\0"s + body;
    };
    std::string picture = "\0image/png\0\x03\0"s + std::string(pictureBytes, '\x89');
    std::string frames = frame("TIT2", "\0Before"s) + frame("APIC", picture) + frame("TPE1", "\0After"s) +
                         frame("TALB", "\x01\xFF\xFEU\0n\0"s) + std::string(300, '\0');
    std::string mp3 = MediaBytes("cbr.mp3");
    return "ID3"s + (char)version + "\0\0"s + number(frames.size(), true) + frames + Mp3AudioPart(mp3) +
           mp3.substr(mp3.size() - 128);
}

std::string RadioFrames() {
    std::string b = Mp3AudioPart(MediaBytes("cbr.mp3"));
    if (b.size() < 200) return "";
    // The first frame carries LAME's Info header: 128 kbit/s, 44100 Hz, padding bit.
    const uint8_t* h = (const uint8_t*)b.data();
    size_t first = 144 * 128000 / 44100 + ((h[2] >> 1) & 1);
    bool info = b.find("Info") < first || b.find("Xing") < first;
    return b.substr(info ? first : 0);
}
