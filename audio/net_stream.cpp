#include "audio/net_stream.h"
#include "ui/ui_window.h"
#include "audio/player_events.h"
#include <stdio.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "base/general_settings.h"
#include "audio/engine.h"
#include "audio/track_display.h"
#include "ui/list_view.h"

namespace {

enum News : WORD { NewsSending, NewsConnecting, NewsConnected, NewsFailed, NewsTitle };

// Shared with the connect threads, which may outlive a stop: never destroyed.
struct Shared {
    std::atomic<LONG> start{0};  // number of the current start
    std::atomic<HWND> window{nullptr};
    std::mutex mu;               // the connected stream on its way to the window's thread
    LONG connectedStart = 0;
    AudioChannel connected = 0;
    std::wstring connectedUrl;
};
Shared& S() {
    static Shared* s = new Shared;
    return *s;
}

int g_ticks = 0;

void Post(WORD news, WORD number, LONG start) {
    if (HWND w = S().window.load()) PostMessageW(w, kMsgNetStream, MAKEWPARAM(news, number), (LPARAM)start);
}

// The library's download thread: a null-ended header block means the server answered.
void CALLBACK Downloaded(const void* buffer, DWORD length, void* user) {
    if (buffer && length == 0) Post(NewsConnecting, 0, (LONG)(INT_PTR)user);
}

// A library thread: the stream's title changed.
void CALLBACK TitleChanged(AudioSync, AudioChannel, DWORD, void*) { Post(NewsTitle, 0, S().start.load()); }

std::vector<std::wstring> SplitUrls(const std::wstring& path) {
    std::vector<std::wstring> urls;
    size_t at = 0;
    for (;;) {
        size_t bar = path.find(L'|', at);
        urls.push_back(path.substr(at, bar == std::wstring::npos ? std::wstring::npos : bar - at));
        if (bar == std::wstring::npos) return urls;
        at = bar + 1;
    }
}

void Connect(std::wstring path, LONG start) {
    std::vector<std::wstring> urls = SplitUrls(path);
    for (size_t i = 0; i < urls.size(); i++) {
        if (S().start.load() != start) return;  // stopped, or another open
        Post(NewsSending, urls.size() == 1 ? 0 : (WORD)(i + 1), start);
        int n = WideCharToMultiByte(CP_ACP, 0, urls[i].c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string narrow(n > 0 ? (size_t)n : 1, '\0');
        if (n > 0) WideCharToMultiByte(CP_ACP, 0, urls[i].c_str(), -1, narrow.data(), n, nullptr, nullptr);
        AudioChannel stream = AudioOpenUrl(narrow.c_str(), Downloaded, (void*)(INT_PTR)start);
        if (!stream) continue;
        {
            std::lock_guard<std::mutex> lock(S().mu);
            if (S().connected) AudioFreeChannel(S().connected);  // never taken: its start was dropped
            S().connectedStart = start;
            S().connected = stream;
            S().connectedUrl = urls[i];
        }
        Post(NewsConnected, 0, start);
        return;
    }
    Post(NewsFailed, 0, start);
}

void ShowStatus(const wchar_t* text) {
    ListView* panel = g_playerEvents.infoPanel();
    if (!panel || panel->rowCount < 6) return;
    SetCellText(panel, 0, text, 5);
    Redraw(panel);
}

}  // namespace

bool StartNetStream(const wchar_t* urls) {
    LONG start = ++S().start;
    S().window = g_playerEvents.mainWindow();
    g_engine.netState = 1;
    std::thread(Connect, std::wstring(urls), start).detach();
    return true;
}

void CancelNetStream() {
    ++S().start;
    std::lock_guard<std::mutex> lock(S().mu);
    if (S().connected) AudioFreeChannel(S().connected);
    S().connected = 0;
}

void OnNetStreamMessage(WPARAM wp, LPARAM lp) {
    if ((LONG)lp != S().start.load()) return;  // news of a start that was dropped
    WORD number = HIWORD(wp);
    switch (LOWORD(wp)) {
    case NewsSending: {
        wchar_t text[64];
        if (number == 0) wcscpy(text, L"Sending request...");
        else swprintf(text, 64, L"Sending request%i...", (int)number);
        g_engine.netState = 1;
        g_engine.playState = PlayStateLoaded;
        ShowStatus(text);
        break;
    }
    case NewsConnecting:
        g_engine.netState = 2;
        ShowStatus(L"Connecting...");
        break;
    case NewsConnected: {
        AudioChannel stream;
        std::wstring url;
        {
            std::lock_guard<std::mutex> lock(S().mu);
            if (!S().connected || S().connectedStart != (LONG)lp) return;
            stream = S().connected;
            url = S().connectedUrl;
            S().connected = 0;
        }
        channel = stream;
        currentPath.Set(url.c_str());
        g_playerEvents.updateTitleAndTime();
        ShowStatus(L"Buffering...");
        g_engine.netState = 3;
        break;
    }
    case NewsFailed:
        g_engine.netState = 0;
        ShowStatus(L"Disconnected");
        break;
    case NewsTitle:
        if (g_engine.netState != 0) RefreshTrackDisplay();
        break;
    }
}

void CheckBuffering() {
    if ((g_ticks += TickSteps()) <= 50) return;
    g_ticks = 0;
    if (g_engine.netState == 3) {
        AudioChannel ch = channel;
        uint64_t end = AudioFilePosition(ch, AudioFileEnd);
        uint64_t progress = end ? AudioFilePosition(ch, AudioFileBuffered) * 100 / end : 0;
        // Above 75 %, or the server has already closed: play what there is.
        if (progress > 75 || AudioFilePosition(ch, AudioFileConnected) == 0) {
            AudioSyncTitles(ch, TitleChanged, nullptr);
            uint32_t v = g_general.PlayerVolume > 65535 ? 65535 : g_general.PlayerVolume;
            AudioSetVolume(ch, (float)v / 65535.0f);
            g_engine.playState = PlayStateLoaded;
            g_engine.netState = 4;
            TogglePlay();
        }
    }
    if (g_engine.netState == 4) RefreshTrackDisplay();
}
