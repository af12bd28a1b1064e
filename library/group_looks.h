// How the file groups look in the lists: the colour from the theme's file-type
// palette and the icon cell of each group.
#pragma once
#include <windows.h>

class ListView;

// A group's colour from the theme's file-type palette (the list colour for none).
COLORREF GroupColor(int group);
// A group's icon cell.
int GroupIcon(int group);
// Colours a row with a group's colour, remembering the palette entry so that
// a theme switch recolours it.
void SetRowGroupColor(ListView* list, int row, int group);
