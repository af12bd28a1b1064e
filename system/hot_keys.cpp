#include "system/hot_keys.h"

void SaveHotKeySections() {}
void LoadHotKeySections(bool) {}
void UnregisterHotKeys() {}
