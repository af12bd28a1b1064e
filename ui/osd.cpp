#include "ui/osd.h"

void ShowOsd(int) {}
