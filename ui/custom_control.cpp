#include "ui/custom_control.h"

CustomControl::CustomControl(int x, int y, NotifyProc notify) : Control(KindCustom) {
    this->notify = notify;
    this->x = x;
    this->y = y;
    width = minWidth;
    height = minHeight;
    Notify(WM_CREATE, 0, 0);
}

int CustomControl::OnMouse(UINT msg, WPARAM wp, LPARAM pos) {
    bool inside = HitTest(PointX(pos), PointY(pos));
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (!inside || !Notify(WM_LBUTTONDOWN, wp, pos)) return 0;
        pressed = true;
        held = true;
        Redraw(this);
        return 0;
    case WM_MOUSEMOVE:
        if (held && (wp & MK_LBUTTON) && inside != pressed) {
            pressed = inside;
            Redraw(this);
        }
        return 0;
    case WM_LBUTTONUP:
        if (!held) return 0;
        held = false;
        if (pressed) {
            pressed = false;
            if (state == 1) state = 2;
            else if (state == 2) state = 1;
            Redraw(this);
        }
        return 0;
    }
    return 0;
}

bool CustomControl::OnKey(UINT msg, WPARAM wp, LPARAM lp) { return Notify(msg, wp, lp) != 0; }

bool CustomControl::OnTimer() { return Notify(WM_TIMER, 0, 0) != 0; }

bool CustomControl::Paint() {
    if (!visible || !surface.memoryDC) return false;
    BeginDraw(this);
    Notify(WM_NCPAINT, (WPARAM)surface.memoryDC, (LPARAM)this);
    EndDraw(this);
    return true;
}
