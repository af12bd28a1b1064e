// The sections HotKeys, HotKeysManager and KeyboardLayoutSwitcher.
#pragma once

// Appends the three sections to Settings.ini (inside the running settings save).
void SaveHotKeySections();
// Loads them; sectionFound tells whether General was there (defaults otherwise).
void LoadHotKeySections(bool generalFound);
void UnregisterHotKeys();
