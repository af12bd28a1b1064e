#include "app/main_drop.h"
#include "app/command_line.h"
#include "app/general_settings.h"
#include "app/hand_off.h"
#include "app/main_frame.h"
#include "library/adding.h"
#include "media/file_groups.h"
#include "library/playlist.h"
#include "ui/list_view.h"
#include <ole2.h>

static DropPlan g_lastDrop;

const DropPlan& LastDrop() { return g_lastDrop; }

static bool IsFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

DropPlan PlanDrop(const std::vector<std::wstring>& items, bool onPlayList, bool shift, bool ctrl, bool adding) {
    DropPlan p{};
    p.onPlayList = onPlayList;
    p.items = items;
    if (items.empty()) return p;
    if (items.size() == 1 && !onPlayList && !IsFolder(items[0])) {
        p.action = DropFollow;
        return p;
    }
    if (adding) {
        p.action = DropRefused;
        return p;
    }
    p.action = shift || !onPlayList ? DropReplace : DropAppend;
    p.keptPlayList = p.action == DropReplace && ctrl;
    return p;
}

// The dropped items as a list of their own, each selected: the folder in
// the first cell, the name in the name column with the folder mark.
static void AddDroppedItems(const std::vector<std::wstring>& items) {
    int nameColumn = g_fileGroups.nameColumn;
    ListView list(0, 0, 100, 100, nullptr);
    if (!AddColumns(&list, nameColumn + 1)) return;
    for (const std::wstring& item : items) {
        size_t slash = item.rfind(L'\\');
        if (slash == std::wstring::npos || !AddRow(&list)) continue;
        SetCellText(&list, 0, item.substr(0, slash + 1).c_str());
        SetCellText(&list, nameColumn, item.substr(slash + 1).c_str());
        SetCellValue(&list, nameColumn, IsFolder(item) ? 1 : 0);
        list.rows[list.rowCount - 1].selected = true;
    }
    AddNow(&list, nullptr);
}

static void HandOff(uint8_t mode, const std::wstring& path) {
    HandOffRecord r{};
    r.mode = mode;
    lstrcpynW(r.path, path.c_str(), MAX_PATH);
    HandleHandOff(r);
}

static bool OnPlayList(POINT p) {
    ListView* l = g_mainFrame.playList;
    return l && l->visible && l->HitTest(p.x, p.y);
}

void HandleDropFiles(HDROP drop) {
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> items;
    for (UINT i = 0; i < count; i++) {
        UINT n = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(n + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), n + 1);
        path.resize(n);
        if (!path.empty()) items.push_back(path);
    }
    POINT at{};
    DragQueryPoint(drop, &at);
    DropPlan p = PlanDrop(items, OnPlayList(at), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, IsAdding());
    g_lastDrop = p;
    switch (p.action) {
    case DropFollow:
        HandOff(ModeFollow, p.items[0]);
        break;
    case DropReplace:
        PlayListSelectAll();
        if (!p.keptPlayList && PlayListCount() > 0) ClearPlayList();
        [[fallthrough]];
    case DropAppend:
        AddDroppedItems(p.items);
        break;
    }
    if (p.action != DropNothing) {
        RepaintPlayList();
        if (g_mainFrame.fileList && g_mainFrame.fileList->visible) Redraw(g_mainFrame.fileList);
    }
    DragFinish(drop);
}

// Answers whether a drag may end here; the files themselves arrive as WM_DROPFILES.
class DropTarget : public IDropTarget {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == IID_IUnknown || id == IID_IDropTarget) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL pt, DWORD*) override {
        if (g_general.isSmall) return S_OK;
        POINT p{pt.x, pt.y};
        if (g_mainFrame.window) ScreenToClient(g_mainFrame.window->hwnd, &p);
        ListView* lists[2] = {g_mainFrame.fileList, g_mainFrame.playList};
        for (ListView* l : lists)
            if (l && l->visible && l->HitTest(p.x, p.y)) return S_OK;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return E_FAIL; }
};

static DropTarget g_dropTarget;

bool RegisterDropTarget(HWND wnd) { return SUCCEEDED(RegisterDragDrop(wnd, &g_dropTarget)); }
void RevokeDropTarget(HWND wnd) { RevokeDragDrop(wnd); }
