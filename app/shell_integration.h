// The player as the shell's handler of audio files, with a backup of each
// extension's previous handler, and the two folder verbs ("Open in" and
// "Add to ... PlayList").
#pragma once
#include <string>

enum FolderVerb { VerbOpen = 0, VerbAdd = 1 };

void AssociateAudioFiles();
// Puts every extension of RegisteredAssociations back to its old handler;
// without keepIdentifiers the player's three program identifiers go too.
void RestoreAssociations(bool keepIdentifiers);
void SetAudioFileAssociation(bool on);
void SetFolderVerb(FolderVerb verb, bool on);

// The command line written for a file, or a folder verb's arguments.
std::wstring ShellCommand(const wchar_t* arguments);

// What an uninstaller runs (the /unregister switch): every association and both
// folder verbs go and the old handlers come back.
void RemoveShellIntegration();
