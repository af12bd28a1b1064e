// Every parser of the player's own soaked with seeded mutations of good
// samples (tests/soak.h): tag blocks, CUE sheets and M3U lists, PlayList.dcp,
// Scrobbler.dcp and Settings.ini. Each input is handed over in a buffer of
// exactly its size. Besides surviving, the results keep the promises the
// rest of the player relies on.
#include <gtest/gtest.h>
#include <string.h>
#include <memory>
#include "base/settings_file.h"
#include "library/playlist_file.h"
#include "library/statistics_file.h"
#include "media/address_list.h"
#include "media/cue_sheet.h"
#include "media/tags.h"
#include "tests/soak.h"

using namespace std::string_literals;

namespace {

// The input in a heap block of exactly its size (a NUL after it would hide a read past the end).
struct Exact {
    explicit Exact(const std::string& s) : bytes(new char[s.size() ? s.size() : 1]), size(s.size()) {
        memcpy(bytes.get(), s.data(), s.size());
    }
    std::unique_ptr<char[]> bytes;
    size_t size;
    const char* data() const { return bytes.get(); }
};

std::string Id3v1Sample() {
    std::string b(128, '\0');
    memcpy(&b[0], "TAG", 3);
    memcpy(&b[3], "Title", 5);
    memcpy(&b[33], "Artist", 6);
    memcpy(&b[63], "Album", 5);
    memcpy(&b[93], "1999", 4);
    memcpy(&b[97], "comment", 7);
    b[126] = 3;
    b[127] = 17;
    return b;
}

std::string Be32(uint32_t n) { return {(char)(n >> 24), (char)(n >> 16), (char)(n >> 8), (char)n}; }
std::string SyncSafe(uint32_t n) { return {(char)(n >> 21 & 0x7F), (char)(n >> 14 & 0x7F), (char)(n >> 7 & 0x7F), (char)(n & 0x7F)}; }

// An ID3v2 tag of the version: 2 with three-letter frames, 3 plain sizes, 4 synch-safe ones.
std::string Id3v2Sample(int version, bool extended) {
    std::vector<std::pair<std::string, std::string>> frames =
        version == 2 ? std::vector<std::pair<std::string, std::string>>{{"TT2", "\0Two"s}, {"TP1", "\x01\xFF\xFEp\0"s}}
                     : std::vector<std::pair<std::string, std::string>>{
                           {"TIT2", "\x03" "Caf\xC3\xA9"s}, {"TPE1", "\x01\xFF\xFE" "A\0B\0"s}, {"TALB", "\x02\0X\0Y"s},
                           {"TCON", "\0(17)Indie"s}, {"COMM", "\x01" "eng\xFF\xFE\0\0\xFF\xFEh\0i\0"s},
                           {"APIC", "\0image/png\0\x03\0"s + std::string(300, '\x89')}, {"TRCK", "\0" "3/9"s},
                           {"TXXX", "\0REPLAYGAIN_TRACK_GAIN\0-3.50 dB"s}, {"TXXX", "\x01\xFF\xFEP\0\0\0\xFF\xFE" "1\0"s}};
    std::string body;
    if (extended) body += version == 4 ? SyncSafe(6) + "\x01\0"s : Be32(6) + std::string(6, '\0');
    for (auto& [id, data] : frames) {
        body += id;
        if (version == 2) body += std::string{(char)(data.size() >> 16), (char)(data.size() >> 8), (char)data.size()};
        else body += (version == 4 ? SyncSafe((uint32_t)data.size()) : Be32((uint32_t)data.size())) + "\0\0"s;
        body += data;
    }
    body += std::string(20, '\0');
    return "ID3"s + (char)version + '\0' + (char)(extended ? 0x40 : 0) + SyncSafe((uint32_t)body.size()) + body;
}

bool TextWithin(const StringBuffer& b, size_t bytes) { return b.text.size() <= bytes + 64; }

bool SoakTagBlock(const char* name, int type, const std::vector<std::string>& samples, std::vector<size_t> lengths) {
    SoakOptions o;
    o.seed = 100 + (uint32_t)type;
    o.lengthFields = std::move(lengths);
    size_t filled = 0;  // inputs that still gave a field: the damage is not all fatal
    size_t ran = Soak(name, samples, SoakInputs(15000), [&](const std::string& in) {
        Exact b(in);
        TagRecord r;
        ParseTagBlock(&r, b.data(), b.size, type, 65001);
        ParseTagBlock(&r, b.data(), TagBlockSize(b.data(), type, b.size), type, 1252);  // as the player sizes blocks
        // UTF-16 text takes two bytes a character; the genre's "(n)" is the one thing longer than its bytes.
        bool sane = TextWithin(r.title, b.size) && TextWithin(r.artist, b.size) && TextWithin(r.album, b.size) &&
                    TextWithin(r.comment, b.size) && TextWithin(r.genre, b.size) && r.cueText.size() <= b.size;
        EXPECT_TRUE(sane) << name;
        if (!r.title.empty() || !r.artist.empty() || !r.album.empty()) filled++;
        return sane;
    }, o);
    EXPECT_GT(filled, ran / 10) << name;
    return ran == SoakInputs(15000);
}

}  // namespace

TEST(ParserSoak, TagBlocks) {
    EXPECT_TRUE(SoakTagBlock("ID3v1", TagId3, {Id3v1Sample(), Id3v1Sample().substr(0, 125) + "\0\0\xFF"s}, {126, 127}));
    EXPECT_TRUE(SoakTagBlock("ID3v2", TagId3v2,
                             {Id3v2Sample(2, false), Id3v2Sample(3, false), Id3v2Sample(3, true), Id3v2Sample(4, false),
                              Id3v2Sample(4, true)},
                             {6, 7, 8, 9, 10, 13, 14, 17, 20, 24, 27}));
    // Ogg comments, APE items, MP4 atoms and WMA attributes all reach the
    // player as name=value lists; each type has names of its own.
    std::string ogg = "TITLE=T\0ARTIST=A\r\nB\0album=Al\0DATE=2001\0TRACKNUMBER=4\0GENRE=Jazz\0"
                      "REPLAYGAIN_ALBUM_GAIN=+1,5dB\0REPLAYGAIN_TRACK_PEAK=0.98\0R128_TRACK_GAIN=-512\0"
                      "cuesheet=FILE \"a.flac\" WAVE\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n\0\0"s;
    std::string ape = "Title=x\0Artist=y\0Comment=zz\0Year=1990\0Track=1/2\0\0"s;
    std::string mp4 = "title=m\0artist=n\0album=o\0date=2020-01-01\0comment=\xE2\x82\xAC\0\0"s;
    std::string wma = "Title=w\0Author=v\0WM/AlbumTitle=u\0WM/Year=2002\0WM/Genre=g\0WM/TrackNumber=9\0\0"s;
    EXPECT_TRUE(SoakTagBlock("Ogg", TagOgg, {ogg, ape}, {}));
    EXPECT_TRUE(SoakTagBlock("APE", TagApe, {ape, ogg}, {}));
    EXPECT_TRUE(SoakTagBlock("MP4", TagMp4, {mp4, wma}, {}));
    EXPECT_TRUE(SoakTagBlock("WMA", TagWma, {wma, mp4}, {}));
    EXPECT_TRUE(SoakTagBlock("StreamMeta", TagMeta,
                             {"StreamTitle='Artist - Song (Live)';StreamUrl='http://x/';\0"s, "StreamTitle='';\0"s}, {}));
}

// Sheets are read by keyword wherever they stand: every question the player
// asks of a sheet is asked of each damaged one, from a file's bytes on.
TEST(ParserSoak, CueSheetsAndM3uLists) {
    std::string album =
        "REM GENRE Rock\r\nREM DATE 1999\r\nPERFORMER \"Band\"\r\nTITLE \"Album\"\r\nFILE \"Album.flac\" WAVE\r\n"
        "  TRACK 01 AUDIO\r\n    TITLE \"Intro\"\r\n    INDEX 01 00:00:00\r\n"
        "  TRACK 02 AUDIO\r\n    TITLE \"Duet\"\r\n    PERFORMER \"Guest\"\r\n    INDEX 00 03:10:20\r\n    INDEX 01 03:12:00\r\n"
        "  TRACK 03 AUDIO\r\n    REM SKIP\r\n    INDEX 01 07:00:74\r\n";
    std::string twoFiles = "\xEF\xBB\xBF" "FILE \"one.wav\" WAVE\r\n TRACK 01 AUDIO\r\n  INDEX 01 00:00:00\r\n"
                           "FILE \"two.wav\" WAVE\r\n TRACK 02 AUDIO\r\n  TITLE \"\xC3\xA9t\xC3\xA9\"\r\n  INDEX 01 00:01:00\r\n";
    std::string utf16 = "\xFF\xFE"s;
    for (char c : std::string("FILE \"w.ape\" WAVE\r\nTRACK 01 AUDIO\r\nINDEX 01 99:59:74\r\n")) utf16 += c, utf16 += '\0';
    std::string m3u = "#EXTM3U\r\n#EXTINF:-1,Radio\r\nhttp://127.0.0.1:1/a\r\n  C:\\Music\\b.mp3  \n\r\n\\\\server\\c.ogg";
    const wchar_t* names[] = {L"01 Intro.flac", L"02 Duet.flac", L"03", L"99 x", L"0", L""};
    SoakOptions o;
    o.seed = 200;
    o.hotBytes = 200;
    size_t withFiles = 0;
    size_t ran = Soak("CUE sheet", {album, twoFiles, utf16, m3u}, SoakInputs(15000), [&](const std::string& in) {
        TagRecord sheet;
        sheet.cueText = SheetTextFromFile(in);
        sheet.hasCue = true;
        sheet.cueEmbedded = in.size() & 1;
        sheet.path.Set(L"C:\\Rips\\Album.cue");
        sheet.lengthMs = 600000;
        int files = CountSheetFiles(sheet);
        if (files > 0) withFiles++;
        bool ok = files >= 0 && (size_t)files <= sheet.cueText.size() / 4 + 1;
        for (const wchar_t* name : names) {
            std::wstring audio = SheetAudioFile(sheet, name);
            ok = ok && audio.size() <= sheet.cueText.size() + 16;
            TrackLength(&sheet, name);
            // As playing the track asks.
            TagRecord fields = sheet;
            size_t index = 0;
            if (SheetTrackFields(&fields, name, &audio, &index)) {
                int32_t start = 0, length = 0;
                if (SheetTrackTimes(sheet, index, 600000, &start, &length)) ok = ok && start >= 0;
            }
        }
        // As the lists show it.
        std::vector<SheetTrackRow> rows;
        std::wstring extension, performer;
        if (ListSheetTracks(sheet, &rows, &extension, &performer))
            ok = ok && files > 0 && rows.size() <= sheet.cueText.size() / 5;
        // Every place a TRACK keyword stands, as adding asks.
        for (size_t at = sheet.cueText.find("TRACK"); at != std::string::npos; at = sheet.cueText.find("TRACK", at + 1)) {
            int32_t start = 0, length = 0;
            if (TrackTimes(sheet, at, 600000, &start, &length)) ok = ok && start >= 0;
        }
        // The same bytes as an M3U list of addresses.
        StringBuffer text;
        text.SetFromBytes(in.data(), in.size(), CP_ACP);
        std::wstring list = JoinListFileLines(text.text);
        ok = ok && list.size() <= text.text.size();
        EXPECT_TRUE(ok) << files;
        return ok;
    }, o);
    EXPECT_EQ(ran, SoakInputs(15000));
    EXPECT_GT(withFiles, ran / 2);
    EXPECT_EQ(CueTimeMs("99999999999:99999999999:99999999999"), INT32_MAX);
}

namespace {
PlayListRecord Entry(const wchar_t* path, int32_t length, int32_t order) {
    PlayListRecord r;
    SplitEntryPath(path, &r);
    r.lengthMs = length;
    r.playOrder = order;
    return r;
}
ListenRecord Listen(const wchar_t* artist, const wchar_t* title, int32_t length, int64_t ms) {
    ListenRecord r;
    r.artist = artist;
    r.title = title;
    r.album = L"Al";
    r.year = L"2001";
    r.genre = L"Rock";
    r.lengthMs = length;
    r.listenMs = ms;
    return r;
}
}  // namespace

TEST(ParserSoak, PlayListAndScrobblerFiles) {
    std::string list = SerializePlayList({Entry(L"C:\\Music\\a.mp3", 1000, 0), Entry(L"C:\\M\u00fcsic\\b.ogg", 2000, -1),
                                          Entry(L"\\\\server\\share\\c", 3, 1), Entry(L"D:\\x.flac", INT32_MAX, 2)},
                                         2);
    SoakOptions o;
    o.seed = 300;
    size_t count = list.find("#Elements: ") + 11;
    o.lengthFields = {count, list.find(':', count) + 2};  // the digits of the count and of the entry playing
    size_t withRecords = 0;
    size_t ran = Soak("PlayList.dcp", {list, SerializePlayList({}, 0)}, SoakInputs(15000), [&](const std::string& in) {
        Exact b(in);
        PlayListFile f;
        ParsePlayList(b.data(), b.size, &f);
        if (!f.records.empty()) withRecords++;
        bool ok = f.records.size() <= b.size / 5 + 1 && f.playedCount <= f.records.size() &&
                  (f.records.empty() || f.nowPlaying < f.records.size());
        for (const PlayListRecord& r : f.records) ok = ok && r.playOrder >= -1 && r.playOrder < (int32_t)f.records.size();
        EXPECT_TRUE(ok) << f.records.size();
        return ok;
    }, o);
    EXPECT_EQ(ran, SoakInputs(15000));
    EXPECT_GT(withRecords, ran / 8);

    std::string stats = SerializeStatistics({Listen(L"Artist", L"Title", 2000, 4500), Listen(L"b", L"\u041f", 3, 0xFFFF),
                                             Listen(L"", L"", 0, INT64_MAX)});
    o.seed = 301;
    withRecords = 0;
    o.lengthFields = {stats.find("#Elements: ") + 11};
    ran = Soak("Scrobbler.dcp", {stats, SerializeStatistics({})}, SoakInputs(15000), [&](const std::string& in) {
        Exact b(in);
        std::vector<ListenRecord> out;
        ParseStatistics(b.data(), b.size, &out);
        if (!out.empty()) withRecords++;
        bool ok = out.size() <= b.size / 11;
        EXPECT_TRUE(ok) << out.size();
        return ok;
    }, o);
    EXPECT_EQ(ran, SoakInputs(15000));
    EXPECT_GT(withRecords, ran / 8);
}

TEST(ParserSoak, SettingsIni) {
    const std::string bom = "\xEF\xBB\xBF";
    std::string ini = bom + "[General]\r\nisVisible = 1\r\nxPos = -5\r\nff = FFFFFFFFFFFFFFFF\r\nPath = C:\\M\xC3\xBCsic\r\n"
                            "\r\n[HotKeys]\r\nA = 4000000020\r\n\r\n[KeyboardLayoutSwitcher]\r\nKey = 14\r\n";
    std::string plain = "[General]\r\nvol = 4294967296\r\nx=a = b\r\n[General]\r\ny = 2";
    SoakOptions o;
    o.seed = 400;
    size_t withEntries = 0;
    size_t ran = Soak("Settings.ini", {ini, plain}, SoakInputs(15000), [&](const std::string& in) {
        Exact b(in);
        bool ok = true;
        size_t found = 0;
        for (const char* header : {"[General]", "[HotKeys]", "[KeyboardLayoutSwitcher]"}) {
            std::vector<SettingsEntry> entries;
            ParseSettingsSection(b.data(), b.size, header, &entries);
            ok = ok && entries.size() <= b.size;
            found += entries.size();
            for (const SettingsEntry& e : entries) {
                ParseDecimal32(e.value.c_str());
                ParseHex64(e.value.c_str());
                ok = ok && e.name.length() + e.value.length() <= b.size;
            }
        }
        EXPECT_TRUE(ok);
        if (found) withEntries++;
        return ok;
    }, o);
    EXPECT_EQ(ran, SoakInputs(15000));
    EXPECT_GT(withEntries, ran / 2);
}
