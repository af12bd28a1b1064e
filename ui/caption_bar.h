// The title bar of our frame: icon, title and the minimize, maximize, close
// and system-menu buttons. Its OnMouse answers commands, not plain results.
#pragma once
#include "ui/button.h"

// The system-menu button, when it is a real button, reports this command.
const int kCaptionMenuCommand = 500;

class CaptionBar : public Control {
public:
    COLORREF colors[10]{};
    int32_t gradientStyle = 0;  // 1 left to right, otherwise top to bottom
    wchar_t title[260]{};
    bool showMinimize = true, showMaximize = true, showClose = true, showMenu = true;
    int32_t titleEffect = 0;  // 0 none, 1 outline, 2 shadow
    HICON icon = nullptr;
    bool iconIsButton = false;
    bool ownsIcon = false;
    bool maximized = false;
    bool active = true;
    uint8_t titleAlignment = 0;  // 0 left, 6 centred
    Button minimizeButton, maximizeButton, closeButton, menuButton;
    bool rightPressed = false;

    CaptionBar(const wchar_t* title, NotifyProc notify);
    ~CaptionBar() override;
    int OnMouse(UINT msg, WPARAM wp, LPARAM pos) override;
    bool OnTimer() override;
    bool Paint() override;
    bool SetBounds(int nx, int ny, int nw, int nh) override;
    void AttachSurface(const Surface* window) override;

    // Places the buttons for the current rectangle.
    void Layout();
    // Moves a point on the caption into the button row (see the framework's clicks).
    void ClampPoint(int* px, int* py) const;
    bool OnAnyButton(int px, int py);
    void SetMaximized(bool on);
};
