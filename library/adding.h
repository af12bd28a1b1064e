// Adding files and folders to the playlist: the selected rows of a list
// become entries after the focused playlist row. Folders are walked
// recursively; only playable files and CUE sheets are taken.
#pragma once

class ListView;
struct TagRecord;

// True while an add runs, from its start until its last entries are in place.
// The playlist's Delete, F8 and F12 and the file list's F5 and F6 wait for it.
bool IsAdding();
// Esc: the folder scans stop at their next test; the selected files still come.
void CancelAdding();

// The source: the file list passes its current path (every row lies there,
// and its first row, "..", is never added); any other list gives each row's
// folder in its first cell. The name, with the folder mark as its value, is
// in the file groups' name column. False when an add already runs.
//
// On a thread of its own (F5, F6, drags onto the playlist).
bool StartAdding(ListView* source, const wchar_t* fileListPath);
// On this thread, returning when done (the command line, dropped files).
bool AddNow(ListView* source, const wchar_t* fileListPath);
// What an add reads of each file for its entry (the length, a sheet in the
// tags): ProbeTags. Called on the probing threads. The tests put slower ones in.
extern bool (*g_addingProbe)(const wchar_t* path, TagRecord* tags);
// Stops a running add and waits until it has ended, meanwhile doing the work
// it hands to the window's thread (shutdown).
void FinishAdding();
