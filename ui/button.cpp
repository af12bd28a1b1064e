#include "ui/button.h"
#include "ui/draw.h"

Button::Button(int x, int y, int w, int h, NotifyProc notify) : Control(KindButton) {
    this->notify = notify;
    SetBounds(x, y, w, h);
}

void SetButtonText(Button* b, const wchar_t* text) {
    lstrcpynW(b->text, text ? text : L"", 260);
}

int Button::OnMouse(UINT msg, WPARAM wp, LPARAM pos) {
    bool inside = HitTest(PointX(pos), PointY(pos));
    switch (msg) {
    case WM_MOUSEMOVE:
        if (wp == MK_LBUTTON && held && inside != pressed) {
            pressed = inside;
            Redraw(this);
            return 1;
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (!inside) return 0;
        pressed = true;
        held = true;
        Redraw(this);
        return 1;
    case WM_LBUTTONUP: {
        int click = inside && held ? 1 : 0;
        if (pressed) {
            pressed = false;
            if (toggleState == ToggleDown) toggleState = ToggleUp;
            else if (toggleState == ToggleUp) toggleState = ToggleDown;
            Redraw(this);
        }
        held = false;
        return click;
    }
    }
    return 0;
}

void PaintButtonFace(Button* b, bool focused) {
    Surface* s = &b->surface;
    const COLORREF* c = b->colors;
    int w = b->width, h = b->height;
    bool down = b->pressed || b->toggleState == ToggleDown;
    FillGradientV(s, RECT{0, 0, w, h}, c[1], c[2]);
    if (b->faceStyle == FaceRaised) {
        if (down) {
            Frame(s, 0, 0, w, h, c[5], c[5]);
        } else {
            Frame(s, 0, 0, w, h, c[1], c[4]);
            Frame(s, 1, 1, w - 2, h - 2, c[3], c[5]);
        }
    } else {
        Frame3D(s, w, h, down, c[3], c[4], c[5]);
        if (b->faceStyle == FaceFlat) {
            if (down) {
                LineH(s, 2, 2, w - 4, c[6]);
                LineV(s, 2, 2, h - 4, c[6]);
            } else {
                LineH(s, 2, h - 3, w - 4, c[6]);
                LineV(s, w - 3, 2, h - 4, c[6]);
            }
        }
    }
    if (focused) Frame(s, 3, 3, w - 6, h - 6, c[5], c[5]);
    int shift = down ? 1 : 0;
    if (b->imageMode) {
        if (b->imageSheet && b->imageSheet->dc) {
            int cw = b->imageSheet->cellWidth, ch = b->imageSheet->cellHeight;
            int dw = cw < w - 3 ? cw : w - 3, dh = ch < h - 2 ? ch : h - 2;
            DrawCell(s, b->imageSheet, b->imageCell, (w - dw) / 2 + shift, (h - dh) / 2, dw, dh, 255);
        }
    } else if (b->text[0]) {
        SetTextAlign(s->memoryDC, TA_CENTER | TA_TOP);
        SetTextColor(s->memoryDC, c[0]);
        RECT clip{b->marginLeft, b->marginTop, w - b->marginRight, h - b->marginBottom};
        TextOut(s, b->text, w / 2 + b->textOffsetX + shift, h / 2 - b->font.height / 2 + b->textOffsetY + shift,
                &clip);
        SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
    }
}

bool Button::Paint() {
    if (!visible || !surface.memoryDC) return false;
    BeginDraw(this);
    PaintButtonFace(this, focusState == HasFocus);
    EndDraw(this);
    return true;
}
