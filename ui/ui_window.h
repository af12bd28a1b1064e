// The top-level window of the toolkit: our own frame, a back buffer that all
// painting goes to, the tick and a flat array of owner-drawn controls.
//
// The owner's window procedure calls Dispatch before its own handling and
// AfterDefault after DefWindowProcW:
//     if (hwnd != w->hwnd) return DefWindowProcW(...);
//     Dispatch(w, &msg, wp, lp);            // may turn a press into a double click
//     ... own handling of msg ...
//     LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
//     return AfterDefault(w, hwnd, msg, wp, lp, r);
#pragma once
#include <windows.h>
#include <stdint.h>
#include "ui/control.h"
#include "ui/surface.h"
#include "ui/font.h"

// A control asks to be repainted (low word of wParam: its index). Workers post it.
const UINT kMsgRepaintControl = WM_USER + 501;
// A list tells its owner of a press on a cell (wParam column, lParam x | y << 16).
const UINT kMsgCellClick = WM_USER + 500;
// Sent by RunOnWindowThread (lParam: the call to make).
const UINT kMsgRunOnWindowThread = WM_USER + 502;
// WM_USER with this wParam asks the owner to paint its background into the back buffer.
const WPARAM kPaintBackground = 15;
// WM_SIZE with this wParam re-lays out the owner without the framework's repaint.
const WPARAM kSizeRelayout = 5;
// A window position that centres the window on the work area.
const int kCentre = -100001;
// The framework's tick. Counts in ticks (double clicks, the caret, the
// on-screen display, auto-repeat) are made for a nominal tick of 10 ms; the
// timer asks for one beat of the system clock (15.6 ms on Windows, which
// never fires a 10 ms timer sooner anyway), so the thread wakes no more often
// than it must where timers are finer (Wine), and each tick stands for the
// nominal ticks that passed: TickSteps().
const UINT_PTR kTickTimer = 1;
const UINT kTickMs = 15;
const int kNominalTickUs = 10000;
// How many nominal ticks the tick being handled stands for: 1, or 2 or 3 when
// more time has passed since the window's last tick. Counts advance by it.
int TickSteps();
// The steps for a tick arriving nowUs after the last one, carrying the
// remainder in *carryUs (pure arithmetic, for the tests).
int TickStepsFor(int64_t elapsedUs, int64_t* carryUs);

class CaptionBar;

struct UiWindow {
    bool dragFullWindows;
    uint8_t clickTicks;
    int64_t lastTickUs = 0, tickCarryUs = 0;  // when the last tick came; time not yet counted
    int32_t lastPressPos;
    uint32_t lastPressMsg;
    int32_t minTrackWidth, minTrackHeight;
    int32_t x, y, width, height;
    HWND hwnd;
    FontSpec font;
    Surface backBuffer;
    COLORREF frameColors[10];
    int32_t frameInsets[4];
    bool noBackgroundFill;
    wchar_t className[260];
    int32_t cursorId;
    HMODULE cursorModule;
    Control** controls;
    int32_t controlCount, controlCapacity;
    CaptionBar* captionBar;
    int32_t focusIndex;
    uint32_t themeId;
    COLORREF backgroundColors[2];  // the theme's window background, top and bottom

    UiWindow() = default;
    UiWindow(const wchar_t* className, int x, int y, int width, int height);
    UiWindow(const UiWindow&) = delete;
    UiWindow& operator=(const UiWindow&) = delete;
};

bool Create(UiWindow* w, WNDPROC windowProc, DWORD exStyle);
void Destroy(UiWindow* w);
bool AddControl(UiWindow* w, Control* c);
void SetFocusIndex(UiWindow* w, int index, bool repaint);
LRESULT Dispatch(UiWindow* w, UINT* message, WPARAM wp, LPARAM lp);
LRESULT AfterDefault(UiWindow* w, HWND hwnd, UINT message, WPARAM wp, LPARAM lp, LRESULT defaultResult);
void ShowSystemMenu(UiWindow* w, int screenX, int screenY);
void Show(UiWindow* w, int showCommand);
// Runs fn(arg) on the thread that owns the window: at once when called there,
// otherwise through a sent message, waiting until it ran. False when the
// window is gone and nothing ran. The window's procedure must call Dispatch.
bool RunOnWindowThread(HWND hwnd, void (*fn)(void*), void* arg);
void RepaintAll(UiWindow* w);
void Present(UiWindow* w);
void SyncRect(UiWindow* w);
// Paints our border over the non-client area.
void PaintFrame(UiWindow* w);

// Double-click detection on a press: returns the message to act on.
UINT DetectDoubleClick(UiWindow* w, UINT msg, LPARAM pos);
// The index Tab (or Shift+Tab) moves the focus to; focusIndex when none qualifies.
int NextTabIndex(const UiWindow* w, bool backwards);
