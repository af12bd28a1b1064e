// The on-screen display beside the real main window: shown by a track start,
// counted down by the main window's tick, toggled, and what a person sees.
#include <gtest/gtest.h>
#include "tests/ui_test_window.h"
#include "tests/test_support.h"
#include "app/general_settings.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "app/main_window.h"
#include "base/paths.h"
#include "audio/audio_library.h"
#include "audio/engine.h"
#include "audio/track_display.h"
#include "media/tags.h"
#include "app/osd.h"
#include "ui/dpi.h"
#include "ui/slider.h"
#include <algorithm>

struct OsdTest : testing::Test {
    ScratchFolder dir{L"osd"};
    static ScratchFolder* media;
    static std::wstring wav;
    static void SetUpTestSuite() {
        media = new ScratchFolder(L"osd-media");
        wav = media->File(L"tone.wav");
        ASSERT_TRUE(WriteSineWav(wav, 3));
        AudioInit(0, 44100, nullptr);
    }
    static void TearDownTestSuite() {
        AudioFree();
        delete media;
    }
    void SetUp() override {
        SetProgramFolder(dir.path);
        SetGeneralDefaults();
        g_general.OSDView = 1;
        ASSERT_TRUE(OpenMainWindow());
        // The ticks come from the test alone.
        KillTimer(g_mainWindow, 1);
        ASSERT_TRUE(CreateOsd());
    }
    void TearDown() override {
        StopTrack();
        currentPath.Set(L"");
        CloseMainWindow();  // the shutdown takes the display with it
    }
    static void Tick(int n) {
        for (int i = 0; i < n; i++) SendMessageW(g_mainWindow, WM_TIMER, 1, 0);
    }
    static bool Shown() { return IsWindowVisible(OsdWindow()) != 0; }
    static RECT Where() { return WindowRectOf(OsdWindow()); }
};
ScratchFolder* OsdTest::media;
std::wstring OsdTest::wav;

TEST_F(OsdTest, ATrackStartShowsItForTwoHundredTicks) {
    HWND osd = OsdWindow();
    ASSERT_TRUE(osd);
    EXPECT_EQ(FindWindowW(nullptr, L"Sonvale_OSD"), osd);
    const LONG style = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;
    EXPECT_EQ(GetWindowLongW(osd, GWL_EXSTYLE) & style, style);
    EXPECT_FALSE(Shown());

    currentPath.Set(wav.c_str());
    ASSERT_TRUE(OpenTrack(wav.c_str(), true, true));
    EXPECT_TRUE(Shown());
    EXPECT_EQ(OsdCountdown(), 200);
    // A file without tags: its name without the folder, and nothing else.
    std::wstring lines[3];
    OsdLines(lines);
    EXPECT_EQ(lines[0], L"tone.wav");
    EXPECT_TRUE(lines[1].empty() && lines[2].empty());
    // A short title still gives 150 + 21 pixels; one line puts the bar at 20.
    RECT r = Where();
    EXPECT_EQ(Dim(r), std::make_pair(171, 20 + 14));
    EXPECT_EQ(std::make_pair(r.right, r.top), std::make_pair(WorkArea().right - 10, 20L));
    EXPECT_NE(GetForegroundWindow(), osd);

    for (bool shown : {true, false}) {
        Tick(shown ? 200 : 1);
        EXPECT_EQ(Shown(), shown);
    }
    EXPECT_EQ(OsdCountdown(), -1);
}

TEST_F(OsdTest, TogglesBetweenForAWhileAlwaysAndOff) {
    ASSERT_TRUE(OpenTrack(wav.c_str(), true, true));
    ToggleOsd();  // shown in mode 1: hides at once
    EXPECT_FALSE(Shown());
    EXPECT_EQ(g_general.OSDView, 1u);
    ToggleOsd();  // hidden: shown for good
    Tick(300);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(g_general.OSDView, 0u);
    // Off: a track start never shows it; a toggle shows it for good.
    g_general.OSDView = 2;
    ToggleOsd();
    EXPECT_EQ(g_general.OSDView, 0u);
    SetOsdMode(2);
    ASSERT_TRUE(OpenTrack(wav.c_str(), true, true));
    Tick(3);
    EXPECT_FALSE(Shown());
    // Always: the tick brings a hidden display back.
    g_general.OSDView = 0;
    Tick(1);
    EXPECT_TRUE(Shown());
}

TEST_F(OsdTest, ThreeLinesAndTheBarAsAPersonSeesThem) {
    ASSERT_TRUE(OpenTrack(wav.c_str(), true, true));
    TagRecord t;
    t.title.Set(L"Mr. Blue Sky");
    t.track.Set(L"7");
    t.artist.Set(L"Electric Light Orchestra");
    t.album.Set(L"Out of the Blue");
    ShowTagRecord(t);
    seekPosition = 1200;
    RepaintSeekPanel();
    Slider* seek = g_mainFrame.seek;
    RECT seekBefore = seek->Rect();
    HFONT seekFont = seek->font.handle;
    int gdi = GdiObjectCount();
    for (int i = 0; i < 30; i++) PaintOsd(true);
    EXPECT_EQ(GdiObjectCount(), gdi);
    // The main window's seek bar is as it was.
    RECT seekAfter = seek->Rect();
    EXPECT_TRUE(EqualRect(&seekBefore, &seekAfter));
    EXPECT_EQ(seek->font.handle, seekFont);
    EXPECT_TRUE(seek->notifyGeometry && seek->notify);

    std::wstring lines[3];
    OsdLines(lines);
    EXPECT_EQ(lines[0], L"Mr. Blue Sky");  // the track number is the panel's, not the title's
    EXPECT_EQ(lines[1], L"Electric Light Orchestra");
    EXPECT_EQ(Dim(Where()).second, 54 + 14);
    EXPECT_GT(Dim(Where()).first, 171);

    PumpMessages();
    ScreenShot shot;
    ASSERT_TRUE(shot.Capture(OsdWindow(), L"osd.bmp"));
    EXPECT_GT(shot.Count(0x46F0AA), 30);  // the title
    EXPECT_GT(shot.Count(0x0096FF), 30);  // the artist
    EXPECT_GT(shot.Count(0x00CD55), 30);  // the album
    EXPECT_GT(shot.Count(RGB(0, 0, 0)), 100);  // outlines
    EXPECT_EQ(shot.Count(0x110010), 0) << "the key colour is never seen";
}

// At 144 DPI every measure is 1.5 times as large; a DPI change of the main
// window reaches the display's fonts at its next paint.
TEST_F(OsdTest, ScalesWithTheDpi) {
    TearDown();
    MadeAtDpi at144(144);
    SetUp();
    currentPath.Set(wav.c_str());
    ASSERT_TRUE(OpenTrack(wav.c_str(), true, true));
    // 150 + 21 wide; one line of 17, 3 and the bar's 14 high; all scaled.
    RECT r = Where();
    EXPECT_EQ(Dim(r), std::make_pair(225 + 32, 26 + 5 + 21));
    EXPECT_EQ(std::make_pair(r.right, r.top), std::make_pair(WorkArea().right - 15, 30L));
    PaintOsd(true);
    PumpMessages();
    ScreenShot shot;
    ASSERT_TRUE(shot.Capture(OsdWindow(), L"osd-144dpi.bmp"));
    // The title in its colour, at the size of a 26-pixel font: far more of it than at 96 DPI.
    EXPECT_GT(shot.Count(0x46F0AA), 60);
    // Back at 96 DPI without a new display: the fonts and sizes follow.
    SetUiDpi(96);
    PaintOsd(true);
    EXPECT_EQ(Dim(Where()), std::make_pair(171, 20 + 14));
}
