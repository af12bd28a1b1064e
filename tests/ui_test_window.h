// A real top-level window through the toolkit for the tests: its procedure
// follows the owner's pattern and records what the framework and the
// controls tell it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "ui/ui_window.h"
#include "tests/test_support.h"

struct Note {
    int control;  // which recorder: see NotifyFor
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

struct TestWindow {
    UiWindow* ui = nullptr;
    std::vector<UINT> ownerMessages;  // what reached the owner's own handling
    int layouts = 0;                  // background requests (WM_USER 15)
    int closes = 0;

    TestWindow(int x, int y, int w, int h, const wchar_t* name = L"SonvaleTestWindow");
    ~TestWindow();
    HWND hwnd() const { return ui->hwnd; }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageW(ui->hwnd, msg, wp, lp); }
    void Press(int x, int y, UINT down = WM_LBUTTONDOWN);
    void Release(int x, int y, UINT up = WM_LBUTTONUP);
    // A press and its release at one point (the button's up message follows its down one).
    void Tap(int x, int y, UINT down = WM_LBUTTONDOWN);
    void Click(int x, int y);  // a tap, then the double-click time passes
    // Lets the double-click window pass.
    void Ticks(int n);
    void Key(WPARAM vk);
    void Char(wchar_t ch);
    void Type(const wchar_t* text);
};

// A shown window with one control of every kind (the caption across its top),
// its owner's notes cleared.
struct CaptionBar;
struct Button;
struct EditBox;
struct Slider;
struct ScrollBar;
struct ListView;
struct CustomControl;
struct AllControls {
    TestWindow win{100, 100, 420, 320};
    CaptionBar* caption;
    Button* button;     // 10, 30, 60 x 22
    EditBox* edit;      // 80, 30, 120 x 20
    Slider* slider;     // 10, 60, 101 x 18
    ScrollBar* scroll;  // 380, 30, 16 x 120, 50 rows
    ListView* list;     // 10, 90, 300 x 180, 40 rows
    CustomControl* custom;  // 320, 90, 40 x 40
    EditBox* edit2;         // 210, 30, 100 x 20
    AllControls();
    void Layout();  // the caption as wide as the window again
};

extern TestWindow* g_testWindow;
extern std::vector<Note> g_notes;
// A NotifyProc that records under the given tag (0 to 7).
NotifyProc NotifyFor(int tag);
int CountNotes(int tag, UINT msg);
void ClearNotes();

// Holds Shift and Ctrl down in this thread's keyboard state while alive.
struct Modifiers {
    Modifiers(bool shift, bool ctrl);
    ~Modifiers();
};

void PumpMessages();
RECT WorkArea();
RECT WindowRectOf(HWND hwnd);
// A rectangle's width and height, to compare in one go.
inline std::pair<int, int> Dim(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

// The player's main window as the program shows it at start (false if it could not be made).
bool OpenMainWindow();
// Destroys it, which runs the shutdown, drops the messages that leaves behind
// (its quit among them) and puts the program folder back to the scratch root.
void CloseMainWindow();
// Reads the screen's pixels (what a person sees) for a window's rectangle.
struct ScreenShot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top-down
    bool Capture(HWND hwnd);
    bool Capture(HWND hwnd, const std::wstring& artefact);  // and keeps it in the artefacts folder
    COLORREF At(int x, int y) const;
    bool SaveBmp(const std::wstring& path) const;
    int Colours() const;  // how many distinct colours it holds
    int Count(COLORREF colour) const;  // how many pixels are of this colour
};
std::wstring ArtefactFolder();

// While alive the window is made at `dpi` on this 96-DPI test screen.
struct MadeAtDpi {
    explicit MadeAtDpi(int dpi);
    ~MadeAtDpi();
};

// The process's live GDI objects; settled: once two reads 10 ms apart agree
// (a dialog's objects may go a moment after the dialog).
int GdiObjectCount();
int SettledGdiObjectCount();

// Answers the program's "Information" boxes from another thread while alive,
// keeping their texts.
struct BoxCatcher : AnyBoxCatcher {
    BoxCatcher() : AnyBoxCatcher(L"Information") {}
    std::vector<std::wstring> Texts();
};

// Closes the first popup menu the process opens (a modal loop otherwise)
// and keeps where it appeared.
struct MenuCloser {
    MenuCloser();
    ~MenuCloser();
    HANDLE thread = nullptr;
    volatile LONG stop = 0;
    volatile LONG seen = 0;  // menus closed so far
    RECT where{};
};
