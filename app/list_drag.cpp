#include "app/list_drag.h"
#include "app/main_frame.h"
#include "library/adding.h"
#include "library/file_browser.h"
#include "library/playlist.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"

ListDragState g_listDrag;
static int g_lastResult;

int LastListDragResult() { return g_lastResult; }

static bool Inside(Control* c, int x, int y) { return c && c->visible && c->HitTest(x, y); }

static bool OutsideWindow(int x, int y) {
    RECT client;
    GetClientRect(g_mainFrame.window->hwnd, &client);
    POINT p{x, y};
    return !PtInRect(&client, p);
}

static void UseCursor(int id) {
    SetCursor(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)));
}

void ListDragPress(int x, int y) {
    MainFrame& f = g_mainFrame;
    g_listDrag = ListDragState{};
    ListView* list = Inside(f.fileList, x, y) ? f.fileList : Inside(f.playList, x, y) ? f.playList : nullptr;
    // Only a press on an entry, below the header and inside the rows, can start a drag.
    if (!list || y < list->y + list->headerHeight || list->rowCount == 0) return;
    g_listDrag.source = list == f.fileList ? DragFromFileList : DragFromPlayList;
    g_listDrag.pressedRow = list->currentRow;
    g_listDrag.pressPoint = POINT{x, y};
}

static void ShowDragCursor(int x, int y) {
    MainFrame& f = g_mainFrame;
    if (g_listDrag.source == DragFromFileList) {
        if (Inside(f.playList, x, y)) UseCursor(129);
        else if (Inside(f.statusLine, x, y)) UseCursor(128);
        else SetCursor(LoadCursorW(nullptr, IDC_NO));
    } else {
        UseCursor(OutsideWindow(x, y) ? 130 : 127);
    }
}

void ListDragMove(int x, int y, WPARAM keys) {
    MainFrame& f = g_mainFrame;
    if (g_listDrag.source == DragFromNone || !(keys & MK_LBUTTON)) return;
    if (!g_listDrag.dragging) {
        bool start = (keys & MK_SHIFT) != 0;
        if (g_listDrag.source == DragFromFileList) {
            // Across the file list's edge that faces the playlist.
            bool playListRight = f.playList->x >= f.fileList->x;
            start = start || (playListRight ? x >= f.fileList->x + f.fileList->width : x < f.fileList->x);
        } else {
            start = start || OutsideWindow(x, y);
        }
        if (!start) return;
        g_listDrag.dragging = true;
        ListView* source = g_listDrag.source == DragFromFileList ? f.fileList : f.playList;
        if (g_listDrag.pressedRow >= 0 && g_listDrag.pressedRow < source->rowCount) SetCurrent(source, g_listDrag.pressedRow);
    }
    ShowDragCursor(x, y);
}

bool ListDragRelease(int x, int y) {
    MainFrame& f = g_mainFrame;
    bool was = g_listDrag.dragging;
    int source = g_listDrag.source;
    g_listDrag = ListDragState{};
    if (!was) return false;
    g_lastResult = DragDroppedNowhere;
    if (source == DragFromFileList) {
        if (Inside(f.playList, x, y)) {
            FileListAddSelection();
            g_lastResult = DragAddedToPlayList;
        } else if (Inside(f.statusLine, x, y)) {
            FileListReplacePlayList();
            g_lastResult = DragReplacedPlayList;
        }
    } else if (OutsideWindow(x, y) && GetKeyState(VK_CONTROL) >= 0 && PlayListCount() > 0 && !IsAdding()) {
        ClearPlayList();
        g_lastResult = DragDeletedEntries;
    }
    SetCursor(LoadCursorW(nullptr, Inside(f.pathBar, x, y) ? IDC_IBEAM : IDC_ARROW));
    return true;
}
