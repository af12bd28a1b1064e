// Push, toggle and image buttons. A click reaches the owner as WM_LBUTTONUP.
#pragma once
#include "ui/control.h"
#include "ui/sprite_sheet.h"

enum FaceStyle : int32_t { FaceClassic = 0, FaceRaised = 1, FaceFlat = 2 };
enum ToggleState : int32_t { PushButton = 0, ToggleDown = 1, ToggleUp = 2 };

class Button : public Control {
public:
    COLORREF colors[7]{};
    wchar_t text[260]{};
    int32_t marginLeft = 1, marginTop = 1, marginRight = 1, marginBottom = 1;
    bool pressed = false;
    int32_t faceStyle = FaceClassic;
    int32_t textOffsetX = 0, textOffsetY = 0;
    bool imageMode = false;
    int32_t imageCell = 0;
    const SpriteSheet* imageSheet = nullptr;
    int32_t toggleState = PushButton;

    Button(int x, int y, int w, int h, NotifyProc notify);
    int OnMouse(UINT msg, WPARAM wp, LPARAM pos) override;
    bool OnTimer() override { return true; }
    bool Paint() override;
};

void SetButtonText(Button* b, const wchar_t* text);
// Paints a button's face in its local coordinates (BeginDraw already done).
void PaintButtonFace(Button* b, bool focused);
