// Output under Wine: devices, BASS_Init at the rate the device really runs,
// playback on the silent device 0 (time runs, syncs fire) and on the system's
// endpoint, whose sound test.sh records through ALSA's file plugin.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>
#include <atomic>
#include "bass.h"
#include "tests/engine_support.h"
#include "tests/http_test_server.h"
#include "tests/test_support.h"

namespace {

int64_t NowMs() { return (int64_t)GetTickCount64(); }

struct InitGuard {
    bool ok;
    InitGuard(int device, DWORD freq) : ok(BASS_Init(device, freq, 0, nullptr, nullptr) != FALSE) {}
    ~InitGuard() {
        if (ok) BASS_Free();
    }
};

HSTREAM OpenPlay(const char* name, DWORD flags = 0) {
    std::wstring path = MediaPath(name);
    return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, flags | BASS_UNICODE);
}

// Waits up to `ms` for `done`: whether it came.
template <typename F>
bool WaitUntil(F done, int ms) {
    for (int64_t start = NowMs(); !done(); Sleep(10))
        if (NowMs() - start >= ms) return false;
    return true;
}

double PositionSeconds(HSTREAM h) { return BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h, BASS_POS_BYTE)); }

}  // namespace

TEST(EngineDevices, ListAndInitAtTheDevicesRate) {
    EXPECT_EQ(BASS_GetDevice(), (DWORD)-1);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    BASS_DEVICEINFO d{};
    ASSERT_TRUE(BASS_GetDeviceInfo(0, &d));
    EXPECT_STREQ(d.name, "No sound");
    int count = 0, defaults = 0;
    for (DWORD i = 1; BASS_GetDeviceInfo(i, &d); i++) {
        count++;
        EXPECT_TRUE(d.flags & BASS_DEVICE_ENABLED);
        EXPECT_FALSE(d.flags & BASS_DEVICE_INIT);
        EXPECT_GT(strlen(d.name), 0u);
        defaults += (d.flags & BASS_DEVICE_DEFAULT) ? 1 : 0;
    }
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    ASSERT_GE(count, 1) << "Wine's audio driver shows no endpoint";
    EXPECT_EQ(defaults, 1);

    EXPECT_FALSE(BASS_Init(count + 1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    BASS_INFO none{};
    EXPECT_FALSE(BASS_GetInfo(&none));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);

    // The player asks for 192 kHz; the device runs at its own rate.
    InitGuard init(-1, 192000);
    ASSERT_TRUE(init.ok) << BASS_ErrorGetCode();
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    DWORD dev = BASS_GetDevice();
    ASSERT_GE(dev, 1u);
    ASSERT_TRUE(BASS_GetDeviceInfo(dev, &d));
    EXPECT_TRUE(d.flags & BASS_DEVICE_INIT);
    EXPECT_TRUE(d.flags & BASS_DEVICE_DEFAULT);
    BASS_INFO info{};
    ASSERT_TRUE(BASS_GetInfo(&info));
    EXPECT_GE(info.freq, 8000u);
    EXPECT_LE(info.freq, 192000u);
    // What the mixer takes: mono and stereo, 8 and 16 bits, any rate in its range.
    for (DWORD flag : {DSCAPS_SECONDARYMONO, DSCAPS_SECONDARYSTEREO, DSCAPS_SECONDARY8BIT, DSCAPS_SECONDARY16BIT,
                       DSCAPS_CONTINUOUSRATE})
        EXPECT_TRUE(info.flags & flag) << std::hex << flag;
    EXPECT_LE(info.minrate, 8000u);
    EXPECT_GE(info.maxrate, 192000u);
    EXPECT_GE(info.speakers, 1u);
    EXPECT_GT(info.latency, 0u);
    EXPECT_LT(info.latency, 100u);
}

// On device 0 time runs: the position follows the clock, syncs fire, the
// channel stops at its end.
TEST(EngineSilentDevice, PlaysInRealTimeWithSyncs) {
    InitGuard init(0, 44100);
    ASSERT_TRUE(init.ok);
    EXPECT_EQ(BASS_GetDevice(), 0u);
    HSTREAM h = OpenPlay("s16.wav");
    ASSERT_NE(h, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_STOPPED);

    struct Seen {
        std::atomic<int64_t> posAt{-1}, endAt{-1};
        std::atomic<int64_t> posDecoded{-1};
        std::atomic<int> ends{0};
        DWORD thread = 0, caller = GetCurrentThreadId();
    } seen;
    auto onPos = [](HSYNC, DWORD ch, DWORD, void* u) {
        auto* s = (Seen*)u;
        s->posDecoded = (int64_t)BASS_ChannelGetPosition(ch, BASS_POS_BYTE | BASS_POS_DECODE);
        s->posAt = NowMs();
    };
    auto onEnd = [](HSYNC, DWORD, DWORD, void* u) {
        auto* s = (Seen*)u;
        s->ends++;
        s->endAt = NowMs();
        s->thread = GetCurrentThreadId();
    };
    const QWORD oneSecond = BASS_ChannelSeconds2Bytes(h, 1.0);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_POS | BASS_SYNC_MIXTIME, oneSecond, onPos, &seen), 0u);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END, 0, onEnd, &seen), 0u);

    int64_t start = NowMs();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_PLAYING);
    Sleep(500);
    double p = PositionSeconds(h);
    EXPECT_NEAR(p, (NowMs() - start) / 1000.0, 0.1);

    ASSERT_TRUE(BASS_ChannelPause(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_PAUSED);
    double paused = PositionSeconds(h);
    Sleep(200);
    EXPECT_DOUBLE_EQ(PositionSeconds(h), paused);
    int64_t pausedFor = 200;
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));

    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING && NowMs() - start < 6000) Sleep(10);
    int64_t stopped = NowMs();
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_STOPPED);
    // 2.5 s of audio plus the pause.
    EXPECT_NEAR((double)(stopped - start - pausedFor), 2500, 150);
    // The mix-time sync ran when the mixer reached its sample exactly.
    EXPECT_EQ(seen.posDecoded.load(), (int64_t)oneSecond);
    EXPECT_NEAR((double)(seen.posAt - start - pausedFor), 1000, 150);
    Sleep(100);
    EXPECT_EQ(seen.ends.load(), 1);
    EXPECT_NE(seen.thread, seen.caller);  // on a library thread
    EXPECT_NEAR((double)(seen.endAt - start - pausedFor), 2500, 150);
    // Played to its end, it starts again from the beginning.
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    Sleep(100);
    EXPECT_LT(PositionSeconds(h), 0.5);
    EXPECT_TRUE(BASS_StreamFree(h));

    // An AUTOFREE stream frees itself at its end; its FREE sync says so.
    HSTREAM a = OpenPlay("u8.wav", BASS_STREAM_AUTOFREE);
    ASSERT_NE(a, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(a, &info));
    EXPECT_TRUE(info.flags & BASS_UNICODE);
    EXPECT_EQ(std::wstring((const wchar_t*)info.filename), MediaPath("u8.wav"));
    std::atomic<int> freed{0};
    ASSERT_NE(BASS_ChannelSetSync(a, BASS_SYNC_FREE | BASS_SYNC_MIXTIME, 0,
                                  [](HSYNC, DWORD, DWORD, void* u) { ++*(std::atomic<int>*)u; }, &freed), 0u);
    ASSERT_TRUE(BASS_ChannelPlay(a, FALSE));
    WaitUntil([&] { return freed != 0; }, 3000);
    EXPECT_EQ(freed.load(), 1);
    EXPECT_FALSE(BASS_ChannelGetInfo(a, &info));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

// An end set with BASS_POS_END is where the stream ends, as at its own end:
// the END sync fires there, and it plays until that sample is heard; the
// length stays the file's, and an end past it is the file's own end again.
TEST(EngineSilentDevice, AnEndSetOnAStreamIsItsEnd) {
    InitGuard init(0, 44100);
    ASSERT_TRUE(init.ok);
    HSTREAM h = OpenPlay("s16.wav");
    ASSERT_NE(h, 0u);
    QWORD length = BASS_ChannelGetLength(h, BASS_POS_BYTE);
    QWORD from = BASS_ChannelSeconds2Bytes(h, 0.5), end = BASS_ChannelSeconds2Bytes(h, 1.0);
    ASSERT_TRUE(BASS_ChannelSetPosition(h, from, BASS_POS_BYTE));
    ASSERT_TRUE(BASS_ChannelSetPosition(h, end, BASS_POS_END));
    EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), length);
    static std::atomic<int64_t> endDecoded;
    endDecoded = -1;
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END | BASS_SYNC_MIXTIME, 0, [](HSYNC, DWORD ch, DWORD, void*) {
        endDecoded = (int64_t)BASS_ChannelGetPosition(ch, BASS_POS_BYTE | BASS_POS_DECODE);
    }, nullptr), 0u);
    int64_t start = NowMs();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING && NowMs() - start < 3000) Sleep(5);
    EXPECT_NEAR((double)(NowMs() - start), 500, 150);
    EXPECT_EQ(endDecoded.load(), (int64_t)end);
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), end);
    EXPECT_TRUE(BASS_StreamFree(h));

    HSTREAM d = OpenDecode("s16.wav");
    ASSERT_NE(d, 0u);
    ASSERT_TRUE(BASS_ChannelSetPosition(d, end, BASS_POS_END));
    EXPECT_EQ(DecodeFloat(d).size() * sizeof(int16_t), (size_t)end);
    ASSERT_TRUE(BASS_ChannelSetPosition(d, length + 4, BASS_POS_END));
    ASSERT_TRUE(BASS_ChannelSetPosition(d, 0, BASS_POS_BYTE));
    EXPECT_EQ(DecodeFloat(d).size() * sizeof(int16_t), (size_t)length);
    EXPECT_TRUE(BASS_StreamFree(d));
}

// A chained Ogg file played: the mix-time OGG_CHANGE sync comes when the
// mixer reaches the second song, the other one when it is heard, and the
// second song's comments are the OGG block from then on.
TEST(EngineSilentDevice, ChainedOggChangesWhenTheSecondSongIsReached) {
    InitGuard init(0, 44100);
    ASSERT_TRUE(init.ok);
    HSTREAM h = OpenPlay("chain.ogg");
    ASSERT_NE(h, 0u);
    struct Seen {
        std::atomic<int64_t> mixAt{-1}, heardAt{-1}, mixPos{-1};
    } seen;
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_OGG_CHANGE | BASS_SYNC_MIXTIME, 0,
                                  [](HSYNC, DWORD ch, DWORD, void* u) {
                                      auto* s = (Seen*)u;
                                      s->mixAt = NowMs();
                                      s->mixPos = (int64_t)BASS_ChannelGetPosition(ch, BASS_POS_BYTE | BASS_POS_DECODE);
                                  },
                                  &seen),
              0u);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_OGG_CHANGE, 0,
                                  [](HSYNC, DWORD, DWORD, void* u) { ((Seen*)u)->heardAt = NowMs(); }, &seen),
              0u);
    int64_t start = NowMs();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    while (seen.heardAt < 0 && NowMs() - start < 3000) Sleep(5);
    ASSERT_GE(seen.heardAt.load(), 0);
    EXPECT_NEAR((double)(seen.heardAt - start), 1000, 150);
    EXPECT_LE(seen.mixAt.load(), seen.heardAt.load());
    EXPECT_NEAR((double)seen.mixPos / 4, 44100, 600);  // 16-bit stereo bytes to frames
    std::vector<std::string> tags = TagEntries(BASS_ChannelGetTags(h, BASS_TAG_OGG));
    EXPECT_TRUE(HasEntry(tags, "TITLE=Second Song") || HasEntry(tags, "title=Second Song"));
    // The whole chain plays: two seconds.
    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING && NowMs() - start < 4000) Sleep(10);
    EXPECT_NEAR((double)(NowMs() - start), 2000, 200);
    BASS_StreamFree(h);
}

// A slide reaches its target in its time and then fires its sync; the
// player's smooth pause (slide to 0, pause in the sync) leaves it paused.
TEST(EngineSilentDevice, SlideThenPauseInItsSync) {
    InitGuard init(0, 44100);
    ASSERT_TRUE(init.ok);
    HSTREAM h = OpenPlay("s16.wav", BASS_SAMPLE_LOOP);
    ASSERT_TRUE(BASS_ChannelSetAttribute(h, BASS_ATTRIB_VOL, 0.8f));
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    Sleep(100);
    std::atomic<int64_t> firedAt{-1};
    auto onSlide = [](HSYNC, DWORD ch, DWORD data, void* u) {
        *(std::atomic<int64_t>*)u = NowMs();
        BASS_ChannelPause(ch);
    };
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_SLIDE | BASS_SYNC_MIXTIME | BASS_SYNC_ONETIME, 0, onSlide, &firedAt), 0u);
    int64_t start = NowMs();
    ASSERT_TRUE(BASS_ChannelSlideAttribute(h, BASS_ATTRIB_VOL, 0, 320));
    EXPECT_TRUE(BASS_ChannelIsSliding(h, BASS_ATTRIB_VOL));
    Sleep(160);
    float v = -1;
    ASSERT_TRUE(BASS_ChannelGetAttribute(h, BASS_ATTRIB_VOL, &v));
    EXPECT_NEAR(v, 0.4f, 0.12f);
    while (firedAt < 0 && NowMs() - start < 2000) Sleep(5);
    EXPECT_NEAR((double)(firedAt - start), 320, 60);
    ASSERT_TRUE(BASS_ChannelGetAttribute(h, BASS_ATTRIB_VOL, &v));
    EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(BASS_ChannelIsSliding(h, BASS_ATTRIB_VOL));
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_PAUSED);
    // Looping never ends: the flag can be taken away while it plays.
    EXPECT_EQ(BASS_ChannelFlags(h, 0, BASS_SAMPLE_LOOP) & BASS_SAMPLE_LOOP, 0u);
    EXPECT_TRUE(BASS_StreamFree(h));
}

// A played sine reaches the device: test.sh points ALSA's file plugin at
// build/tests/alsa-capture.raw, which records what Wine's driver plays.
TEST(EngineEndpoint, SineComesOutAtItsFrequencyAndLevel) {
    std::wstring capture = TestExeFolder() + L"alsa-capture.raw";
    InitGuard init(-1, 44100);
    ASSERT_TRUE(init.ok) << BASS_ErrorGetCode();
    BASS_INFO info{};
    BASS_GetInfo(&info);
    HSTREAM h = OpenPlay("u8.wav");  // 1 kHz, -3 dB, 22050 Hz mono: resampled to the device
    ASSERT_NE(h, 0u);
    int64_t start = NowMs();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    Sleep(300);
    // While it plays, levels and spectrum describe what is heard.
    DWORD level = BASS_ChannelGetLevel(h);
    EXPECT_NEAR((double)LOWORD(level), 0.708 * 32768, 1500);
    float fft[512];
    ASSERT_NE(BASS_ChannelGetData(h, fft, BASS_DATA_FFT1024), (DWORD)-1);
    int peak = 0;
    for (int i = 1; i < 512; i++)
        if (fft[i] > fft[peak]) peak = i;
    EXPECT_NEAR(peak, 1000.0 * 1024 / 22050, 1.0);
    // Wine's driver over ALSA's null device takes audio faster than real time,
    // so only the end is checked here; the silent device checks the clock.
    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING && NowMs() - start < 3000) Sleep(10);
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_STOPPED);
    EXPECT_GE(BASS_GetCPU(), 0.0f);
    BASS_StreamFree(h);
    BASS_Free();
    init.ok = false;

    std::string raw = ReadFileBytes(capture);
    if (raw.empty()) GTEST_SKIP() << "no ALSA capture file (run through test.sh)";
    // Wine plays the device format.
    std::vector<float> s = CapturedFirstChannel(raw, (int)info.speakers);
    // The capture holds exactly the second of sine, resampled to the device rate.
    size_t first = 0, last = 0;
    float peakValue = 0;
    for (size_t i = 0; i < s.size(); i++)
        if (fabsf(s[i]) > 0.05f) {
            if (!first) first = i;
            last = i;
            peakValue = fmaxf(peakValue, fabsf(s[i]));
        }
    ASSERT_GT(last, first);
    double seconds = (double)(last - first) / info.freq;
    EXPECT_NEAR(seconds, 1.0, 0.01);
    EXPECT_NEAR(peakValue, 0.708, 0.03);
    int crossings = 0;
    for (size_t i = first + 1; i <= last; i++) crossings += (s[i - 1] < 0) != (s[i] < 0);
    EXPECT_NEAR(crossings / 2.0 / seconds, 1000, 10);
}

namespace {

void CALLBACK StartTheNext(HSYNC, DWORD, DWORD, void* user) { BASS_ChannelPlay((DWORD)(uintptr_t)user, FALSE); }

}  // namespace

// A channel started from the END sync (MIXTIME) of the one playing follows its
// last sample with nothing between them: two pieces of one 440 Hz sine come
// out as one, also when the second piece has another rate, and when the first
// ends at an end set inside its file.
TEST(EngineEndpoint, AChannelStartedAtTheEndFollowsWithoutAGap) {
    std::wstring capture = TestExeFolder() + L"alsa-capture.raw";
    ScratchFolder dir(L"chained");
    const uint32_t cut = 22050 + 123;  // not on a block's edge
    struct {
        int secondRate;
        bool endSet;
    } cases[] = {{44100, false}, {48000, false}, {44100, true}};
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.secondRate << (c.endSet ? " end set" : ""));
        std::wstring first = dir.File(L"first.wav"), second = dir.File(L"second.wav");
        ASSERT_TRUE(WriteSinePiece(first, 44100, 0.0, c.endSet ? 44100 : cut));
        double from = (double)cut / 44100;
        ASSERT_TRUE(WriteSinePiece(second, c.secondRate, from, (uint32_t)((1.0 - from) * c.secondRate)));
        InitGuard init(-1, 44100);
        ASSERT_TRUE(init.ok) << BASS_ErrorGetCode();
        BASS_INFO info{};
        BASS_GetInfo(&info);
        HSTREAM a = BASS_StreamCreateFile(FALSE, first.c_str(), 0, 0, BASS_UNICODE);
        HSTREAM b = BASS_StreamCreateFile(FALSE, second.c_str(), 0, 0, BASS_UNICODE);
        ASSERT_NE(a, 0u);
        ASSERT_NE(b, 0u);
        if (c.endSet) { ASSERT_TRUE(BASS_ChannelSetPosition(a, (QWORD)cut * 4, BASS_POS_END)); }
        ASSERT_NE(BASS_ChannelSetSync(a, BASS_SYNC_END | BASS_SYNC_MIXTIME, 0, StartTheNext, (void*)(uintptr_t)b), 0u);
        int64_t start = NowMs();
        ASSERT_TRUE(BASS_ChannelPlay(a, FALSE));
        Sleep(100);
        while ((BASS_ChannelIsActive(a) == BASS_ACTIVE_PLAYING || BASS_ChannelIsActive(b) == BASS_ACTIVE_PLAYING) &&
               NowMs() - start < 4000)
            Sleep(10);
        EXPECT_EQ(BASS_ChannelIsActive(b), (DWORD)BASS_ACTIVE_STOPPED);
        BASS_Free();
        init.ok = false;

        std::string raw = ReadFileBytes(capture);
        if (raw.empty()) GTEST_SKIP() << "no ALSA capture file (run through test.sh)";
        EXPECT_EQ(JoinedSineProblem(raw, (int)info.speakers, (int)info.freq, 1.0), "");
    }
}

// The player's way of playing a module: RAMP, POSRESET and the loop flag.
TEST(EngineSilentDevice, ModulePlaysAndLoops) {
    if (!MediaExists("t.it")) GTEST_SKIP() << "no module media";
    InitGuard init(0, 44100);
    ASSERT_TRUE(init.ok);
    std::wstring path = MediaPath("t.it");
    HMUSIC m = BASS_MusicLoad(FALSE, path.c_str(), 0, 0,
                              BASS_UNICODE | BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMP | BASS_MUSIC_POSRESET | BASS_SAMPLE_LOOP, 0);
    ASSERT_NE(m, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info{};
    BASS_ChannelGetInfo(m, &info);
    EXPECT_EQ(info.freq, 44100u);  // the device's rate when none is given
    double length = BASS_ChannelBytes2Seconds(m, BASS_ChannelGetLength(m, BASS_POS_BYTE));
    ASSERT_GT(length, 1.0);
    // Start just before the end: it loops instead of stopping.
    ASSERT_TRUE(BASS_ChannelSetPosition(m, BASS_ChannelSeconds2Bytes(m, length - 0.2), BASS_POS_BYTE));
    ASSERT_TRUE(BASS_ChannelPlay(m, FALSE));
    Sleep(500);
    EXPECT_EQ(BASS_ChannelIsActive(m), (DWORD)BASS_ACTIVE_PLAYING);
    EXPECT_LT(PositionSeconds(m), 1.0);
    EXPECT_TRUE(BASS_MusicFree(m));
}

// Seeking a playing stream: the position is the new one at once and runs on.
TEST(EngineEndpoint, SeekWhilePlaying) {
    InitGuard init(-1, 44100);
    ASSERT_TRUE(init.ok);
    HSTREAM h = OpenPlay("music.ogg");
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    Sleep(200);
    ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 3.0), BASS_POS_BYTE));
    double p = PositionSeconds(h);
    EXPECT_GE(p, 3.0);
    EXPECT_LT(p, 3.1);
    Sleep(200);
    EXPECT_GT(PositionSeconds(h), 3.0);
    ASSERT_TRUE(BASS_ChannelPause(h));
    double paused = PositionSeconds(h);
    Sleep(100);
    EXPECT_DOUBLE_EQ(PositionSeconds(h), paused);
    EXPECT_TRUE(BASS_ChannelStop(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(BASS_StreamFree(h));
}

// A radio stream played: it buffers while stopped until 75% of its block
// buffer is filled, plays, stalls when the server pauses and resumes when the
// buffer has filled again, tells each new title on the sync thread, and frees
// itself (AUTOFREE) once the server has closed and the buffer has played out.
TEST(EngineNetPlayback, BuffersPlaysStallsResumesAndFreesItselfAtTheEnd) {
    InitGuard init(0, 44100);
    ASSERT_TRUE(init.ok);
    std::string radio = RadioFrames();
    std::string audio;
    for (int i = 0; i < 8; i++) audio += radio;
    std::vector<std::string> titles;
    for (int i = 0; i < 400; i++) titles.push_back("Song " + std::to_string(i / 8));
    std::string body = WithIcyBlocks(audio, 2000, titles);
    std::atomic<bool> hold{false}, finish{false};
    TestHttpServer server;
    ASSERT_TRUE(server.Start([&](TestConnection& c) {
        if (!c.Send(ReplyHead("HTTP/1.0 200 OK", {"icy-metaint: 2000", "icy-br: 128"}))) return;
        // About 20 KB a second, a little faster than it plays: the sockets'
        // own buffers never hold more than a few seconds of it.
        size_t at = 0;
        int64_t began = NowMs();
        while (at < body.size() && !finish) {
            if (hold || at > 24000 + (size_t)(NowMs() - began) * 20) {
                Sleep(5);
                continue;
            }
            if (!c.Send(body.substr(at, 1000))) return;
            at += 1000;
        }
    }));
    BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 1000);  // 16 KB at 128 kbit/s
    HSTREAM h = BASS_StreamCreateURL(server.Url("/live").c_str(), 0,
                                     BASS_STREAM_BLOCK | BASS_STREAM_STATUS | BASS_STREAM_AUTOFREE, nullptr, nullptr);
    BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 5000);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_END), 16000u);
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_CONNECTED), 1u);
    auto percent = [&] {
        return BASS_StreamGetFilePosition(h, BASS_FILEPOS_BUFFER) * 100 / BASS_StreamGetFilePosition(h, BASS_FILEPOS_END);
    };
    WaitUntil([&] { return percent() > 75; }, 3000);
    EXPECT_GT(percent(), 75u);
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_STOPPED);

    static std::atomic<int> metas, stalls, resumes;
    metas = stalls = resumes = 0;
    BASS_ChannelSetSync(h, BASS_SYNC_META, 0, [](HSYNC, DWORD, DWORD, void*) { metas++; }, nullptr);
    BASS_ChannelSetSync(h, BASS_SYNC_STALL, 0, [](HSYNC, DWORD, DWORD data, void*) { (data ? resumes : stalls)++; },
                        nullptr);
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    Sleep(100);
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_PLAYING);
    // Eight blocks of 2000 bytes a title: a new one about every second.
    EXPECT_TRUE(WaitUntil([] { return metas >= 1; }, 3000));
    EXPECT_EQ(strncmp(BASS_ChannelGetTags(h, BASS_TAG_META), "StreamTitle='Song ", 18), 0);

    // A busy machine may already have starved the stream once: count from here.
    int stallsBefore = stalls.load();
    hold = true;
    WaitUntil([&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STALLED; }, 8000);
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_STALLED);
    WaitUntil([&] { return stalls > stallsBefore; }, 1000);
    EXPECT_GT(stalls.load(), stallsBefore);
    hold = false;
    WaitUntil([&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING; }, 3000);
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_PLAYING);
    WaitUntil([] { return resumes >= stalls; }, 1000);
    EXPECT_EQ(resumes.load(), stalls.load());  // every stall ended in a resume

    finish = true;  // the server closes; the rest plays out and the stream goes
    BASS_CHANNELINFO info{};
    WaitUntil([&] { return !BASS_ChannelGetInfo(h, &info); }, 5000);
    EXPECT_FALSE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}
