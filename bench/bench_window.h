// What the benchmarks that need a toolkit window share: the window's
// procedure and a millisecond clock.
#pragma once
#include <windows.h>
#include "ui/ui_window.h"

static UiWindow* g_window;

static LRESULT CALLBACK BenchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!g_window || hwnd != g_window->hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    Dispatch(g_window, &msg, wp, lp);
    LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
    return AfterDefault(g_window, hwnd, msg, wp, lp, r);
}

static double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}
