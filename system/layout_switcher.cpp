#include "system/layout_switcher.h"
#include "base/messages.h"
#include "base/settings_store.h"
#include "system/hot_keys.h"
#include "system/system_actions.h"

LayoutSwitcher g_layoutSwitcher = {L"Switch system keyboard layout", HotKeyOff, VK_CAPITAL};

static const wchar_t kSection[] = L"Settings.ini\\KeyboardLayoutSwitcher";
static const wchar_t kEventName[] = L"SonvaleKeyboardSwitcher";

// The hook runs on a thread of its own: a busy window thread must never
// hold up the keyboard of the whole system, nor get the hook dropped by the
// system for answering too late. The key is fixed while the thread runs;
// the press memory belongs to the hook thread alone.
static uint32_t g_hookVk;
static bool g_hookHeld;

void SetLayoutSwitcherDefaults() {
    RemoveLayoutSwitcher();
    g_layoutSwitcher.modifiers = HotKeyOff;
    g_layoutSwitcher.vk = VK_CAPITAL;
}

void SaveLayoutSwitcher() {
    SettingsStore s;
    if (!s.Open(SettingsKeyAppend, kSection, KEY_WRITE)) return;
    s.WriteQword(L"Key", (uint64_t)g_layoutSwitcher.modifiers << 32 | g_layoutSwitcher.vk);
    s.Close();
}

void LoadLayoutSwitcher() {
    SettingsStore s;
    uint64_t value;
    if (!s.Open(SettingsKeyAppend, kSection, KEY_READ) || !s.ReadQword(L"Key", &value)) return;
    g_layoutSwitcher.modifiers = (uint32_t)(value >> 32);
    g_layoutSwitcher.vk = (uint32_t)value;
}

LayoutKeyAction DecideLayoutKey(uint32_t switchVk, int code, WPARAM message, DWORD vk, bool* held) {
    if (code != HC_ACTION || vk != switchVk) return LayoutKeyPass;
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        *held = true;
        // Every auto-repeated press switches again.
        return message == WM_KEYDOWN ? LayoutKeySwitch : LayoutKeySwallow;
    }
    if ((message == WM_KEYUP || message == WM_SYSKEYUP) && *held) {
        *held = false;
        return LayoutKeySwallow;
    }
    // A release whose press got through (the hook came while the key was
    // down) goes on, or the system would think the key still held.
    return LayoutKeyPass;
}

// Only posts: nothing here may wait.
static LRESULT CALLBACK SwitcherHook(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION) {
        const KBDLLHOOKSTRUCT* event = (const KBDLLHOOKSTRUCT*)lParam;
        LayoutKeyAction action = DecideLayoutKey(g_hookVk, code, message, event->vkCode, &g_hookHeld);
        if (action == LayoutKeySwitch)
            if (HWND front = g_getForegroundWindow()) PostMessageW(front, kLayoutRequestMessage, 0, kLayoutRequestNext);
        if (action != LayoutKeyPass) return 1;
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

struct HookStart {
    HANDLE ready;
    HHOOK hook;
};

static DWORD WINAPI HookThread(void* param) {
    HookStart* start = (HookStart*)param;
    MSG msg;
    // The queue exists before the installer can post the quit message.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, SwitcherHook, GetModuleHandleW(nullptr), 0);
    start->hook = hook;
    SetEvent(start->ready);  // start is the installer's and gone after this
    if (!hook) return 0;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
}

bool InstallLayoutSwitcher() {
    // A second install without a removal would leave the first hook running.
    RemoveLayoutSwitcher();
    LayoutSwitcher& s = g_layoutSwitcher;
    // Switched off, or no key that could ever match.
    if (!HotKeyRegistrable(s.modifiers & HotKeyOff, s.vk)) return false;
    s.event = CreateEventW(nullptr, TRUE, FALSE, kEventName);
    if (s.event && GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another instance owns the switcher.
        CloseHandle(s.event);
        s.event = nullptr;
        return false;
    }
    g_hookVk = s.vk;
    g_hookHeld = false;
    HookStart start{CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr};
    if (start.ready) {
        s.thread = CreateThread(nullptr, 0, HookThread, &start, 0, &s.threadId);
        if (s.thread) {
            HANDLE either[] = {start.ready, s.thread};
            WaitForMultipleObjects(2, either, FALSE, INFINITE);
        }
        CloseHandle(start.ready);
    }
    s.hook = start.hook;
    s.active = true;
    if (!s.hook || !s.event) {
        ShowInformation(L"KeyboardLayoutSwitcher failed");
        RemoveLayoutSwitcher();
        return false;
    }
    return true;
}

void RemoveLayoutSwitcher() {
    LayoutSwitcher& s = g_layoutSwitcher;
    if (s.thread) {
        // The thread unhooks when its loop ends.
        PostThreadMessageW(s.threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(s.thread, 5000);
        CloseHandle(s.thread);
    }
    if (s.event) CloseHandle(s.event);
    s.thread = nullptr;
    s.threadId = 0;
    s.hook = nullptr;
    s.event = nullptr;
    s.active = false;
}
