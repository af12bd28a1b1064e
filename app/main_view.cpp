#include "app/main_view.h"
#include "app/general_settings.h"
#include "app/main_frame.h"
#include "audio/engine.h"
#include "audio/overview.h"
#include "ui/button.h"
#include "ui/custom_control.h"
#include "ui/draw.h"
#include "ui/list_view.h"
#include "ui/slider.h"
#include <stdio.h>

void FormatTime(uint32_t ms, bool longForm, wchar_t* out, int size) {
    uint32_t seconds = ms / 1000;
    if (!longForm || seconds < 3600)
        _snwprintf(out, size, L"%02i:%02i", (int)(seconds / 60), (int)(seconds % 60));
    else
        _snwprintf(out, size, L"%i:%02i:%02i", (int)(seconds / 3600), (int)(seconds / 60 % 60), (int)(seconds % 60));
    out[size - 1] = 0;
}

static bool HasTrack() { return seekLength > 1; }

// The time display: position, percentage and length.
static void UpdateTimeDisplay() {
    ListView* t = g_mainFrame.timeDisplay;
    if (!t) return;
    wchar_t text[32];
    uint32_t length = HasTrack() ? seekLength : 0, position = HasTrack() ? seekPosition : 0;
    FormatTime(position, false, text, 32);
    SetCellText(t, 0, text, 0);
    _snwprintf(text, 32, L"%i%%", length ? (int)((uint64_t)position * 100 / length) : 0);
    text[31] = 0;
    SetCellText(t, 0, text, 1);
    FormatTime(length, false, text, 32);
    SetCellText(t, 0, text, 2);
    if (t->visible) Redraw(t);
}

void RepaintSeekPanel() {
    Slider* seek = g_mainFrame.seek;
    if (!seek) return;
    seek->maximum = (int)(seekLength > 0x7FFFFFFF ? 0x7FFFFFFF : seekLength);
    seek->value = (int)(seekPosition > (uint32_t)seek->maximum ? (uint32_t)seek->maximum : seekPosition);
    if (seek->visible && !seek->held) Redraw(seek);
}

void UpdateTitleAndTime() {
    RepaintSeekPanel();
    UpdateTimeDisplay();
}

void UpdatePositionDisplay() {
    RepaintSeekPanel();
    UpdateTimeDisplay();
}

void ShowPlayButtonState(bool playing) {
    Button* play = g_mainFrame.buttons[1];
    if (!play) return;
    int cell = playing ? GlyphPause : GlyphPlay;
    if (play->imageCell == cell) return;
    play->imageCell = cell;
    if (play->visible) Redraw(play);
}

void RepaintSpectrum() {
    if (g_mainFrame.spectrum && g_mainFrame.spectrum->visible) Redraw((Control*)g_mainFrame.spectrum);
}

void PaintSeekPanel() {
    Slider* c = g_mainFrame.seek;
    if (!c || !c->visible || !c->surface.memoryDC) return;
    BeginDraw(c);
    Surface* s = &c->surface;
    const COLORREF* k = c->colors;
    int w = c->width, h = c->height;
    RECT inner{1, 1, w - 1, h - 1};
    FillGradientV(s, inner, k[1], k[2]);
    int max = c->maximum > 0 ? c->maximum : 1;
    if (HasTrack()) {
        int filled = (int)((int64_t)(w - 2) * c->value / max);
        if (filled > 0) FillGradientV(s, RECT{1, 1, 1 + filled, h - 1}, k[7], k[8]);
    }
    if (g_general.isSeekGraphical) {
        // The track's waveform over the bar, with the position marker.
        ResizeOverview(w - 2, h - 2);
        DrawOverview(s->memoryDC, w, h, HasTrack() ? (uint32_t)c->value : 0, HasTrack() ? (uint32_t)max : 0);
    }
    Frame(s, 0, 0, w, h, k[3], k[4]);
    bool graphical = g_general.isSeekGraphical != 0;
    wchar_t position[32], length[32];
    FormatTime(HasTrack() ? (uint32_t)c->value : 0, !graphical, position, 32);
    FormatTime(HasTrack() ? seekLength : 0, !graphical, length, 32);
    SetTextColor(s->memoryDC, k[0]);
    int ty = graphical ? h - c->font.height - 3 : h / 2 - c->font.height / 2;
    RECT clip{2, 1, w - 2, h - 1};
    SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
    TextOut(s, position, 5, ty, &clip);
    SetTextAlign(s->memoryDC, TA_RIGHT | TA_TOP);
    TextOut(s, length, w - 5, ty, &clip);
    SetTextAlign(s->memoryDC, TA_LEFT | TA_TOP);
    EndDraw(c);
}
