// Where the main window's controls go: normal, maximised, collapsed (too low
// for the lists) and small (one row), the panel splitter and the seek panel edge.
#pragma once
#include <windows.h>

struct LayoutState {
    int seekHeight;      // the graphical seek panel's height now
    int splitterOffset;  // the panel splitter's distance from the centre of the panel area
    int keptOffset;      // what Ctrl+4 put aside for Ctrl+3
    bool collapsed;      // the lists are hidden: the window is too low for them
    int dragMode;        // DragNone, DragSplitter, DragSeekEdge
    int grabOffset;
};

enum SplitterDrag { DragNone = 0, DragSplitter = 1, DragSeekEdge = 2 };

extern LayoutState g_layout;

// The seek panel height from the settings; splitter centred.
void ResetLayoutState();
// Places every control for the current window size and mode.
void LayoutMainFrame();
// Sizes the information panel's two columns to the format texts it holds.
void FitInfoColumns();
// Client height at or below which the lists are hidden.
int CollapseThreshold();
// The window height the collapsed window takes; also the normal minimum tracking height.
int CollapsedHeight();
// The window height of small mode (one row of 18 pixels).
int SmallWindowHeight();
// The tallest graphical seek panel that fits the window now (at least 45).
int MaxSeekHeight();
// Sets the graphical seek panel's height and keeps it for the window's state
// (pSeekHeightMaximized while maximised, else pSeekHeight), so that it is saved.
void SetSeekHeight(int height);
// 0 both panels, 1 hides the left one, 2 the right one; lays out.
void SetPanelLayout(int lcr);
// Enters or leaves small mode, keeping the normal rectangle.
void ToggleSmallMode();
// The band between the two panels (or at the edge of the hidden one); empty when there is none.
RECT PanelSplitterRect();
// Between the info panel's bottom and the seek panel's top, graphical mode only.
RECT SeekEdgeRect();
// Splitter drags from the window procedure (client coordinates); true when consumed.
bool SplitterPress(int x, int y);
bool SplitterMove(int x, int y);
bool SplitterRelease();
// The list on the panel splitter's left side: file list unless swapped.
bool FileListOnLeft();
