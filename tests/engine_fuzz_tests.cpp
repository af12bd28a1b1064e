// Bad input: truncated and damaged copies of every format must either open
// and decode to an end, or fail with an error number; never crash or hang.
// SONVALE_SOAK=n multiplies the number of cases (a longer, benchmark-style run).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <random>
#include "bass.h"
#include "engine/src/net_reply.h"
#include "tests/engine_support.h"
#include "tests/http_test_server.h"
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
TEST(EngineBadInput, Vorbis) {
    Hammer("t.ogg", false, 1000);
    Hammer("chain.ogg", false, 600);  // a second logical stream of another rate and channel count
}
TEST(EngineBadInput, Modules) {
    Hammer("t.it", true, 600);
    Hammer("t.mod", true, 600);
    if (MediaExists("t.xm")) Hammer("t.xm", true, 300);
}

TEST(EngineBadInput, FlacAddOn) {
    std::wstring path = TestExeFolder() + L"Plugins\\bassflac.dll";
    ASSERT_NE(BASS_PluginLoad((const char*)path.c_str(), BASS_UNICODE), 0u);
    Hammer("t.flac", false, 1000);
    Hammer("t.oga", false, 400);
    BASS_PluginFree(0);
}

TEST(EngineBadInput, CompressedWave) {
    Hammer("ima.wav", false, 600);
    Hammer("msadpcm.wav", false, 600);
    Hammer("ulaw.wav", false, 300);
}

TEST(EngineBadInput, OpusAddOn) {
    std::wstring path = TestExeFolder() + L"Plugins\\bassopus.dll";
    ASSERT_NE(BASS_PluginLoad((const char*)path.c_str(), BASS_UNICODE), 0u);
    Hammer("t.opus", false, 600);
    Hammer("chain.opus", false, 300);
    BASS_PluginFree(0);
}

TEST(EngineBadInput, WavPackAddOn) {
    std::wstring path = TestExeFolder() + L"Plugins\\basswv.dll";
    ASSERT_NE(BASS_PluginLoad((const char*)path.c_str(), BASS_UNICODE), 0u);
    Hammer("t.wv", false, 600);
    Hammer("f32.wv", false, 300);
    Hammer("hybrid.wv", false, 300);
    BASS_PluginFree(0);
}

TEST(EngineBadInput, AacAndWmaAddOns) {
    for (const wchar_t* name : {L"bass_aac.dll", L"basswma.dll"}) {
        std::wstring path = TestExeFolder() + L"Plugins\\" + name;
        ASSERT_NE(BASS_PluginLoad((const char*)path.c_str(), BASS_UNICODE), 0u);
    }
    Hammer("t.m4a", false, 400);
    Hammer("alac.m4a", false, 300);
    Hammer("t.aac", false, 300);
    Hammer("t.wma", false, 400);
    BASS_PluginFree(0);
}

// What a server sends is parsed with no trust: mutated, truncated, oversized
// replies and ICY streams keep the parsers' promises, in process and through a
// real connection.
TEST(EngineBadInput, HttpRepliesAndIcyBlocks) {
    const std::string good = "ICY 200 OK\r\nicy-name: x\r\nicy-metaint: 64\r\nicy-br: 128\r\nContent-Length: 99\r\n\r\n";
    HttpReply r;
    ASSERT_TRUE(ParseHttpReply(good.data(), good.size(), &r));
    EXPECT_TRUE(r.icy);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.metaInt, 64u);
    EXPECT_EQ(r.bitrateKbps, 128u);
    EXPECT_EQ(r.contentLength, 99);
    std::mt19937 rng(7);
    int cases = 20000 * SoakFactor();
    for (int i = 0; i < cases; i++) {
        std::string bad = good;
        switch (i % 4) {
        case 0: bad.resize(rng() % good.size()); break;
        case 1:
            for (int k = 0; k < 4; k++) bad[rng() % bad.size()] = (char)rng();
            break;
        case 2: bad.insert(rng() % bad.size(), std::string(rng() % 20000, (char)rng())); break;
        case 3: bad = "HTTP/1.1 200 OK\r\n" + std::string(rng() % 3000, '\n') + "icy-metaint: 99999999999999\r\n"; break;
        }
        HttpReply p;
        if (!ParseHttpReply(bad.data(), bad.size(), &p)) continue;
        ASSERT_GE(p.tagBlock.size(), 2u);
        ASSERT_EQ(p.tagBlock.back(), '\0');
        ASSERT_EQ(p.tagBlock[p.tagBlock.size() - 2], '\0');
        ASSERT_LE(p.metaInt, 1u << 20);
        ASSERT_GE(p.contentLength, -1);
    }
    // A well-formed ICY stream split anywhere gives back its audio and titles.
    std::string audio(5000, '\0');
    for (size_t i = 0; i < audio.size(); i++) audio[i] = (char)(i * 7);
    std::string stream = WithIcyBlocks(audio, 300, {"A", "", "A", "B", std::string(4000, 'l')});
    for (int i = 0; i < 200; i++) {
        IcyDemux d(300);
        std::string out;
        std::vector<std::string> metas;
        for (size_t at = 0; at < stream.size();) {
            size_t n = 1 + rng() % 700;
            n = std::min(n, stream.size() - at);
            d.Feed((const uint8_t*)stream.data() + at, n, &out, &metas);
            at += n;
        }
        ASSERT_EQ(out, audio);
        ASSERT_EQ(metas.size(), 4u);
        EXPECT_EQ(metas[3], "StreamTitle='" + std::string(4000, 'l') + "';");
    }
    // Damaged ones never give more than came in, nor a title over 4080 bytes.
    for (int i = 0; i < 2000 * SoakFactor(); i++) {
        std::string bad = stream;
        for (int k = 0; k < 6; k++) bad[rng() % bad.size()] = (char)rng();
        IcyDemux d(1 + rng() % 400);
        std::string out;
        std::vector<std::string> metas;
        d.Feed((const uint8_t*)bad.data(), bad.size(), &out, &metas);
        size_t total = out.size();
        for (auto& m : metas) {
            ASSERT_LE(m.size(), 4080u);
            total += m.size();
        }
        ASSERT_LE(total, bad.size());
    }
}

TEST(EngineBadInput, MutatedServersNeverCrashOrHang) {
    std::string radio = RadioFrames();
    ASSERT_GT(radio.size(), 20000u);
    const std::string head = ReplyHead("ICY 200 OK", {"icy-metaint: 1000", "icy-br: 128"});
    const std::string body = WithIcyBlocks(radio.substr(0, 30000), 1000, {"One", "Two", "Three"});
    std::atomic<int> serial{0};
    TestHttpServer server;
    ASSERT_TRUE(server.Start([&](TestConnection& c) {
        std::mt19937 rng(1000 + serial++);
        std::string reply = head + body;
        switch (rng() % 5) {
        case 0: reply.resize(rng() % reply.size()); break;  // cut anywhere
        case 1:
            for (int k = 0; k < 8; k++) reply[rng() % head.size()] = (char)rng();  // damaged headers
            break;
        case 2:
            for (int k = 0; k < 20; k++) reply[head.size() + rng() % body.size()] = (char)rng();  // damaged blocks
            break;
        case 3: reply = ReplyHead("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}) + "zz\r\n" + body; break;
        case 4: reply = ReplyHead("HTTP/1.0 200 OK", {"Content-Length: 900000", "icy-metaint: 7"}) + body; break;
        }
        c.Send(reply);
    }));
    int opened = 0;
    for (int i = 0; i < 40 * SoakFactor(); i++) {
        HSTREAM h = BASS_StreamCreateURL(server.Url("/m").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
        if (!h) continue;
        opened++;
        std::vector<char> buf(65536);
        for (int k = 0; k < 200 && BASS_ChannelGetData(h, buf.data(), (DWORD)buf.size()) != (DWORD)-1; k++) {}
        BASS_ChannelGetTags(h, BASS_TAG_META);
        BASS_StreamGetFilePosition(h, BASS_FILEPOS_BUFFER);
        EXPECT_TRUE(BASS_StreamFree(h));
    }
    EXPECT_GT(opened, 0);
}
