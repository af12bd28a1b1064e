// Bad input: truncated and damaged copies of every format must either open
// and decode to an end, or fail with an error number; never crash or hang.
// SONVALE_SOAK=n runs at least n * 10,000 inputs per format (tests/soak.h).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <memory>
#include <random>
#include "bass.h"
#include "audio/audio_library.h"
#include "audio/track_display.h"
#include "media/mpeg_headers.h"
#include "media/mpeg_probe.h"
#include "media/tags.h"
#include "tests/soak.h"
#include "tests/engine_support.h"
#include "tests/http_test_server.h"
#include "tests/test_support.h"

namespace {

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
    // The tag blocks go through the player's parser as the player reads them.
    TagRecord tags;
    for (DWORD type : {BASS_TAG_ID3, BASS_TAG_ID3V2, BASS_TAG_OGG, BASS_TAG_APE}) {
        if (const char* block = BASS_ChannelGetTags(h, type))
            ParseTagBlock(&tags, block, TagBlockSize(block, (int)type, 16u << 20), (int)type, 1252);
    }
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

// One format's reader soaked with mutations of its sample files (the first
// named decides whether the test runs): first every cut in the first 200
// bytes, where the headers are, then the seeded mutations of tests/soak.h,
// cuts and splices of the samples among them.
void Hammer(const char* name, std::vector<const char*> files, bool music, size_t cases, uint32_t seed) {
    if (!MediaExists(files[0])) GTEST_SKIP() << files[0] << " not made";
    std::vector<std::string> samples;
    for (const char* f : files)
        if (MediaExists(f)) samples.push_back(MediaBytes(f));
    ASSERT_GT(samples[0].size(), 200u);
    Outcome o;
    for (size_t len = 0; len < 200; len++) {
        Exercise(samples[0].substr(0, len), music, &o);
        if (::testing::Test::HasFailure()) return;
    }
    SoakOptions options;
    options.seed = seed;
    options.limitMs = 15000;  // ten seconds of audio decoded on a busy machine
    Soak(name, samples, SoakInputs(cases), [&](const std::string& in) {
        Exercise(in, music, &o);
        return !::testing::Test::HasFailure();
    }, options);
    // Both outcomes occur: the damages are not all harmless or all fatal.
    EXPECT_GT(o.opened, 0);
    EXPECT_GT(o.failed, 0);
}

// An MP3 file as taggers leave it: an ID3v2 tag before the audio, an APE tag
// with its header and footer and an ID3v1 tag after it.
std::string TaggedMp3() {
    using namespace std::string_literals;
    std::string frames = "TIT2"s + "\0\0\0\x06\0\0"s + "\0Title"s + "TPE1"s + "\0\0\0\x07\0\0"s + "\x03" "Artist" +
                         std::string(16, '\0');
    std::string id3v2 = "ID3\x03\0\0\0\0"s + (char)(frames.size() >> 7) + (char)(frames.size() & 0x7F) + frames;
    std::string items;
    for (auto [key, value] : {std::pair<std::string, std::string>{"Album", "Ape Album"}, {"Year", "2003"},
                              {"Cover Art (Front)", std::string(40, '\x01')}}) {
        items += Le32((uint32_t)value.size()) + Le32(key[0] == 'C' ? 2u : 0u) + key + '\0' + value;
    }
    auto apeHeader = [&](uint32_t flags) {
        return "APETAGEX"s + Le32(2000) + Le32((uint32_t)items.size() + 32) + Le32(3) + Le32(flags) + std::string(8, '\0');
    };
    std::string ape = apeHeader(0xA0000000u) + items + apeHeader(0x80000000u);
    std::string id3v1(128, '\0');
    memcpy(&id3v1[0], "TAGOld Title", 12);
    id3v1[127] = 17;
    return id3v2 + MediaBytes("cbr.mp3").substr(0, 60000) + ape + id3v1;
}

}  // namespace

TEST(EngineBadInput, Wave) { Hammer("WAVE", {"s24ext.wav", "u8.wav", "f32.wav"}, false, 2000, 1); }
TEST(EngineBadInput, Aiff) { Hammer("AIFF", {"f32.aifc", "s16.aiff", "s24.aiff"}, false, 2000, 2); }
TEST(EngineBadInput, Mp3) { Hammer("MPEG", {"cbr.mp3", "vbr.mp3", "mono22.mp3", "layer2.mp2"}, false, 1000, 3); }
TEST(EngineBadInput, Vorbis) {
    // chain.ogg: a second logical stream of another rate and channel count.
    Hammer("Vorbis", {"t.ogg", "chain.ogg"}, false, 1600, 4);
}
TEST(EngineBadInput, Modules) {
    Hammer("IT", {"t.it", "t.s3m"}, true, 600, 5);
    Hammer("MOD", {"t.mod"}, true, 600, 6);
    Hammer("XM", {"t.xm"}, true, 300, 7);
}

// The tags at both ends of a file, read by the library and parsed by the player.
TEST(EngineBadInput, FileTags) {
    if (!MediaExists("cbr.mp3")) GTEST_SKIP() << "cbr.mp3 not made";
    std::string tagged = TaggedMp3();
    DWORD h = OpenMemory(tagged);
    ASSERT_NE(h, 0u);
    const char* ape = BASS_ChannelGetTags(h, BASS_TAG_APE);
    ASSERT_NE(ape, nullptr);
    TagRecord r;
    ParseTagBlock(&r, ape, TagBlockSize(ape, TagApe, 1 << 20), TagApe, 1252);
    EXPECT_EQ(r.album.text, L"Ape Album");
    const char* v2 = BASS_ChannelGetTags(h, BASS_TAG_ID3V2);
    ASSERT_NE(v2, nullptr);
    ParseTagBlock(&r, v2, TagBlockSize(v2, TagId3v2, 1 << 20), TagId3v2, 1252);
    EXPECT_EQ(r.artist.text, L"Artist");
    EXPECT_NE(BASS_ChannelGetTags(h, BASS_TAG_ID3), nullptr);
    BASS_StreamFree(h);
    std::string tail = tagged.substr(tagged.size() - 400);
    // Only the tags are damaged: the ends of the file, where the sizes are.
    std::vector<std::string> samples = {tagged};
    Outcome o;
    SoakOptions options;
    options.seed = 8;
    options.limitMs = 15000;
    options.lengthFields = {6, 7, 8, 9, 14, 17};
    std::vector<std::string> tails = {tail};
    SoakOptions tailOptions = options;
    tailOptions.lengthFields.clear();
    for (size_t at : {12, 16, 20}) tailOptions.lengthFields.push_back(tail.size() - 128 - 32 + at);
    Mutator ends(tails, tailOptions);
    Soak("file tags", samples, SoakInputs(600), [&](const std::string& in) {
        // Half the inputs keep the audio whole and damage a copy of the end alone.
        std::string bytes = in;
        if (in.size() & 1) bytes = tagged.substr(0, tagged.size() - tail.size()) + ends.Next();
        Exercise(bytes, false, &o);
        return !::testing::Test::HasFailure();
    }, options);
    EXPECT_GT(o.opened, 0);
}

// A hostile Xing count in a real file is believed neither by the header
// reading nor by the library's channel; the quick probe of damaged files on
// disk never crashes, gives sane lengths and the library's tags. (Cuts and seeded damage of the
// header reading alone: mpeg_headers_tests.cpp.)
TEST(EngineBadInput, MpegHeaderLengths) {
    if (!MediaExists("vbr.mp3")) GTEST_SKIP() << "vbr.mp3 not made";
    std::string vbr = Mp3AudioPart(MediaBytes("vbr.mp3"));
    // vbr.mp3 starts with LAME's Xing frame: 44.1 kHz joint stereo, Xing at 36.
    ASSERT_EQ(vbr.compare(36, 4, "Xing"), 0);
    HSTREAM h = OpenMemory(vbr);
    ASSERT_NE(h, 0u);
    int64_t decoded = (int64_t)BASS_ChannelGetLength(h, BASS_POS_BYTE) / 4;
    BASS_StreamFree(h);

    std::string hostile = vbr;
    hostile.replace(44, 4, "\xFF\xFF\xFF\xFF", 4);  // the frame count
    MpegLength l;
    ASSERT_TRUE(MpegLengthFromHeaders((const uint8_t*)hostile.data(), hostile.size(), (int64_t)hostile.size(), &l));
    EXPECT_NE(l.source, MpegLengthXing);
    EXPECT_NEAR((double)l.samples, (double)decoded, decoded * 0.5);  // a guess from the frames' bit rates
    // The library's channel does not believe it either.
    h = OpenMemory(hostile);
    ASSERT_NE(h, 0u);
    EXPECT_LE(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE)), hostile.size() / 1000.0);
    BASS_StreamFree(h);

    // Whole files on disk, tags and all: only the first bytes and the end are read.
    ScratchFolder dir(L"mpeg-probe");
    std::vector<std::string> files = {MediaBytes("cbr.mp3"), TaggedMp3(), Mp3WithPicture(4, 12000)};
    SoakOptions fileOptions;
    fileOptions.seed = 10;
    fileOptions.lengthFields = {6, 7, 8, 9, 10 + 17 + 4};  // the tag's size, the picture frame's
    int probed = 0;
    Soak("quick MPEG probe", files, SoakInputs(400), [&](const std::string& in) {
        std::wstring path = dir.File(L"x.mp3");
        if (!WriteFileBytes(path, in)) return false;
        TagRecord tags, library;
        if (QuickProbeMpeg(path.c_str(), &tags, 1252)) {
            probed++;
            EXPECT_LE(tags.lengthMs, (int64_t)in.size() + 200);
            // Whatever the damage, the same tags as the library reads whole.
            if (LibraryTags(path.c_str(), &library)) ExpectSameTags(tags, library);
        }
        return !::testing::Test::HasFailure();
    }, fileOptions);
    EXPECT_GT(probed, 0);
}

TEST(EngineBadInput, FlacAddOn) {
    ASSERT_NE(LoadTestAddon(L"bassflac.dll"), 0u);
    Hammer("FLAC", {"t.flac"}, false, 1000, 9);
    Hammer("Ogg FLAC", {"t.oga", "t.flac"}, false, 400, 10);
    BASS_PluginFree(0);
}

TEST(EngineBadInput, CompressedWave) {
    Hammer("IMA ADPCM WAVE", {"ima.wav", "msadpcm.wav"}, false, 600, 21);
    Hammer("MS ADPCM WAVE", {"msadpcm.wav", "ima.wav"}, false, 600, 22);
    Hammer("u-law WAVE", {"ulaw.wav", "s16.wav"}, false, 300, 23);
}

TEST(EngineBadInput, OpusAddOn) {
    ASSERT_NE(LoadTestAddon(L"bassopus.dll"), 0u);
    Hammer("Opus", {"t.opus", "chain.opus"}, false, 600, 24);
    Hammer("chained Opus", {"chain.opus", "t.opus"}, false, 300, 25);
    BASS_PluginFree(0);
}

TEST(EngineBadInput, WavPackAddOn) {
    ASSERT_NE(LoadTestAddon(L"basswv.dll"), 0u);
    Hammer("WavPack", {"t.wv", "f32.wv"}, false, 600, 26);
    Hammer("WavPack float", {"f32.wv", "t.wv"}, false, 300, 27);
    Hammer("WavPack hybrid", {"hybrid.wv", "t.wv"}, false, 300, 28);
    BASS_PluginFree(0);
}

TEST(EngineBadInput, AacAndWmaAddOns) {
    for (const wchar_t* name : {L"bass_aac.dll", L"basswma.dll"}) ASSERT_NE(LoadTestAddon(name), 0u);
    Hammer("MP4 AAC", {"t.m4a", "alac.m4a"}, false, 400, 29);
    Hammer("MP4 ALAC", {"alac.m4a", "t.m4a"}, false, 300, 30);
    Hammer("ADTS AAC", {"t.aac"}, false, 300, 31);
    Hammer("WMA", {"t.wma"}, false, 400, 32);
    BASS_PluginFree(0);
}

// What a server sends, mutated, through a real connection.
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
