#include "library/file_browser.h"

void InitFileListControl(ListView*) {}
void InitPathBar(EditBox*) {}

void NavigateFileList(const wchar_t*) {}
void NavigateFileListTo(const wchar_t*) {}
void FileListSelectAll() {}
void FileListMarkAllFiles() {}
void FileListEnter() {}
void FileListAddSelection() {}
void FileListReplacePlayList() {}
void FocusFileList() {}
void SuspendListDrawing(bool) {}
