// The playlist as the rest of the player sees it. Its list control's rows
// are the only storage of the entries: six cells per row, in this order.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>

class ListView;

enum PlayListColumn : int {
    PlayListIcon = 0,       // value: icon of the entry's look (negative while played)
    PlayListFolder = 1,     // text: ends with a backslash
    PlayListName = 2,       // text: without the extension
    PlayListExtension = 3,  // text: without the dot
    PlayListOrder = 4,      // value: -1 unplayed, else the place in the pass's history
    PlayListLength = 5,     // value: milliseconds
};

struct PlayListState {
    uint32_t nowPlaying;    // the now-playing (or last played) entry
    bool fromPlayList;      // the current track was started from the playlist
    uint32_t playedCount;   // entries whose play order is not -1
    int64_t totalLength;    // ms, all entries
    int64_t playedLength;   // ms, the played entries
};

extern PlayListState g_playList;
extern ListView* g_playListView;
extern ListView* g_statusLine;

// The main window creates the playlist and the status line (the three-row
// summary under it); the playlist gives them their columns, texts and behaviour.
void InitPlayListControl(ListView* list);
void InitStatusLine(ListView* statusLine);
// The length column as wide as the larger list font needs (42 pixels) or as usual (40).
void WidenPlayListLength(bool wide);
// Refreshes the status line's "Time.", "Tracks." and "Selected." rows.
void RefreshStatusLine();
// Only the "Time." row (the position tick).
void RefreshStatusTime();
// Called when the "Time." text changes its length, so that the main window
// can measure the status line again and lay itself out; may stay null.
extern void (*g_statusTimeLengthChanged)();

// Writes PlayList.dcp.
void SavePlayList();
// Reads PlayList.dcp; false when nothing was loaded.
bool LoadPlayList();
int PlayListCount();
void PlayListSelectAll();
void PlayListSelectFirst();
// Removes the selected entries.
void ClearPlayList();
void FocusPlayList();
// The current track was started from the playlist (suppresses "Can't play file").
bool PlayingFromPlayList();
void MarkNowPlayingEntry();
void RepaintPlayList();

// The General settings keep the lists' positions: copied out before a save,
// applied after the start-up load.
void StoreListPositions();
void RestoreListPositions(bool playListLoaded);

// ---- entries ----
// Appends an entry; it becomes the now-playing entry at once when the track
// loaded outside the playlist has its path. Like every change of the playlist,
// only on the window's thread.
bool AppendEntry(const wchar_t* folder, const wchar_t* name, const wchar_t* extension, int32_t lengthMs);
// Between these, AppendEntry leaves the status line alone; the end brings its
// counts up to date and repaints it once (a batch of entries from an add).
void BeginAppendBatch();
void EndAppendBatch();
// Drops every row: nowPlaying 0, top row 0.
void EmptyPlayList();
// Delete and F8: the focused row counts as selected.
void RemoveSelectedEntries();
// Removes one entry; the other rows keep their selection marks.
void RemoveEntry(int entry);
// Between these, AppendEntry puts the new entries after the focused row (in
// the order they come), before the rows that followed it; those keep all their
// cells and looks, and nowPlaying follows its entry.
void BeginInsertAfterFocus();
void EndInsertAfterFocus();
// The last entry put in so far (the focused row before any); outside an
// insertion the last row.
int LastInsertedEntry();
// Ctrl+F12: the selected entries (and the focused one) become unplayed.
void UnmarkSelectedEntries();

int32_t EntryOrder(int entry);
void SetEntryOrder(int entry, int32_t order);
int32_t EntryLength(int entry);
std::wstring EntryFullPath(int entry);
// The entry's kind group from its extension (11, 12 or 13).
int EntryKindGroup(int entry);

enum EntryLook { LookUnplayed, LookPlayed, LookNowPlaying };
void SetEntryLook(int entry, EntryLook look);
bool HasNowPlayingLook(int entry);

// "%02i:%02i" below an hour, "%i:%02i:%02i" from one on, of whole seconds.
std::wstring FormatDuration(int64_t ms);
