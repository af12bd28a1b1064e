// Bad input: truncated and damaged copies of every format must either open
// and decode to an end, or fail with an error number; never crash or hang.
// SONVALE_SOAK=n multiplies the number of cases (a longer, benchmark-style run).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <random>
#include "bass.h"
#include "tests/engine_support.h"
#include "tests/test_support.h"

namespace {

int SoakFactor() {
    const char* s = getenv("SONVALE_SOAK");
    int n = s ? atoi(s) : 1;
    return n < 1 ? 1 : n;
}

struct Outcome {
    int opened = 0, failed = 0;
};

// Opens the bytes as a stream (or a module) and decodes at most 10 s of them.
void Exercise(const std::string& bytes, bool music, Outcome* o) {
    DWORD h = music ? BASS_MusicLoad(TRUE, bytes.data(), 0, (DWORD)bytes.size(), BASS_MUSIC_DECODE | BASS_MUSIC_PRESCAN, 44100)
                    : BASS_StreamCreateFile(TRUE, bytes.data(), 0, bytes.size(), BASS_STREAM_DECODE);
    if (!h) {
        int e = BASS_ErrorGetCode();
        EXPECT_NE(e, BASS_OK);
        EXPECT_TRUE(e == BASS_ERROR_FILEFORM || e == BASS_ERROR_FORMAT || e == BASS_ERROR_CODEC ||
                    e == BASS_ERROR_EMPTY || e == BASS_ERROR_FREQ || e == BASS_ERROR_ILLPARAM || e == BASS_ERROR_MEM)
            << e;
        o->failed++;
        return;
    }
    o->opened++;
    BASS_CHANNELINFO info{};
    EXPECT_TRUE(BASS_ChannelGetInfo(h, &info));
    BASS_ChannelGetLength(h, BASS_POS_BYTE);
    BASS_ChannelGetTags(h, BASS_TAG_OGG);
    std::vector<char> buf(65536);
    uint64_t total = 0;
    const uint64_t limit = 10ull * info.freq * info.chans * 2;
    while (total < limit) {
        DWORD got = BASS_ChannelGetData(h, buf.data(), (DWORD)buf.size());
        if (got == (DWORD)-1) break;
        total += got;
        if (got == 0) break;
    }
    // A seek into the middle and one more read.
    BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 0.5), BASS_POS_BYTE);
    BASS_ChannelGetData(h, buf.data(), 4096);
    BASS_ChannelGetLevel(h);
    if (music) EXPECT_TRUE(BASS_MusicFree(h));
    else EXPECT_TRUE(BASS_StreamFree(h));
}

void Hammer(const char* file, bool music, int cases) {
    if (!MediaExists(file)) GTEST_SKIP() << file << " not made";
    std::string good = MediaBytes(file);
    ASSERT_GT(good.size(), 100u);
    std::mt19937 rng(12345);
    Outcome o;
    cases *= SoakFactor();
    // Truncations: every length near the start (headers), then spread evenly.
    for (int i = 0; i < cases / 2; i++) {
        size_t len = i < 200 ? (size_t)i : (size_t)(rng() % good.size());
        Exercise(good.substr(0, len), music, &o);
        if (::testing::Test::HasFailure()) return;
    }
    // Byte flips: 1 to 8 bytes, mostly in the first 4 KB where the headers are.
    for (int i = 0; i < cases / 2; i++) {
        std::string bad = good;
        int n = 1 + (int)(rng() % 8);
        for (int k = 0; k < n; k++) {
            size_t at = (rng() % 4) ? rng() % std::min<size_t>(4096, bad.size()) : rng() % bad.size();
            bad[at] = (char)(rng() & 0xFF);
        }
        Exercise(bad, music, &o);
        if (::testing::Test::HasFailure()) return;
    }
    // Both outcomes occur: the flips are not all harmless or all fatal.
    EXPECT_GT(o.opened, 0);
    EXPECT_GT(o.failed, 0);
}

}  // namespace

TEST(EngineBadInput, Wave) { Hammer("s24ext.wav", false, 2000); }
TEST(EngineBadInput, Aiff) { Hammer("f32.aifc", false, 2000); }
TEST(EngineBadInput, Mp3) { Hammer("cbr.mp3", false, 1000); }
TEST(EngineBadInput, Vorbis) { Hammer("t.ogg", false, 1000); }
TEST(EngineBadInput, Modules) {
    Hammer("t.it", true, 600);
    Hammer("t.mod", true, 600);
}

TEST(EngineBadInput, FlacAddOn) {
    std::wstring path = TestExeFolder() + L"Plugins\\bassflac.dll";
    ASSERT_NE(BASS_PluginLoad((const char*)path.c_str(), BASS_UNICODE), 0u);
    Hammer("t.flac", false, 1000);
    Hammer("t.oga", false, 400);
    BASS_PluginFree(0);
}
