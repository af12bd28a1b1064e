#include "library/play_order.h"

void PlayFileNow(const wchar_t*) {}
