#include "audio/visualization.h"
#include "audio/player_events.h"
#include "base/general_settings.h"
#include "audio/engine.h"
#include "ui/dpi.h"
#include "ui/list_view.h"
#include <math.h>

VisPanel g_vis;

static uint32_t Pixel(COLORREF c) { return (uint32_t)GetRValue(c) << 16 | (uint32_t)GetGValue(c) << 8 | GetBValue(c); }

VisColors VisColorsFor(uint32_t theme, bool smallWindow, bool seekGraphical) {
    if (theme <= 1099)
        return VisColors{smallWindow ? 0x2F2F2Fu : 0x1A1A1Au, 0x404040, 0xF5FF, 0x4AFF, 0x787878, 0x2F2F2F, 0xFFFFAF,
                         0x818158};
    if (theme <= 1101)
        return VisColors{0x262626, 0x404040, seekGraphical ? 0xF5FFu : 0xFF1Eu, seekGraphical ? 0x4AFFu : 0x1AFFu,
                         0x787878, 0x000000, 0xFFFFAF, 0x818158};
    return VisColors{0xFFFFFF, 0xDDDDDD, 0xFFEAC7, 0x945B26, 0xABABAB, 0xFFFFFF, 0x78723F, 0xC1BB88};
}

void ResizeVis(int width, int height) {
    g_vis.width = width > 0 ? width : 0;
    g_vis.height = height > 0 ? height : 0;
    g_vis.image.assign((size_t)g_vis.width * g_vis.height, 0);
    g_vis.samples.assign((size_t)8 * g_vis.width, 0.0f);
}

void ReleaseVis() {
    g_vis.image = {};
    g_vis.samples = {};
    g_vis.barHeights = {};
    g_vis.barColors = {};
    g_vis.width = g_vis.height = 0;
}

void FillVis(VisPanel* v, COLORREF color) { std::fill(v->image.begin(), v->image.end(), Pixel(color)); }

static void PutPixel(VisPanel* v, int x, int row, uint32_t p) {
    if (x >= 0 && x < v->width && row >= 0 && row < v->height) v->image[(size_t)row * v->width + x] = p;
}

void DrawVisGrid(VisPanel* v, COLORREF color) {
    uint32_t p = Pixel(color);
    for (int i = 0; i < 30; i++) {
        int row = v->height * i / 30;
        for (int x = 0; x < v->width; x++) PutPixel(v, x, row, p);
    }
}

int SpectrumMarker(int width, int sampleRate, int* nyquist) {
    int n = sampleRate / 2;
    if (n < 1) n = 1;
    *nyquist = n;
    int column = (int)lround((double)width * 18700.0 / n);
    return column >= 0 && column < width ? column : -1;
}

static COLORREF Blend(COLORREF a, COLORREF b, int step, int steps) {
    auto mix = [&](int x, int y) { return x + (y - x) * step / (steps > 0 ? steps : 1); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

void DrawSpectrumBars(VisPanel* v, const VisColors& k, const float* m) {
    if (v->width <= 0 || v->height <= 0 || v->image.size() < (size_t)v->width * v->height) return;
    // Bins that share a column draw over each other from the bottom, so each
    // column takes its tallest bar; the gradient is worked out once a row.
    if ((int)v->barHeights.size() != v->width) v->barHeights.assign((size_t)v->width, 0);
    std::fill(v->barHeights.begin(), v->barHeights.end(), 0);
    int tallest = 0;
    for (int i = 0; i < 512; i++) {
        if (!(m[i] > 0.0f)) continue;
        // Decibels over a 64 dB range: a full-scale bin fills the panel, a quiet one nothing.
        double t = log10((double)m[i]) * 10.0 * 2.35 / 150.0;
        long h = lround((1.0 + t) * v->height);
        if (h < 0) h = 0;
        if (h > v->height) h = v->height;
        int x = v->width * i / 512;
        if (h > v->barHeights[(size_t)x]) v->barHeights[(size_t)x] = (int)h;
        if (h > tallest) tallest = (int)h;
    }
    if (tallest == 0) return;
    if (v->barColors.size() != (size_t)v->height || v->barBottom != k.barBottom || v->barTop != k.barTop) {
        v->barColors.resize((size_t)v->height);
        for (int row = 0; row < v->height; row++)
            v->barColors[(size_t)row] = Pixel(Blend(k.barBottom, k.barTop, row + 1, v->height));
        v->barBottom = k.barBottom;
        v->barTop = k.barTop;
    }
    for (int row = 0; row < tallest; row++) {
        uint32_t p = v->barColors[(size_t)row];
        uint32_t* line = &v->image[(size_t)row * v->width];
        for (int x = 0; x < v->width; x++)
            if (v->barHeights[(size_t)x] > row) line[x] = p;
    }
}

void DrawScopeTrace(VisPanel* v, const float* s, COLORREF color) {
    uint32_t p = Pixel(color);
    auto row = [&](float f) {
        long r = lround((f + 1.0) * 0.5 * v->height);
        return (int)(r < 0 ? 0 : r > v->height - 1 ? v->height - 1 : r);
    };
    for (int x = 0; x < v->width; x++) {
        int a = row(s[2 * x]), b = row(s[2 * x + 2]);
        if (a > b) std::swap(a, b);
        for (int r = a; r <= b; r++) PutPixel(v, x, r, p);
    }
}

static void TextAt(HDC dc, int x, int y, UINT align, COLORREF color, const wchar_t* text) {
    SetTextAlign(dc, align);
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, x, y, text, lstrlenW(text));
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}

void PaintVis(HDC dc, int mode) {
    VisPanel* v = &g_vis;
    if (v->width <= 0 || v->height <= 0) return;
    bool small = g_general.isSmall != 0;
    bool stopped = GetStatus() == StatusStopped;
    VisColors k = VisColorsFor(g_general.Theme, small, g_general.isSeekGraphical != 0);
    AudioChannel ch = channel.load();
    AudioChannelFormat f{};
    int channels = ch && !stopped && AudioGetFormat(ch, &f) ? (int)f.channels : 0;
    int marker = -1, nyquist = 0;
    bool labels = false;
    if (mode == 1) {
        FillVis(v, k.background);
        if (!small) {
            DrawVisGrid(v, k.grid);
            if (v->width > 20 && !stopped) {
                marker = SpectrumMarker(v->width, g_engine.sampleRate, &nyquist);
                labels = true;
                if (marker >= 0)
                    for (int row = 0; row < v->height; row++) PutPixel(v, marker, row, Pixel(k.grid));
            }
        }
        ListView* info = g_playerEvents.infoPanel();
        const wchar_t* title = info && info->rowCount > 0 ? info->rows[0].cells[0].text : nullptr;
        bool noBars = title && wcscmp(title, L"Title.") == 0;
        // One spectrum of all channels mixed: a second channel would fetch and
        // draw the very same bars again.
        float fft[512];
        if (channels > 0 && !noBars) {
            if (v->clearSpectrum) memset(fft, 0, sizeof(fft));
            if (AudioGetFft1024(ch, fft)) DrawSpectrumBars(v, k, fft);
        }
    } else {
        FillVis(v, k.scopeBackground);
        size_t need = (size_t)(channels > 0 ? channels : 1) * (v->width + 1);
        if (v->samples.size() < need) v->samples.resize(need);
        for (int c = 0; c < channels; c++) {
            if (!AudioGetFloats(ch, v->samples.data(), (uint32_t)need)) break;
            DrawScopeTrace(v, v->samples.data(), c == channels - 1 ? k.scopeLast : k.scopeEarlier);
        }
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = v->width;
    bi.bmiHeader.biHeight = v->height;  // bottom-up
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 1, 1, v->width, v->height, 0, 0, 0, v->height, v->image.data(), &bi, DIB_RGB_COLORS);
    if (labels) {
        wchar_t text[32];
        if (marker >= 0) {
            int x = marker + 1 < v->width - Scale(15) ? marker + 1 : v->width - Scale(15);
            TextAt(dc, 1 + x, 1 + Scale(3), TA_CENTER | TA_TOP, k.label, L"18.7K");
        } else {
            swprintf(text, 32, L"%i.%iK", nyquist / 1000, nyquist % 1000 / 100);
            TextAt(dc, 1 + v->width - Scale(3), 1 + Scale(3), TA_RIGHT | TA_TOP, k.label, text);
        }
    }
    if (!small && stopped) {
        COLORREF c = g_general.Theme <= 1101 ? 0xAFFFFF : 0x3F7278;
        TextAt(dc, Scale(5), 1 + v->height - Scale(38), TA_LEFT | TA_TOP, c, L"Visualization:");
        TextAt(dc, Scale(5), 1 + v->height - Scale(24), TA_LEFT | TA_TOP, c, mode == 1 ? L"Spectrum" : L"Oscilliscope");
    }
}
