// The program's two kinds of message boxes.
#pragma once
#include <windows.h>

// An internal failure or a notice: caption "Information", information icon, system-modal.
void ShowInformation(const wchar_t* text);
void ShowInformationA(const char* text);
// A failure of the operating system, with its own text for the code.
void ShowOsError(DWORD code);

// On the way out (the player closing, the session ending) a box would keep the
// process open behind it, and the user is gone: while this is on, both kinds
// of boxes only go to the debugger's output.
void SetBoxesQuiet(bool quiet);
bool BoxesAreQuiet();
