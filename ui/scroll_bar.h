// Vertical and horizontal scroll bars: two arrow buttons and a thumb over a track.
#pragma once
#include "ui/button.h"

enum ScrollPart : int32_t {
    PartNone = 0,
    PartFirstArrow = 1,
    PartThumb = 2,
    PartSecondArrow = 3,
    PartTrackBefore = 4,
    PartTrackAfter = 5,
};

class ScrollBar : public Control {
public:
    int32_t pressedPart = PartNone;
    int32_t dragOffset = 0;
    COLORREF colors[7]{};
    Button firstArrow, secondArrow, thumb;
    int32_t value = 0;  // 0 ... count - 1
    int32_t count = 1;
    int32_t highlightedPart = PartNone;
    int32_t orientation = 0;  // 0 vertical, 1 horizontal
    int32_t pageSize = 0;     // the visible share, for the thumb's length; 0 gives a square thumb

    ScrollBar(int x, int y, int w, int h, int orientation = 0);
    int OnMouse(UINT msg, WPARAM wp, LPARAM pos) override;
    bool OnTimer() override;
    bool Paint() override;
    bool SetBounds(int nx, int ny, int nw, int nh) override;
    void AttachSurface(const Surface* window) override;

    // Places the arrows and the thumb for the rectangle and the value.
    void Layout();
    int ArrowLength() const;
    int ThumbLength() const;
    int PartAt(int px, int py) const;
    bool SetValue(int v);
};
