// A coverage-guided fuzz target (clang's libFuzzer) for the player's own
// files: PlayList.dcp, Scrobbler.dcp and Settings.ini. The input's first byte
// picks the file (its low bits) and whether the file's header line is put
// in front of the rest (bit 2), so the search starts past it; the bytes are
// in a buffer of exactly their size.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <memory>
#include <string>
#include <vector>
#include "base/settings_file.h"
#include "library/playlist_file.h"
#include "library/statistics_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    int file = data[0] % 3;
    static const char* const kHeaders[3] = {"\xEF\xBB\xBF[Sonvale 1.0 PlayList]", "\xEF\xBB\xBF[Sonvale 1.0 Scrobbler]",
                                            "\xEF\xBB\xBF[General]\r\n"};
    std::string bytes = data[0] & 4 ? kHeaders[file] : "";
    bytes.append((const char*)data + 1, size - 1);
    size_t n = bytes.size();
    std::unique_ptr<char[]> b(new char[n ? n : 1]);
    memcpy(b.get(), bytes.data(), n);
    if (file == 0) {
        PlayListFile f;
        ParsePlayList(b.get(), n, &f);
        if (f.records.size() > n / 5 + 1 || f.playedCount > f.records.size()) abort();
        if (!f.records.empty() && f.nowPlaying >= f.records.size()) abort();
        for (const PlayListRecord& r : f.records)
            if (r.playOrder < -1 || r.playOrder >= (int32_t)f.records.size()) abort();
        KeepFirstRecords(&f, f.records.size() / 2);
        if (f.playedCount > f.records.size()) abort();
    } else if (file == 1) {
        std::vector<ListenRecord> out;
        StatisticsRead read;
        ParseStatistics(b.get(), n, &out, &read);
        if (out.size() > n / 11) abort();
    } else {
        for (const char* header : {"[General]", "[HotKeys]", "[KeyboardLayoutSwitcher]"}) {
            std::vector<SettingsEntry> entries;
            ParseSettingsSection(b.get(), n, header, &entries);
            for (const SettingsEntry& e : entries) {
                ParseDecimal32(e.value.c_str());
                ParseHex64(e.value.c_str());
                if (e.name.length() + e.value.length() > n) abort();
            }
        }
    }
    return 0;
}
