// The library panels in a test window: the playlist with its status line and
// the file list with its path bar, made as the main window makes them.
#pragma once
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "tests/test_support.h"
#include "tests/ui_test_window.h"
#include "ui/list_view.h"
#include "ui/edit_box.h"

struct LibraryWindow {
    TestWindow win{60, 60, 640, 420, L"SonvaleLibraryTest"};
    ListView* files = new ListView(10, 40, 300, 300, nullptr);
    EditBox* pathBar = new EditBox(10, 20, 300, 19, nullptr);
    ListView* playList = new ListView(320, 20, 300, 300, nullptr);
    ListView* status = new ListView(320, 324, 300, 53, nullptr);
    LibraryWindow();
    ~LibraryWindow();
    void FocusPlayList();
    void FocusFiles();
    // A key to the focused list with the given modifiers held.
    void Key(WPARAM vk, bool shift = false, bool ctrl = false);
    std::wstring StatusText(int row) const;
};

// A library window over a scratch folder of its own, the program folder while
// the test runs; the playlist and its now-playing pattern are emptied after it.
struct LibraryTest : testing::Test {
    explicit LibraryTest(const wchar_t* folder) : dir(folder) {}
    ScratchFolder dir;
    LibraryWindow* w = nullptr;
    void SetUp() override;
    void TearDown() override;
    // The names the file list and the playlist show, in row order.
    std::vector<std::wstring> FileNames() const;
    std::vector<std::wstring> EntryNames() const;
    // The file list's row of that name (-1: none) and its current row's name.
    int Row(const wchar_t* name) const;
    std::wstring Current() const;
};

// A path handed over as a second instance or a drop hands it.
void HandOver(uint8_t mode, const std::wstring& path);

// Fresh settings and an empty playlist state, the program folder being `folder`.
void ResetLibraryState(const std::wstring& folder);

// The play order of each playlist entry, in row order.
std::vector<int> Orders();

// Writes a PlayList.dcp of these paths, lengths and play orders.
std::string PlayListBytes(const std::vector<std::wstring>& paths, const std::vector<int>& lengths,
                          const std::vector<int>& orders, int nowPlaying);
