// The real Sonvale.exe started as separate processes, against a first
// instance that is either another process or this test's own main window.
#include <gtest/gtest.h>
#include "app/command_line.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "app/main_window.h"
#include "app/notifications.h"
#include "audio/engine.h"
#include "audio/player_events.h"
#include "library/playlist_file.h"
#include "library/statistics.h"
#include "tests/http_test_server.h"
#include "tests/soak.h"
#include "tests/test_support.h"
#include <string.h>
#include <algorithm>
#include <random>

static std::wstring BuiltPlayer() { return TestExeFolder() + L"..\\dist\\Sonvale.exe"; }

struct Process {
    PROCESS_INFORMATION pi{};
    ~Process() {
        if (pi.hProcess) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
    bool Start(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd) {
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{sizeof(si)};
        return CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si, &pi);
    }
    // Waits while this thread keeps answering messages (the hand-off is a SendMessage).
    DWORD Wait(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        for (;;) {
            DWORD now = GetTickCount();
            if ((int)(end - now) <= 0) break;
            DWORD r = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, end - now, QS_ALLINPUT);
            if (r == WAIT_OBJECT_0) break;
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
};

// A top-level window of the process with this class and title.
static HWND WaitForWindow(Process& p, const wchar_t* cls, const wchar_t* title, DWORD ms = 20000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; p.Wait(50)) {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, cls, title));) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == p.pi.dwProcessId) return w;
        }
    }
    return nullptr;
}

// Starts the player (the exe at `exe`) in `dir` and waits for its window.
static HWND StartPlayer(Process& p, const std::wstring& exe, const std::wstring& args, const ScratchFolder& dir) {
    if (!p.Start(exe, args, dir.path)) return nullptr;
    return WaitForWindow(p, L"Sonvale 1.0.5", L"Sonvale 1.0.5");
}

// Closes the player's window as a person does; its exit code.
static DWORD ClosePlayer(Process& p, HWND w) {
    PostMessageW(w, WM_CLOSE, 0, 0);
    return p.Wait(20000);
}

static bool WaitForFile(const std::wstring& path, DWORD ms = 20000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50))
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
}

// Each player instance runs from a folder of its own, under the name given.
// The audio library and its add-ons come along, as in the output folder.
static void CopyFolder(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((from + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CopyFolder(from + name + L"\\", to + name + L"\\");
        else if (_wcsicmp(name.c_str(), L"Sonvale.exe") != 0) CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

static std::wstring InstallPlayer(const ScratchFolder& dir, const wchar_t* name) {
    std::wstring exe = dir.File(name);
    EXPECT_TRUE(CopyFileW(BuiltPlayer().c_str(), exe.c_str(), FALSE)) << "build Sonvale first";
    CopyFolder(TestExeFolder() + L"..\\dist\\", dir.path);
    return exe;
}

TEST(Startup, FirstRunWritesEveryGeneralKeyAndClosesCleanly) {
    ScratchFolder dir(L"firstrun");
    std::wstring exe = InstallPlayer(dir, L"Sonvale.exe");
    Process p;
    HWND w = StartPlayer(p, exe, L"/ns", dir);
    ASSERT_TRUE(w);
    ASSERT_TRUE(WaitForFile(dir.File(L"Settings.ini")));
    EXPECT_EQ(ClosePlayer(p, w), 0u);

    std::string ini = ReadFileBytes(dir.File(L"Settings.ini"));
    ASSERT_EQ(ini.substr(0, 14), "\xEF\xBB\xBF[General]\r\n");
    ASSERT_EQ(ini.substr(ini.size() - 2), "\r\n");
    // General, then the hot keys' section.
    size_t hotKeys = ini.find("\r\n\r\n[HotKeys]\r\n00 = B1\r\n");
    ASSERT_NE(hotKeys, std::string::npos);
    std::vector<std::string> names;
    for (size_t at = 14; at < hotKeys + 2;) {
        size_t eol = ini.find("\r\n", at);
        std::string line = ini.substr(at, eol - at);
        size_t eq = line.find(" = ");
        ASSERT_NE(eq, std::string::npos) << line;
        names.push_back(line.substr(0, eq));
        at = eol + 2;
    }
    ASSERT_EQ(names.size(), kGeneralKeyCount);
    for (size_t i = 0; i < names.size(); i++) EXPECT_EQ(names[i], kGeneralKeys[i].name);
    // The window was created 426 by 566 and that is what was kept.
    EXPECT_NE(ini.find("\r\nWidth = 426\r\nHeight = 566\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\r\nlastPlayedPos = -1\r\n"), std::string::npos);
    EXPECT_EQ(GetFileAttributesW(dir.File(L"Settings.ini.new").c_str()), INVALID_FILE_ATTRIBUTES);

    // A second start finds its settings and comes back where it was.
    Process again;
    w = StartPlayer(again, exe, L"/ns", dir);
    ASSERT_TRUE(w);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 426);
    EXPECT_EQ(ClosePlayer(again, w), 0u);
}

TEST(Startup, HelpShowsItsTextAndExits) {
    ScratchFolder dir(L"help");
    std::wstring exe = InstallPlayer(dir, L"Sonvale.exe");
    Process p;
    ASSERT_TRUE(p.Start(exe, L"-?", dir.path));
    HWND box = WaitForWindow(p, L"#32770", L"Information");
    ASSERT_TRUE(box);
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    EXPECT_NE(wcsstr(text, L"Command line syntax (example):"), nullptr);
    EXPECT_NE(wcsstr(text, L"\t/fs - force start"), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(p.Wait(20000), 0u);
    EXPECT_EQ(GetFileAttributesW(dir.File(L"Settings.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

// This test's own main window plays the running instance: a copy of the player
// stored under this executable's name finds it by the instance title.
struct HandOffTest : testing::Test {
    ScratchFolder dir{L"handoff"};
    std::wstring song = dir.File(L"song one.mp3");
    std::wstring second;
    void SetUp() override {
        // Some modes play the file at once: a real file on the silent device.
        ASSERT_TRUE(WriteSineWav(song, 2));
        SetGeneralDefaults();
        g_general.OSDView = 2;
        ASSERT_TRUE(AudioInit(0, 44100, nullptr));
        ASSERT_TRUE(CreateMainWindow());
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        second = InstallPlayer(dir, wcsrchr(self, L'\\') + 1);
    }
    void TearDown() override {
        StopTrack();
        AudioFree();
        HWND w = g_mainWindow;
        g_mainWindow = nullptr;
        DestroyWindow(w);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {}
    }
    // Starts the copy with `args`; it must become a player of its own, which is closed again.
    void RunOwnPlayer(const std::wstring& args) {
        Process p;
        ASSERT_TRUE(p.Start(second, args, dir.path));
        std::wstring title = InstanceTitle();
        HWND w = WaitForWindow(p, title.c_str(), title.c_str());
        ASSERT_TRUE(w);
        EXPECT_NE(w, g_mainWindow);
        EXPECT_EQ(ClosePlayer(p, w), 0u);
    }
    DWORD Run(const std::wstring& args, const std::wstring& cwd) {
        Process p;
        if (!p.Start(second, args, cwd)) return 12345;
        return p.Wait(20000);
    }
};

TEST_F(HandOffTest, SecondInstanceHandsOverAndExits) {
    EXPECT_EQ(Run(L"/f /s \"" + song + L"\"", dir.path), 0u);
    EXPECT_EQ(LastHandOff().mode, ModeFollow);
    EXPECT_EQ(LastHandOff().path, song);

    // A relative name with /A: the full path goes over with mode 1.
    EXPECT_EQ(Run(L"/A \"song one.mp3\"", dir.path), 0u);
    EXPECT_EQ(LastHandOff().mode, ModeAddNearby);
    EXPECT_EQ(LastHandOff().path, song);
    EXPECT_EQ(currentPath.text, song);  // it plays at once
    EXPECT_EQ(GetStatus(), StatusPlaying);

    // Without a path the second instance exits at once and tells nothing.
    std::wstring other = dir.File(L"other.ogg");
    WriteFileBytes(other, "x");
    EXPECT_EQ(Run(L"/add \"" + other + L"\"", dir.path), 0u);
    EXPECT_EQ(LastHandOff().path, other);
    EXPECT_EQ(Run(L"/add", dir.path), 0u);
    EXPECT_EQ(LastHandOff().path, other);
}

TEST_F(HandOffTest, ForceStartRunsASecondPlayer) {
    RunOwnPlayer(L"/fs /ns \"" + song + L"\"");
    EXPECT_NE(LastHandOff().path, song);
    // It kept its own settings beside its own executable.
    EXPECT_NE(GetFileAttributesW(dir.File(L"Settings.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The running player has begun closing when a new process arrives with a
// file: it takes no record, and the new process becomes the player.
TEST_F(HandOffTest, AClosingPlayerRefusesAndTheNewProcessStartsInItsPlace) {
    std::wstring before = LastHandOff().path;
    SendMessageW(g_mainWindow, WM_CLOSE, 0, 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    ASSERT_TRUE(IsPlayerClosing(g_mainWindow));
    // Found closing: not taken for the running player.
    RunOwnPlayer(L"\"" + song + L"\"");
    // Found just before it began closing: the record is refused all the same.
    UnmarkPlayerClosing(g_mainWindow);
    RunOwnPlayer(L"/add \"" + song + L"\"");
    EXPECT_EQ(LastHandOff().path, before);
}

static HANDLE g_deafReady;
static HWND g_deafWindow;
static DWORD WINAPI DeafWindowThread(void*) {
    g_deafWindow = CreateWindowExW(0, L"STATIC", L"deaf", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetEvent(g_deafReady);
    Sleep(1000);  // answers nothing meanwhile
    DestroyWindow(g_deafWindow);
    return 0;
}

TEST(HandOffSend, APlayerThatDoesNotAnswerTakesNoRecord) {
    g_deafReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE t = CreateThread(nullptr, 0, DeafWindowThread, nullptr, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(g_deafReady, 5000), WAIT_OBJECT_0);
    HandOffRecord r{};
    r.path[0] = L'x';
    DWORD start = GetTickCount();
    EXPECT_FALSE(SendHandOff(g_deafWindow, r, 300));
    EXPECT_LT(GetTickCount() - start, 2500u);
    WaitForSingleObject(t, 10000);
    CloseHandle(t);
    CloseHandle(g_deafReady);
}

// A save that fails on the way out is no box that keeps the closing player open.
TEST(Startup, AFailedSaveOnTheWayOutShowsNoBoxAndThePlayerEnds) {
    ScratchFolder dir(L"closefail");
    std::wstring exe = InstallPlayer(dir, L"Sonvale.exe");
    Process p;
    HWND w = StartPlayer(p, exe, L"/ns", dir);
    ASSERT_TRUE(w);
    std::wstring list = dir.File(L"PlayList.dcp");
    ASSERT_TRUE(WaitForFile(list));
    // PlayList.dcp cannot be replaced any more: a folder has its name.
    ASSERT_TRUE(DeleteFileW(list.c_str()));
    ASSERT_TRUE(CreateDirectoryW(list.c_str(), nullptr));
    EXPECT_EQ(ClosePlayer(p, w), 0u);
    RemoveDirectoryW(list.c_str());
    EXPECT_NE(ReadFileBytes(dir.File(L"Settings.ini")).find("[HotKeys]"), std::string::npos);
}

// Settings.ini as one save writes it whole: the General section once, then the hot keys.
static bool WholeSettings(const std::string& ini) {
    return ini.rfind("\xEF\xBB\xBF[General]\r\nisVisible = ", 0) == 0 && ini.find("[General]", 4) == std::string::npos &&
           ini.find("\r\n\r\n[HotKeys]\r\n") != std::string::npos && ini.substr(ini.size() - 2) == "\r\n";
}

static bool NoTemporaryFilesLeft(const ScratchFolder& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(dir.File(L"*.new").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return true;
    FindClose(h);
    return false;
}

// Two players in one folder (the second started with /fs) closing together:
// both end, and each file is one whole version, the last writer's.
TEST(Startup, TwoPlayersClosingTogetherBothEndAndLeaveWholeFiles) {
    ScratchFolder dir(L"twoclose");
    std::wstring exe = InstallPlayer(dir, L"Sonvale.exe");
    std::wstring ini = dir.File(L"Settings.ini");
    for (int round = 0; round < 2; round++) {
        Process a, b;
        ASSERT_TRUE(a.Start(exe, L"/fs /ns", dir.path));
        ASSERT_TRUE(b.Start(exe, L"/fs /ns", dir.path));
        HWND wa = WaitForWindow(a, L"Sonvale 1.0.5", L"Sonvale 1.0.5");
        HWND wb = WaitForWindow(b, L"Sonvale 1.0.5", L"Sonvale 1.0.5");
        ASSERT_TRUE(wa && wb);
        ASSERT_TRUE(WaitForFile(dir.File(L"Scrobbler.dcp"), 100) || WaitForFile(ini));
        Sleep(500);
        PostMessageW(wa, WM_CLOSE, 0, 0);
        PostMessageW(wb, WM_CLOSE, 0, 0);
        EXPECT_EQ(a.Wait(20000), 0u) << round;
        EXPECT_EQ(b.Wait(20000), 0u) << round;
        EXPECT_TRUE(WholeSettings(ReadFileBytes(ini))) << round;
        EXPECT_EQ(ReadFileBytes(dir.File(L"PlayList.dcp")).substr(0, 26), std::string("\xEF\xBB\xBF[Sonvale 1.0 PlayList]\0", 26));
        EXPECT_EQ(ReadFileBytes(dir.File(L"Scrobbler.dcp")).substr(0, 27), std::string("\xEF\xBB\xBF[Sonvale 1.0 Scrobbler]\0", 27));
        EXPECT_TRUE(NoTemporaryFilesLeft(dir));
    }
}

static std::string SavedText(const std::string& ini, const char* key) {
    std::string k = std::string("\r\n") + key + " = ";
    size_t at = ini.find(k);
    if (at == std::string::npos) return "<missing>";
    at += k.size();
    return ini.substr(at, ini.find("\r\n", at) - at);
}

static int32_t SavedInt(const std::string& ini, const char* key) {
    std::string text = SavedText(ini, key);
    return text == "<missing>" ? INT32_MIN : atoi(text.c_str());
}

TEST(Startup, TheLastTrackComesBackLoadedAtItsPosition) {
    ScratchFolder dir(L"remember");
    std::wstring exe = InstallPlayer(dir, L"Sonvale.exe");
    std::wstring song = dir.File(L"song.wav");
    ASSERT_TRUE(WriteSineWav(song, 30));
    std::wstring ini = dir.File(L"Settings.ini");

    Process play;
    HWND w = StartPlayer(play, exe, L"\"" + song + L"\"", dir);
    ASSERT_TRUE(w);
    ASSERT_TRUE(WaitForFile(ini));
    Sleep(1500);
    EXPECT_EQ(ClosePlayer(play, w), 0u);
    std::string saved = ReadFileBytes(ini);
    int32_t pos = SavedInt(saved, "lastPlayedPos");
    EXPECT_GE(pos, 1000);
    EXPECT_LT(pos, 10000);
    std::string utf8Song(song.begin(), song.end());
    EXPECT_EQ(SavedText(saved, "lastPlayedFile"), utf8Song);

    // Started again without a path: loaded at that position and not playing,
    // so closing a while later keeps the same position.
    Process again;
    w = StartPlayer(again, exe, L"", dir);
    ASSERT_TRUE(w);
    Sleep(800);
    EXPECT_EQ(ClosePlayer(again, w), 0u);
    saved = ReadFileBytes(ini);
    EXPECT_NEAR(SavedInt(saved, "lastPlayedPos"), pos, 50);
    EXPECT_EQ(SavedText(saved, "lastPlayedFile"), utf8Song);

    // Without audio nothing opens: the position is forgotten, the track named.
    Process silent;
    w = StartPlayer(silent, exe, L"/ns", dir);
    ASSERT_TRUE(w);
    EXPECT_EQ(ClosePlayer(silent, w), 0u);
    EXPECT_EQ(SavedInt(ReadFileBytes(ini), "lastPlayedPos"), -1);
}

// Internet radio from servers that misbehave on purpose, all on 127.0.0.1:
// whatever a server does, the player's window answers within a second and
// the player closes within five.
TEST(Startup, HostileRadioServersNeverHoldTheWindowOrTheExit) {
    const std::string metaHead = ReplyHead("ICY 200 OK", {"icy-metaint: 16", "icy-br: 128"});
    TestHttpServer server;
    ASSERT_TRUE(server.Start([&](TestConnection& c) {
        auto idle = [&] { while (!c.Stopping()) Sleep(20); };
        if (c.path == "/silent") {
            idle();  // accepts and says nothing
        } else if (c.path == "/half") {
            c.Send("ICY 200 OK\r\nicy-name: Half\r\nicy-met");  // stops in the middle of the headers
            idle();
        } else if (c.path == "/endless") {
            c.Send("HTTP/1.0 200 OK\r\n");
            std::string line = "X-Filler: " + std::string(1000, 'f') + "\r\n";
            while (c.Send(line)) {}  // headers without end, as fast as they are taken
        } else if (c.path == "/bigheader") {
            c.Send("ICY 200 OK\r\nicy-name: " + std::string(10 << 20, 'n') + "\r\n\r\n");
            idle();
        } else if (c.path == "/bigmeta") {
            // 10 MB of metadata: after every 16 audio bytes the largest block, each a new title.
            std::string chunk;
            for (int i = 0; i < 64; i++) {
                chunk += std::string(16, '\0');
                std::string text = "StreamTitle='" + std::to_string(i) + std::string(4040, 't') + "';";
                text.resize(255 * 16, '\0');
                chunk += (char)255 + text;
            }
            if (!c.Send(metaHead)) return;
            for (size_t sent = 0; sent < (10u << 20) && c.Send(chunk); sent += chunk.size()) {}
            idle();
        } else if (c.path == "/redirect") {
            c.Send("HTTP/1.1 302 Found\r\nLocation: /redirect\r\nContent-Length: 0\r\n\r\n");  // a loop
        } else if (c.path == "/drip") {
            std::string reply = metaHead + std::string(4000, '\xFF');
            for (size_t i = 0; i < reply.size() && !c.Stopping(); i++) {
                if (!c.Send(&reply[i], 1)) return;  // a byte a second
                for (int k = 0; k < 50 && !c.Stopping(); k++) Sleep(20);
            }
        }
    }));
    ScratchFolder dir(L"hostile");
    std::wstring exe = InstallPlayer(dir, L"Sonvale.exe");
    for (const char* path : {"/silent", "/half", "/endless", "/bigheader", "/bigmeta", "/redirect", "/drip"}) {
        SCOPED_TRACE(path);
        std::string url = server.Url(path);
        Process p;
        HWND w = StartPlayer(p, exe, std::wstring(url.begin(), url.end()), dir);
        ASSERT_TRUE(w);
        // The window is asked every 50 ms for three seconds; each answer is timed.
        DWORD worst = 0;
        int unanswered = 0;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
            DWORD t0 = GetTickCount();
            DWORD_PTR r = 0;
            if (!SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &r)) unanswered++;
            worst = std::max(worst, GetTickCount() - t0);
            Sleep(50);
        }
        DWORD t0 = GetTickCount();
        PostMessageW(w, WM_CLOSE, 0, 0);
        DWORD code = p.Wait(20000);
        DWORD closing = GetTickCount() - t0;
        printf("hostile server %s: slowest answer %lu ms, closed in %lu ms\n", path, worst, closing);
        EXPECT_EQ(unanswered, 0);
        EXPECT_LT(worst, 1000u);
        EXPECT_EQ(code, 0u);
        EXPECT_LT(closing, 5000u);
    }
    server.Stop();
}

// Saves that survive a kill: the player is ended with TerminateProcess at a
// random moment while it saves Settings.ini, PlayList.dcp and Scrobbler.dcp
// over and over (each WM_QUERYENDSESSION saves all three); afterwards each
// file is one whole version, never a cut one, and the next start finds
// nothing damaged to keep aside. SONVALE_SOAK=n kills it 30 * n times.
TEST(Startup, SavesSurviveAKillAtAnyMoment) {
    ScratchFolder dir(L"killed");
    std::wstring exe = InstallPlayer(dir, L"Sonvale.exe");
    // Files large enough that a save takes a while: 20,000 entries and 5,000 records.
    std::vector<PlayListRecord> entries(20000);
    for (size_t i = 0; i < entries.size(); i++) {
        SplitEntryPath(L"C:\\Music\\Some Artist\\Some Album\\" + std::to_wstring(i) + L" Track.mp3", &entries[i]);
        entries[i].lengthMs = (int32_t)(i * 1000);
    }
    std::vector<ListenRecord> listens(5000);
    for (size_t i = 0; i < listens.size(); i++) {
        listens[i].artist = L"Artist " + std::to_wstring(i);
        listens[i].title = L"Title";
        listens[i].lengthMs = 1000;
        listens[i].listenMs = 5000;
    }
    // A first run writes Settings.ini: a playlist is read only along with its General section.
    {
        Process first;
        HWND w = StartPlayer(first, exe, L"/ns", dir);
        ASSERT_TRUE(w);
        ASSERT_EQ(ClosePlayer(first, w), 0u);
    }
    ASSERT_TRUE(WriteFileBytes(dir.File(L"PlayList.dcp"), SerializePlayList(entries, 0)));
    ASSERT_TRUE(WriteFileBytes(dir.File(L"Scrobbler.dcp"), SerializeStatistics(listens)));
    auto whole = [&](std::string* why) {
        std::string list = ReadFileBytes(dir.File(L"PlayList.dcp"));
        PlayListFile f;
        if (!ParsePlayList(list.data(), list.size(), &f) || f.records.size() != entries.size() ||
            list.substr(list.size() - 2) != "\r\n")
            return *why = "PlayList.dcp cut at " + std::to_string(list.size()), false;
        std::string stats = ReadFileBytes(dir.File(L"Scrobbler.dcp"));
        std::vector<ListenRecord> read;
        if (!ParseStatistics(stats.data(), stats.size(), &read) || read.size() != listens.size() ||
            read.back().artist != listens.back().artist)
            return *why = "Scrobbler.dcp cut at " + std::to_string(stats.size()), false;
        std::string ini = ReadFileBytes(dir.File(L"Settings.ini"));
        if (!WholeSettings(ini)) return *why = "Settings.ini cut at " + std::to_string(ini.size()), false;
        return true;
    };
    std::string why;
    ASSERT_TRUE(whole(&why)) << why;
    std::mt19937 rng(17);
    int kills = SoakFactor() > 1 ? 30 * SoakFactor() : 6;
    int lateKills = 0, midSave = 0;
    for (int i = 0; i < kills; i++) {
        Process p;
        ASSERT_TRUE(p.Start(exe, L"/ns", dir.path));
        // Half the kills come during the start (its own save included), half
        // after the window is there, while the saves asked for run back to back.
        if (i % 2) {
            Sleep(rng() % 1500);
        } else if (HWND w = WaitForWindow(p, L"Sonvale 1.0.5", L"Sonvale 1.0.5")) {
            for (int k = 0; k < 200; k++) PostMessageW(w, WM_QUERYENDSESSION, 0, 0);
            Sleep(300 + rng() % 1200);
            lateKills++;
        }
        TerminateProcess(p.pi.hProcess, 9);
        WaitForSingleObject(p.pi.hProcess, 10000);
        ASSERT_TRUE(whole(&why)) << why << " after kill " << i;
        WIN32_FIND_DATAW fd;
        HANDLE bad = FindFirstFileW(dir.File(L"*.bad").c_str(), &fd);
        EXPECT_EQ(bad, INVALID_HANDLE_VALUE) << "a file was kept aside as damaged, kill " << i;
        if (bad != INVALID_HANDLE_VALUE) FindClose(bad);
        // A temporary file left behind: this kill came in the middle of a save.
        HANDLE temp = FindFirstFileW(dir.File(L"*.new").c_str(), &fd);
        if (temp != INVALID_HANDLE_VALUE) {
            midSave++;
            do DeleteFileW(dir.File(fd.cFileName).c_str());
            while (FindNextFileW(temp, &fd));
            FindClose(temp);
        }
    }
    printf("killed the player %d times (%d after start-up, %d in the middle of a save): every file whole\n", kills,
           lateKills, midSave);
    // A last clean run starts on what the kills left and closes normally.
    Process p;
    HWND w = StartPlayer(p, exe, L"/ns", dir);
    ASSERT_TRUE(w);
    EXPECT_EQ(ClosePlayer(p, w), 0u);
    EXPECT_TRUE(whole(&why)) << why;
}

// The engine and the lists reach the window only through the table start-up
// fills: no entry may be left doing nothing (a new entry must be wired too).
TEST(Startup, EveryCallOfTheLowerLayersReachesTheWindow) {
    InstallNotifications();
    PlayerEvents silent = SilentPlayerEvents();
    const size_t n = sizeof(PlayerEvents) / sizeof(void (*)());
    static_assert(sizeof(PlayerEvents) % sizeof(void (*)()) == 0, "the table holds function pointers only");
    void (*installed[n])();
    void (*quiet[n])();
    memcpy(installed, &g_playerEvents, sizeof(installed));
    memcpy(quiet, &silent, sizeof(quiet));
    for (size_t i = 0; i < n; i++) EXPECT_NE(installed[i], quiet[i]) << "entry " << i << " is not wired";
}
