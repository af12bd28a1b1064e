// Acting on a HandOffRecord: the program's own command line, or one that a
// second instance sent over WM_COPYDATA.
#pragma once
#include <windows.h>
#include <string>
#include "app/command_line.h"

struct HandOffPlan {
    uint8_t mode;          // after the 100 ms rule
    bool isFolder;
    bool isCue;
    std::wstring path;     // expanded to its long form
};

// Milliseconds of the day from a SYSTEMTIME's hour, minute, second and millisecond.
int MillisecondsOfDay(const SYSTEMTIME& t);
// A plain open less than 100 ms after the previous one adds instead of replacing,
// so that a shell starting one process per selected file opens the first and adds the rest.
uint8_t EffectiveMode(uint8_t mode, const SYSTEMTIME* lastPlainOpen, const SYSTEMTIME& now);

void HandleHandOff(const HandOffRecord& record);
// The plan HandleHandOff acted on last (empty path before the first).
const HandOffPlan& LastHandOff();

// ---- the second instance's side ----
// How long a new process waits for the running player to take its record.
const DWORD kHandOffTimeoutMs = 20000;
// How long a new process waits for a player that has begun closing to end, so
// that it reads the settings and playlist that one saved.
const DWORD kClosingPlayerWaitMs = 4000;

// The main window is marked as soon as its shutdown begins: from then on it
// refuses hand-offs, and new processes do not take it for the running player.
void MarkPlayerClosing(HWND mainWindow);
void UnmarkPlayerClosing(HWND mainWindow);  // before the window is destroyed
bool IsPlayerClosing(HWND window);
// A player window with this title that has not begun closing (null: none);
// *closing gets one that has, when there is one.
HWND FindRunningPlayer(const wchar_t* title, HWND* closing);
// Sends the record and waits at most timeoutMs (less when the player hangs).
// True only when the player answered that it took the record.
bool SendHandOff(HWND running, const HandOffRecord& record, DWORD timeoutMs);
// Waits at most ms for the process that owns the window to end.
void WaitForPlayerToEnd(HWND window, DWORD ms);
