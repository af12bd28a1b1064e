// What the file list's keys do: open or play the focused entry, go up or to
// a chosen folder, re-read, delete; and the path bar's Enter.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <string>

enum OpenMode {
    OpenEnter,    // Enter: folders open, audio plays, sheets show their tracks
    OpenAtOnce,   // Ctrl+Page Down: any file plays at once
    OpenElsewhere // Shift+Enter: the shell's handler or a second player
};

// Opens the focused entry; alt (Alt held) starts a track where the seek panel was.
void OpenFileListEntry(OpenMode how, bool alt);
// The file list's owner callback for key messages; 1 for every key.
LRESULT FileListKey(UINT msg, WPARAM key);
// Enter in the path bar: an address plays, a file plays and is shown in its
// folder, anything else is navigated to.
void PathBarEnter(const wchar_t* text);
// Deletes the marked entries (the focused one when none is marked) through
// the shell, which asks first; only while file operations are allowed.
void DeleteMarkedEntries();
// The root of a path: "C:\" for a drive path, "\\server\share\" for a network
// one; empty when there is none.
std::wstring PathRoot(const std::wstring& path);

// Deleting through the shell is allowed (the command line's /afo sets it).
extern bool fileOperationsAllowed;

// The shell's file operation; tests replace it.
extern int (*g_fileOperation)(SHFILEOPSTRUCTW* op);
