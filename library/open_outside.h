// Shift+Enter in either list: a file leaves this player for its shell
// handler, or for a second player when audio files belong to us.
#pragma once
#include <string>

// The second player's command line: the quoted executable, force start,
// follow the (quoted) file.
std::wstring SecondPlayerCommand(const wchar_t* exe, const wchar_t* path);
// With isSIWithAudioFiles on, a file (not a folder) goes to a second player;
// anything else opens with its shell handler ("open", normal window).
void OpenOutside(const wchar_t* path, bool isFolder);
