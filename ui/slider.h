// A value bar: seek position, volume, margins. Horizontal or vertical.
#pragma once
#include "ui/control.h"

class Slider : public Control {
public:
    COLORREF colors[11]{};
    wchar_t valueText[64]{};
    bool showTenths = false;
    int32_t value = 0;
    int32_t maximum = 100;
    int32_t topInset = 1, leftInset = 1, rightInset = 1, bottomInset = 1;
    bool alternate = false;     // muted: the filled part takes colours 9 and 10
    bool contrastText = true;   // the label over the filled part in colour 6
    uint8_t textAlignment = 6;
    int32_t orientation = 1;    // 1 horizontal, 0 vertical

    Slider(int y, int w, int h, NotifyProc notify);
    // The owner paints the whole bar itself (kept in notifyGeometry, so it also hears moves and sizes).
    bool OwnerDrawn() const { return notifyGeometry; }
    int OnMouse(UINT msg, WPARAM wp, LPARAM pos) override;
    bool OnTimer() override { return true; }
    bool Paint() override;
    void OnCommand(UINT msg, WPARAM param, LPARAM lp) override;
};

// The value a press at (px, py) gives, clamped to [0, maximum].
int SliderValueAt(const Slider* s, int px, int py);
// The label: percentage of the maximum, tenths when asked, "%" on horizontal bars, "M" at a vertical maximum.
void FormatSliderLabel(const Slider* s, wchar_t* out, int size);
