// The library-wide state behind BASS_Init and BASS_Free.
#pragma once
#include <windows.h>
#include <mutex>
#include "output.h"

struct LibraryState {
    std::recursive_mutex mu;
    bool initialised = false;
    int device = -1;  // the device number in use
    DWORD initFlags = 0;
    OutputFormat format;
    DWORD config[64] = {};
};

LibraryState& Library();
