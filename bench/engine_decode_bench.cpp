// Decoding speed of our bass.dll per format, as a multiple of real time, and
// the mixer's CPU share while playing. Reads the test media (build/tests/media,
// made by scripts/make-test-media.sh). bench/engine-bench.sh runs this and the
// native reference decoders on the same files and prints both side by side.
#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>
#include "bass.h"

static std::wstring Folder() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

static double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
}

// Decodes the whole file again and again for at least half a second.
static double Speed(const std::wstring& path, bool music) {
    double audio = 0, start = Now();
    std::vector<char> buf(1 << 16);
    do {
        DWORD h = music ? BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_UNICODE | BASS_MUSIC_DECODE | BASS_SAMPLE_FLOAT, 44100)
                        : BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
        if (!h) return -1;
        QWORD bytes = 0;
        DWORD got;
        while ((got = BASS_ChannelGetData(h, buf.data(), (DWORD)buf.size())) != (DWORD)-1 && got) bytes += got;
        audio += BASS_ChannelBytes2Seconds(h, bytes);
        music ? BASS_MusicFree(h) : BASS_StreamFree(h);
    } while (Now() - start < 0.5);
    return audio / (Now() - start);
}

static float PlayingCpu(int device, const std::wstring& path) {
    if (!BASS_Init(device, 44100, 0, nullptr, nullptr)) return -1;
    HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_UNICODE | BASS_SAMPLE_LOOP);
    BASS_ChannelPlay(h, FALSE);
    Sleep(2000);
    float cpu = BASS_GetCPU();
    BASS_Free();
    return cpu;
}

// Seconds to decode the whole file once to 16-bit samples, as a player
// hands them to a 16-bit device; -1 when it does not open.
static double DecodeSeconds(const std::wstring& path) {
    double start = Now();
    HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE);
    if (!h) return -1;
    std::vector<char> buf(1 << 16);
    DWORD got;
    while ((got = BASS_ChannelGetData(h, buf.data(), (DWORD)buf.size())) != (DWORD)-1 && got) {
    }
    BASS_StreamFree(h);
    return Now() - start;
}

int wmain(int argc, wchar_t** argv) {
    std::wstring media = Folder() + L"..\\tests\\media\\";
    for (const wchar_t* name : {L"bassflac.dll", L"bassopus.dll", L"basswv.dll", L"bass_aac.dll", L"basswma.dll"}) {
        std::wstring addon = Folder() + L"..\\tests\\Plugins\\" + name;
        BASS_PluginLoad((const char*)addon.c_str(), BASS_UNICODE);
    }
    // With files named: each decoded once to 16-bit, "seconds file" a line.
    if (argc > 1) {
        for (int i = 1; i < argc; i++) printf("%.3f %ls\n", DecodeSeconds(argv[i]), argv[i]);
        BASS_PluginFree(0);
        return 0;
    }
    struct {
        const char* format;
        const wchar_t* file;
        bool music;
    } cases[] = {
        {"WAVE 16-bit", L"s16.wav", false}, {"WAVE 24-bit", L"s24.wav", false}, {"AIFF", L"s16.aiff", false},
        {"MP3 CBR", L"cbr.mp3", false},     {"MP3 VBR", L"vbr.mp3", false},     {"MP2", L"layer2.mp2", false},
        {"Ogg Vorbis", L"music.ogg", false}, {"FLAC", L"t.flac", false},        {"Ogg FLAC", L"t.oga", false},
        {"IMA ADPCM", L"ima.wav", false},   {"MS ADPCM", L"msadpcm.wav", false}, {"u-law", L"ulaw.wav", false},
        {"Opus", L"t.opus", false},          {"WavPack", L"t.wv", false},       {"WavPack hyb", L"hybrid.wv", false},
        {"AAC (MP4)", L"t.m4a", false},      {"AAC (ADTS)", L"t.aac", false},   {"ALAC", L"alac.m4a", false},
        {"WMA 2", L"t.wma", false},
        {"MOD", L"t.mod", true},             {"IT", L"t.it", true},             {"S3M", L"t.s3m", true},
    };
    printf("%-12s %-11s %10s\n", "format", "file", "ours (x rt)");
    for (auto& c : cases) {
        double x = Speed(media + c.file, c.music);
        if (x < 0) printf("%-12s %-11ls %10s\n", c.format, c.file, "-");
        else printf("%-12s %-11ls %10.0f\n", c.format, c.file, x);
    }
    printf("cpu while playing music.ogg (44.1 kHz): silent device %.2f%%, default device %.2f%%\n",
           PlayingCpu(0, media + L"music.ogg"), PlayingCpu(-1, media + L"music.ogg"));
    BASS_PluginFree(0);
    return 0;
}
