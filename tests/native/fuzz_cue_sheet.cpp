// A coverage-guided fuzz target (clang's libFuzzer) for CUE sheets and M3U
// lists: every question the player asks of a sheet, asked of the input's
// bytes as a sheet file (the first byte: embedded in tags or a file of its
// own, and the code page of its text), and the same bytes as a list of addresses.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string>
#include <vector>
#include "base/general_settings.h"
#include "media/address_list.h"
#include "media/cue_sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const unsigned kPages[4] = {0, 1252, 65001, 28591};
    g_general.globalCP = kPages[data[0] >> 1 & 3];
    TagRecord sheet;
    sheet.cueText = SheetTextFromFile(std::string((const char*)data + 1, size - 1));
    sheet.hasCue = true;
    sheet.cueEmbedded = data[0] & 1;
    sheet.path.Set(L"C:\\Rips\\Album.cue");
    sheet.lengthMs = data[0] & 8 ? 600000 : 0;
    const std::string& t = sheet.cueText;
    int files = CountSheetFiles(sheet);
    if (files < 0 || (size_t)files > t.size() / 4 + 1) abort();
    for (const wchar_t* name : {L"01 Intro.flac", L"02", L"99 x", L"0", L""}) {
        if (SheetAudioFile(sheet, name).size() > t.size() + 32) abort();
        TrackLength(&sheet, name);
        TagRecord fields = sheet;
        std::wstring audio;
        size_t index = 0;
        if (SheetTrackFields(&fields, name, &audio, &index)) {
            int32_t start = 0, length = 0;
            SheetTrackTimes(sheet, index, 600000, &start, &length);
        }
    }
    for (size_t at = t.find("TRACK"); at != std::string::npos; at = t.find("TRACK", at + 1)) {
        int32_t start = 0, length = 0;
        if (TrackTimes(sheet, at, 600000, &start, &length) && start < 0) abort();
    }
    std::vector<SheetTrackRow> rows;
    std::wstring extension, performer;
    ListSheetTracks(sheet, &rows, &extension, &performer);
    StringBuffer text;
    text.SetFromBytes((const char*)data + 1, size - 1, 1252);
    if (JoinListFileLines(text.text).size() > text.text.size()) abort();
    return 0;
}
