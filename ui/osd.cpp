#include "ui/osd.h"

void ShowOsd(int) {}
void ToggleOsd() {}
