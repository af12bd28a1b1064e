// Where the program keeps its files.
#pragma once
#include <string>

// The folder of Settings.ini, PlayList.dcp and Scrobbler.dcp, with one trailing
// backslash. A portable copy keeps them beside the executable; an installed
// copy (its uninstaller lies beside it) or one whose folder cannot be written
// keeps them in %APPDATA%\Sonvale, made when missing.
const std::wstring& ProgramFolder();
// Tests that drive the real code in-process point it at a folder of their own.
void SetProgramFolder(const std::wstring& folder);

// The executable's own folder, with one trailing backslash.
std::wstring ExecutableFolder();
// The choice above, for a given executable folder: true when the files go to
// the user's application data instead. The uninstaller's name marks an installed copy.
bool UsesUserDataFolder(const std::wstring& exeFolder);
extern const wchar_t kUninstallerName[];
// One line for the help texts: where the files are kept, and why there.
std::wstring DataFolderText();
