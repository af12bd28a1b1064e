#include "tests/ui_test_window.h"
#include "tests/test_support.h"
#include "base/disk_file.h"
#include "base/paths.h"
#include "app/main_window.h"
#include "ui/button.h"
#include "ui/caption_bar.h"
#include "ui/custom_control.h"
#include "ui/dpi.h"
#include "ui/edit_box.h"
#include "ui/list_view.h"
#include "ui/scroll_bar.h"
#include "ui/sprite_sheet.h"
#include "ui/slider.h"
#include "ui/theme.h"
#include <winternl.h>
#include <algorithm>

// NtCurrentTeb reads gs:[0x30], which GCC takes for an array access.
#pragma GCC diagnostic ignored "-Warray-bounds"

TestWindow* g_testWindow;
std::vector<Note> g_notes;

template <int Tag>
static LRESULT Recorder(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_TIMER && msg != WM_NCPAINT && msg != 0) g_notes.push_back(Note{Tag, msg, wp, lp});
    return 1;
}

NotifyProc NotifyFor(int tag) {
    static const NotifyProc procs[8] = {Recorder<0>, Recorder<1>, Recorder<2>, Recorder<3>,
                                        Recorder<4>, Recorder<5>, Recorder<6>, Recorder<7>};
    return procs[tag & 7];
}

int CountNotes(int tag, UINT msg) {
    int n = 0;
    for (const Note& note : g_notes) n += note.control == tag && note.msg == msg;
    return n;
}

void ClearNotes() { g_notes.clear(); }

static LRESULT CALLBACK TestProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TestWindow* t = g_testWindow;
    if (!t || !t->ui || hwnd != t->ui->hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    Dispatch(t->ui, &msg, wp, lp);
    t->ownerMessages.push_back(msg);
    if (msg == WM_USER && wp == kPaintBackground) t->layouts++;
    if (msg == WM_CLOSE) {
        t->closes++;
        return 0;
    }
    LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
    return AfterDefault(t->ui, hwnd, msg, wp, lp, r);
}

TestWindow::TestWindow(int x, int y, int w, int h, const wchar_t* name) {
    g_testWindow = this;
    // Every window has a class of its own; two may live at once.
    static int serial;
    wchar_t className[128];
    swprintf(className, 128, L"%ls%d", name, ++serial);
    ui = new UiWindow(className, x, y, w, h);
    Create(ui, TestProc, WS_EX_TOPMOST);
}

TestWindow::~TestWindow() {
    Destroy(ui);
    delete ui;
    g_testWindow = nullptr;
    PumpMessages();
}

AllControls::AllControls()
    : caption(new CaptionBar(L"Test window", NotifyFor(0))), button(new Button(10, 30, 60, 22, NotifyFor(1))),
      edit(new EditBox(80, 30, 120, 20, NotifyFor(2))), slider(new Slider(60, 180, 18, NotifyFor(3))),
      scroll(new ScrollBar(380, 30, 16, 120)), list(new ListView(10, 90, 300, 180, NotifyFor(5))),
      custom(new CustomControl(320, 90, NotifyFor(6))), edit2(new EditBox(210, 30, 100, 20, NotifyFor(7))) {
    ClearNotes();
    slider->SetBounds(10, kKeep, kKeep, kKeep);
    custom->SetBounds(kKeep, kKeep, 40, 40);
    scroll->count = 50;
    for (Control* c : std::initializer_list<Control*>{caption, button, edit, slider, scroll, list, custom, edit2})
        AddControl(win.ui, c);
    AddColumns(list, 2);
    for (int i = 0; i < 40; i++) {
        AddRow(list);
        SetCellText(list, 0, (L"row " + std::to_wstring(i)).c_str());
    }
    ApplyTheme(win.ui, ThemeWindows2000);
    Show(win.ui, SW_SHOWNORMAL);
    PumpMessages();
    Layout();
}

void AllControls::Layout() {
    RECT client;
    GetClientRect(win.hwnd(), &client);
    caption->SetBounds(0, 0, client.right, kKeep);
}

void TestWindow::Press(int x, int y, UINT down) {
    Send(down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, PackPoint(x, y));
}

void TestWindow::Release(int x, int y, UINT up) { Send(up, 0, PackPoint(x, y)); }

void TestWindow::Tap(int x, int y, UINT down) {
    Press(x, y, down);
    Release(x, y, down + 1);
}

void TestWindow::Click(int x, int y) {
    Tap(x, y);
    Ticks(31);
}

void TestWindow::Ticks(int n) {
    for (int i = 0; i < n; i++) Send(WM_TIMER, kTickTimer, 0);
}

void TestWindow::Key(WPARAM vk) {
    Send(WM_KEYDOWN, vk, 1);
    Send(WM_KEYUP, vk, 0xC0000001);
}

void TestWindow::Char(wchar_t ch) { Send(WM_CHAR, ch, 1); }

void TestWindow::Type(const wchar_t* text) {
    for (; *text; text++) Char(*text);
}

Modifiers::Modifiers(bool shift, bool ctrl) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
}

Modifiers::~Modifiers() {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
}

void PumpMessages() {
    MSG m;
    for (int i = 0; i < 1000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); i++) {
        if (m.message == WM_QUIT) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

bool ScreenShot::Capture(HWND hwnd) {
    RECT r, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(hwnd, &r);
    // A maximised window's border lies past the screen's edge, where there is nothing to read.
    IntersectRect(&r, &r, &screen);
    width = r.right - r.left;
    height = r.bottom - r.top;
    HDC screenDC = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screenDC);
    uint32_t* bits = nullptr;
    HBITMAP dib = NewTopDownSection(width, height, &bits);
    HGDIOBJ old = SelectObject(mem, dib);
    bool ok = BitBlt(mem, 0, 0, width, height, screenDC, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    pixels.assign(bits, bits + (size_t)width * height);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screenDC);
    return ok;
}

int ScreenShot::Colours() const {
    std::vector<uint32_t> seen(pixels);
    std::sort(seen.begin(), seen.end());
    return (int)(std::unique(seen.begin(), seen.end()) - seen.begin());
}

int ScreenShot::Count(COLORREF c) const {
    return (int)std::count(pixels.begin(), pixels.end(), (uint32_t)RGB(GetBValue(c), GetGValue(c), GetRValue(c)));
}

MadeAtDpi::MadeAtDpi(int dpi) {
    g_followWindowDpi = false;
    SetUiDpi(dpi);
}

MadeAtDpi::~MadeAtDpi() {
    SetUiDpi(0);
    g_followWindowDpi = true;
}

COLORREF ScreenShot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    uint32_t p = pixels[(size_t)y * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool ScreenShot::SaveBmp(const std::wstring& path) const {
    // 32 bits a pixel, top-down: the pixels go as they are (B, G, R, 0 in memory).
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    BITMAPINFOHEADER info{sizeof(info), width, -height, 1, 32, BI_RGB};
    file.bfSize = file.bfOffBits + (DWORD)pixels.size() * 4;
    std::string out((const char*)&file, sizeof(file));
    out.append((const char*)&info, sizeof(info));
    out.append((const char*)pixels.data(), pixels.size() * 4);
    return WriteFileBytes(path, out);
}

bool ScreenShot::Capture(HWND hwnd, const std::wstring& artefact) {
    return Capture(hwnd) && SaveBmp(ArtefactFolder() + artefact);
}

std::wstring ArtefactFolder() {
    std::wstring dir = TestExeFolder() + L"artefacts\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

// GetGuiResources where the system counts GDI objects; otherwise the used
// entries of the process's GDI handle table (the PEB's GdiSharedHandleTable at
// 0xF8: entries of 24 bytes with the object type at 14), which Wine keeps too.
int GdiObjectCount() {
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n) return (int)n;
    const BYTE* peb = (const BYTE*)NtCurrentTeb()->ProcessEnvironmentBlock;
    const BYTE* table = *(const BYTE* const*)(peb + 0xF8);
    if (!table) return -1;
    int count = 0;
    for (int i = 0; i < 0x10000; i++) count += table[i * 24 + 14] != 0;
    return count;
}

int SettledGdiObjectCount() {
    int n = GdiObjectCount();
    for (int i = 0; i < 30; i++) {
        Sleep(10);
        PumpMessages();
        int now = GdiObjectCount();
        if (now == n) break;
        n = now;
    }
    return n;
}

std::vector<std::wstring> BoxCatcher::Texts() {
    std::vector<std::wstring> texts;
    for (const std::wstring& s : Seen()) texts.push_back(s.substr(s.find(L'|') + 1));
    return texts;
}

static BOOL CALLBACK FindMenu(HWND hwnd, LPARAM found) {
    wchar_t cls[16];
    GetClassNameW(hwnd, cls, 16);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId() && !wcscmp(cls, L"#32768") && IsWindowVisible(hwnd)) {
        *(HWND*)found = hwnd;
        return FALSE;
    }
    return TRUE;
}

static DWORD WINAPI CloseMenus(void* arg) {
    MenuCloser* c = (MenuCloser*)arg;
    while (!InterlockedCompareExchange(&c->stop, 0, 0)) {
        HWND menu = nullptr;
        EnumWindows(FindMenu, (LPARAM)&menu);
        if (menu) {
            GetWindowRect(menu, &c->where);
            InterlockedIncrement(&c->seen);
            // A menu may show before its modal loop listens: keep asking until it is gone.
            for (int i = 0; IsWindow(menu) && IsWindowVisible(menu); i++) {
                if (i % 10 == 0) {
                    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                }
                Sleep(5);
            }
        }
        Sleep(5);
    }
    return 0;
}

MenuCloser::MenuCloser() { thread = CreateThread(nullptr, 0, CloseMenus, this, 0, nullptr); }

MenuCloser::~MenuCloser() {
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
}

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

RECT WindowRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

bool OpenMainWindow() {
    if (!CreateMainWindow()) return false;
    ShowMainWindowAtStart();
    PumpMessages();
    return true;
}

void CloseMainWindow() {
    HWND w = g_mainWindow;
    g_mainWindow = nullptr;
    if (w) DestroyWindow(w);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    SetProgramFolder(ScratchFolder::Root());
}
