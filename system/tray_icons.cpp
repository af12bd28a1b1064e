#include "system/tray_icons.h"
#include "ui/ui_window.h"
#include "base/general_settings.h"

std::vector<TrayIcon*> g_trayIcons;
BOOL(WINAPI* g_notifyIcon)(DWORD message, NOTIFYICONDATAW* data) = Shell_NotifyIconW;

static int g_lastLevel = -1;
static uint16_t g_lastLanguage;

typedef BOOL(WINAPI* GetSystemTimesFn)(FILETIME*, FILETIME*, FILETIME*);
static GetSystemTimesFn SystemTimes() {
    static GetSystemTimesFn fn = (GetSystemTimesFn)(void*)GetProcAddress(GetModuleHandleW(L"Kernel32.dll"), "GetSystemTimes");
    return fn;
}

int CpuLevel(uint64_t busy, uint64_t total) { return total ? (int)((busy * 11 + total / 2) / total) : 12; }
int CpuPercent(uint64_t busy, uint64_t total) { return total ? (int)((busy * 100 + total / 2) / total) : 0; }

// ---- the CPU icon's pictures ----------------------------------------------------------------

// A 4-bit 16 x 16 icon image (header, 16 colours, pixels, mask): 296 bytes. The bar
// fills from the bottom: level n has n more rows of it coloured.
std::vector<uint8_t> CpuIconImage(int level) {
    std::vector<uint8_t> img(296, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = 16;
    h.biHeight = 32;  // colour part and mask
    h.biPlanes = 1;
    h.biBitCount = 4;
    h.biSizeImage = 128 + 64;
    memcpy(img.data(), &h, 40);
    // Colours: 0 black, 1 dark frame, 2 bar, 3 empty bar.
    const uint32_t colors[4] = {0x000000, 0x404040, 0x20D040, 0x183018};
    memcpy(img.data() + 40, colors, sizeof(colors));
    uint8_t* px = img.data() + 40 + 64;  // bottom-up rows of 8 bytes
    for (int row = 0; row < 16; row++) {
        uint8_t* r = px + row * 8;
        if (row == 0 || row == 15) {
            memset(r + 1, 0x11, 6);  // top and bottom of the frame, columns 2..13
            continue;
        }
        // Columns 2 and 13 are the frame, 3..12 the bar; 12 bar rows from row 2 up.
        bool filled = row >= 2 && row < 2 + 12 && row - 2 < level;
        uint8_t inner = row >= 2 && row < 14 ? (filled ? 0x22 : 0x33) : 0x00;
        r[1] = 0x10 | (inner >> 4);  // column 2 frame, column 3 bar
        for (int c = 2; c < 6; c++) r[c] = inner;
        r[6] = (uint8_t)((inner & 0xF0) | 0x01);  // column 12 bar, column 13 frame
    }
    uint8_t* mask = px + 128;  // 1 bit per pixel, 4 bytes a row: opaque over columns 2..13
    for (int row = 0; row < 16; row++) {
        mask[row * 4 + 0] = 0xC0;
        mask[row * 4 + 1] = 0x03;
        mask[row * 4 + 2] = 0xFF;
        mask[row * 4 + 3] = 0xFF;
    }
    return img;
}

static void Notify(NOTIFYICONDATAW* d, DWORD flags) {
    d->uFlags = flags;
    if (!g_notifyIcon(NIM_MODIFY, d)) {
        d->uFlags = flags | NIF_MESSAGE;
        g_notifyIcon(NIM_ADD, d);
    }
}

CpuTrayIcon::CpuTrayIcon(HWND owner) {
    for (int i = 0; i < 12; i++) {
        std::vector<uint8_t> img = CpuIconImage(i);
        icons[i] = CreateIconFromResourceEx(img.data(), (DWORD)img.size(), TRUE, 0x00030000, 16, 16, LR_DEFAULTCOLOR);
    }
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = 0;
    data.uCallbackMessage = WM_APP;
    data.hIcon = icons[0];
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    shown = g_general.isShowCPU != 0;
    if (shown) g_notifyIcon(NIM_ADD, &data);
    FILETIME i, k, u;
    if (SystemTimes() && SystemTimes()(&i, &k, &u)) {
        idle = (uint64_t)i.dwHighDateTime << 32 | i.dwLowDateTime;
        kernel = (uint64_t)k.dwHighDateTime << 32 | k.dwLowDateTime;
        user = (uint64_t)u.dwHighDateTime << 32 | u.dwLowDateTime;
    }
}

CpuTrayIcon::~CpuTrayIcon() {
    Remove();
    for (HICON i : icons)
        if (i) DestroyIcon(i);
}

int CpuTrayIcon::Remove() {
    shown = false;
    g_lastLevel = -1;  // shown again, it shows its level at the next measurement
    return g_notifyIcon(NIM_DELETE, &data);
}

int CpuTrayIcon::Update(bool force) {
    if (!g_general.isShowCPU) {
        // Switched off (also by the settings read after the icon was made): it goes.
        if (shown) Remove();
        return 0;
    }
    int every = g_general.isTrayUpdateLow ? 50 : 10;
    if (!force && skip < every) {
        skip += TickSteps();
        return 0;
    }
    skip = 0;
    FILETIME fi, fk, fu;
    if (!SystemTimes() || !SystemTimes()(&fi, &fk, &fu)) return 0;
    uint64_t i = (uint64_t)fi.dwHighDateTime << 32 | fi.dwLowDateTime;
    uint64_t k = (uint64_t)fk.dwHighDateTime << 32 | fk.dwLowDateTime;
    uint64_t u = (uint64_t)fu.dwHighDateTime << 32 | fu.dwLowDateTime;
    uint64_t total = (k - kernel) + (u - user), busy = total - (i - idle);
    idle = i;
    kernel = k;
    user = u;
    int level = CpuLevel(busy, total);
    if (!total || level == g_lastLevel || level >= 12) return 0;
    g_lastLevel = level;
    data.hIcon = icons[level];
    swprintf(data.szTip, 128, L"CPU Usage: %i%%", CpuPercent(busy, total));
    Notify(&data, NIF_ICON | NIF_TIP);
    shown = true;
    return 1;
}

int LanguageIcon(uint16_t language, const wchar_t** tip) {
    switch (language) {
    case 0x419: *tip = L"Russian"; return 0;
    case 0x409: *tip = L"English"; return 1;
    case 0x411: *tip = L"Japanese"; return 2;
    }
    *tip = L"Unsupported";
    return -1;
}

LanguageTrayIcon::LanguageTrayIcon(HWND owner) {
    for (int i = 0; i < 3; i++)
        icons[i] = (HICON)LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(124 + i), IMAGE_ICON, 16, 16, 0);
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = 1;
    data.uCallbackMessage = WM_APP;
    data.hIcon = icons[0];
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    shown = g_general.isShowLanguage != 0;
    if (shown) g_notifyIcon(NIM_ADD, &data);
}

LanguageTrayIcon::~LanguageTrayIcon() {
    Remove();
    for (HICON i : icons)
        if (i) DestroyIcon(i);
}

int LanguageTrayIcon::Remove() {
    shown = false;
    g_lastLanguage = 0;  // shown again, it shows the language at once
    return g_notifyIcon(NIM_DELETE, &data);
}

int LanguageTrayIcon::Update(bool force) {
    if (!g_general.isShowLanguage) {
        if (shown) Remove();
        return 0;
    }
    HWND fg = GetForegroundWindow();
    uint16_t language = LOWORD((ULONG_PTR)GetKeyboardLayout(GetWindowThreadProcessId(fg, nullptr)));
    if (language == g_lastLanguage && !force) return 0;
    g_lastLanguage = language;
    const wchar_t* tip = L"";
    int icon = LanguageIcon(language, &tip);
    data.hIcon = icon >= 0 ? icons[icon] : nullptr;
    lstrcpynW(data.szTip, tip, 128);
    Notify(&data, NIF_ICON | NIF_TIP);
    shown = true;
    return 1;
}

void CreateTrayIcons(HWND owner) {
    g_trayIcons.push_back(new CpuTrayIcon(owner));
    g_trayIcons.push_back(new LanguageTrayIcon(owner));
}

void RecreateTrayIcon(int index) {
    if (index < 0 || index >= (int)g_trayIcons.size()) return;
    TrayIcon*& icon = g_trayIcons[(size_t)index];
    HWND owner = index == TrayCpu ? ((CpuTrayIcon*)icon)->data.hWnd : ((LanguageTrayIcon*)icon)->data.hWnd;
    delete icon;
    if (index == TrayCpu) {
        g_lastLevel = -1;
        icon = new CpuTrayIcon(owner);
    } else {
        g_lastLanguage = 0;
        icon = new LanguageTrayIcon(owner);
    }
    icon->Update(true);
}

void UpdateTrayIcons(bool force) {
    for (TrayIcon* t : g_trayIcons) t->Update(force);
}

void DestroyTrayIcons() {
    for (TrayIcon* t : g_trayIcons) delete t;
    g_trayIcons.clear();
    g_lastLevel = -1;
}
