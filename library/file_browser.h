// The file list as the rest of the player sees it.
#pragma once

class ListView;
class EditBox;

// The main window creates the file list and its path bar; the browser gives
// them their columns, looks and behaviour and keeps the pointers.
void InitFileListControl(ListView* list);
void InitPathBar(EditBox* pathBar);

// Shows a folder (or a CUE sheet as the folder of its tracks).
void NavigateFileList(const wchar_t* path);
// Shows the folder of a file with the file's entry selected.
void NavigateFileListTo(const wchar_t* file);
void FileListSelectAll();
// Marks every entry of the shown folder that is not a folder.
void FileListMarkAllFiles();
// The file list's actions: Enter, add the selection (F5), replace the playlist (F6).
void FileListEnter();
void FileListAddSelection();
void FileListReplacePlayList();
void FocusFileList();
// Suspends (true) or restores and repaints (false) drawing of the file list and the playlist.
void SuspendListDrawing(bool suspend);
