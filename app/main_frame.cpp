#include "app/main_frame.h"
#include "app/general_settings.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/slider.h"
#include "ui/sprite_sheet.h"
#include "ui/theme.h"

MainFrame g_mainFrame;
static SpriteSheet g_glyphs;

static const int kGlyphCells[4] = {0, 1, 3, 4};

HWND CreateMainFrame(const wchar_t* title, WNDPROC proc, DWORD exStyle, int x, int y, int w, int h) {
    ReleaseMainFrame();
    UiWindow* ui = new UiWindow(title, x, y, w, h);
    g_mainFrame.window = ui;
    // A window of an earlier run of this process may have left its class behind.
    UnregisterClassW(title, GetModuleHandleW(nullptr));
    if (!Create(ui, proc, exStyle)) {
        ReleaseMainFrame();
        return nullptr;
    }
    CaptionBar* caption = new CaptionBar(title, nullptr);
    g_mainFrame.caption = caption;
    AddControl(ui, caption);
    LoadSpriteSheet(&g_glyphs, 112, 15);
    for (int i = 0; i < 4; i++) {
        Button* b = new Button(0, 0, 27, 21, nullptr);
        b->imageMode = true;
        b->imageSheet = &g_glyphs;
        b->imageCell = kGlyphCells[i];
        g_mainFrame.buttons[i] = b;
        AddControl(ui, b);
    }
    Slider* volume = new Slider(0, 80, 21, nullptr);
    volume->maximum = 65535;
    volume->value = (int)g_general.PlayerVolume;
    g_mainFrame.volume = volume;
    AddControl(ui, volume);
    ApplyTheme(ui, g_general.Theme);
    return ui->hwnd;
}

void LayoutMainFrame() {
    UiWindow* ui = g_mainFrame.window;
    if (!ui || !ui->hwnd) return;
    // From the framework's rectangle, which follows a live resize before Windows
    // moves the client area.
    int w = ui->width - ui->frameInsets[0] - ui->frameInsets[2];
    g_mainFrame.caption->SetBounds(0, 0, w, kKeep);
    int y = g_mainFrame.caption->height + 4;
    for (int i = 0; i < 4; i++) g_mainFrame.buttons[i]->SetBounds(4 + i * 29, y, kKeep, kKeep);
    int left = 4 + 4 * 29 + 6;
    int sw = w - left - 4;
    g_mainFrame.volume->SetBounds(left, y, sw < 80 ? 80 : sw, kKeep);
}

void ReleaseMainFrame() {
    if (UiWindow* ui = g_mainFrame.window) {
        Destroy(ui);
        delete ui;
    }
    g_mainFrame = MainFrame{};
}
