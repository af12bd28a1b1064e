#include "ui/control.h"

bool Control::HitTest(int px, int py) { return px >= x && px <= x + width && py >= y && py <= y + height; }
int Control::OnMouse(UINT, WPARAM, LPARAM) { return 0; }
bool Control::OnKey(UINT, WPARAM, LPARAM) { return false; }
bool Control::OnTimer() { return false; }
bool Control::Paint() { return false; }
void Control::OnCommand(UINT, WPARAM, LPARAM) {}

bool Control::SetBounds(int nx, int ny, int nw, int nh) {
    int ox = x, oy = y, ow = width, oh = height;
    if (nx != kKeep) x = nx;
    if (ny != kKeep) y = ny;
    bool sized = false;
    if (!(nw == -1 && nh == -1) && (nw != ow || nh != oh)) {
        width = nw == kKeep ? ow : nw;
        height = nh == kKeep ? oh : nh;
        if (width < minWidth) width = minWidth;
        if (height < minHeight) height = minHeight;
        sized = width != ow || height != oh;
        if (sized && notifyGeometry) Notify(WM_SIZE, 0, PackPoint(width, height));
    }
    bool moved = x != ox || y != oy;
    if (moved && notifyGeometry) Notify(WM_MOVE, 0, PackPoint(x, y));
    return sized || moved;
}

void Control::AttachSurface(const Surface* window) { BorrowSurface(&surface, window); }

Control::~Control() {
    ReleaseFont(&font);
    ReleaseSurface(&surface);
}

void Blit(Control* c) {
    if (c->visible) CopyToScreen(&c->surface, c->x, c->y, c->width, c->height);
}

void Redraw(Control* c) {
    c->Paint();
    Blit(c);
}

void BeginDraw(Control* c) {
    HDC dc = c->surface.memoryDC;
    c->surface.savedObject = c->font.handle ? SelectObject(dc, c->font.handle) : nullptr;
    SetViewportOrgEx(dc, c->x, c->y, nullptr);
}

void EndDraw(Control* c) {
    HDC dc = c->surface.memoryDC;
    if (c->surface.savedObject) SelectObject(dc, c->surface.savedObject);
    c->surface.savedObject = nullptr;
    SetViewportOrgEx(dc, 0, 0, nullptr);
}
