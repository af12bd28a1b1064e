#include "ui/settings_window.h"

// The window itself comes with its own module.
HWND SettingsWindowHandle() { return nullptr; }
