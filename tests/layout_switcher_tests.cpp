// The keyboard layout switcher: which key events switch and which are kept
// from the programs, and the hook on a real keyboard.
#include <gtest/gtest.h>
#include "tests/ui_test_window.h"
#include "system/hot_keys.h"
#include "system/layout_switcher.h"
#include "system/system_actions.h"
#include <algorithm>
#include <vector>

TEST(LayoutSwitcherKeys, OnlyTheKeySwitchesOnEachPressAndItsReleaseIsKept) {
    bool held = false;
    auto decide = [&](WPARAM message, DWORD vk, int code = HC_ACTION) {
        return DecideLayoutKey(VK_CAPITAL, code, message, vk, &held);
    };
    EXPECT_EQ(decide(WM_KEYDOWN, 'A'), LayoutKeyPass);
    EXPECT_EQ(decide(WM_KEYDOWN, VK_CAPITAL, -1), LayoutKeyPass);
    EXPECT_EQ(decide(WM_KEYDOWN, VK_CAPITAL), LayoutKeySwitch);
    EXPECT_EQ(decide(WM_KEYDOWN, VK_CAPITAL), LayoutKeySwitch);  // auto-repeat switches again
    EXPECT_EQ(decide(WM_KEYUP, 'A'), LayoutKeyPass);
    EXPECT_EQ(decide(WM_KEYUP, VK_CAPITAL), LayoutKeySwallow);
    // A release whose press went through (the hook came late) goes through too.
    EXPECT_EQ(decide(WM_KEYUP, VK_CAPITAL), LayoutKeyPass);
    // With Alt the key is kept from the programs but does not switch.
    EXPECT_EQ(decide(WM_SYSKEYDOWN, VK_CAPITAL), LayoutKeySwallow);
    EXPECT_EQ(decide(WM_SYSKEYUP, VK_CAPITAL), LayoutKeySwallow);
    EXPECT_EQ(kLayoutRequestNext, 1);  // HKL_NEXT
}

// The window in front: it notes the layout requests and the keys that reach
// it, and never acts on a request.
static HWND g_probe;
static std::vector<LPARAM> g_requests;
static std::vector<WPARAM> g_keys;
static LRESULT CALLBACK ProbeProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kLayoutRequestMessage) {
        g_requests.push_back(wp == 0 ? lp : -1);
        return 0;
    }
    if (msg == WM_KEYDOWN || msg == WM_KEYUP) g_keys.push_back(wp);
    return DefWindowProcW(wnd, msg, wp, lp);
}
static HWND WINAPI ProbeInFront() { return g_probe; }

static int KeyCount(WORD vk) { return (int)std::count(g_keys.begin(), g_keys.end(), (WPARAM)vk); }
static bool SwitcherEventExists() {
    HANDLE e = OpenEventW(SYNCHRONIZE, FALSE, L"SonvaleKeyboardSwitcher");
    if (e) CloseHandle(e);
    return e != nullptr;
}

struct LayoutSwitcherHook : testing::Test {
    void SetUp() override {
        g_probe = nullptr;
        g_getForegroundWindow = ProbeInFront;
        SetLayoutSwitcherDefaults();
    }
    void TearDown() override {
        SetLayoutSwitcherDefaults();
        g_getForegroundWindow = GetForegroundWindow;
        if (g_probe) DestroyWindow(g_probe);
    }
    // Made after any box catcher is gone: the catcher asks every window for
    // its title, which the probe answers only while this thread takes messages.
    static void MakeProbe() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ProbeProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SonvaleLayoutProbe";
        RegisterClassW(&wc);
        g_probe = CreateWindowExW(0, wc.lpszClassName, L"probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200,
                                  150, nullptr, nullptr, wc.hInstance, nullptr);
        SetForegroundWindow(g_probe);
        SetFocus(g_probe);
        PumpMessages();
        g_requests.clear();
        g_keys.clear();
    }
    // Presses (true) and releases, then F13, which passes the hook: once it
    // arrives, everything before it was decided.
    static void Send(std::initializer_list<std::pair<WORD, bool>> keys) {
        std::vector<INPUT> in;
        for (auto& k : keys) in.push_back(INPUT{INPUT_KEYBOARD, {.ki = {k.first, 0, k.second ? 0u : KEYEVENTF_KEYUP}}});
        for (bool down : {true, false}) in.push_back(INPUT{INPUT_KEYBOARD, {.ki = {VK_F13, 0, down ? 0u : KEYEVENTF_KEYUP}}});
        ASSERT_EQ(SendInput((UINT)in.size(), in.data(), sizeof(INPUT)), in.size());
        for (int i = 0; i < 300 && KeyCount(VK_F13) < 2; i++) {
            Sleep(10);
            PumpMessages();
        }
        ASSERT_EQ(KeyCount(VK_F13), 2) << "the keys never arrived";
    }
};

TEST_F(LayoutSwitcherHook, OffByDefaultOnItSwitchesOncePerPressAndCapsLockStays) {
    EXPECT_FALSE(InstallLayoutSwitcher());
    EXPECT_FALSE(g_layoutSwitcher.active);
    EXPECT_FALSE(SwitcherEventExists());

    int capsBefore = GetKeyState(VK_CAPITAL) & 1;
    g_layoutSwitcher.modifiers = 0;
    {
        BoxCatcher boxes;
        ASSERT_TRUE(InstallLayoutSwitcher());
        // Installing again replaces the hook rather than adding a second one.
        ASSERT_TRUE(InstallLayoutSwitcher());
        EXPECT_TRUE(boxes.Texts().empty());
    }
    EXPECT_TRUE(g_layoutSwitcher.active && g_layoutSwitcher.hook && SwitcherEventExists());
    MakeProbe();
    // Two presses, the second held long enough to repeat.
    Send({{VK_CAPITAL, true}, {VK_CAPITAL, false}, {VK_CAPITAL, true}, {VK_CAPITAL, true}, {VK_CAPITAL, false}});
    EXPECT_EQ(g_requests, (std::vector<LPARAM>(3, kLayoutRequestNext)));
    EXPECT_EQ(KeyCount(VK_CAPITAL), 0);
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, capsBefore);

    // Removed at once: the hook and the ownership are gone.
    DWORD start = GetTickCount();
    RemoveLayoutSwitcher();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(g_layoutSwitcher.active || g_layoutSwitcher.hook || g_layoutSwitcher.thread);
    EXPECT_FALSE(SwitcherEventExists());
}

TEST_F(LayoutSwitcherHook, AnotherOwnerMeansNoHookAndNoMessage) {
    HANDLE owner = CreateEventW(nullptr, TRUE, FALSE, L"SonvaleKeyboardSwitcher");
    ASSERT_TRUE(owner);
    g_layoutSwitcher.modifiers = 0;
    g_layoutSwitcher.vk = VK_F15;
    {
        BoxCatcher boxes;
        EXPECT_FALSE(InstallLayoutSwitcher());
        Sleep(100);
        EXPECT_TRUE(boxes.Texts().empty());
    }
    EXPECT_FALSE(g_layoutSwitcher.active || g_layoutSwitcher.hook || g_layoutSwitcher.thread);
    // Once the other owner is gone this instance takes the switcher.
    CloseHandle(owner);
    EXPECT_TRUE(InstallLayoutSwitcher());
}
