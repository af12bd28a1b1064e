// The playback engine over the real audio library and real files.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include <bass.h>
#include "app/general_settings.h"
#include "audio/engine.h"
#include "media/address_list.h"
#include "audio/plugins.h"
#include "media/file_groups.h"
#include "media/replay_gain.h"
#include "tests/test_support.h"

struct PlaybackTest : testing::Test {
    static ScratchFolder* media;
    static std::wstring wav;      // 10 s sine
    static std::wstring module;   // a tracker module under an unusual extension

    static void SetUpTestSuite() {
        media = new ScratchFolder(L"playback-media");
        wav = media->File(L"sine.wav");
        module = media->File(L"tune.dat");
        ASSERT_TRUE(WriteSineWav(wav, 10));
        ASSERT_TRUE(WriteTinyModule(module, 8));
        SetGeneralDefaults();
        ASSERT_TRUE(InitAudio()) << "error " << BASS_ErrorGetCode();
    }
    static void TearDownTestSuite() {
        ShutdownAudio();
        delete media;
    }
    void SetUp() override {
        SetGeneralDefaults();
        StopTrack();
    }
    void TearDown() override { StopTrack(); }

    // Runs `open`, which is to fail with its "Can't play file" box; answers the
    // box from another thread and gives back its caption's file name.
    template <typename F>
    static std::wstring AnswerFailureBox(F open) {
        AnyBoxCatcher boxes;
        open();
        std::vector<std::wstring> seen = boxes.Seen();
        if (seen.size() != 1) return L"";
        std::wstring caption = seen[0].substr(0, seen[0].find(L'|'));
        return caption.substr(caption.rfind(L'\\') + 1);
    }

    static bool WaitFor(int ms, bool (*done)()) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < (DWORD)ms; Sleep(5))
            if (done()) return true;
        return done();
    }
};
ScratchFolder* PlaybackTest::media;
std::wstring PlaybackTest::wav;
std::wstring PlaybackTest::module;

TEST_F(PlaybackTest, LoadedTrackReadsPausedUntilToggled) {
    ASSERT_TRUE(OpenTrack(wav.c_str(), false, true));
    EXPECT_EQ(g_engine.playState, PlayStateLoaded);
    EXPECT_EQ(GetStatus(), StatusPaused);
    EXPECT_EQ(seekLength, 10000u);
    TogglePlay();
    EXPECT_EQ(GetStatus(), StatusPlaying);
    Sleep(300);
    EXPECT_GT(GetPosition(), 100);
    StopTrack();
    EXPECT_EQ(GetStatus(), StatusStopped);
    EXPECT_EQ(channel.load(), 0u);
}

TEST_F(PlaybackTest, SmoothPauseFadesAndAQuickResumeCancelsIt) {
    ASSERT_TRUE(OpenTrack(wav.c_str(), false, true));
    Resume();
    Sleep(200);
    AudioChannel ch = channel;
    Pause();
    EXPECT_EQ(GetStatus(), StatusPaused);  // reads paused during the fade
    Sleep(120);
    Resume();
    // The channel never pauses: watch it for longer than the fade.
    for (int i = 0; i < 100; i++) {
        ASSERT_EQ(BASS_ChannelIsActive(ch), (DWORD)BASS_ACTIVE_PLAYING) << "at " << i * 5 << " ms";
        Sleep(5);
    }
    float v = 0;
    BASS_ChannelGetAttribute(ch, BASS_ATTRIB_VOL, &v);
    EXPECT_FLOAT_EQ(v, 1.0f);

    // A completed fade pauses the channel, and the position stands still.
    Pause();
    EXPECT_TRUE(WaitFor(1000, [] { return BASS_ChannelIsActive(channel) == BASS_ACTIVE_PAUSED; }));
    int32_t p1 = GetPosition();
    Sleep(150);
    EXPECT_EQ(GetPosition(), p1);
    EXPECT_FALSE(pauseRequested && BASS_ChannelIsActive(ch) == BASS_ACTIVE_PLAYING);
}

TEST_F(PlaybackTest, SeekingByPercentAndToAPosition) {
    EXPECT_EQ(SeekByPercentTarget(10000, 1000, 20, false), 0u);
    EXPECT_EQ(SeekByPercentTarget(10000, 9500, 20, true), 9999u);
    EXPECT_EQ(SeekByPercentTarget(10000, 5000, 5, true), 5500u);
    EXPECT_EQ(SeekByPercentTarget(10000, 5000, 5, false), 4500u);
    EXPECT_EQ(SeekByPercentTarget(1, 0, 20, true), 0u);

    ASSERT_TRUE(OpenTrack(wav.c_str(), false, true));
    SeekTo(1000);
    seekPosition = 1000;
    SeekByPercent(20, false);
    EXPECT_EQ(seekPosition, 0u);
    EXPECT_NEAR(GetPosition(), 0, 5);
    seekPosition = 9500;
    SeekByPercent(20, true);
    EXPECT_EQ(seekPosition, 9999u);
    EXPECT_NEAR(GetPosition(), 9999, 5);
    SeekTo(4321);
    EXPECT_NEAR(GetPosition(), 4321, 2);
}

TEST_F(PlaybackTest, AModuleUnderAnUnusualExtensionOpensAsMusic) {
    ASSERT_TRUE(OpenTrack(module.c_str(), false, true));
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(channel, &info));
    EXPECT_EQ(info.ctype & 0x20000, 0x20000u) << std::hex << info.ctype;  // a MUSIC type
    EXPECT_GT(seekLength, 7000u);
    Resume();
    EXPECT_EQ(GetStatus(), StatusPlaying);
}

TEST_F(PlaybackTest, AFailedOpenLeavesTheEngineStopped) {
    ASSERT_TRUE(OpenTrack(wav.c_str(), false, true));
    Resume();
    std::wstring junk = media->File(L"junk.mp3");
    WriteFileBytes(junk, std::string(5000, '\x55'));
    g_general.OSDView = 2;
    // fromPlayList is off, so the failure shows its box, naming the file.
    EXPECT_EQ(AnswerFailureBox([&] { EXPECT_FALSE(OpenTrack(junk.c_str(), false, true)); }), L"junk.mp3");
    EXPECT_EQ(channel.load(), 0u);
    EXPECT_EQ(GetStatus(), StatusStopped);
    EXPECT_EQ(g_engine.playState, PlayStateStopped);
    EXPECT_EQ(seekLength, 1u);
    EXPECT_EQ(PositionToRemember(), -1);
}

TEST_F(PlaybackTest, AListOfAddressesIsHandedOnAsOnePath) {
    std::wstring m3u = media->File(L"radio.m3u");
    // Addresses where nothing listens: the connect thread's attempts fail at once.
    WriteFileBytes(m3u, "#EXTM3U\r\n  http://127.0.0.1:1/stream  \r\n\r\n# comment\nhttp://127.0.0.1:1/x\r\n");
    currentPath.Set(m3u.c_str());
    g_general.OSDView = 2;
    EXPECT_TRUE(OpenCurrent(false));
    EXPECT_EQ(currentPath.text, L"http://127.0.0.1:1/stream|http://127.0.0.1:1/x");
    EXPECT_EQ(g_engine.netState.load(), 1);
    EXPECT_EQ(channel.load(), 1u);  // the placeholder until the connect thread has a stream
    EXPECT_EQ(JoinListFileLines(L""), L"");
    EXPECT_EQ(JoinListFileLines(L"a\n\n b \r\n#c\nd"), L"a|b|d");
}

// A list file that is gone, together with its folder, is not taken for a CUE
// track nor read as an empty list: the path stays and the failure names it.
TEST_F(PlaybackTest, AMissingListFileKeepsItsPathAndNamesItself) {
    g_general.OSDView = 2;
    for (const wchar_t* name : {L"list.m3u", L"sheet.cue"}) {
        std::wstring gone = media->File(L"gone-folder\\") + name;
        currentPath.Set(gone.c_str());
        EXPECT_EQ(AnswerFailureBox([] { EXPECT_FALSE(OpenCurrent(false)); }), name);
        EXPECT_EQ(currentPath.text, gone);
        EXPECT_EQ(channel.load(), 0u);
    }
    // An empty list keeps its path too.
    std::wstring empty = media->File(L"empty.m3u");
    WriteFileBytes(empty, "#EXTM3U\r\n\r\n");
    currentPath.Set(empty.c_str());
    EXPECT_EQ(AnswerFailureBox([] { EXPECT_FALSE(OpenCurrent(false)); }), L"empty.m3u");
    EXPECT_EQ(currentPath.text, empty);
}

TEST_F(PlaybackTest, TrackBoundsStopOrLoopAtTheirEnd) {
    ASSERT_TRUE(OpenTrack(wav.c_str(), false, true));
    SetTrackBounds(2000, 400);
    EXPECT_EQ(seekLength, 400u);
    EXPECT_NEAR(GetPosition(), 0, 5);
    Resume();
    EXPECT_TRUE(WaitFor(3000, [] { return GetStatus() == StatusStopped; }));
    // The channel stopped near the bound, not at the file's end.
    double at = BASS_ChannelBytes2Seconds(channel, BASS_ChannelGetPosition(channel, BASS_POS_BYTE));
    EXPECT_NEAR(at, 2.4, 0.1);

    // With loop on, the track restarts at its own start and never ends.
    g_general.isLoop = 1;
    ASSERT_TRUE(OpenTrack(wav.c_str(), false, true));
    SetLoop(true);
    SetTrackBounds(2000, 400);
    Resume();
    for (int i = 0; i < 20; i++) {
        Sleep(50);
        ASSERT_EQ(GetStatus(), StatusPlaying);
        int32_t p = GetPosition();
        EXPECT_GE(p, -5);
        EXPECT_LE(p, 450);
    }
}

TEST_F(PlaybackTest, VolumeAndLoopFollowTheSettings) {
    ASSERT_TRUE(OpenTrack(wav.c_str(), false, true));
    SetPlayerVolume(32767);
    float v = 0;
    BASS_ChannelGetAttribute(channel, BASS_ATTRIB_VOL, &v);
    EXPECT_NEAR(v, 32767.0 / 65535.0, 1e-6);
    EXPECT_EQ(g_general.PlayerVolume, 32767u);
    SetPlayerVolume(70000);
    EXPECT_EQ(g_general.PlayerVolume, 65535u);
    SetLoop(true);
    EXPECT_TRUE(BASS_ChannelFlags(channel, 0, 0) & BASS_SAMPLE_LOOP);
    SetLoop(false);
    EXPECT_FALSE(BASS_ChannelFlags(channel, 0, 0) & BASS_SAMPLE_LOOP);
}

// An ID3v2.3 tag of Latin-1 user text frames (name, value).
static std::string UserTextTag(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string body;
    for (auto& [name, value] : items) {
        std::string data = std::string(1, '\0') + name + std::string(1, '\0') + value;
        size_t n = data.size();
        body += "TXXX";
        body += {(char)(n >> 24), (char)(n >> 16), (char)(n >> 8), (char)n, 0, 0};
        body += data;
    }
    size_t n = body.size();
    std::string tag = "ID3";
    tag += {3, 0, 0, (char)(n >> 21 & 0x7F), (char)(n >> 14 & 0x7F), (char)(n >> 7 & 0x7F), (char)(n & 0x7F)};
    return tag + body;
}

// Loudness levelling scales the samples by the file's tags and the settings,
// apart from the volume, and follows a change of the settings at once.
TEST_F(PlaybackTest, ReplayGainScalesWhatPlaysByTheTags) {
    std::string mp3 = ReadFileBytes(TestExeFolder() + L"media\\mono22.mp3");  // a steady sine, no tags
    if (mp3.empty()) GTEST_SKIP() << "no MPEG media";
    std::wstring tagged = media->File(L"tagged.mp3"), plain = media->File(L"plain.mp3");
    ASSERT_TRUE(WriteFileBytes(tagged, UserTextTag({{"REPLAYGAIN_TRACK_GAIN", "-6.02 dB"},
                                                    {"REPLAYGAIN_TRACK_PEAK", "0.4"},
                                                    {"REPLAYGAIN_ALBUM_GAIN", "-12.04 dB"}}) + mp3));
    ASSERT_TRUE(WriteFileBytes(plain, mp3));
    g_general.isSmoothPause = 0;
    auto scaleOf = [](const std::wstring& path) {
        EXPECT_TRUE(OpenTrack(path.c_str(), false, true));
        return AudioGetSampleScale(channel);
    };
    auto levelOf = [](const std::wstring& path) {
        EXPECT_TRUE(OpenTrack(path.c_str(), false, true));
        Resume();
        Sleep(250);
        uint32_t level = AudioGetLevel(channel);
        StopTrack();
        return level == 0xFFFFFFFFu ? -1.0 : (double)LOWORD(level);
    };
    // Off, the default: the tags change nothing.
    EXPECT_FLOAT_EQ(scaleOf(tagged), 1.0f);
    double full = levelOf(tagged);
    g_general.ReplayGainMode = ReplayGainTrack;
    EXPECT_NEAR(scaleOf(tagged), 0.5, 0.001);
    double half = levelOf(tagged);
    ASSERT_GT(full, 1000.0);
    EXPECT_NEAR(half / full, 0.5, 0.05);
    // The volume stays the player's own.
    OpenTrack(tagged.c_str(), false, true);
    float v = 0;
    BASS_ChannelGetAttribute(channel, BASS_ATTRIB_VOL, &v);
    EXPECT_FLOAT_EQ(v, 1.0f);
    // Album mode takes the album gain; a preamp that would pass the peak stops at it.
    g_general.ReplayGainMode = ReplayGainAlbum;
    EXPECT_NEAR(scaleOf(tagged), 0.25, 0.001);
    g_general.ReplayGainMode = ReplayGainTrack;
    g_general.ReplayGainPreamp = 15;
    ApplyReplayGain();  // what the settings window does after a change
    EXPECT_NEAR(AudioGetSampleScale(channel), 2.5, 0.001);  // 1 / the peak, not +8.98 dB
    // An untagged file gets its own value, not the preamp.
    g_general.ReplayGainUntagged = -6;
    EXPECT_NEAR(scaleOf(plain), 0.501, 0.001);
    g_general.ReplayGainMode = ReplayGainOff;
    ApplyReplayGain();
    EXPECT_FLOAT_EQ(AudioGetSampleScale(channel), 1.0f);
}

// The extensions of one group in the supported-formats text, in order.
static std::vector<std::wstring> GroupLine(const std::wstring& text, const wchar_t* caption) {
    size_t at = text.find(caption);
    if (at == std::wstring::npos) return {};
    at += wcslen(caption);
    std::wstring line = text.substr(at, text.find(L"\r\n", at) - at);
    std::vector<std::wstring> exts;
    for (size_t p = 0; p < line.size();) {
        size_t end = line.find(L", ", p);
        if (end == std::wstring::npos) end = line.size();
        exts.push_back(line.substr(p, end - p));
        p = end + 2;
    }
    return exts;
}

static std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// Plug-ins: the Plugins folder beside the test program holds our add-ons
// (FLAC, Opus, WavPack, AAC/ALAC, WMA), found in the directory's own order.
TEST_F(PlaybackTest, PluginsAddTheirFirstFormatAndAReloadKeepsThem) {
    for (int pass = 0; pass < 2; pass++) {  // a second load (a device switch) must not lose or repeat anything
        SCOPED_TRACE(pass);
        LoadPlugins();
        const std::vector<InputPluginRecord>& p = g_engine.plugins;
        ASSERT_EQ(p.size(), 7u);
        EXPECT_EQ(p[0].name, "BASS Audio Engine");
        EXPECT_EQ(p[1].filter, L"*.mo3;*.it;*.xm;*.s3m;*.mtm;*.mod;*.umx");
        const InputPluginRecord* flac = nullptr;
        for (size_t i = 2; i < p.size(); i++) {
            EXPECT_NE(p[i].handle, 0u);
            if (p[i].file.find(L"\\Plugins\\bassflac.dll") != std::wstring::npos) flac = &p[i];
        }
        ASSERT_NE(flac, nullptr);
        EXPECT_EQ(flac->name, "FLAC");  // the first of its two formats only
        EXPECT_EQ(flac->filter, L"*.flac;*.fla");
        EXPECT_TRUE(IsSupportedAudio(L"C:\\a.b\\x.FLA"));
        EXPECT_TRUE(IsSupportedAudio(L"C:\\a\\x.opus"));
        EXPECT_TRUE(IsSupportedAudio(L"C:\\a\\x.m4a"));
        EXPECT_FALSE(IsSupportedAudio(L"C:\\music\\x.oga"));  // the second format's
        EXPECT_FALSE(IsSupportedAudio(L"C:\\music.mp3\\readme"));
        std::wstring text = SupportedFormatsText();
        EXPECT_EQ(text.rfind(L"\r\nSupported formats (with loaded plugins):\r\n\tLossless:\r\n*.wav, ", 0), 0u);
        EXPECT_EQ(Sorted(GroupLine(text, L"\tLossless:\r\n")),
                  (std::vector<std::wstring>{L"*.flac", L"*.wav", L"*.wv"}));
        std::vector<std::wstring> lossy = GroupLine(text, L"    Lossy:\r\n");
        ASSERT_GE(lossy.size(), 6u);
        EXPECT_EQ(std::vector<std::wstring>(lossy.begin(), lossy.begin() + 6),
                  (std::vector<std::wstring>{L"*.mp3", L"*.mp2", L"*.mp1", L"*.mpa", L"*.ogg", L"*.aiff"}));
        EXPECT_EQ(Sorted(std::vector<std::wstring>(lossy.begin() + 6, lossy.end())),
                  (std::vector<std::wstring>{L"*.aac", L"*.fla", L"*.m4a", L"*.m4b", L"*.mp4", L"*.opus", L"*.wma"}));
        EXPECT_NE(text.find(L"\r\n    Music:\r\n*.mo3, *.it, *.xm, *.s3m, *.mtm, *.mod, *.umx\r\n    Meta: *.cue, *.m3u"),
                  std::wstring::npos);
    }
    // A FLAC file now plays.
    std::wstring flac = TestExeFolder() + L"media\\t.flac";
    ASSERT_TRUE(OpenTrack(flac.c_str(), false, true));
    EXPECT_GT(seekLength, 1u);
    // Extensions go to their kind groups, never twice.
    AddFilterExtensions(L"*.ape;*.MAC");
    AddFilterExtensions(L"*.aac;*.m4a;*.ape;");
    EXPECT_EQ(ExtensionKind(L"mac"), GroupLossless);
    std::wstring text = SupportedFormatsText();
    std::vector<std::wstring> lossless = GroupLine(text, L"\tLossless:\r\n");
    ASSERT_GE(lossless.size(), 2u);
    EXPECT_EQ(lossless[lossless.size() - 2], L"*.ape");
    EXPECT_EQ(lossless.back(), L"*.MAC");
    std::vector<std::wstring> lossy = GroupLine(text, L"    Lossy:\r\n");
    EXPECT_EQ(std::count(lossy.begin(), lossy.end(), L"*.aac"), 1);
    EXPECT_EQ(std::count(lossy.begin(), lossy.end(), L"*.m4a"), 1);
    LoadPlugins();
}
