#include "library/cue_lists.h"
#include "library/file_browser.h"
#include "library/playlist.h"
#include "ui/list_view.h"
#include <windows.h>
#include <vector>

int ImportSheetToPlayList(const TagRecord& sheet) {
    std::vector<SheetTrackRow> rows;
    std::wstring extension, albumPerformer;
    if (!ListSheetTracks(sheet, &rows, &extension, &albumPerformer)) return 0;
    std::wstring folder = sheet.path.text + L"\\";
    int added = 0;
    for (const SheetTrackRow& track : rows) {
        int32_t length = track.timed ? track.lengthMs : 0;
        if (length < 0) length = 0;
        if (AppendEntry(folder.c_str(), (track.number + track.title).c_str(), extension.c_str(), length)) added++;
    }
    return added;
}

int ImportSheetToFileList(const TagRecord& sheet) {
    BeginFileListRows();
    std::vector<SheetTrackRow> rows;
    std::wstring extension, albumPerformer;
    if (!ListSheetTracks(sheet, &rows, &extension, &albumPerformer)) return 0;
    int added = 0;
    for (const SheetTrackRow& track : rows) {
        std::wstring name = track.number + track.title;
        if (!track.performer.empty() && lstrcmpiW(track.performer.c_str(), albumPerformer.c_str()) != 0)
            name += L" [" + track.performer + L"]";
        name += L"." + extension;
        if (AddFileListFileRow(name.c_str())) added++;
    }
    return added;
}

static const wchar_t* CellName(const ListView* l, int row) {
    const wchar_t* t = l->rows[row].cells[FileListName].text;
    return t ? t : L"";
}

static bool StartsWithNoCase(const wchar_t* text, const std::wstring& prefix) {
    return _wcsnicmp(text, prefix.c_str(), prefix.size()) == 0;
}

// The row of the audio file beside a sheet's row: first upwards, then
// downwards, each way only while the names begin with the sheet's base name.
static int FindAudioRow(const ListView* l, int sheetRow, const std::wstring& base, const std::wstring& audioName) {
    for (int step : {-1, 1})
        for (int r = sheetRow + step; r >= 0 && r < l->rowCount && StartsWithNoCase(CellName(l, r), base); r += step)
            if (!l->rows[r].cells[FileListName].value && lstrcmpiW(CellName(l, r), audioName.c_str()) == 0) return r;
    return -1;
}

static bool NeighbourNamedLike(const ListView* l, int sheetRow, const std::wstring& base) {
    for (int r : {sheetRow - 1, sheetRow + 1})
        if (r >= 0 && r < l->rowCount && StartsWithNoCase(CellName(l, r), base))
            return true;
    return false;
}

void MergeCueSheets(ListView* l, const wchar_t* folder) {
    if (!l || l->columnCount <= FileListName) return;
    std::vector<char> gone((size_t)l->rowCount);
    int focus = l->currentRow;
    bool any = false;
    for (int r = 0; r < l->rowCount; r++) {
        const wchar_t* name = CellName(l, r);
        const wchar_t* dot = wcsrchr(name, L'.');
        if (l->rows[r].cells[FileListName].value || !dot || lstrcmpiW(dot + 1, L"cue") != 0) continue;
        std::wstring base(name, (size_t)(dot - name));
        // The audio row can only be a neighbour named like the sheet: without
        // one, the sheet is not even read (a refresh stays cheap however many
        // sheets a folder holds).
        if (!NeighbourNamedLike(l, r, base)) continue;
        CueSheet sheet;
        std::wstring audio;
        if (!ReadCueSheet((std::wstring(folder) + name).c_str(), &sheet) || !SingleAudioFile(sheet, &audio)) continue;
        std::wstring audioName = audio.substr(audio.rfind(L'\\') + 1);
        int row = FindAudioRow(l, r, base, audioName);
        if (row < 0) continue;
        size_t audioDot = audioName.rfind(L'.');
        std::wstring merged = base + (audioDot == std::wstring::npos ? L"" : audioName.substr(audioDot)) + L" | cue";
        SetCellText(l, FileListName, merged.c_str(), row);
        gone[(size_t)r] = 1;
        any = true;
        if (focus == r) focus = row;  // a focused sheet hands the focus to its audio row
    }
    if (!any) return;
    // The rows go with the list's own removal of selected rows; the marks of
    // the rows that stay come back afterwards.
    std::vector<char> marks;
    int removedBeforeFocus = 0;
    for (int r = 0; r < l->rowCount; r++) {
        if (!gone[(size_t)r]) marks.push_back(l->rows[r].selected);
        else if (r < focus) removedBeforeFocus++;
        l->rows[r].selected = gone[(size_t)r] != 0;
    }
    DeleteSelected(l, true);
    for (int r = 0; r < l->rowCount; r++) l->rows[r].selected = marks[(size_t)r] != 0;
    if (focus >= 0 && l->rowCount > 0) {
        focus -= removedBeforeFocus;
        l->currentRow = focus < l->rowCount ? focus : l->rowCount - 1;
    }
}

int AppendCueTracks(const CueSheet& sheet, int32_t audioLengthMs) {
    TagRecord record = sheet.record;
    record.lengthMs = audioLengthMs;
    return ImportSheetToPlayList(record);
}
