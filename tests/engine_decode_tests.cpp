// Decoding through our bass.dll compared with independent native decoders run
// on the same files (see scripts/make-test-media.sh), and the calls around it:
// channel information, lengths, positions, tags, levels, spectra and errors.
#include <gtest/gtest.h>
#include <math.h>
#include <algorithm>
#include <string.h>
#include "bass.h"
#include <atomic>
#include <mutex>
#include <thread>
#include "audio/audio_library.h"
#include "audio/track_display.h"
#include "media/mpeg_headers.h"
#include "media/mpeg_probe.h"
#include "tests/engine_support.h"
#include "tests/http_test_server.h"
#include "tests/test_support.h"

namespace {

std::string Ref(const char* file, const char* ext) { return std::string(file) + ext; }

// Signal-to-noise ratio in dB of ours against a reference, over the common part.
double Snr(const std::vector<float>& ours, const std::vector<float>& ref) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < ours.size() && i < ref.size(); i++) {
        signal += (double)ref[i] * ref[i];
        noise += ((double)ours[i] - ref[i]) * ((double)ours[i] - ref[i]);
    }
    return noise == 0 ? 200 : 10 * log10(signal / noise);
}

// What a file decodes to: its format; its exact length in frames (0: the
// reference's), announced before decoding; how close to a native decoder's
// reference decode (`ref`, else the file's name + .f32; .s16 for 16-bit):
// lossless within maxDiff of every sample, lossy at least snr dB. A seek
// anywhere, then a decode, gives what the decode from the start gave there:
// seekSnr 200 the very samples, else its difference that many dB below the
// file's power (a decoder's state after a seek need not be the same bits);
// 0 when the format does not seek to the sample.
struct DecodeCase {
    const char* file;
    DWORD ctype, freq, chans, origres;
    size_t frames = 0;
    double maxDiff = 0, snr = 0, seekSnr = 200;
    const char* ref = nullptr;
};

// An add-on that loads and declares its first format as ctype, name, exts.
HPLUGIN LoadAddonDeclaring(const wchar_t* dll, DWORD ctype, const char* name, const char* exts) {
    HPLUGIN p = LoadTestAddon(dll);
    const BASS_PLUGININFO* info = p ? BASS_PluginGetInfo(p) : nullptr;
    EXPECT_NE(info, nullptr) << BASS_ErrorGetCode();
    if (!info || info->formatc < 1) return 0;
    EXPECT_EQ(info->formats[0].ctype, ctype);
    EXPECT_STREQ(info->formats[0].name, name);
    EXPECT_STREQ(info->formats[0].exts, exts);
    return p;
}

// The case through the library, its decoder being the plugin's (0: its own).
void CheckDecode(const DecodeCase& c, HPLUGIN plugin = 0) {
    SCOPED_TRACE(c.file);
    HSTREAM h = OpenDecode(c.file);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info = ChannelInfo(h);
    EXPECT_EQ(info.ctype, c.ctype);
    EXPECT_EQ(info.freq, c.freq);
    EXPECT_EQ(info.chans, c.chans);
    EXPECT_EQ(info.origres, c.origres);
    EXPECT_EQ(info.plugin, plugin);
    std::string name = c.ref ? c.ref : Ref(c.file, ".f32");
    std::vector<float> ref;
    if (name.ends_with(".s16")) {
        for (int16_t v : ReferenceS16(name.c_str())) ref.push_back(v / 32768.0f);
    } else {
        ref = ReferenceF32(name.c_str());
    }
    size_t frames = c.frames ? c.frames : ref.size() / c.chans;
    ASSERT_GE(ref.size(), frames * c.chans);
    // 16-bit output unless asked for float: the length counts 2 bytes a sample.
    EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), frames * c.chans * 2);
    std::vector<float> ours = DecodeFloat(h);
    ASSERT_EQ(ours.size(), frames * c.chans);
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_STOPPED);
    double power = 0;  // per sample
    for (float v : ours) power += (double)v * v / (double)ours.size();
    if (c.snr > 0) EXPECT_GE(Snr(ours, ref), c.snr);
    else EXPECT_LE(MaxDiff(ours, ref, ours.size()), c.maxDiff);
    for (size_t frame : {frames / 2 + 3, (size_t)7, frames / 3, frames - 300}) {
        if (c.seekSnr == 0) break;
        SCOPED_TRACE(frame);
        ASSERT_TRUE(BASS_ChannelSetPosition(h, frame * c.chans * 2, BASS_POS_BYTE));
        EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), frame * c.chans * 2);
        size_t n = std::min<size_t>(4096, frames - frame) * c.chans;
        std::vector<float> part(n);
        ASSERT_EQ(BASS_ChannelGetData(h, part.data(), (DWORD)(n * 4) | BASS_DATA_FLOAT), n * 4);
        std::vector<float> want(ours.begin() + frame * c.chans, ours.begin() + frame * c.chans + n);
        if (c.seekSnr == 200) {
            EXPECT_EQ(part, want);
        } else {  // against the whole file's power: quiet passages (a fade, the padding) count as little
            double noise = 0;
            for (size_t i = 0; i < n; i++) noise += ((double)part[i] - want[i]) * ((double)part[i] - want[i]);
            EXPECT_GE(noise == 0 ? 200 : 10 * log10(power * (double)n / noise), c.seekSnr);
        }
        if (frame * c.chans + n == ours.size()) {
            EXPECT_TRUE(DecodeFloat(h).empty());
        }
    }
    EXPECT_TRUE(BASS_StreamFree(h));
}

}  // namespace

// Every PCM layout decodes to what sox reads from the same file, exactly but
// for float rounding (1e-6), with the right type, rate, channels and
// resolution, and seeks to the frame.
TEST(EnginePcm, MatchesSoxForEveryLayout) {
    const DecodeCase cases[] = {
        {"s16.wav", BASS_CTYPE_STREAM_WAV_PCM, 44100, 2, 16, 0, 1e-6},
        {"u8.wav", BASS_CTYPE_STREAM_WAV_PCM, 22050, 1, 8, 0, 1e-6},
        {"s24.wav", BASS_CTYPE_STREAM_WAV_PCM, 48000, 2, 24, 0, 1e-6},
        {"s24ext.wav", BASS_CTYPE_STREAM_WAV_PCM, 48000, 3, 24, 0, 1e-6},
        {"s32.wav", BASS_CTYPE_STREAM_WAV_PCM, 96000, 2, 32, 0, 1e-6},
        {"f32.wav", BASS_CTYPE_STREAM_WAV_FLOAT, 44100, 2, 32 | BASS_ORIGRES_FLOAT, 0, 1e-6},
        {"f64.wav", BASS_CTYPE_STREAM_WAV_FLOAT, 44100, 1, 64 | BASS_ORIGRES_FLOAT, 0, 1e-6},
        {"s16.aiff", BASS_CTYPE_STREAM_AIFF, 44100, 2, 16, 0, 1e-6},
        {"s24.aiff", BASS_CTYPE_STREAM_AIFF, 32000, 1, 24, 0, 1e-6},
        {"f32.aifc", BASS_CTYPE_STREAM_AIFF, 44100, 2, 32 | BASS_ORIGRES_FLOAT, 0, 1e-6},
    };
    for (const DecodeCase& c : cases) CheckDecode(c);
    EXPECT_EQ(MediaBytes("s24ext.wav").substr(20, 2), std::string("\xFE\xFF", 2));  // WAVE_FORMAT_EXTENSIBLE
}

// The sample scale works on the decoded data itself (levels and what a
// decoding channel gives too), apart from the volume, and amplifies as well.
// Float output counts four bytes a sample.
TEST(EnginePcm, SampleScaleIsAppliedToTheDecodedData) {
    std::vector<float> ref = ReferenceF32("s16.wav.f32");
    HSTREAM f = OpenDecode("s16.wav", BASS_SAMPLE_FLOAT);
    EXPECT_EQ(BASS_ChannelGetLength(f, BASS_POS_BYTE), ref.size() * 4);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(f, 1.0), 44100u * 2 * 4);
    float v = 0;
    ASSERT_TRUE(BASS_ChannelGetAttribute(f, BASS_ATTRIB_VOLDSP, &v));
    EXPECT_FLOAT_EQ(v, 1.0f);
    ASSERT_TRUE(BASS_ChannelSetAttribute(f, BASS_ATTRIB_VOLDSP, 0.5f));
    std::vector<float> half = DecodeFloat(f, 4410);
    ASSERT_GE(half.size(), 8820u);
    for (size_t i = 0; i < 8820; i++) ASSERT_FLOAT_EQ(half[i], ref[i] * 0.5f) << i;
    ASSERT_TRUE(BASS_ChannelSetAttribute(f, BASS_ATTRIB_VOLDSP, 1.5f));
    ASSERT_TRUE(BASS_ChannelGetAttribute(f, BASS_ATTRIB_VOLDSP, &v));
    EXPECT_FLOAT_EQ(v, 1.5f);
    ASSERT_TRUE(BASS_ChannelGetAttribute(f, BASS_ATTRIB_VOL, &v));
    EXPECT_FLOAT_EQ(v, 1.0f);
    float more[64];
    DWORD at = (DWORD)(BASS_ChannelGetPosition(f, BASS_POS_BYTE) / 4);
    ASSERT_EQ(BASS_ChannelGetData(f, more, sizeof(more)), sizeof(more));
    for (int i = 0; i < 64; i++) ASSERT_FLOAT_EQ(more[i], ref[at + i] * 1.5f) << i;
    // Nonsense leaves the samples as they are.
    ASSERT_TRUE(BASS_ChannelSetAttribute(f, BASS_ATTRIB_VOLDSP, -2.0f));
    ASSERT_TRUE(BASS_ChannelGetAttribute(f, BASS_ATTRIB_VOLDSP, &v));
    EXPECT_FLOAT_EQ(v, 1.0f);
    BASS_StreamFree(f);
}

// A float WAVE in memory whose data chunk claims more than the file holds:
// the length is what is there; 16-bit output rounds half to even and clips,
// NaN becomes silence; float output is the same into a buffer at an odd address.
TEST(EnginePcm, FloatToSixteenBitRoundsClipsAndSurvivesATruncatedFile) {
    const float q = 1.0f / 32768.0f;
    // Eight go through the block loop, the rest one by one: huge values in both.
    const float in[] = {1.5f, 1e30f, NAN, 0.5f * q, 1.5f * q, 2.5f * q, -0.5f * q, -1.5f * q,
                        0.25f, -0.25f, 32767.4f * q, 1e30f, -1e30f};
    const int16_t want[] = {32767, 32767, 0, 0, 2, 2, 0, -2, 8192, -8192, 32767, 32767, -32768};
    const uint32_t n = sizeof(in) / sizeof(in[0]);
    std::string w = WaveHeader(3, 1, 44100, 32, 4 * 1000);  // but only n samples follow
    w.append((const char*)in, sizeof(in));

    HSTREAM h = OpenMemory(w);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    std::vector<int16_t> s = DecodeS16(h);
    BASS_StreamFree(h);
    ASSERT_EQ(s.size(), n);
    for (uint32_t i = 0; i < n; i++) EXPECT_EQ(s[i], want[i]) << i;

    h = OpenMemory(w, BASS_SAMPLE_FLOAT);
    ASSERT_NE(h, 0u);
    std::vector<char> raw(4 * n + 1);
    ASSERT_EQ(BASS_ChannelGetData(h, raw.data() + 1, 4 * n), 4 * n);  // odd address
    BASS_StreamFree(h);
    for (uint32_t i = 0; i < n; i++) {
        float f;
        memcpy(&f, raw.data() + 1 + 4 * i, 4);
        EXPECT_EQ(f, i == 2 ? 0.0f : in[i]) << i;
    }
}

// 16-bit samples to 16-bit output are the stored values whatever the read
// sizes and the buffer's address, the same as the float decode scaled back;
// a cut inside a frame ends the stream at the last whole frame; the loop flag
// goes on past the end; a sample scale still applies.
TEST(EnginePcm, SixteenBitToSixteenBitIsTheStoredSamples) {
    const uint32_t frames = 32768;  // every 16-bit value once, over two channels
    std::string w = WaveHeader(1, 2, 44100, 16, 4 * 40000);  // but only `frames` frames and one byte follow
    std::vector<int16_t> stored(2 * frames);
    for (uint32_t i = 0; i < 2 * frames; i++) stored[i] = (int16_t)(uint16_t)(i * 40503u);  // odd: a permutation
    w.append((const char*)stored.data(), stored.size() * 2);
    w += '\x7f';

    HSTREAM f = OpenMemory(w, BASS_SAMPLE_FLOAT);
    ASSERT_NE(f, 0u) << BASS_ErrorGetCode();
    std::vector<float> floats = DecodeFloat(f);
    BASS_StreamFree(f);
    ASSERT_EQ(floats.size(), stored.size());
    for (size_t i = 0; i < floats.size(); i++) ASSERT_EQ((int16_t)lrintf(floats[i] * 32768), stored[i]) << i;

    HSTREAM h = OpenMemory(w);
    ASSERT_NE(h, 0u);
    std::vector<int16_t> pieces;
    std::vector<char> buf(200001);
    for (DWORD size = 4;; size = size * 7 % 150000 + 4) {
        DWORD got = BASS_ChannelGetData(h, buf.data() + 1, size & ~3u);  // odd address
        if (got == (DWORD)-1 || got == 0) break;
        size_t at = pieces.size();
        pieces.resize(at + got / 2);
        memcpy(&pieces[at], buf.data() + 1, got);
    }
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 4ull * frames);
    BASS_StreamFree(h);
    EXPECT_EQ(pieces, stored);

    h = OpenMemory(w, BASS_SAMPLE_LOOP);
    ASSERT_NE(h, 0u);
    std::vector<int16_t> looped = DecodeS16(h, 2 * stored.size() + 100);
    BASS_StreamFree(h);
    ASSERT_GE(looped.size(), 2 * stored.size());
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), looped.begin() + stored.size()));

    h = OpenMemory(w);
    ASSERT_TRUE(BASS_ChannelSetAttribute(h, BASS_ATTRIB_VOLDSP, 0.5f));
    int16_t half[64];
    ASSERT_EQ(BASS_ChannelGetData(h, half, sizeof(half)), sizeof(half));
    BASS_StreamFree(h);
    for (int i = 0; i < 64; i++) EXPECT_EQ(half[i], (int16_t)lrintf(stored[(size_t)i] * 0.5f)) << i;
}

// 16-bit and 24-bit samples read in pieces of any size, each frame once: the
// same samples as one read of the whole file.
TEST(EnginePcm, ReadsOfAnySizeGiveTheSameSamples) {
    for (const char* file : {"s16.wav", "s24.wav"}) {
        SCOPED_TRACE(file);
        HSTREAM h = OpenDecode(file, BASS_SAMPLE_FLOAT);
        std::vector<float> whole = DecodeFloat(h);
        BASS_StreamFree(h);
        h = OpenDecode(file, BASS_SAMPLE_FLOAT);
        std::vector<float> pieces;
        std::vector<float> buf(70000);
        for (DWORD size = 8;; size = size * 3 % 250000 + 8) {
            DWORD got = BASS_ChannelGetData(h, buf.data(), size & ~7u);
            if (got == (DWORD)-1 || got == 0) break;
            pieces.insert(pieces.end(), buf.begin(), buf.begin() + got / 4);
        }
        BASS_StreamFree(h);
        EXPECT_EQ(pieces, whole);
    }
}

// LAME's header makes the stream exactly the encoded samples: same count as
// mpg123 gives, samples within 2 of 32768 (both round the decoder's floats).
TEST(EngineMpeg, MatchesMpg123SampleForSample) {
    const double two = 2.5 / 32768;
    CheckDecode({"cbr.mp3", BASS_CTYPE_STREAM_MP3, 44100, 2, 0, 0, two, 0, 0, "cbr.mp3.s16"});
    CheckDecode({"vbr.mp3", BASS_CTYPE_STREAM_MP3, 44100, 2, 0, 0, two, 0, 0, "vbr.mp3.s16"});
    CheckDecode({"mono22.mp3", BASS_CTYPE_STREAM_MP3, 22050, 1, 0, 0, two, 0, 0, "mono22.mp3.s16"});
    CheckDecode({"layer2.mp2", BASS_CTYPE_STREAM_MP2, 44100, 2, 0, 0, two, 0, 0, "layer2.mp2.s16"});
}

TEST(EngineMpeg, SeeksWithin50msInVbr) {
    std::vector<int16_t> ref = ReferenceS16("vbr.mp3.s16");
    HSTREAM h = OpenDecode("vbr.mp3");
    const int64_t frame = 44100 * 3 + 123;
    ASSERT_TRUE(BASS_ChannelSetPosition(h, frame * 4, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), (QWORD)frame * 4);
    std::vector<int16_t> got(2048 * 2);
    ASSERT_EQ(BASS_ChannelGetData(h, got.data(), (DWORD)got.size() * 2), got.size() * 2);
    // Find where in the reference these samples are.
    int64_t best = -1;
    double bestErr = 1e18;
    for (int64_t off = frame - 2205; off <= frame + 2205; off++) {
        double err = 0;
        for (size_t i = 0; i < 512; i++) err += fabs((double)got[i * 2] - ref[(size_t)(off + i) * 2]);
        if (err < bestErr) bestErr = err, best = off;
    }
    EXPECT_LE(llabs(best - frame), 2205);
    EXPECT_LT(bestErr / 512, 4.0);
    BASS_StreamFree(h);
}

// Within 2 of oggdec's 16-bit samples (both round libvorbis' floats).
TEST(EngineVorbis, MatchesOggdecAndSeeksExactly) {
    for (const char* file : {"t.ogg", "music.ogg"})
        CheckDecode({file, BASS_CTYPE_STREAM_OGG, 44100, 2, 0, 0, 2.5 / 32768, 0, 200, Ref(file, ".s16").c_str()});
}

namespace {

struct ChainLog {
    HSTREAM h = 0;
    std::vector<QWORD> at;  // the position at each new logical stream
};

void CALLBACK NoteChange(HSYNC, DWORD channel, DWORD, void* user) {
    auto* log = (ChainLog*)user;
    log->at.push_back(BASS_ChannelGetPosition(channel, BASS_POS_BYTE));
}

bool HasComment(HSTREAM h, const char* entry) {  // the name in any case
    for (const std::string& e : TagEntries(BASS_ChannelGetTags(h, BASS_TAG_OGG)))
        if (!_stricmp(e.c_str(), entry) && !strcmp(strchr(e.c_str(), '='), strchr(entry, '='))) return true;
    return false;
}

// Sign changes of the first channel over frames [from, to) of interleaved stereo.
int Crossings(const std::vector<float>& s, size_t from, size_t to) {
    int n = 0;
    for (size_t i = from + 1; i < to && 2 * i < s.size(); i++) n += (s[2 * i - 2] < 0) != (s[2 * i] < 0);
    return n;
}

// A chained Ogg stream (1 s at 44.1 kHz stereo titled First Song, then 1 s of
// 1 kHz at 22.05 kHz mono titled Second Song) plays on at the first song's
// format: at the right speed, in both channels, with the second title from the
// frame where the second song begins and one OGG_CHANGE sync exactly there.
void CheckChain(HSTREAM h) {
    EXPECT_EQ(ChannelInfo(h).freq, 44100u);
    EXPECT_EQ(ChannelInfo(h).chans, 2u);
    ChainLog log;
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_OGG_CHANGE | BASS_SYNC_MIXTIME, 0, NoteChange, &log), 0u);
    EXPECT_TRUE(HasComment(h, "TITLE=First Song"));
    std::vector<float> all, part(4410 * 2);
    for (;;) {
        DWORD got = BASS_ChannelGetData(h, part.data(), (DWORD)(part.size() * 4) | BASS_DATA_FLOAT);
        if (got == (DWORD)-1 || got == 0) break;
        all.insert(all.end(), part.begin(), part.begin() + got / 4);
        if (all.size() / 2 < 40000) {
            EXPECT_TRUE(HasComment(h, "TITLE=First Song")) << all.size() / 2;
        }
    }
    size_t frames = all.size() / 2;
    EXPECT_NEAR((double)frames, 88200.0, 600.0) << "the second song is played whole, at its own speed";
    ASSERT_EQ(log.at.size(), 1u);
    EXPECT_NEAR((double)log.at[0] / 4, 44100.0, 600.0);  // 16-bit stereo bytes to frames
    EXPECT_TRUE(HasComment(h, "TITLE=Second Song"));
    EXPECT_FALSE(HasComment(h, "TITLE=First Song"));
    // 440 Hz before, 1 kHz after (2 kHz would be the second song at the first one's rate).
    EXPECT_NEAR(Crossings(all, 4410, 39690), 2 * 440 * 0.8, 8);
    ASSERT_GT(frames, 84000u);
    EXPECT_NEAR(Crossings(all, 48510, 83790), 2 * 1000 * 0.8, 8);
    double worst = 0;
    for (size_t i = 48510; i < 83790; i++) worst = std::max(worst, (double)fabsf(all[2 * i] - all[2 * i + 1]));
    EXPECT_LT(worst, 1e-6) << "the mono song in both channels";
}

}  // namespace

TEST(EngineVorbis, ChainedStreamsChangeTitleRateAndChannels) {
    {
        SCOPED_TRACE("file");
        HSTREAM h = OpenDecode("chain.ogg");
        ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
        EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE)), 2.0, 0.02);
        CheckChain(h);
        // A seek into the second song gives its title and its sound.
        ASSERT_TRUE(BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 1.5), BASS_POS_BYTE));
        EXPECT_TRUE(HasComment(h, "TITLE=Second Song"));
        ASSERT_TRUE(BASS_ChannelSetPosition(h, 0, BASS_POS_BYTE));
        EXPECT_TRUE(HasComment(h, "TITLE=First Song"));
        BASS_StreamFree(h);
    }
    // The same as an internet radio sends it, of unknown length.
    SCOPED_TRACE("radio");
    std::string bytes = MediaBytes("chain.ogg");
    TestHttpServer server;
    ASSERT_TRUE(server.Start([&](TestConnection& c) {
        c.Send(ReplyHead("HTTP/1.0 200 OK", {"Content-Type: application/ogg"}) + bytes);
    }));
    HSTREAM h = BASS_StreamCreateURL(server.Url("/chain").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    CheckChain(h);
    BASS_StreamFree(h);
}

// Formats are told by content: an Ogg named .mp3 and a WAVE named .ogg open
// as what they are.
TEST(EngineOpen, DetectsByContentAndHonoursOffsetAndLength) {
    ScratchFolder dir(L"detect");
    WriteFileBytes(dir.File(L"really-ogg.mp3"), MediaBytes("t.ogg"));
    WriteFileBytes(dir.File(L"really-wav.ogg"), MediaBytes("s16.wav"));
    for (auto [name, ctype] : {std::pair<const wchar_t*, DWORD>{L"really-ogg.mp3", BASS_CTYPE_STREAM_OGG},
                               {L"really-wav.ogg", BASS_CTYPE_STREAM_WAV_PCM}}) {
        HSTREAM h = BASS_StreamCreateFile(FALSE, dir.File(name).c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE);
        EXPECT_EQ(ChannelInfo(h).ctype, ctype) << BASS_ErrorGetCode();
        BASS_StreamFree(h);
    }

    // A WAVE inside a bigger file, between junk.
    std::string wav = MediaBytes("s16.wav");
    std::string box = std::string(1000, 'x') + wav + std::string(500, 'y');
    WriteFileBytes(dir.File(L"box.bin"), box);
    HSTREAM c = BASS_StreamCreateFile(FALSE, dir.File(L"box.bin").c_str(), 1000, wav.size(), BASS_UNICODE | BASS_STREAM_DECODE);
    ASSERT_NE(c, 0u);
    std::vector<float> ours = DecodeFloat(c);
    std::vector<float> ref = ReferenceF32("s16.wav.f32");
    ASSERT_EQ(ours.size(), ref.size());
    EXPECT_LT(MaxDiff(ours, ref, ref.size()), 1e-6);
    BASS_StreamFree(c);

    // Any Unicode path.
    std::wstring odd = dir.File(L"M\u00fcsik \u266b \u4e2d.ogg");
    WriteFileBytes(odd, MediaBytes("t.ogg"));
    HSTREAM u = BASS_StreamCreateFile(FALSE, odd.c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE);
    EXPECT_NE(u, 0u) << BASS_ErrorGetCode();
    BASS_StreamFree(u);

    // From memory too.
    HSTREAM m = BASS_StreamCreateFile(TRUE, box.data() + 1000, 0, wav.size(), BASS_STREAM_DECODE);
    ASSERT_NE(m, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(m, BASS_POS_BYTE), ref.size() * 2);
    BASS_StreamFree(m);
}

TEST(EngineOpen, FailsWithTheLibrarysErrorNumbers) {
    ScratchFolder dir(L"errors");
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, dir.File(L"missing.mp3").c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    WriteFileBytes(dir.File(L"text.mp3"), std::string(5000, 'a'));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, dir.File(L"text.mp3").c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    WriteFileBytes(dir.File(L"empty.wav"), "");
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, dir.File(L"empty.wav").c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    // Not a decoding channel and no BASS_Init: the library is not initialised.
    std::wstring s16 = MediaPath("s16.wav");
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, s16.c_str(), 0, 0, BASS_UNICODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);

    EXPECT_FALSE(BASS_StreamFree(12345));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(BASS_ChannelBytes2Seconds(12345, 100), -1.0);
    EXPECT_EQ(BASS_ChannelGetLength(12345, BASS_POS_BYTE), (QWORD)-1);
    EXPECT_EQ(BASS_ChannelIsActive(12345), (DWORD)BASS_ACTIVE_STOPPED);
    EXPECT_EQ(BASS_ChannelGetData(12345, nullptr, BASS_DATA_FFT1024), (DWORD)-1);
    EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);

    HSTREAM h = OpenDecode("s16.wav");
    EXPECT_FALSE(BASS_ChannelSetPosition(h, 44100ull * 4 * 10, BASS_POS_BYTE));  // past the end
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_FALSE(BASS_ChannelPlay(h, FALSE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DECODE);
    EXPECT_FALSE(BASS_MusicFree(h));  // a stream, not a module
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST(EngineOpen, PositionsAndSecondsConvert) {
    HSTREAM h = OpenDecode("s16.wav");
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(h, 1.0), 176400u);
    EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(h, 176400), 1.0);
    EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_POS_BYTE)), 2.5);
    // A round trip lands on the same frame.
    for (double s : {0.0, 0.1234, 1.9999, 2.5}) {
        QWORD b = BASS_ChannelSeconds2Bytes(h, s);
        EXPECT_EQ(b % 4, 0u);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(h, BASS_ChannelBytes2Seconds(h, b)), b);
    }
    ASSERT_TRUE(BASS_ChannelSetPosition(h, 88200, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 88200u);
    char buf[400];
    BASS_ChannelGetData(h, buf, sizeof(buf));
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 88600u);
    // File positions: the size of the file; buffering is for internet streams.
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_END), MediaBytes("s16.wav").size());
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_START), 0u);
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_BUFFER), (QWORD)-1);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTFILE);
    BASS_StreamFree(h);
}

TEST(EngineTags, Id3AndVorbisAndApeBlocks) {
    HSTREAM h = OpenDecode("cbr.mp3");
    const char* v2 = BASS_ChannelGetTags(h, BASS_TAG_ID3V2);
    ASSERT_NE(v2, nullptr);
    EXPECT_EQ(memcmp(v2, "ID3", 3), 0);
    const TAG_ID3* v1 = (const TAG_ID3*)BASS_ChannelGetTags(h, BASS_TAG_ID3);
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(memcmp(v1->id, "TAG", 3), 0);
    EXPECT_EQ(std::string(v1->title, strnlen(v1->title, 30)), "Sine Title");
    EXPECT_EQ(std::string(v1->artist, strnlen(v1->artist, 30)), "Sine Artist");
    EXPECT_EQ(BASS_ChannelGetTags(h, BASS_TAG_APE), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    BASS_StreamFree(h);

    HSTREAM o = OpenDecode("t.ogg");
    const char* ogg = BASS_ChannelGetTags(o, BASS_TAG_OGG);
    ASSERT_NE(ogg, nullptr);
    for (const char* want : {"title=Vorbis Title", "artist=Vorbis Artist", "COMMENT=two words"})
        EXPECT_TRUE(HasEntry(TagEntries(ogg), want)) << want;
    BASS_StreamFree(o);

    // An APE tag (version 2, with header) appended to an MP3 after its ID3v1.
    std::string items;
    for (auto kv : {std::pair<std::string, std::string>{"Title", "Ape Title"}, {"Artist", "Ape Artist"}})
        items += Le32((uint32_t)kv.second.size()) + Le32(0) + kv.first + '\0' + kv.second;
    auto block = [&](uint32_t flags) {
        return std::string("APETAGEX") + Le32(2000) + Le32((uint32_t)items.size() + 32) + Le32(2) + Le32(flags) +
               std::string(8, '\0');
    };
    std::string mp3 = MediaBytes("cbr.mp3");
    std::string id3v1 = mp3.substr(mp3.size() - 128);
    std::string withApe = mp3.substr(0, mp3.size() - 128) + block(0xA0000000u) + items + block(0x80000000u) + id3v1;
    HSTREAM a = OpenMemory(withApe);
    ASSERT_NE(a, 0u);
    const char* ape = BASS_ChannelGetTags(a, BASS_TAG_APE);
    EXPECT_EQ(TagEntries(ape), (std::vector<std::string>{"Title=Ape Title", "Artist=Ape Artist"}));
    EXPECT_NE(BASS_ChannelGetTags(a, BASS_TAG_ID3), nullptr);
    // The tag is not audio: the decode is as long as without it.
    EXPECT_EQ(DecodeS16(a).size(), ReferenceS16("cbr.mp3.s16").size());
    BASS_StreamFree(a);
}

// Levels: 20 ms per call, peak per side with the left in the low word, and
// 0xFFFFFFFF once the stream is over.
TEST(EngineAnalysis, LevelsOfADecodingChannel) {
    HSTREAM h = OpenDecode("s16.wav");
    int calls = 0;
    DWORD first = BASS_ChannelGetLevel(h);
    calls++;
    // -6 dB: 0.501 of full scale.
    EXPECT_NEAR((double)LOWORD(first), 16422, 40);
    EXPECT_NEAR((double)HIWORD(first), 16422, 40);
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 882u * 4);
    while (BASS_ChannelGetLevel(h) != 0xFFFFFFFF && calls < 1000) calls++;
    EXPECT_EQ(calls, 125);  // 2.5 s in 20 ms steps
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ENDED);
    EXPECT_EQ(BASS_ChannelIsActive(h), (DWORD)BASS_ACTIVE_STOPPED);
    BASS_StreamFree(h);
}

// A spectrum of a decoding channel consumes its frames.
TEST(EngineAnalysis, TheSpectrumConsumesItsFrames) {
    HSTREAM h = OpenDecode("u8.wav");  // 22050 Hz, mono, 8-bit
    float fft[512];
    ASSERT_NE(BASS_ChannelGetData(h, fft, BASS_DATA_FFT1024), (DWORD)-1);
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 1024u * 2);
    float f[100];
    EXPECT_EQ(BASS_ChannelGetData(h, f, sizeof(f) | BASS_DATA_FLOAT), sizeof(f));
    std::vector<float> ref = ReferenceF32("u8.wav.f32");
    for (int i = 0; i < 100; i++) EXPECT_FLOAT_EQ(f[i], ref[1024 + i]);
    BASS_StreamFree(h);
}

// Every bin of each size, with and without the window, as a plain discrete
// Fourier transform of the same frames gives it.
TEST(EngineAnalysis, SpectrumBinsMatchADirectTransform) {
    const int frames = 8192;
    std::vector<float> x(frames);
    uint32_t seed = 12345;
    for (int i = 0; i < frames; i++) {
        seed = seed * 1664525u + 1013904223u;
        x[(size_t)i] = 0.4f * (float)sin(i * 0.37) + 0.2f * (float)cos(i * 1.9) + ((seed >> 9) / 8388608.0f - 0.5f) * 0.3f;
    }
    std::string w = WaveHeader(3, 1, 44100, 32, 4 * frames);
    w.append((const char*)x.data(), x.size() * 4);
    for (DWORD size : {BASS_DATA_FFT256, BASS_DATA_FFT1024, BASS_DATA_FFT8192}) {
        for (DWORD extra : {(DWORD)0, (DWORD)BASS_DATA_FFT_NOWINDOW}) {
            int n = 256 << (size & 7);
            SCOPED_TRACE(n);
            HSTREAM h = OpenMemory(w, BASS_SAMPLE_FLOAT);
            ASSERT_NE(h, 0u);
            std::vector<float> bins((size_t)n / 2);
            ASSERT_NE(BASS_ChannelGetData(h, bins.data(), size | extra), (DWORD)-1);
            BASS_StreamFree(h);
            for (int k = 0; k < n / 2; k += (n > 1024 ? 37 : 1)) {
                double re = 0, im = 0;
                for (int i = 0; i < n; i++) {
                    double v = x[(size_t)i] * (extra ? 1.0 : 0.5 - 0.5 * cos(2 * 3.14159265358979323846 * i / n));
                    re += v * cos(2 * 3.14159265358979323846 * k * i / n);
                    im -= v * sin(2 * 3.14159265358979323846 * k * i / n);
                }
                ASSERT_NEAR(bins[(size_t)k], sqrt(re * re + im * im) * 2 / n, 1e-5) << k;
            }
        }
    }
}

// A POS sync fires when decoding reaches its byte exactly; END once at the end.
TEST(EngineSyncs, PosAndEndOnADecodingChannel) {
    HSTREAM h = OpenDecode("s16.wav");
    struct Seen {
        HSTREAM h;
        std::vector<QWORD> pos;
        int ends = 0;
    } seen{h, {}, 0};
    auto onPos = [](HSYNC, DWORD ch, DWORD, void* user) {
        auto* s = (Seen*)user;
        s->pos.push_back(BASS_ChannelGetPosition(ch, BASS_POS_BYTE));
    };
    auto onEnd = [](HSYNC, DWORD, DWORD, void* user) { ((Seen*)user)->ends++; };
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_POS | BASS_SYNC_MIXTIME, 40000, onPos, &seen), 0u);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_POS | BASS_SYNC_MIXTIME | BASS_SYNC_ONETIME, 123456, onPos, &seen), 0u);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_END | BASS_SYNC_MIXTIME, 0, onEnd, &seen), 0u);
    std::vector<char> buf(30000);
    while (BASS_ChannelGetData(h, buf.data(), (DWORD)buf.size()) != (DWORD)-1) {
    }
    ASSERT_EQ(seen.pos.size(), 2u);
    EXPECT_EQ(seen.pos[0], 40000u);
    EXPECT_EQ(seen.pos[1], 123456u);
    EXPECT_EQ(seen.ends, 1);
    BASS_StreamFree(h);
}

// Modules render as openmpt123 does with the same settings (linear
// interpolation, no ramping), with the library's music types.
TEST(EngineMusic, ModulesMatchOpenmpt123) {
    struct {
        const char* file;
        DWORD ctype;
    } cases[] = {{"t.mod", BASS_CTYPE_MUSIC_MOD}, {"t.it", BASS_CTYPE_MUSIC_IT}, {"t.s3m", BASS_CTYPE_MUSIC_S3M},
                 {"t.xm", BASS_CTYPE_MUSIC_XM}};
    if (!MediaExists("t.mod")) GTEST_SKIP() << "the game-music packages could not be fetched";
    for (auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::wstring path = MediaPath(c.file);
        HMUSIC m = BASS_MusicLoad(FALSE, path.c_str(), 0, 0,
                                  BASS_UNICODE | BASS_MUSIC_DECODE | BASS_MUSIC_PRESCAN | BASS_SAMPLE_FLOAT, 44100);
        ASSERT_NE(m, 0u) << BASS_ErrorGetCode();
        BASS_CHANNELINFO info = ChannelInfo(m);
        EXPECT_EQ(info.ctype, c.ctype);
        EXPECT_EQ(info.freq, 44100u);
        EXPECT_EQ(info.chans, 2u);
        EXPECT_GT(BASS_ChannelGetLength(m, BASS_POS_BYTE), 44100ull * 8 * 3);
        std::vector<float> ref = ReferenceF32(Ref(c.file, ".f32").c_str());
        std::vector<float> ours = DecodeFloat(m, ref.size() / 2);
        ASSERT_GE(ours.size(), ref.size());
        EXPECT_LT(MaxDiff(ours, ref, ref.size()), 1e-4);
        EXPECT_FALSE(BASS_StreamFree(m));  // a module, not a stream
        EXPECT_TRUE(BASS_MusicFree(m));
    }
    // A module is not a stream: BASS_StreamCreateFile refuses it.
    std::wstring mod = MediaPath("t.mod");
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, mod.c_str(), 0, 0, BASS_UNICODE | BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

// A program in another folder that loads bass.dll by its full path: the
// library finds its MPEG decoder DLL beside itself, not on the program's path.
TEST(EngineOpen, LoadedByFullPathFromAnotherFolderFindsItsDecoder) {
    ScratchFolder cwd(L"load-elsewhere");  // no DLL here either
    std::wstring exe = TestExeFolder() + L"elsewhere\\load_bass.exe";
    std::wstring line = L"\"" + exe + L"\" \"" + TestExeFolder() + L"bass.dll\" \"" + MediaPath("cbr.mp3") + L"\"";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.path.c_str(), &si, &pi))
        << GetLastError();
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u) << "1: bass.dll did not load, 2: no stream, 3: no samples";
}

// The FLAC add-on: loaded by full wide path, declares its formats, decodes
// losslessly, gives Vorbis comments (CUESHEET too) as the OGG block.
TEST(EngineAddons, FlacAddOn) {
    HPLUGIN p = LoadAddonDeclaring(L"bassflac.dll", 0x10900, "FLAC", "*.flac;*.fla");
    ASSERT_NE(p, 0u);
    EXPECT_EQ(LoadTestAddon(L"bassflac.dll"), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);

    CheckDecode({"t.flac", 0x10900, 44100, 2, 16}, p);
    CheckDecode({"t.oga", 0x10901, 48000, 2, 24}, p);
    HSTREAM t = OpenDecode("t.flac");
    std::vector<std::string> entries = TagEntries(BASS_ChannelGetTags(t, BASS_TAG_OGG));
    EXPECT_TRUE(HasEntry(entries, "TITLE=Flac Title"));
    bool cue = false;
    for (auto& e : entries) cue |= e.rfind("CUESHEET=FILE \"x.wav\" WAVE", 0) == 0;
    EXPECT_TRUE(cue);

    // What is not an add-on is refused with the library's error numbers.
    EXPECT_EQ(LoadTestAddon(L"bassnothing.dll"), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    std::wstring notAddon = TestExeFolder() + L"libmpg123-0.dll";
    EXPECT_EQ(BASS_PluginLoad((const char*)notAddon.c_str(), BASS_UNICODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);

    // Freeing the add-on frees its streams and its formats.
    EXPECT_TRUE(BASS_PluginFree(0));
    EXPECT_EQ(BASS_ChannelGetLength(t, BASS_POS_BYTE), (QWORD)-1);
    EXPECT_EQ(OpenDecode("t.flac"), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(BASS_PluginGetInfo(p), nullptr);
}

// Freeing and loading the add-ons again while another thread probes and
// decodes FLAC files through them: a module stays loaded while any call into
// it runs and while any channel it made is alive, so nothing crashes.
TEST(EngineAddons, ReloadsWhileAnotherThreadProbesNeverPullTheCodeAway) {
    ASSERT_NE(LoadTestAddon(L"bassflac.dll"), 0u);
    // The add-on freed from inside a call on one of its channels (a sync of the
    // read): the channel goes with it, and its close runs when that call returns.
    HSTREAM inUse = OpenDecode("t.flac");
    ASSERT_NE(inUse, 0u);
    ASSERT_NE(BASS_ChannelSetSync(inUse, BASS_SYNC_POS | BASS_SYNC_MIXTIME, 1000 * 4,
                                  [](HSYNC, DWORD, DWORD, void*) { BASS_PluginFree(0); }, nullptr),
              0u);
    std::vector<float> some(8000 * 2);
    EXPECT_GT(BASS_ChannelGetData(inUse, some.data(), (DWORD)(some.size() * 4) | BASS_DATA_FLOAT), 0u);
    EXPECT_FALSE(BASS_StreamFree(inUse));
    ASSERT_NE(LoadTestAddon(L"bassflac.dll"), 0u);
    std::atomic<bool> stop{false};
    std::atomic<int> opened{0};
    std::thread prober([&] {
        std::vector<float> buf(4096);
        while (!stop) {
            HSTREAM h = OpenDecode("t.flac");
            if (!h) continue;
            opened++;
            // Reading on after a free removed the channel is refused, not a crash.
            for (int i = 0; i < 4; i++) BASS_ChannelGetData(h, buf.data(), (DWORD)(buf.size() * 4) | BASS_DATA_FLOAT);
            BASS_StreamFree(h);
        }
    });
    HSTREAM held = 0;
    for (int i = 0; i < 300; i++) {
        EXPECT_TRUE(BASS_PluginFree(0));
        ASSERT_NE(LoadTestAddon(L"bassflac.dll"), 0u) << BASS_ErrorGetCode();
        if (i == 150) held = OpenDecode("t.flac");
        if (i % 30 == 0) Sleep(1);
    }
    stop = true;
    prober.join();
    EXPECT_GT(opened.load(), 0);
    // A stream opened before the reloads was freed with its add-on.
    EXPECT_NE(held, 0u);
    EXPECT_FALSE(BASS_StreamFree(held));
    // The add-on still decodes.
    HSTREAM h = OpenDecode("t.flac");
    ASSERT_NE(h, 0u);
    EXPECT_GT(DecodeFloat(h).size(), 1000u);
    BASS_StreamFree(h);
    EXPECT_TRUE(BASS_PluginFree(0));
}

// ---- lengths from the MPEG headers alone (adding files) ----------------------

namespace {

// Frames per channel the library decodes from these bytes, to their end.
int64_t DecodedFrames(const std::string& bytes) {
    HSTREAM h = OpenMemory(bytes, BASS_SAMPLE_FLOAT);
    if (!h) return -1;
    int64_t frames = (int64_t)DecodeFloat(h).size() / (int64_t)ChannelInfo(h).chans;
    BASS_StreamFree(h);
    return frames;
}

MpegLength HeaderLength(const std::string& audio) {
    MpegLength l;
    EXPECT_TRUE(MpegLengthFromHeaders((const uint8_t*)audio.data(), audio.size(), (int64_t)audio.size(), &l));
    return l;
}

// The frames of an MPEG stream one after another, from its first byte.
std::vector<std::string> SplitFrames(const std::string& audio) {
    std::vector<std::string> frames;
    size_t p = 0;
    MpegFrameHeader f;
    while (p + 4 <= audio.size() && ParseMpegFrameHeader((const uint8_t*)audio.data() + p, &f)) {
        frames.push_back(audio.substr(p, (size_t)f.bytes));
        p += (size_t)f.bytes;
    }
    return frames;
}

}  // namespace

// LAME's Xing/Info header gives the exact count: the same as decoding gives.
// A stream without one is measured by its bytes, within a frame; layer 2 has
// no such header at all. The quick probe of the file reads the same tags as
// opening it through the library, and the same length where it is exact.
TEST(EngineMpegHeaders, LengthsMatchTheDecodedLengthAndTheLibrarysTags) {
    struct {
        const char* file;
        MpegLengthSource source;
    } cases[] = {{"cbr.mp3", MpegLengthXing}, {"vbr.mp3", MpegLengthXing}, {"mono22.mp3", MpegLengthXing},
                 {"layer2.mp2", MpegLengthBytes}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string audio = Mp3AudioPart(MediaBytes(c.file));
        MpegLength l = HeaderLength(audio);
        EXPECT_EQ(l.source, c.source);
        int64_t decoded = DecodedFrames(audio);
        if (c.source == MpegLengthXing) {
            EXPECT_EQ(l.samples, decoded);
        } else {
            EXPECT_NEAR((double)l.samples, (double)decoded, 1152.0);
        }

        TagRecord quick, library;
        ASSERT_TRUE(QuickProbeMpeg(MediaPath(c.file).c_str(), &quick, 1252));
        ASSERT_TRUE(LibraryTags(MediaPath(c.file).c_str(), &library));
        // Without a count the library's own length is an estimate too (libmpg123's,
        // from the frames it has read so far): within a frame of each other.
        if (c.source == MpegLengthXing) {
            EXPECT_EQ(quick.lengthMs, library.lengthMs);
        } else {
            EXPECT_NEAR(quick.lengthMs, library.lengthMs, 1152 * 1000 / 44100);
        }
        ExpectSameTags(quick, library);
    }
    TagRecord tags;
    ASSERT_TRUE(QuickProbeMpeg(MediaPath("cbr.mp3").c_str(), &tags, 1252));
    EXPECT_EQ(tags.title.text, L"Sine Title");
    // Other formats are left to the library.
    for (const char* other : {"s16.wav", "t.ogg", "s16.aiff", "t.flac"})
        if (MediaExists(other)) {
            EXPECT_FALSE(QuickProbeMpeg(MediaPath(other).c_str(), &tags, 1252)) << other;
        }
}

// A long ID3v2 tag with a picture before more text frames (2.3 and 2.4):
// the quick probe passes over the picture and reads the same tags as the
// library, which reads the whole tag.
TEST(EngineMpegHeaders, APictureInALongTagIsPassedOverAndTheTagsAfterItRead) {
    ScratchFolder dir(L"mpeg-picture");
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        std::wstring path = dir.File(L"art.mp3");
        ASSERT_TRUE(WriteFileBytes(path, Mp3WithPicture(version, 100000)));
        TagRecord quick, library;
        ASSERT_TRUE(QuickProbeMpeg(path.c_str(), &quick, 1252));
        ASSERT_TRUE(LibraryTags(path.c_str(), &library));
        EXPECT_EQ(quick.title.text, L"Before");
        EXPECT_EQ(quick.artist.text, L"After");
        EXPECT_EQ(quick.album.text, L"Un");
        ExpectSameTags(quick, library);
        EXPECT_EQ(quick.lengthMs, library.lengthMs);
    }
}

// Without the Info frame a constant bit rate stream is its bytes over the
// frame size; a VBRI header (another encoder's) gives its frame count.
TEST(EngineMpegHeaders, ConstantBitRateWithoutHeaderAndVbriWithinAFrame) {
    std::vector<std::string> cbr = SplitFrames(Mp3AudioPart(MediaBytes("cbr.mp3")));
    ASSERT_GT(cbr.size(), 10u);
    std::string bare;
    for (size_t i = 1; i < cbr.size(); i++) bare += cbr[i];
    MpegLength l = HeaderLength(bare);
    EXPECT_EQ(l.source, MpegLengthBytes);
    EXPECT_NEAR((double)l.samples, (double)DecodedFrames(bare), 1152.0);

    std::vector<std::string> vbr = SplitFrames(Mp3AudioPart(MediaBytes("vbr.mp3")));
    ASSERT_GT(vbr.size(), 10u);
    std::string vbri = vbr[0];  // the Xing frame's header, its body made a VBRI header
    std::fill(vbri.begin() + 4, vbri.end(), '\0');
    std::string fields = "VBRI" + std::string("\0\x01\0\0\0\x4B", 6) + Be32(0) + Be32((uint32_t)vbr.size() - 1);
    vbri.replace(36, fields.size(), fields);
    std::string withVbri = vbri;
    for (size_t i = 1; i < vbr.size(); i++) withVbri += vbr[i];
    l = HeaderLength(withVbri);
    EXPECT_EQ(l.source, MpegLengthVbri);
    EXPECT_EQ(l.samples, (int64_t)(vbr.size() - 1) * 1152);
    EXPECT_NEAR((double)l.samples, (double)DecodedFrames(withVbri), 1152.0);
}

// ---- compressed WAVE in bass.dll's own reader --------------------------------

namespace {

// A WAVE file of MPEG layer 3 data (format tag 0x55) around the given frames.
std::string Mp3InWave(const std::string& frames) {
    std::string fmt = std::string("\x55\x00\x02\x00", 4) + Le32(44100) + Le32(16000) +
                      std::string("\x01\x00\x00\x00\x0c\x00", 6) + std::string("\x01\x00\x02\x00\x00\x00", 6) +
                      std::string("\xa1\x01\x01\x00\x71\x05", 6);
    std::string body = "WAVEfmt " + Le32((uint32_t)fmt.size()) + fmt + "data" +
                       Le32((uint32_t)frames.size()) + frames;
    return "RIFF" + Le32((uint32_t)body.size()) + body;
}

}  // namespace

// ADPCM and G.711 decode to sox's very samples, with the exact count of the
// fact chunk (sox itself pads to whole blocks), and seek to the frame.
TEST(EngineWaveCodecs, MatchSoxWithTheFactCount) {
    const DecodeCase cases[] = {
        {"ima.wav", BASS_CTYPE_STREAM_WAV | 0x11, 44100, 2, 4, 110250},
        {"ima_mono.wav", BASS_CTYPE_STREAM_WAV | 0x11, 22050, 1, 4, 22050},
        {"msadpcm.wav", BASS_CTYPE_STREAM_WAV | 0x02, 44100, 2, 4, 110250},
        {"ulaw.wav", BASS_CTYPE_STREAM_WAV | 0x07, 44100, 2, 8, 110250},
        {"alaw.wav", BASS_CTYPE_STREAM_WAV | 0x06, 22050, 1, 8, 22050},
    };
    for (const DecodeCase& c : cases) CheckDecode(c);
}

// MPEG layer 3 inside WAVE decodes to the samples of the same frames on their
// own, with the WAVE type and the codec's tag; a cut-off data chunk still opens.
TEST(EngineWaveCodecs, Mp3InsideWave) {
    std::string frames = RadioFrames();
    ASSERT_GT(frames.size(), 20000u);
    std::string wave = Mp3InWave(frames);
    HSTREAM plain = OpenMemory(frames), wrapped = OpenMemory(wave);
    ASSERT_NE(plain, 0u);
    ASSERT_NE(wrapped, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info = ChannelInfo(wrapped);
    EXPECT_EQ(info.ctype, (DWORD)(BASS_CTYPE_STREAM_WAV | 0x55));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(BASS_ChannelGetLength(wrapped, BASS_POS_BYTE), BASS_ChannelGetLength(plain, BASS_POS_BYTE));
    std::vector<float> a = DecodeFloat(plain), b = DecodeFloat(wrapped);
    ASSERT_GT(a.size(), 44100u);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(MaxDiff(a, b, a.size()), 0.0);
    BASS_StreamFree(plain);
    BASS_StreamFree(wrapped);
    std::string cut = wave.substr(0, wave.size() / 2);
    HSTREAM half = OpenMemory(cut);
    ASSERT_NE(half, 0u);
    EXPECT_GT(DecodeFloat(half).size(), a.size() / 3);
    BASS_StreamFree(half);
}

// ---- the Opus and WavPack add-ons -------------------------------------------

namespace {

uint32_t OggCrc(const std::string& page) {
    uint32_t crc = 0;
    for (unsigned char b : page) {
        crc ^= (uint32_t)b << 24;
        for (int k = 0; k < 8; k++) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// The Opus file with its header's output gain set (Q7.8 dB) and the first
// page's checksum made good again.
std::string WithOutputGain(std::string file, int16_t gainQ8) {
    size_t head = file.find("OpusHead");
    size_t pageLen = 27 + (uint8_t)file[26];
    for (size_t i = 0; i < (uint8_t)file[26]; i++) pageLen += (uint8_t)file[27 + i];
    file[head + 16] = (char)(gainQ8 & 0xFF);
    file[head + 17] = (char)((uint16_t)gainQ8 >> 8);
    std::string page = file.substr(0, pageLen);
    page.replace(22, 4, std::string(4, '\0'));
    file.replace(22, 4, Le32(OggCrc(page)));
    return file;
}

}  // namespace

// Opus: opusdec's samples within 60 dB (the same libopus underneath) with the
// exact count after pre-skip and end trimming, chained streams one after the
// other, seeking to the sample (within 45 dB of a decode from the start right
// at the new position: the decoder's memory after its warm-up still differs a
// little; a seek one sample off scores far lower), the header's output gain,
// the comments as the OGG block.
TEST(EngineAddons, OpusAddOn) {
    HPLUGIN p = LoadAddonDeclaring(L"bassopus.dll", 0x11200, "Opus", "*.opus");
    ASSERT_NE(p, 0u);
    // The sources' lengths, within 60 dB of opusdec.
    CheckDecode({"t.opus", 0x11200, 48000, 2, 0, 144000, 0, 60, 45}, p);
    CheckDecode({"b.opus", 0x11200, 48000, 2, 0, 62400, 0, 60, 45}, p);
    CheckDecode({"mono.opus", 0x11200, 48000, 1, 0, 0, 0, 60, 45}, p);
    CheckDecode({"chain.opus", 0x11200, 48000, 2, 0, 206400, 0, 60, 45}, p);
    HSTREAM t = OpenDecode("t.opus");
    std::vector<std::string> tags = TagEntries(BASS_ChannelGetTags(t, BASS_TAG_OGG));
    EXPECT_TRUE(HasEntry(tags, "title=Opus Title") || HasEntry(tags, "TITLE=Opus Title"));
    EXPECT_TRUE(HasEntry(tags, "artist=Opus Artist") || HasEntry(tags, "ARTIST=Opus Artist"));
    EXPECT_TRUE(HasEntry(tags, "COMMENT=two words"));
    std::vector<float> plain = DecodeFloat(t);
    BASS_StreamFree(t);

    // -6.02 dB in the header halves every sample.
    std::string quiet = WithOutputGain(MediaBytes("t.opus"), -1541);
    HSTREAM q = OpenMemory(quiet);
    ASSERT_NE(q, 0u) << BASS_ErrorGetCode();
    std::vector<float> halved = DecodeFloat(q);
    ASSERT_EQ(halved.size(), plain.size());
    for (float& f : plain) f *= (float)pow(10.0, -1541 / 256.0 / 20.0);
    EXPECT_LT(MaxDiff(halved, plain, plain.size()), 1e-4);
    BASS_StreamFree(q);

    // Links of different channel counts come out as stereo: the mono link in
    // both channels, then the stereo one as it is.
    std::string mixed = MediaBytes("mono.opus") + MediaBytes("b.opus");
    HSTREAM x = OpenMemory(mixed);
    ASSERT_NE(x, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(ChannelInfo(x).chans, 2u);
    std::vector<float> mono = ReferenceF32("mono.opus.f32"), stereo = ReferenceF32("b.opus.f32");
    std::vector<float> both = DecodeFloat(x);
    ASSERT_EQ(both.size(), mono.size() * 2 + stereo.size());
    std::vector<float> left, right;
    for (size_t i = 0; i < mono.size(); i++) {
        left.push_back(both[2 * i]);
        right.push_back(both[2 * i + 1]);
    }
    EXPECT_GT(Snr(left, mono), 60.0);
    EXPECT_EQ(left, right);
    EXPECT_GT(Snr(std::vector<float>(both.begin() + mono.size() * 2, both.end()), stereo), 60.0);
    BASS_StreamFree(x);

    // An Ogg Vorbis file is not taken for Opus, nor Opus for Vorbis.
    HSTREAM v = OpenDecode("t.ogg");
    EXPECT_EQ(ChannelInfo(v).ctype, (DWORD)BASS_CTYPE_STREAM_OGG);
    BASS_StreamFree(v);
    EXPECT_TRUE(BASS_PluginFree(p));
    EXPECT_EQ(OpenDecode("t.opus"), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

// WavPack: lossless integer and float files give the source exactly; a hybrid
// file with its correction file beside it too, and without one (a copy, or
// the bytes in memory) the lossy part, as wvunpack decodes it; APE tags; seeks.
TEST(EngineAddons, WavPackAddOn) {
    HPLUGIN p = LoadAddonDeclaring(L"basswv.dll", 0x10500, "WavPack", "*.wv");
    ASSERT_NE(p, 0u);
    CheckDecode({"t.wv", 0x10500, 44100, 2, 16}, p);
    CheckDecode({"f32.wv", 0x10500, 44100, 2, 32 | BASS_ORIGRES_FLOAT}, p);
    CheckDecode({"hybrid.wv", 0x10500, 48000, 2, 24}, p);
    CheckDecode({"lossy.wv", 0x10500, 48000, 2, 24}, p);
    // The lossy part alone is still close to the source.
    EXPECT_GT(Snr(ReferenceF32("lossy.wv.f32"), ReferenceF32("hybrid.wv.f32")), 30.0);
    std::string bytes = MediaBytes("hybrid.wv");
    HSTREAM m = OpenMemory(bytes);
    ASSERT_NE(m, 0u);
    EXPECT_EQ(DecodeFloat(m), ReferenceF32("lossy.wv.f32"));
    BASS_StreamFree(m);

    HSTREAM t = OpenDecode("t.wv");
    std::vector<std::string> tags = TagEntries(BASS_ChannelGetTags(t, BASS_TAG_APE));
    for (const char* want : {"Title=Wv Title", "Artist=Wv Artist", "Year=2021"}) EXPECT_TRUE(HasEntry(tags, want)) << want;
    BASS_StreamFree(t);
    EXPECT_TRUE(BASS_PluginFree(p));
}

// ---- the FFmpeg add-ons: AAC and ALAC, WMA ---------------------------------

namespace {

std::string Atom(const char* type, const std::string& body) { return Be32((uint32_t)body.size() + 8) + type + body; }

// t.m4a as iTunes writes its gapless files: no edit list, the delay and the
// length in an iTunSMPB freeform atom (moov follows mdat, so no offset moves).
std::string WithItunSmpb(const std::string& atoms, const std::string& parent = "") {
    std::string out;
    for (size_t at = 0; at + 8 <= atoms.size();) {
        uint32_t size = (uint8_t)atoms[at] << 24 | (uint8_t)atoms[at + 1] << 16 | (uint8_t)atoms[at + 2] << 8 |
                        (uint8_t)atoms[at + 3];
        if (size < 8 || size > atoms.size() - at) return "";
        std::string type = atoms.substr(at + 4, 4), body = atoms.substr(at + 8, size - 8);
        at += size;
        if (type == "edts") continue;
        if (type == "moov" || type == "trak" || type == "udta" || type == "ilst") body = WithItunSmpb(body, type);
        if (type == "meta") body = body.substr(0, 4) + WithItunSmpb(body.substr(4), type);
        out += Atom(type.c_str(), body);
    }
    if (parent == "ilst") {
        std::string zero(4, '\0');
        std::string note = " 00000000 00000400 00000156 000000000001AEAA 00000000 00000000";
        out += Atom("----", Atom("mean", zero + "com.apple.iTunes") + Atom("name", zero + "iTunSMPB") +
                               Atom("data", Be32(1) + zero + note));
    }
    return out;
}

}  // namespace

// AAC in MP4 has exactly the source's samples (the priming cut by the edit
// list, the padding at its end); ADTS as many as ffmpeg gives (it says
// nothing of a delay); ALAC is the source bit for bit. All match ffmpeg's own
// decode and seek to the sample; the tags come out as the MP4 block.
TEST(EngineAddons, AacAddOn) {
    HPLUGIN p = LoadAddonDeclaring(L"bass_aac.dll", 0x10b00, "AAC", "*.aac;*.m4a;*.mp4;*.m4b");
    ASSERT_NE(p, 0u);
    const BASS_PLUGININFO* pi = BASS_PluginGetInfo(p);
    ASSERT_EQ(pi->formatc, 3u);
    EXPECT_STREQ(pi->formats[1].name, "AAC (MP4)");
    EXPECT_STREQ(pi->formats[2].name, "Apple Lossless");
    CheckDecode({"t.m4a", 0x10b01, 44100, 2, 0, 110250, 0, 60, 50}, p);
    CheckDecode({"t.aac", 0x10b00, 44100, 2, 0, 0, 0, 60, 50}, p);
    CheckDecode({"alac.m4a", 0x10e00, 48000, 2, 24, 48000, 0, 0, 200, "alac.m4a.src.f32"}, p);
    HSTREAM t = OpenDecode("t.m4a");
    std::vector<std::string> tags = TagEntries(BASS_ChannelGetTags(t, BASS_TAG_MP4));
    for (const char* want : {"Title=Aac Title", "Artist=Aac Artist", "Album=Aac Album", "Date=2022", "Genre=Jazz",
                             "Track=3", "Comment=two words"})
        EXPECT_TRUE(HasEntry(tags, want)) << want;
    BASS_StreamFree(t);
    // The delay and length from iTunSMPB instead of the edit list: the same samples.
    std::string original = MediaBytes("t.m4a");
    ASSERT_LT(original.find("mdat"), original.find("moov"));
    std::string itunes = WithItunSmpb(original);
    ASSERT_EQ(itunes.find("edts"), std::string::npos);
    ASSERT_NE(itunes.find("iTunSMPB"), std::string::npos);
    HSTREAM g = OpenMemory(itunes);
    ASSERT_NE(g, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_ChannelGetLength(g, BASS_POS_BYTE), 110250u * 4);
    HSTREAM e = OpenDecode("t.m4a");
    EXPECT_EQ(DecodeFloat(g), DecodeFloat(e));
    BASS_StreamFree(g);
    BASS_StreamFree(e);

    // Raw AAC behind an ID3v2 tag: the same stream, and the tag as the ID3v2 block.
    std::string frame = "TIT2" + std::string("\0\0\0\x06\0\0\0", 7) + "Adts!";
    std::string id3 = std::string("ID3\x03\0\0\0\0\0", 9) + (char)frame.size() + frame;
    std::string tagged = id3 + MediaBytes("t.aac");
    HSTREAM a = OpenMemory(tagged);
    ASSERT_NE(a, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_ChannelGetLength(a, BASS_POS_BYTE), ReferenceF32("t.aac.f32").size() * 2);
    const char* v2 = BASS_ChannelGetTags(a, BASS_TAG_ID3V2);
    ASSERT_NE(v2, nullptr);
    EXPECT_EQ(std::string(v2, id3.size()), id3);
    EXPECT_GE(Snr(DecodeFloat(a), ReferenceF32("t.aac.f32")), 60.0);
    BASS_StreamFree(a);
    // An MP3 is still the library's own, not taken by the add-on.
    HSTREAM m = OpenDecode("cbr.mp3");
    EXPECT_EQ(ChannelInfo(m).plugin, 0u);
    BASS_StreamFree(m);
    EXPECT_TRUE(BASS_PluginFree(p));
}

// WMA 1 and 2: exactly as many samples as ffmpeg gives, announced as the
// length before decoding (ASF's own times are milliseconds, and the header's
// duration runs past the decoder's end); the same samples; a seek anywhere
// continues with the very samples of the decode from the start; the tags as
// the WMA block.
TEST(EngineAddons, WmaAddOn) {
    HPLUGIN p = LoadAddonDeclaring(L"basswma.dll", 0x10300, "Windows Media Audio", "*.wma");
    ASSERT_NE(p, 0u);
    CheckDecode({"t.wma", 0x10300, 44100, 2, 0, 0, 0, 60}, p);
    CheckDecode({"t1.wma", 0x10300, 22050, 1, 0, 0, 0, 60}, p);
    HSTREAM t = OpenDecode("t.wma");
    std::vector<std::string> tags = TagEntries(BASS_ChannelGetTags(t, BASS_TAG_WMA));
    for (const char* want : {"Title=Wma Title", "Author=Wma Artist", "WM/AlbumTitle=Wma Album", "WM/Genre=Rock",
                             "WM/Year=2020"})
        EXPECT_TRUE(HasEntry(tags, want)) << want;
    BASS_StreamFree(t);
    EXPECT_TRUE(BASS_PluginFree(p));
}

// ---- internet streams, decoded as they download ----------------------------

namespace {

struct DownloadLog {
    std::mutex mu;
    std::vector<std::string> statuses;  // the first line of each header block given
    size_t bytes = 0;
    int ends = 0;
};

void CALLBACK LogDownload(const void* buffer, DWORD length, void* user) {
    auto* log = (DownloadLog*)user;
    std::lock_guard<std::mutex> lock(log->mu);
    if (!buffer) log->ends++;
    else if (length == 0) log->statuses.push_back((const char*)buffer);
    else log->bytes += length;
}

void CALLBACK CountSync(HSYNC, DWORD, DWORD, void* user) { ++*(int*)user; }

QWORD FilePos(HSTREAM h, DWORD mode) { return BASS_StreamGetFilePosition(h, mode); }

}  // namespace

// A file served whole (MP3 with its length) or chunked (Ogg, length unknown)
// decodes to the very samples of the same file read from disk; the download
// callback sees the headers once, every byte, then the end.
TEST(EngineNet, AServedFileDecodesAsFromDisk) {
    for (const char* name : {"cbr.mp3", "t.ogg"}) {
        SCOPED_TRACE(name);
        std::string bytes = MediaBytes(name);
        bool chunked = strstr(name, ".ogg") != nullptr;
        TestHttpServer server;
        ASSERT_TRUE(server.Start([&](TestConnection& c) {
            if (c.Header("Icy-MetaData") != "1") return;  // the request must ask for titles
            if (!chunked) {
                c.Send(ReplyHead("HTTP/1.0 200 OK", {"Content-Type: audio/mpeg",
                                                     "Content-Length: " + std::to_string(bytes.size())}) + bytes);
                return;
            }
            c.Send(ReplyHead("HTTP/1.1 200 OK", {"Content-Type: application/ogg", "Transfer-Encoding: chunked"}));
            for (size_t at = 0; at < bytes.size(); at += 3000) {
                std::string part = bytes.substr(at, 3000);
                char size[16];
                snprintf(size, sizeof(size), "%zx\r\n", part.size());
                if (!c.Send(size + part + "\r\n")) return;
            }
            c.Send("0\r\n\r\n");
        }));
        DownloadLog log;
        HSTREAM h = BASS_StreamCreateURL(server.Url("/a").c_str(), 0, BASS_STREAM_DECODE | BASS_STREAM_STATUS,
                                         LogDownload, &log);
        ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
        BASS_CHANNELINFO info = ChannelInfo(h);
        EXPECT_EQ(info.ctype, chunked ? (DWORD)BASS_CTYPE_STREAM_OGG : (DWORD)BASS_CTYPE_STREAM_MP3);
        EXPECT_STREQ(info.filename, server.Url("/a").c_str());
        HSTREAM disk = OpenDecode(name);
        std::vector<float> fromDisk = DecodeFloat(disk), fromNet = DecodeFloat(h);
        BASS_StreamFree(disk);
        ASSERT_EQ(fromNet.size(), fromDisk.size());
        EXPECT_EQ(MaxDiff(fromNet, fromDisk, fromDisk.size()), 0.0);

        const char* http = BASS_ChannelGetTags(h, BASS_TAG_HTTP);
        ASSERT_TRUE(http);
        EXPECT_EQ(strncmp(http, "HTTP/1.", 7), 0);
        EXPECT_FALSE(BASS_ChannelGetTags(h, BASS_TAG_ICY));
        EXPECT_EQ(BASS_ChannelGetTags(h, BASS_TAG_ID3V2) != nullptr, !chunked);  // the file's own tags too
        EXPECT_EQ(FilePos(h, BASS_FILEPOS_CONNECTED), 0u);
        EXPECT_EQ(FilePos(h, BASS_FILEPOS_DOWNLOAD), bytes.size());
        EXPECT_EQ(FilePos(h, BASS_FILEPOS_CURRENT), bytes.size());
        // Known length: the whole file is kept; unknown: a block buffer of at least 8 KB.
        if (chunked) EXPECT_GE(FilePos(h, BASS_FILEPOS_END), 8192u);
        else EXPECT_EQ(FilePos(h, BASS_FILEPOS_END), bytes.size());
        EXPECT_FALSE(BASS_ChannelSetPosition(h, 0, BASS_POS_BYTE));  // not seekable
        for (int i = 0; i < 200 && log.ends == 0; i++) Sleep(5);
        std::lock_guard<std::mutex> lock(log.mu);
        ASSERT_EQ(log.statuses.size(), 1u);
        EXPECT_EQ(log.statuses[0].compare(0, 7, "HTTP/1."), 0);
        EXPECT_EQ(log.bytes, bytes.size());
        EXPECT_EQ(log.ends, 1);
        EXPECT_TRUE(BASS_StreamFree(h));
    }
}

// A radio server: ICY reply, a metadata block every 4000 audio bytes, titles
// that repeat and change. The audio comes out without the blocks (the samples
// match the frames decoded from memory), each change fires one META sync, and
// the reply's lines are the ICY tags.
TEST(EngineNet, IcyTitlesAreTakenOutOfTheAudioAndSyncOnChange) {
    std::string radio = RadioFrames();
    ASSERT_GT(radio.size(), 20000u);
    HSTREAM mem = OpenMemory(radio);
    ASSERT_NE(mem, 0u);
    std::vector<float> reference = DecodeFloat(mem);
    BASS_StreamFree(mem);
    std::vector<std::string> titles;
    for (int i = 0; i < 200; i++) titles.push_back(i < 6 ? "First Song" : i < 12 ? "" : "Artist - Second (Live)");
    std::string body = WithIcyBlocks(radio + radio, 4000, titles);
    TestHttpServer server;
    ASSERT_TRUE(server.Start([&](TestConnection& c) {
        // A pause after the first 32 KB: the stream opens on the first title alone.
        std::string head = ReplyHead("ICY 200 OK", {"icy-name: Test Radio", "icy-genre: Test Genre", "icy-br: 128",
                                                    "icy-metaint: 4000"});
        if (!c.Send(head + body.substr(0, 32768))) return;
        Sleep(400);
        c.Send(body.substr(32768));
    }));
    HSTREAM h = BASS_StreamCreateURL(server.Url("/radio").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    int metas = 0;
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_META, 0, CountSync, &metas), 0u);
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_OGG_CHANGE, 0, CountSync, &metas), 0u);
    std::vector<float> got = DecodeFloat(h);
    ASSERT_GE(got.size(), reference.size() * 2 - 4608);
    size_t common = reference.size() - 4608;  // the first copy, but for its last frames
    EXPECT_EQ(MaxDiff(got, reference, common), 0.0);
    const char* meta = BASS_ChannelGetTags(h, BASS_TAG_META);
    ASSERT_TRUE(meta);
    EXPECT_STREQ(meta, "StreamTitle='Artist - Second (Live)';");
    EXPECT_EQ(metas, 1);  // the first title came with the opening, the second once
    const char* icy = BASS_ChannelGetTags(h, BASS_TAG_ICY);
    ASSERT_TRUE(icy) << "the reply's lines as ICY tags";
    std::vector<std::string> lines = TagEntries(icy);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "ICY 200 OK");
    EXPECT_EQ(lines[3], "icy-br: 128");
    EXPECT_GE(FilePos(h, BASS_FILEPOS_END), 8192u);  // a block buffer
    BASS_StreamFree(h);
}

// A radio's titles come well ahead of their audio (the download runs up to
// the buffer's length ahead): each is published, tags and META sync, when the
// audio from its byte on is reached, not when it is downloaded.
TEST(EngineNet, IcyTitlesArePublishedWhenTheirAudioIsReached) {
    std::string radio = RadioFrames();
    ASSERT_GT(radio.size(), 20000u);
    std::string audio;
    while (audio.size() < 100000) audio += radio;
    std::vector<std::string> titles(audio.size() / 4000);
    titles[0] = "One";   // from byte 4000 (0.25 s at 128 kbit/s)
    titles[11] = "Two";  // from byte 48000 (3.0 s)
    std::string body = WithIcyBlocks(audio, 4000, titles);
    TestHttpServer server;
    ASSERT_TRUE(server.Start([&](TestConnection& c) {
        c.Send(ReplyHead("ICY 200 OK", {"icy-name: Test Radio", "icy-br: 128", "icy-metaint: 4000"}) + body);
    }));
    HSTREAM h = BASS_StreamCreateURL(server.Url("/radio").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    int metas = 0;
    ASSERT_NE(BASS_ChannelSetSync(h, BASS_SYNC_META, 0, CountSync, &metas), 0u);
    Sleep(500);  // the download is far ahead now
    ASSERT_GE(FilePos(h, BASS_FILEPOS_DOWNLOAD), 60000u);
    std::vector<float> buf(44100 * 2 / 10);
    double seconds = 0;
    auto playTo = [&](double until) {
        while (seconds < until) {
            DWORD got = BASS_ChannelGetData(h, buf.data(), (DWORD)(buf.size() * 4) | BASS_DATA_FLOAT);
            if (got == (DWORD)-1) return false;
            seconds += got / 8 / 44100.0;
        }
        return true;
    };
    auto title = [&] {
        const char* m = BASS_ChannelGetTags(h, BASS_TAG_META);
        return std::string(m ? m : "");
    };
    ASSERT_TRUE(playTo(1.0));
    EXPECT_EQ(title(), "StreamTitle='One';");
    int before = metas;
    ASSERT_TRUE(playTo(2.8));
    EXPECT_EQ(title(), "StreamTitle='One';") << "at " << seconds << " s";
    EXPECT_EQ(metas, before);
    ASSERT_TRUE(playTo(3.3));
    EXPECT_EQ(title(), "StreamTitle='Two';") << "at " << seconds << " s";
    EXPECT_EQ(metas, before + 1);
    BASS_StreamFree(h);
}

// Internet streams opened, read and freed one after another leave no handle
// behind. The server sends in small pieces, so the download thread, the
// decoder's thread and the reader meet on each stream's locks. The server
// keeps a thread for each connection until it stops, so it is counted stopped.
TEST(EngineNet, StreamsComeAndGoWithoutLeavingHandles) {
    std::string radio = RadioFrames();
    std::vector<float> buf(8192);
    auto streams = [&](int count) {
        TestHttpServer server;
        ASSERT_TRUE(server.Start([&](TestConnection& c) {
            if (!c.Send(ReplyHead("HTTP/1.0 200 OK", {"Content-Type: audio/mpeg"}))) return;
            for (size_t at = 0; at < radio.size(); at += 1000) {
                if (!c.Send(radio.substr(at, 1000))) return;
                Sleep(1);
            }
        }));
        for (int i = 0; i < count && !HasFailure(); i++) {
            HSTREAM h = BASS_StreamCreateURL(server.Url("/r").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
            ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
            for (int k = 0; k < 8; k++) {
                FilePos(h, BASS_FILEPOS_DOWNLOAD);  // the download's progress, under the feed's lock
                if (BASS_ChannelGetData(h, buf.data(), (DWORD)(buf.size() * 4) | BASS_DATA_FLOAT) == (DWORD)-1) break;
            }
            BASS_StreamFree(h);
        }
        Sleep(300);  // each download thread ends after its read in progress
    };
    streams(4);  // the first ones set up WinINet's own state
    int before = HandleCount();
    const int count = 30;
    streams(count);
    int after = HandleCount();
    printf("%d internet streams: handles %d -> %d\n", count, before, after);
    EXPECT_LE(after, before + 5);
}

TEST(EngineNet, FailuresGiveBassErrors) {
    TestHttpServer server;
    ASSERT_TRUE(server.Start([](TestConnection& c) {
        if (c.path == "/missing") c.Send(ReplyHead("HTTP/1.0 404 Not Found", {"Content-Length: 3"}) + "no!");
        else if (c.path == "/junk") c.Send(ReplyHead("HTTP/1.0 200 OK", {}) + std::string(70000, 'j'));
        else if (c.path == "/empty") c.Send(ReplyHead("HTTP/1.0 200 OK", {}));
    }));
    DownloadLog log;
    EXPECT_EQ(BASS_StreamCreateURL(server.Url("/missing").c_str(), 0, BASS_STREAM_DECODE | BASS_STREAM_STATUS,
                                   LogDownload, &log), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    ASSERT_EQ(log.statuses.size(), 1u);  // why it failed goes to the callback
    EXPECT_EQ(log.statuses[0], "HTTP/1.0 404 Not Found");
    EXPECT_EQ(BASS_StreamCreateURL(server.Url("/junk").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(BASS_StreamCreateURL(server.Url("/empty").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    DWORD start = GetTickCount();
    std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x";
    EXPECT_EQ(BASS_StreamCreateURL(refused.c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr), 0u);
    EXPECT_TRUE(BASS_ErrorGetCode() == BASS_ERROR_FILEOPEN || BASS_ErrorGetCode() == BASS_ERROR_TIMEOUT);
    EXPECT_LT(GetTickCount() - start, 6000u);
    EXPECT_EQ(BASS_StreamCreateURL("ftp://127.0.0.1/x", 0, BASS_STREAM_DECODE, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_EQ(BASS_StreamCreateURL(server.Url("/x").c_str(), 0, BASS_STREAM_DECODE | BASS_STREAM_AUTOFREE, nullptr,
                                   nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_EQ(BASS_StreamCreateURL(server.Url("/x").c_str(), 0, 0, nullptr, nullptr), 0u);  // no BASS_Init
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

// ---- encoder delay and padding -----------------------------------------------

namespace {

// Where `coded` lines up best with its source at the start (both interleaved,
// first channel): the lag in frames whose squared difference over the first
// 3000 frames is least. 0 means the encoder's delay is gone. The onset, where
// a lossy coder smears the sudden start, can tip that by a frame either way:
// the last step looks a few frames around it, over frames 2048 to 5000.
int BestLag(const std::vector<float>& coded, const std::vector<float>& source, int chans) {
    auto error = [&](int lag, int from, int to) {
        double err = 0;
        // Both are silent before their first frame.
        for (int i = from; i < to; i++) {
            int j = i - lag;
            float s = j >= 0 && (size_t)j * chans < source.size() ? source[(size_t)j * chans] : 0.0f;
            float c = i >= 0 && (size_t)i * chans < coded.size() ? coded[(size_t)i * chans] : 0.0f;
            err += (c - s) * (c - s);
        }
        return err;
    };
    int coarse = 0, best = 0;
    double bestErr = 1e30;
    for (int lag = -1500; lag <= 1500; lag++) {
        double err = error(lag, -1500, 3000);
        if (err < bestErr) bestErr = err, coarse = lag;
    }
    bestErr = 1e30;
    for (int lag = coarse - 3; lag <= coarse + 3; lag++) {
        double err = error(lag, 2048, 5000);
        if (err < bestErr) bestErr = err, best = lag;
    }
    return best;
}

}  // namespace

// Every lossy format gives exactly the encoded samples: as many frames as the
// source had, the first one where the source's first one was (LAME's header
// for MP3, granule positions for Vorbis, pre-skip for Opus, the edit list for AAC).
TEST(EngineGapless, EncoderDelayAndPaddingAreRemovedExactly) {
    LoadTestAddon(L"bassflac.dll");
    LoadTestAddon(L"bassopus.dll");
    LoadTestAddon(L"bass_aac.dll");
    struct {
        const char* file;
        const char* source;
    } cases[] = {{"cbr.mp3", "s16.wav"}, {"vbr.mp3", "music.wav"}, {"t.ogg", "s16.wav"},
                 {"music.ogg", "music.wav"}, {"t.flac", "s16.wav"}, {"t.opus", "s48.wav"}, {"t.m4a", "s16.wav"}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (!MediaExists(c.file) || !MediaExists(c.source)) continue;
        HSTREAM s = OpenDecode(c.source, BASS_SAMPLE_FLOAT);
        HSTREAM h = OpenDecode(c.file, BASS_SAMPLE_FLOAT);
        ASSERT_NE(s, 0u);
        ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
        BASS_CHANNELINFO si = ChannelInfo(s), hi = ChannelInfo(h);
        ASSERT_EQ(si.freq, hi.freq);
        ASSERT_EQ(si.chans, hi.chans);
        std::vector<float> source = DecodeFloat(s), coded = DecodeFloat(h);
        EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), source.size() * 4);
        EXPECT_EQ(coded.size(), source.size());
        ASSERT_GT(coded.size(), 5000u * hi.chans);
        EXPECT_EQ(BestLag(coded, source, (int)hi.chans), 0);
        BASS_StreamFree(h);
        BASS_StreamFree(s);
    }
}
