// The overview of the current track: a low-priority thread decodes a copy of
// the file, keeps the level of each of at most 2432 slices and draws them as
// a waveform into an 8-bit picture that the seek panel shows; it also finds
// where the track's final silence begins.
#pragma once
#include <windows.h>
#include <stdint.h>

const int kOverviewSlices = 2432;

struct TrackOverview {
    uint16_t levels[kOverviewSlices][2];
    uint32_t columnCount;
    uint32_t done;
    uint32_t sliceBytes;
    uint32_t startBytes;
    int width, height;          // of the picture
    HBITMAP bitmap;             // 8 bits per pixel, bottom-up, palette of height / 2 + 1 entries
    uint8_t* bits;
    // The thread draws and the window resizes and shows: one at a time.
    CRITICAL_SECTION lock;
    // Pixel columns of many slices are averaged; the column being gathered.
    int pendingColumn;
    uint32_t pending[2];
};

extern TrackOverview g_overview;

void StartOverviewScan();
// Cancels a running scan and waits for its thread to end (10 ms sleeps).
void CancelOverviewScan();
// A new picture size: the stored slices are drawn again.
void ResizeOverview(int width, int height);
// The waveform and the position marker, into the seek panel's DC at (1, 1).
void DrawOverview(HDC dc, int barWidth, int barHeight, uint32_t position, uint32_t length);
void ClearOverview();
void ReleaseOverview();

// Waveform arithmetic, free of windows: the pixel run of a level, and the
// palette colour k of a half-height `half` between the centre and edge colours.
int LevelPixels(uint32_t level, int half);
COLORREF OverviewShade(int k, int half, COLORREF centre, COLORREF edge);
