// The two monitors in the notification area: CPU usage as a bar in twelve
// steps, and the keyboard language of the foreground window. Their mouse
// messages reach the main window as WM_APP.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <stdint.h>
#include <vector>

class TrayIcon {
public:
    virtual ~TrayIcon() {}
    virtual int Update(bool force) { (void)force; return 0; }
    virtual int Remove() { return 0; }
};

class CpuTrayIcon : public TrayIcon {
public:
    HICON icons[12] = {};
    int32_t skip = 0;
    NOTIFYICONDATAW data{};
    uint64_t idle = 0, kernel = 0, user = 0;
    bool shown = false;  // in the notification area (added and not removed)
    CpuTrayIcon(HWND owner);
    ~CpuTrayIcon() override;
    int Update(bool force) override;
    int Remove() override;
};

class LanguageTrayIcon : public TrayIcon {
public:
    HICON icons[3] = {};
    NOTIFYICONDATAW data{};
    bool shown = false;
    LanguageTrayIcon(HWND owner);
    ~LanguageTrayIcon() override;
    int Update(bool force) override;
    int Remove() override;
};

extern std::vector<TrayIcon*> g_trayIcons;
// Shell_NotifyIconW; tests put a recorder in its place.
extern BOOL(WINAPI* g_notifyIcon)(DWORD message, NOTIFYICONDATAW* data);

// Start-up, once the settings are read: the CPU icon, then the language icon;
// exit: every icon goes. An icon whose flag is off is not added, and one
// switched off later goes at its next update.
void CreateTrayIcons(HWND owner);
// The icons by their place in g_trayIcons.
enum TrayIconIndex { TrayCpu = 0, TrayLanguage = 1 };
// The settings window switched a flag the icon depends on: it goes and is
// made again, shown or not as the flags now say.
void RecreateTrayIcon(int index);
void UpdateTrayIcons(bool force);
void DestroyTrayIcons();

// The measured level (0..11, 12 or more: no change) and the tooltip's percentage.
int CpuLevel(uint64_t busy, uint64_t total);
int CpuPercent(uint64_t busy, uint64_t total);
// The icon (0..2, -1 none) and tooltip of a keyboard language.
int LanguageIcon(uint16_t language, const wchar_t** tip);
// The 16 x 16 template of the CPU icon as an icon resource image, and level n of it.
std::vector<uint8_t> CpuIconImage(int level);
