#include "base/messages.h"
#include <stdio.h>

static bool g_quiet = false;

void SetBoxesQuiet(bool quiet) { g_quiet = quiet; }
bool BoxesAreQuiet() { return g_quiet; }

static bool Quietly(const wchar_t* caption, const wchar_t* text) {
    if (!g_quiet) return false;
    OutputDebugStringW(caption);
    OutputDebugStringW(L": ");
    OutputDebugStringW(text);
    OutputDebugStringW(L"\n");
    return true;
}

void ShowInformation(const wchar_t* text) {
    if (Quietly(L"Information", text)) return;
    MessageBoxW(nullptr, text, L"Information", MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
}

void ShowInformationA(const char* text) {
    MessageBoxA(nullptr, text, "Information", MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
}

void ShowOsError(DWORD code) {
    wchar_t* sys = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, (wchar_t*)&sys, 0, nullptr);
    wchar_t text[1024];
    _snwprintf(text, 1023, L"Error code \"%d\":\n%s", (int)code, sys ? sys : L"");
    text[1023] = 0;
    if (sys) LocalFree(sys);
    if (Quietly(L"Error occurred", text)) return;
    MessageBoxW(nullptr, text, L"Error occurred", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}
