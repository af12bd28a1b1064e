// Files dropped on the main window (WM_DROPFILES) and its OLE drop target.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>

enum DropAction { DropNothing = 0, DropFollow = 1, DropAppend = 2, DropReplace = 3, DropRefused = 4 };

struct DropPlan {
    int action;
    bool onPlayList;
    bool keptPlayList;  // Ctrl held: the playlist stays and the items follow it
    std::vector<std::wstring> items;
};

// What the drop does: one file off the playlist is followed; otherwise the
// items are added, replacing the playlist when Shift is held or the drop is off it.
DropPlan PlanDrop(const std::vector<std::wstring>& items, bool onPlayList, bool shift, bool ctrl, bool adding);
// Handles WM_DROPFILES; always ends with DragFinish.
void HandleDropFiles(HDROP drop);
const DropPlan& LastDrop();

bool RegisterDropTarget(HWND wnd);
void RevokeDropTarget(HWND wnd);
