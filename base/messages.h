// The program's two kinds of message boxes.
#pragma once
#include <windows.h>

// An internal failure or a notice: caption "Information", information icon, system-modal.
void ShowInformation(const wchar_t* text);
void ShowInformationA(const char* text);
// A failure of the operating system, with its own text for the code.
void ShowOsError(DWORD code);
