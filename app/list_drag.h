// Dragging entries between the file list and the playlist with the left button.
#pragma once
#include <windows.h>

enum ListDragSource { DragFromNone = 0, DragFromFileList = 1, DragFromPlayList = 2 };
enum ListDragResult { DragDroppedNowhere = 0, DragAddedToPlayList = 1, DragReplacedPlayList = 2,
                      DragDeletedEntries = 3 };

struct ListDragState {
    int source;        // ListDragSource
    int pressedRow;    // the source's selected entry at the press
    POINT pressPoint;
    bool dragging;
};

extern ListDragState g_listDrag;

// Window procedure steps (client coordinates; moves may lie outside the window).
void ListDragPress(int x, int y);
void ListDragMove(int x, int y, WPARAM keys);
// Returns true when a drag ended here.
bool ListDragRelease(int x, int y);
// What the last finished drag did.
int LastListDragResult();
