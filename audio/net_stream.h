// Internet streams as the engine sees them: a connect thread that tries the
// addresses of a path in turn, the buffering check of the main window's timer,
// and the refresh of the track display when the stream's title changes.
//
// Threads. The connect thread, the audio library's download callback and the
// title sync never touch the window or the engine's state: they post
// kMsgNetStream to the main window, whose thread applies the news, unless a
// newer open or a stop has come in between (each start has its own number).
#pragma once
#include <windows.h>

// Posted to the main window: wParam kind (low word) and URL number (high
// word), lParam the number of the start it belongs to.
const UINT kMsgNetStream = WM_USER + 503;

// Starts connecting to a URL, or to a "|"-separated list of URLs tried in
// turn; the engine's netState becomes 1 (sending request).
bool StartNetStream(const wchar_t* urls);
// A stop or another open: whatever the connect thread still finds is dropped.
void CancelNetStream();
// The main window's timer work: starts a buffered stream, refreshes its display.
void CheckBuffering();
void OnNetStreamMessage(WPARAM wp, LPARAM lp);
