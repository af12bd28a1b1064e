#include "library/group_looks.h"
#include "media/file_groups.h"
#include "ui/list_view.h"
#include "ui/theme.h"

COLORREF GroupColor(int group) {
    BuildFileGroups();
    if (group < 0 || group >= kFileGroupCount) return g_theme.list[0];
    int e = g_fileGroups.groups[group].paletteEntry;
    return e >= 0 && e < 12 ? g_theme.palette[e] : g_theme.list[0];
}

int GroupIcon(int group) {
    BuildFileGroups();
    return group >= 0 && group < kFileGroupCount ? g_fileGroups.groups[group].icon : 0;
}

void SetRowGroupColor(ListView* list, int row, int group) {
    if (!SetRowColor(list, row, GroupColor(group))) return;
    if (row == -1) row = list->rowCount - 1;
    int e = group >= 0 && group < kFileGroupCount ? g_fileGroups.groups[group].paletteEntry : -1;
    list->rows[row].paletteSlot = (uint8_t)(e >= 0 && e < 12 ? e + 1 : 0);
}
