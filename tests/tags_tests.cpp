// Tag blocks into the tag record: the ID3v1, ID3v2, name=value and stream
// metadata parsers, the field names, the text clean-up and damaged blocks.
#include <gtest/gtest.h>
#include "media/tags.h"
#include <string.h>

static std::string Id3v1(const char* title, int genre, const char* comment, int track) {
    std::string b(128, '\0');
    memcpy(&b[0], "TAG", 3);
    memcpy(&b[3], title, strlen(title));
    memcpy(&b[33], "Artist   ", 9);  // trailing spaces go
    memcpy(&b[93], "1998", 4);
    if (comment) memcpy(&b[97], comment, strlen(comment));
    b[126] = (char)track;
    b[127] = (char)genre;
    return b;
}

TEST(Tags, Id3v1FieldsGenresAndTheCommentArea) {
    TagRecord r;
    std::string b = Id3v1("Song", 17, nullptr, 0);
    ParseTagBlock(&r, b.data(), b.size(), TagId3, 1252);
    EXPECT_EQ(r.title.text, L"Song");
    EXPECT_EQ(r.artist.text, L"Artist");
    EXPECT_EQ(r.year.text, L"1998");
    EXPECT_EQ(r.genre.text, L"Rock");
    EXPECT_TRUE(r.comment.empty());  // an all-zero comment area sets neither
    EXPECT_TRUE(r.track.empty());
    EXPECT_TRUE(r.album.empty());
    TagRecord r2;
    b = Id3v1("   ", 255, "abc", 0);
    ParseTagBlock(&r2, b.data(), b.size(), TagId3, 1252);
    EXPECT_TRUE(r2.title.empty());  // spaces only
    EXPECT_EQ(r2.genre.text, L"(255)");
    EXPECT_EQ(r2.comment.text, L"abc");
    EXPECT_EQ(r2.track.text, L"0");
    // No TAG signature, or too short: nothing.
    TagRecord r3;
    b[0] = 'X';
    ParseTagBlock(&r3, b.data(), b.size(), TagId3, 1252);
    ParseTagBlock(&r3, "TAG", 3, TagId3, 1252);
    EXPECT_TRUE(r3.genre.empty());
    EXPECT_EQ(GenreName(23), L"Prunks");
    EXPECT_EQ(GenreName(147), L"Synthpop");
}

// An ID3v2 tag from frames (id, data) as a tagger lays it out: version 3 with
// plain frame sizes, version 4 with synch-safe ones, then the padding.
static std::string Id3v2(const std::vector<std::pair<std::string, std::string>>& frames, int padding = 16,
                         int version = 3) {
    auto size = [](uint32_t n, bool syncSafe) {
        if (syncSafe) n = (n & 0x7F) | (n & 0x3F80) << 1 | (n & 0x1FC000) << 2 | (n & 0xFE00000) << 3;
        return std::string{(char)(n >> 24), (char)(n >> 16), (char)(n >> 8), (char)n};
    };
    std::string body;
    for (auto& [id, data] : frames) body += id + size((uint32_t)data.size(), version == 4) + std::string(2, '\0') + data;
    body += std::string((size_t)padding, '\0');
    return std::string("ID3") + (char)version + std::string(2, '\0') + size((uint32_t)body.size(), true) + body;
}

TEST(Tags, Id3v2FramesEncodingsAndComments) {
    using namespace std::string_literals;
    std::string tag = Id3v2({
        {"TIT2", "\x03" "Caf\xC3\xA9"s},                             // UTF-8
        {"TPE1", "\x01\xFF\xFE" "A\0B\0"s},                         // UTF-16 with its mark
        {"TALB", "\x02" "\0X\0Y"s},                                 // UTF-16BE
        {"TCON", "\x00(17)Indie"s},
        {"TRCK", "\x00" "7/12"s},
        {"COMM", "\x01" "eng" "\xFF\xFE\0\0" "\xFF\xFE" "h\0i\0"s},  // empty UTF-16 description
        {"COMM", "\x00" "xx\0\0second"s},                           // a later comment with a short language: skipped
        {"TXXX", "\x00" "ignored"s},
    });
    TagRecord r;
    ParseTagBlock(&r, tag.data(), TagBlockSize(tag.data(), TagId3v2, tag.size()), TagId3v2, 1252);
    EXPECT_EQ(r.title.text, L"Caf\x00E9");
    EXPECT_EQ(r.artist.text, L"AB");
    EXPECT_EQ(r.album.text, L"XY");
    EXPECT_EQ(r.genre.text, L"Rock");
    EXPECT_EQ(r.track.text, L"7/12");
    EXPECT_EQ(r.comment.text, L"hi");
    // Genres: a number past the table and a name stay as written.
    TagRecord g;
    std::string t2 = Id3v2({{"TCON", "\x00(200)"s}});
    ParseTagBlock(&g, t2.data(), t2.size(), TagId3v2, 1252);
    EXPECT_EQ(g.genre.text, L"(200)");
    t2 = Id3v2({{"TCON", "\x00Jazz"s}});
    ParseTagBlock(&g, t2.data(), t2.size(), TagId3v2, 1252);
    EXPECT_EQ(g.genre.text, L"Jazz");
    // A frame whose stated size passes the tag's end is never read.
    TagRecord e;
    t2 = Id3v2({{"TIT2", "\x00Whole"s}}, 0);
    t2[17] = 7;  // the frame size's low byte: one byte more than there is
    ParseTagBlock(&e, t2.data(), t2.size(), TagId3v2, 1252);
    EXPECT_TRUE(e.title.empty());
}

// Layouts real taggers write: the last frame ends the tag with little or no
// padding, and version 2.4 counts frame sizes synch-safe.
TEST(Tags, Id3v2LastFrameWithoutPaddingAndSynchSafeSizes) {
    using namespace std::string_literals;
    for (int padding : {0, 1, 10}) {
        SCOPED_TRACE(padding);
        for (int version : {3, 4}) {
            std::string tag = Id3v2({{"TPE1", "\x00" "Band"s}, {"TIT2", "\x00" "Last Frame"s}}, padding, version);
            TagRecord r;
            ParseTagBlock(&r, tag.data(), TagBlockSize(tag.data(), TagId3v2, tag.size()), TagId3v2, 1252);
            EXPECT_EQ(r.artist.text, L"Band");
            EXPECT_EQ(r.title.text, L"Last Frame");
        }
    }
    // A 2.4 tag with a cover picture and lyrics of several kilobytes before the
    // title, and the 2.4 recording time frame for the year.
    std::string picture = "\x00image/jpeg\x00\x03\x00"s + std::string(5000, '\xFF');
    std::string lyrics = "\x03" "eng" "\x00"s + std::string(200, 'l');
    std::string tag = Id3v2({{"APIC", picture}, {"USLT", lyrics}, {"TIT2", "\x03" "Title After"s},
                             {"TDRC", "\x03" "2019-04-01"s}, {"TALB", "\x03" "Album"s}},
                            0, 4);
    TagRecord r;
    ParseTagBlock(&r, tag.data(), TagBlockSize(tag.data(), TagId3v2, tag.size()), TagId3v2, 1252);
    EXPECT_EQ(r.title.text, L"Title After");
    EXPECT_EQ(r.year.text, L"2019-04-01");
    EXPECT_EQ(r.album.text, L"Album");
    // A 2.4 tag from a writer that put plain sizes there: read all the same.
    std::string small = picture.substr(0, 300);  // size 0x12C: no byte with its top bit set
    std::string plain = Id3v2({{"APIC", small}, {"TIT2", "\x00" "Plain"s}}, 4, 3);
    plain[3] = 4;
    TagRecord p;
    ParseTagBlock(&p, plain.data(), plain.size(), TagId3v2, 1252);
    EXPECT_EQ(p.title.text, L"Plain");
    // An extended header before the frames (2.3: its size counts what follows it).
    std::string ext = Id3v2({{"TIT2", "\x00" "After Ext"s}}, 0, 3);
    ext.insert(10, "\0\0\0\x06\0\0\0\0\0\0"s);
    ext[5] = 0x40;
    ext[9] = (char)(ext[9] + 10);
    TagRecord x;
    ParseTagBlock(&x, ext.data(), ext.size(), TagId3v2, 1252);
    EXPECT_EQ(x.title.text, L"After Ext");
}

TEST(Tags, NameValueBlocksCleanUpAndCueSheets) {
    using namespace std::string_literals;
    std::string block = "TITLE=\0title=Lower\0ARTIST=A\r\nB\tC   \0date=2001\0cuesheet=FILE \"a.flac\" WAVE\r\n\0junk\0=x\0\0"s;
    TagRecord r;
    ParseTagBlock(&r, block.data(), TagBlockSize(block.data(), TagOgg, block.size()), TagOgg, 1252);
    EXPECT_EQ(r.title.text, L"Lower");  // the empty TITLE set nothing
    EXPECT_EQ(r.artist.text, L"A  B C");
    EXPECT_EQ(r.year.text, L"2001");
    EXPECT_TRUE(r.cueEmbedded);
    EXPECT_EQ(r.cueText, "FILE \"a.flac\" WAVE\r\n");
    // Stream metadata.
    TagRecord m;
    std::string meta = "StreamTitle='Artist - Song (Live)';StreamUrl='x';";
    ParseTagBlock(&m, meta.data(), meta.size() + 1, TagMeta, 1252);
    EXPECT_EQ(m.title.text, L"Artist - Song");
    EXPECT_EQ(m.album.text, L"Live");
    EXPECT_EQ(m.comment.text, L"x");
    FillCaptions(&m);
    EXPECT_EQ(m.comment.text, L"Comments");
    EXPECT_EQ(m.track.text, L"\x2116");
}

TEST(Tags, DamagedBlocksAreReadSafely) {
    using namespace std::string_literals;
    std::string tag = Id3v2({{"TIT2", "\x01\xFF\xFEt\0i\0"s}, {"COMM", "\x00" "eng\0c"s}, {"TT2", "\0\0\x05\0abcd"s}});
    std::string values = "TITLE=x\0ARTIST=y\0COMMENT=zz\0\0"s;
    for (int type : {TagId3v2, TagOgg, TagApe, TagMeta, TagId3}) {
        const std::string& base = type == TagId3v2 ? tag : values;
        for (size_t cut = 0; cut <= base.size(); cut++) {
            // Each cut is copied so that reading one byte past it would leave the buffer.
            std::vector<char> b(base.begin(), base.begin() + (ptrdiff_t)cut);
            TagRecord r;
            ParseTagBlock(&r, b.data(), b.size(), type, 1252);
        }
        for (size_t i = 0; i < base.size(); i++)
            for (int bit = 0; bit < 8; bit++) {
                std::string b = base;
                b[i] = (char)(b[i] ^ (1 << bit));
                TagRecord r;
                ParseTagBlock(&r, b.data(), b.size(), type, 65001);
            }
    }
    SUCCEED();
}

// Loudness levelling: the gains and peaks in each kind of tag, lenient text,
// and the scale each mode gives.
TEST(ReplayGain, TextIsReadLenientlyAndNonsenseIgnored) {
    float v = 0;
    for (const char* ok : {"-6.02 dB", "-6.02", " -6,02dB ", "-6.02 DB"}) {
        EXPECT_TRUE(ParseGainText(ok, strlen(ok), &v)) << ok;
        EXPECT_FLOAT_EQ(v, -6.02f) << ok;
    }
    EXPECT_TRUE(ParseGainText("+3 dB", 5, &v));
    EXPECT_FLOAT_EQ(v, 3.0f);
    for (const char* bad : {"", "dB", "loud", "-6.02 dBq", "1e9", "-70 dB", "--6", "nan"})
        EXPECT_FALSE(ParseGainText(bad, strlen(bad), &v)) << bad;
    EXPECT_TRUE(ParsePeakText("0.988547", 8, &v));
    EXPECT_FLOAT_EQ(v, 0.988547f);
    for (const char* bad : {"0", "-0.5", "0.9 dB", "x"}) EXPECT_FALSE(ParsePeakText(bad, strlen(bad), &v)) << bad;
}

TEST(ReplayGain, ValuesComeFromNameValueBlocksAndUserTextFrames) {
    using namespace std::string_literals;
    // Vorbis comments, APE and MP4 lists: any case of the names.
    std::string list = "REPLAYGAIN_TRACK_GAIN=-6.02 dB\0replaygain_track_peak=0.5\0"
                       "REPLAYGAIN_ALBUM_GAIN=junk\0REPLAYGAIN_ALBUM_PEAK=0.9\0TITLE=T\0\0"s;
    TagRecord r;
    ParseTagBlock(&r, list.data(), list.size(), TagOgg, 0);
    EXPECT_TRUE(r.replayGain.hasTrackGain);
    EXPECT_FLOAT_EQ(r.replayGain.trackGain, -6.02f);
    EXPECT_FLOAT_EQ(r.replayGain.trackPeak, 0.5f);
    EXPECT_FALSE(r.replayGain.hasAlbumGain);  // nonsense is left out
    EXPECT_FLOAT_EQ(r.replayGain.albumPeak, 0.9f);
    EXPECT_EQ(r.title.text, L"T");
    // Opus: Q7.8 towards -23 LUFS, 5 dB below our reference.
    TagRecord o;
    std::string opus = "R128_TRACK_GAIN=-512\0R128_ALBUM_GAIN=256\0\0"s;
    ParseTagBlock(&o, opus.data(), opus.size(), TagOgg, 0);
    EXPECT_FLOAT_EQ(o.replayGain.trackGain, 3.0f);
    EXPECT_FLOAT_EQ(o.replayGain.albumGain, 6.0f);
    // ID3v2 TXXX frames in Latin-1 and UTF-16; a TXXX without its terminator is skipped.
    std::string tag = Id3v2({
        {"TXXX", "\x00" "REPLAYGAIN_TRACK_GAIN\0-6.02 dB"s},
        {"TXXX", "\x01\xFF\xFE" "r\0e\0p\0l\0a\0y\0g\0a\0i\0n\0_\0a\0l\0b\0u\0m\0_\0g\0a\0i\0n\0\0\0"
                 "\xFF\xFE" "-\0" "1\0" ".\0" "5\0"s},
        {"TXXX", "\x00" "REPLAYGAIN_TRACK_PEAK"s},
    });
    TagRecord t;
    ParseTagBlock(&t, tag.data(), TagBlockSize(tag.data(), TagId3v2, tag.size()), TagId3v2, 1252);
    EXPECT_FLOAT_EQ(t.replayGain.trackGain, -6.02f);
    EXPECT_TRUE(t.replayGain.hasAlbumGain);
    EXPECT_FLOAT_EQ(t.replayGain.albumGain, -1.5f);
    EXPECT_FALSE(t.replayGain.hasTrackPeak);
}

TEST(ReplayGain, ModesPreampPeakLimitAndUntaggedFiles) {
    ReplayGainTags g;
    g.trackGain = -6.02f, g.hasTrackGain = true;
    g.albumGain = -12.04f, g.hasAlbumGain = true;
    EXPECT_FLOAT_EQ(ReplayGainScale(g, ReplayGainOff, 5, 5), 1.0f);
    EXPECT_NEAR(ReplayGainScale(g, ReplayGainTrack, 0, 0), 0.5, 0.001);
    EXPECT_NEAR(ReplayGainScale(g, ReplayGainAlbum, 0, 0), 0.25, 0.001);
    EXPECT_NEAR(ReplayGainScale(g, ReplayGainTrack, 6, 0), 0.9977, 0.0005);  // the preamp adds: -0.02 dB
    // Album mode without an album gain uses the track's.
    ReplayGainTags t = g;
    t.hasAlbumGain = false;
    EXPECT_NEAR(ReplayGainScale(t, ReplayGainAlbum, 0, 0), 0.5, 0.001);
    // A positive gain never drives the peak above full scale.
    ReplayGainTags loud;
    loud.trackGain = 12.0f, loud.hasTrackGain = true;
    loud.trackPeak = 0.5f, loud.hasTrackPeak = true;
    EXPECT_NEAR(ReplayGainScale(loud, ReplayGainTrack, 0, 0), 2.0, 0.001);
    loud.albumGain = 12.0f, loud.hasAlbumGain = true;
    loud.albumPeak = 0.8f, loud.hasAlbumPeak = true;
    EXPECT_NEAR(ReplayGainScale(loud, ReplayGainAlbum, 0, 0), 1.25, 0.001);
    // Files without gains get their own value, whatever the preamp.
    ReplayGainTags none;
    EXPECT_NEAR(ReplayGainScale(none, ReplayGainTrack, 9, -6), 0.501, 0.001);
    EXPECT_FLOAT_EQ(ReplayGainScale(none, ReplayGainAlbum, 0, 0), 1.0f);
}
