// What the list's three source files share: list_view.cpp (rows, columns,
// sorting, the current row), list_view_input.cpp (keys, mouse, search, timer)
// and list_view_paint.cpp.
#pragma once
#include "ui/dpi.h"
#include "ui/list_view.h"

// The width of the vertical bar and the height of the horizontal one.
inline int ListBarSize() { return Scale(16); }

inline void* ListAlloc(size_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }
inline void ListFree(void* p) {
    if (p) HeapFree(GetProcessHeap(), 0, p);
}

// Shows, hides and places the scroll bars and the search box for the rows and columns.
void LayoutListBars(ListView* l);
// The text's width in the list's font.
int MeasureListText(ListView* l, const wchar_t* text, int n);
// Keeps the top row within the rows, the last page full.
void ClampTopRow(ListView* l);
// Where the search text matches a key-column text: the start (length in *length), or -1.
int SearchMatchAt(const wchar_t* text, const wchar_t* search, int* length);
// The key column's text of a row, or null.
const wchar_t* ListKeyText(const ListView* l, int row);
