// Page 0's about box: the program's title in the heading font over the help
// text and the supported formats, painted whenever the control asks.
#include "app/settings/settings_frame.h"
#include "base/paths.h"
#include "audio/plugins.h"
#include "ui/custom_control.h"
#include "ui/draw.h"
#include "ui/theme.h"

static const wchar_t kTitle[] = L"Sonvale 1.0.5";

// Kept in the program's ANSI code page, as the box has always shown it.
static const char kHelpText[] =
    "Version 1.0.5\r\n"
    "Sonvale is lightweight and powerful audio player.\r\n"
    "\r\n"
    "Web site: sonvale.example.org\r\n"
    "E-mail: player@sonvale.example.org\r\n"
    "\r\n"
    "Command line syntax (example):\r\n"
    "\tSonvale.exe \"D:\\Music\\Artist - Title.mp3\"\r\n"
    "\tSonvale.exe /add \"D:\\Music\\1998 Album\\\"\r\n"
    "Modifiers:\r\n"
    "\tno modifier - opens specified file in player or folder in PlayList\r\n"
    "\t/add - add specified file/folder to PlayList\r\n"
    "\t/f - makes FileList follow opening file to the folder it is located in\r\n"
    "\t/a - does /f and makes Sonvale add all nearby files to PlayList\r\n"
    "\t/fs - force start (use to run more than one instance at a time)\r\n";

std::wstring AboutText() {
    int n = MultiByteToWideChar(CP_ACP, 0, kHelpText, -1, nullptr, 0);
    std::wstring text(n > 0 ? (size_t)n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, kHelpText, -1, text.data(), n);
    if (!text.empty()) text.pop_back();  // the terminator
    return text + DataFolderText() + L"\r\n" + SupportedFormatsText();
}

static void PaintAbout(CustomControl* c) {
    Surface* s = &c->surface;
    HDC dc = s->memoryDC;
    RECT r{0, 0, c->width, c->height};
    FillSolid(s, r, g_theme.list[1]);
    Frame(s, 0, 0, c->width, c->height, g_theme.list[3], g_theme.list[4]);
    // The title in the heading font: green on the dark themes, blue on the light ones.
    bool dark = g_themeId >= ThemeDarkModern && g_themeId <= ThemeDark;
    SetTextColor(dc, g_theme.palette[dark ? 2 : 9]);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    TextOut(s, kTitle, c->width / 2, 10);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    int below = 10 + c->font.height + 6;
    // The help text in the window's font.
    UiWindow* ui = g_settings.window;
    HGDIOBJ previous = ui && ui->font.handle ? SelectObject(dc, ui->font.handle) : nullptr;
    SetTextColor(dc, g_theme.palette[5]);
    std::wstring text = AboutText();
    RECT box{10, below, c->width - 10, c->height - 4};
    DrawTextW(dc, text.c_str(), (int)text.size(), &box, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    if (previous) SelectObject(dc, previous);
}

static LRESULT AboutNotify(HWND, UINT msg, WPARAM, LPARAM lp) {
    if ((msg == WM_NCPAINT || msg == WM_PAINT) && lp) PaintAbout((CustomControl*)lp);
    return 0;
}

void AddAboutBox() {
    CustomControl* c = new CustomControl(0, 0, AboutNotify);
    c->font.inheritsWindowFont = false;
    c->font.faceName.Set(L"Verdana");
    SetFont(&c->font, 24, FW_BOLD, DEFAULT_CHARSET);
    c->SetBounds(kKeep, kKeep, 300, 400);
    if (AddPageControl(c, 1u << PageGeneral)) g_settings.about = c;
}
