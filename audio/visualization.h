// The visualization panel beside the information panel: a spectrum of what
// plays (512 bars and an 18.7 kHz marker) or an oscilloscope trace, drawn into
// a 32-bit bottom-up image that the panel copies to the screen.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <vector>

struct VisPanel {
    int width = 0, height = 0;
    std::vector<uint32_t> image;  // row 0 is the bottom row; pixels 0x00RRGGBB
    std::vector<float> samples;   // oscilloscope data
    bool clearSpectrum = true;
    // Working space of the bars: the height of each column, and the colour of
    // each row for the two bar colours named.
    std::vector<int> barHeights;
    std::vector<uint32_t> barColors;
    COLORREF barBottom = 0, barTop = 0;
};

struct VisColors {
    COLORREF background, grid, barBottom, barTop, label, scopeBackground, scopeLast, scopeEarlier;
};

extern VisPanel g_vis;

VisColors VisColorsFor(uint32_t theme, bool smallWindow, bool seekGraphical);
void ResizeVis(int width, int height);
void ReleaseVis();

// The pieces of a frame, free of the audio library: fill, grid, the marker
// column (-1 when it lies outside; half the sample rate goes to `nyquist`),
// one channel's bars, one channel's trace.
void FillVis(VisPanel* v, COLORREF color);
void DrawVisGrid(VisPanel* v, COLORREF color);
int SpectrumMarker(int width, int sampleRate, int* nyquist);
void DrawSpectrumBars(VisPanel* v, const VisColors& k, const float* magnitudes512);
void DrawScopeTrace(VisPanel* v, const float* interleaved, COLORREF color);

// One frame of the panel, drawn at (1, 1) of the DC; mode 1 the spectrum, else the oscilloscope.
void PaintVis(HDC dc, int mode);
