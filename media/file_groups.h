// The file groups: name patterns with their icon cells and palette entries.
// The file list and the playlist take their rows' colours and icons from here
// (through library/group_looks.h); the audio extensions are groups 11 to 13.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

enum FileGroupId : int32_t {
    GroupDrive = 0,
    GroupFolder = 1,
    GroupParent = 2,
    GroupArchive = 3,
    GroupProgram = 4,
    GroupHidden = 5,
    GroupImage = 6,
    GroupVideo = 7,
    GroupAudio = 8,
    GroupDocument = 9,
    GroupOther = 10,
    GroupLossless = 11,
    GroupLossy = 12,
    GroupMusic = 13,
    GroupPlayed = 15,
    GroupAlbum = 16,
    GroupNowPlaying = 17,
    GroupListFile = 18,
    kFileGroupCount = 19,
};

// Match modes: a pattern against the name's extension, or against the full path.
enum GroupMatchMode : int32_t { MatchExtension = 0, MatchFullPath = 2 };

struct FileGroup {
    std::vector<std::wstring> patterns;
    int32_t mode = MatchExtension;
    int32_t icon = 0;
    int32_t paletteEntry = -1;  // the theme's file-type palette gives the colour; -1 none
    bool show = false;
};

struct FileGroupTable {
    int32_t count = 0;
    FileGroup groups[kFileGroupCount];
    int32_t iconColumn = 0;  // the file list's icon column
    int32_t nameColumn = 1;  // its name column, which also holds the folder mark
};

extern FileGroupTable g_fileGroups;

// Builds the table once (every later call does nothing).
void BuildFileGroups();
// The name (or, in full-path mode, folder + name) matches one of the group's patterns.
bool GroupMatches(int group, const wchar_t* folder, const wchar_t* name);

// The kind rule: 11 lossless, 13 music, 12 any other extension; 0 for none.
int ExtensionKind(const wchar_t* extension);
// Empties groups 11 to 13 and adds the built-in formats.
void ResetAudioExtensions();
// Adds an extension (no dot) to its kind group; empty ones and repeats are skipped.
void AddAudioExtension(const wchar_t* extension);
// The extension is in group 11, 12 or 13.
bool IsAudioExtension(const wchar_t* extension);

// Makes the path the only pattern of the now-playing group.
void SetNowPlayingPattern(const wchar_t* path);
const wchar_t* NowPlayingPattern();
