#include "ui/dpi.h"

static int g_dpi = 0;

static int SystemDpi() {
    typedef UINT(WINAPI * ForSystem)();
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (ForSystem get = user ? (ForSystem)(void*)GetProcAddress(user, "GetDpiForSystem") : nullptr) {
        UINT d = get();
        if (d >= 48) return (int)d;
    }
    int d = 96;
    if (HDC screen = GetDC(nullptr)) {
        d = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return d >= 48 ? d : 96;
}

int UiDpi() {
    if (g_dpi == 0) g_dpi = SystemDpi();
    return g_dpi;
}

void SetUiDpi(int dpi) { g_dpi = dpi >= 48 && dpi <= 960 ? dpi : 0; }

int DpiOfWindow(HWND hwnd) {
    typedef UINT(WINAPI * ForWindow)(HWND);
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (ForWindow get = user && hwnd ? (ForWindow)(void*)GetProcAddress(user, "GetDpiForWindow") : nullptr) {
        UINT d = get(hwnd);
        if (d >= 48) return (int)d;
    }
    return SystemDpi();
}

int ScaleAt(int v, int dpi) {
    if (dpi == 96) return v;
    long long p = (long long)v * dpi;
    return (int)(p >= 0 ? (p + 48) / 96 : -((-p + 48) / 96));
}

int Scale(int v) { return ScaleAt(v, UiDpi()); }

int Unscale(int v) {
    int dpi = UiDpi();
    if (dpi == 96) return v;
    long long p = (long long)v * 96;
    return (int)(p >= 0 ? (p + dpi / 2) / dpi : -((-p + dpi / 2) / dpi));
}
