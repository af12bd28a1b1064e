// Prints how long a ListView of 100,000 rows takes to repaint one screen, to
// scroll by a page and to sort its names naturally. Run it under Wine:
//     wine build/bench/list_view_bench.exe
#include <windows.h>
#include <stdio.h>
#include "ui/list_view.h"
#include "ui/natural_order.h"
#include "ui/theme.h"
#include "ui/ui_window.h"
#include <shlwapi.h>

#include "bench/bench_window.h"

int main() {
    const int rows = 100000;
    g_window = new UiWindow(L"SonvaleListBench", 0, 0, 520, 760);
    if (!Create(g_window, BenchProc, 0)) return 1;
    ListView* list = new ListView(4, 4, 500, 740, nullptr);
    AddControl(g_window, list);
    AddColumns(list, 3);
    list->columns[0].width = 260;
    list->columns[1].type = ColumnNumber;
    list->columns[2].type = ColumnRowNumber;
    ApplyTheme(g_window, ThemeDarkModern);
    SetFocusIndex(g_window, list->index, false);

    double t0 = Now();
    for (int i = 0; i < rows; i++) {
        AddRow(list);
        wchar_t name[48];
        swprintf(name, 48, L"Artist %d - track%d.mp3", (int)((i * 2654435761u) % 997), (int)((i * 40503u) % rows));
        SetCellText(list, 0, name);
        SetCellValue(list, 1, i * 3);
    }
    double filled = Now() - t0;

    const int n = 200;
    t0 = Now();
    for (int i = 0; i < n; i++) list->Paint();
    double paint = (Now() - t0) / n;

    t0 = Now();
    // Page Down moves the cursor and the top row, repaints the list and copies it to the window.
    for (int i = 0; i < n; i++) list->OnKey(WM_KEYDOWN, VK_NEXT, 0);
    double page = (Now() - t0) / n;

    const wchar_t** texts = new const wchar_t*[rows];
    for (int i = 0; i < rows; i++) texts[i] = list->rows[i].cells[0].text;
    NaturalKeys keys;
    t0 = Now();
    BuildNaturalKeys(&keys, texts, rows);
    double keyed = Now() - t0;
    ReleaseNaturalKeys(&keys);
    delete[] texts;

    t0 = Now();
    Sort(list, 0);
    double sorted = Now() - t0;

    bool ordered = true;
    for (int i = 1; i < rows && ordered; i++)
        ordered = StrCmpLogicalW(list->rows[i - 1].cells[0].text, list->rows[i].cells[0].text) <= 0;

    printf("ListView, %d rows, %d visible\n", rows, VisibleRows(list));
    printf("  fill (add rows, set and measure texts): %8.1f ms\n", filled);
    printf("  repaint one screen:                     %8.3f ms (goal < 2)\n", paint);
    printf("  scroll a page (repaint and copy):       %8.3f ms (goal < 2)\n", page);
    printf("  natural sort of the names:              %8.1f ms (goal < 100)%s\n", sorted,
           ordered ? "" : "  NOT ORDERED");
    printf("    of which splitting and ranking runs:  %8.1f ms\n", keyed);
    Destroy(g_window);
    delete g_window;
    return 0;
}
