// The library panels in a test window: the playlist with its status line and
// the file list with its path bar, made as the main window makes them.
#pragma once
#include <string>
#include <vector>
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

// Fresh settings and an empty playlist state, the program folder being `folder`.
void ResetLibraryState(const std::wstring& folder);

// The play order of each playlist entry, in row order.
std::vector<int> Orders();

// Writes a PlayList.dcp of these paths, lengths and play orders.
std::string PlayListBytes(const std::vector<std::wstring>& paths, const std::vector<int>& lengths,
                          const std::vector<int>& orders, int nowPlaying);
