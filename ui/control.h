// The base of every owner-drawn control hosted by a UiWindow.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "ui/surface.h"
#include "ui/font.h"

// The owner's callback: shaped like a window procedure, always called with a
// null window handle, with Windows message numbers (a click is WM_LBUTTONUP).
typedef LRESULT (*NotifyProc)(HWND, UINT, WPARAM, LPARAM);

// Given for a coordinate or a size: keep the current value.
const int kKeep = -100000;

enum ControlKind : int32_t {
    KindButton = 0,
    KindCaptionBar = 1,
    KindSlider = 2,
    KindEditBox = 3,
    KindScrollBar = 5,
    KindListView = 6,
    KindCustom = 7,
};

enum FocusState : uint8_t { NoFocus = 0, CanFocus = 1, HasFocus = 2 };

inline LPARAM PackPoint(int x, int y) { return (LPARAM)(uint32_t)((x & 0xFFFF) | ((uint32_t)(y & 0xFFFF) << 16)); }
inline int PointX(LPARAM p) { return (int)(short)LOWORD(p); }
inline int PointY(LPARAM p) { return (int)(short)HIWORD(p); }

class Control {
public:
    NotifyProc notify = nullptr;
    Surface surface{};
    FontSpec font;
    int32_t cursorId = 32512;  // IDC_ARROW
    HMODULE cursorModule = nullptr;
    int32_t index = -1;
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t minWidth = 4, minHeight = 8;
    bool notifyGeometry = false;
    uint8_t focusState = NoFocus;
    int32_t kind;
    bool visible = true;
    bool held = false;
    bool tabStop = false;

    explicit Control(int32_t kind) : kind(kind) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The operations, in the order the framework knows them.
    virtual bool HitTest(int px, int py);
    virtual int OnMouse(UINT msg, WPARAM wp, LPARAM pos);
    virtual bool OnKey(UINT msg, WPARAM wp, LPARAM lp);
    virtual bool OnTimer();
    virtual bool Paint();
    virtual bool SetBounds(int nx, int ny, int nw, int nh);
    virtual void AttachSurface(const Surface* window);
    virtual void OnCommand(UINT msg, WPARAM param, LPARAM lp);
    virtual ~Control();

    LRESULT Notify(UINT msg, WPARAM wp, LPARAM lp) { return notify ? notify(nullptr, msg, wp, lp) : 0; }
    RECT Rect() const { return RECT{x, y, x + width, y + height}; }
};

// Paint, then copy the control's rectangle to the screen when visible.
void Redraw(Control* c);
void Blit(Control* c);
// Selects the control's font and moves the origin to its corner; EndDraw undoes both.
void BeginDraw(Control* c);
void EndDraw(Control* c);
