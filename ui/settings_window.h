// The settings window.
#pragma once
#include <windows.h>

// The open settings window, or null.
HWND SettingsWindowHandle();
