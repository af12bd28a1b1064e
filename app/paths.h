// Where the program keeps its files: the folder of the running executable.
#pragma once
#include <string>

// The executable's folder with one trailing backslash.
const std::wstring& ProgramFolder();
// Tests that drive the real code in-process point it at a folder of their own.
void SetProgramFolder(const std::wstring& folder);
