// The on-screen display of the current track: a click-through, always-on-top
// layered window in the top-right corner of the work area with the track's
// title, artist and album, outlined and right-aligned, above a small progress
// bar. General setting OSDView: 0 always shown, 1 shown for a while after a
// track starts, 2 never. User-interface thread only.
#pragma once
#include <windows.h>
#include <string>

// Once at start-up, after the main window exists. The window stays hidden.
bool CreateOsd();
void DestroyOsd();
// A track started (the caller checks that OSDView is not 2): shown for `countdown` ticks.
void ShowOsd(int countdown);
// Composes the lines and the bar and shows them; unforced calls paint one in ten.
void PaintOsd(bool force);
// The main window's tick: repaints, counts down and hides.
void OsdTick();
// The hot key: hides a shown display, or shows it permanently.
void ToggleOsd();
// The settings page's choice: 0 shows it at once, 1 and 2 hide it.
void SetOsdMode(unsigned mode);
// The panel's texts changed: a shown display follows at once.
void RepaintShownOsd();

// The three lines: the title (else the file name), the artist, the album.
void OsdLines(std::wstring lines[3]);
HWND OsdWindow();
int OsdCountdown();
