// The file list as the rest of the player sees it: a small file manager over
// drives and folders, coloured and iconed by the file groups.
#pragma once
#include <string>

class ListView;
class EditBox;

enum FileListColumn : int {
    FileListIcon = 0,
    FileListName = 1,   // text: the name; value: the folder mark (1 for folders, drives and "..")
    FileListTitle = 2,  // "<Папка>", "<Вверх>", "<Диски>", "<Войти>"; later the tags
    kFileListColumns = 8,
};

// The current path while the drives are shown.
extern const wchar_t* const kChooseDrive;
extern ListView* g_fileList;
extern EditBox* g_pathBar;

// The main window creates the file list and its path bar; the browser gives
// them their columns, looks and behaviour and keeps the pointers.
void InitFileListControl(ListView* list);
void InitPathBar(EditBox* pathBar);

// Shows a folder (or a CUE sheet as the folder of its tracks).
void NavigateFileList(const wchar_t* path);
// Shows a CUE sheet (a .cue file, or an audio file whose tags carry one) as
// the folder of its tracks: the current path becomes the sheet's path and a
// backslash, so a track's path is the virtual path the engine plays.
// False, nothing changed, when the sheet cannot be read.
bool ShowSheetAsFolder(const wchar_t* sheetPath);
// Shows the folder of a file with the file's entry selected.
void NavigateFileListTo(const wchar_t* file);
void FileListSelectAll();
// Marks every entry of the shown folder that is not a folder.
void FileListMarkAllFiles();
// The file list's actions: Enter (see file_actions.h), add the selection (F5),
// replace the playlist (F6: every playlist entry is selected and, unless Ctrl
// is held, removed). Adding runs on a thread of its own; none starts while one runs.
void FileListEnter();
void FileListAddSelection();
void FileListReplacePlayList();
// Adds the selection on this thread (a folder from the command line).
void FileListAddSelectionNow();
void FocusFileList();
// Suspends (true) or restores and repaints (false) drawing of the file list and the playlist.
void SuspendListDrawing(bool suspend);

// ---- the browser's own steps ----
// The focused row is a drive, a folder or "..": go there.
void FileListEnterFolder();
const wchar_t* FileListRowName(int row);
bool FileListRowIsFolder(int row);
bool FileListShowsDrives();
// The current path is a CUE sheet shown as the folder of its tracks.
bool FileListShowsSheet();
// Ctrl+R and F12: the folder again, every row keeping its mark by position.
void FileListReRead();
// What the CUE sheet importer builds a sheet's rows with: the list emptied
// down to its ".." row, then file rows looking as their names say.
void BeginFileListRows();
bool AddFileListFileRow(const wchar_t* name);
// Lists a folder (path ends with a backslash); false, list unchanged, when it cannot be read.
bool ListFolder(const wchar_t* path, bool sort);
// Lists the drives, focusing the given letter.
void ListDrives(wchar_t letter);
void FileListGoUp();
// Lists the current path again with the album and CUE conventions.
bool RefreshFileList();
// The now-playing file changed: the rows take their looks again.
void RefreshFileListLooks();
// The part after the last backslash (see the .cpp for the odd case).
std::wstring GetFileName(const wchar_t* path);
// "1998 Album", "2003-Live": a year, then a space or "-".
bool IsAlbumName(const wchar_t* name);
