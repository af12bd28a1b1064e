// A control whose painting and input meaning belong to its owner: it asks
// through NotifyProc (WM_NCPAINT to paint, WM_LBUTTONDOWN to accept a press,
// WM_TIMER each tick) and turns accepted presses into a two-state toggle.
#pragma once
#include "ui/control.h"

class CustomControl : public Control {
public:
    bool pressed = false;
    int32_t state = 1;  // flips between 1 and 2 on each accepted click

    CustomControl(int x, int y, NotifyProc notify);
    int OnMouse(UINT msg, WPARAM wp, LPARAM pos) override;
    bool OnKey(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnTimer() override;
    bool Paint() override;
};
