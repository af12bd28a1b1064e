#include "audio/track_display.h"
#include "audio/player_events.h"
#include "base/general_settings.h"
#include "audio/engine.h"
#include "media/mpeg_probe.h"
#include "ui/list_view.h"
#include <math.h>

static ShownTrackText g_shown;

const ShownTrackText& ShownTrack() { return g_shown; }

std::wstring FormatName(uint32_t type, bool loaded) {
    switch (type) {
    case 0x10002: return L"OGG Vorbis";
    case 0x10003: return L"MPEG layer 1";
    case 0x10004: return L"MPEG layer 2";
    case 0x10005: return L"MPEG layer 3";
    case 0x10006: return L"Audio IFF";
    case 0x40000: return L"Generic WAVE (Unknown)";
    case 0x50001: return L"Integer PCM WAVE";
    case 0x50003: return L"Floating-point PCM WAVE";
    case 0x20000: return L"Generic MOD (Unknown Music)";
    case 0x20001: return L"MultiTracker";
    case 0x20002: return L"ScreamTracker 3";
    case 0x20003: return L"FastTracker 2";
    case 0x20004: return L"Impulse Tracker";
    }
    // A compressed WAVE: the library puts the codec's format tag in the low word.
    if ((type & 0xFFFF0000u) == 0x40000) {
        switch (type & 0xFFFF) {
        case 0x0002: return L"Generic WAVE (Microsoft ADPCM)";
        case 0x0006: return L"Generic WAVE (A-law)";
        case 0x0007: return L"Generic WAVE (u-law)";
        case 0x0011: return L"Generic WAVE (IMA ADPCM)";
        case 0x0055: return L"Generic WAVE (MPEG layer 3)";
        }
        return L"Generic WAVE (Unknown)";
    }
    return loaded ? L"Unknown" : L"Audio Codec";
}

int BitRate(int64_t fileBytes, double seconds) {
    if (seconds == -1.0 || seconds <= 0 || fileBytes < 0) return 0;
    // Rounded to nearest with ties to even, as the processor rounds: 128.0 + 0.5 gives 128.
    return (int)lrint((double)fileBytes / (seconds * 125.0) + 0.5);
}

void ReadChannelTags(AudioChannel ch, TagRecord* tags) {
    const size_t kLimit = 64u << 20;
    unsigned cp = g_general.globalCP;
    if (const char* id3 = AudioGetTags(ch, TagId3)) ParseTagBlock(tags, id3, TagBlockSize(id3, TagId3, kLimit), TagId3, cp);
    for (int type : {TagApe, TagId3v2, TagOgg, TagWma, TagMp4, TagMeta}) {
        const char* block = AudioGetTags(ch, (uint32_t)type);
        if (!block) continue;
        ParseTagBlock(tags, block, TagBlockSize(block, type, kLimit), type, cp);
        break;
    }
    double seconds = AudioBytesToSeconds(ch, AudioLengthBytes(ch));
    tags->lengthMs = seconds < 0 ? 0 : (int32_t)lround(seconds * 1000.0);
}

bool ProbeTags(const wchar_t* path, TagRecord* tags) {
    // MPEG files from their headers alone; everything else as the library opens it.
    if (QuickProbeMpeg(path, tags, g_general.globalCP)) return true;
    AudioChannel ch = AudioOpenFile(path, true, false);
    if (!ch) return false;
    tags->path.Set(path);
    ReadChannelTags(ch, tags);
    AudioFreeChannel(ch);
    return true;
}

int32_t ProbeLength(const wchar_t* path) {
    AudioChannel ch = AudioOpenFile(path, true, false);
    if (!ch) return -1;
    double seconds = AudioBytesToSeconds(ch, AudioLengthBytes(ch));
    AudioFreeChannel(ch);
    return seconds < 0 ? 0 : (int32_t)lround(seconds * 1000.0);
}

static void SetCell(ListView* l, int column, int row, const std::wstring& text) {
    SetCellText(l, column, text.c_str(), row);
}

void ShowStreamInfo(bool repaint) {
    ListView* panel = g_playerEvents.infoPanel();
    AudioChannel ch = channel.load();
    AudioChannelFormat f{};
    bool have = ch && AudioGetFormat(ch, &f);
    std::wstring name;
    std::string pluginName;
    if (have && f.plugin && AudioPluginFormatName(f.plugin, f.type, &pluginName)) {
        StringBuffer converted;
        converted.SetFromBytes(pluginName.data(), pluginName.size(), CP_ACP);
        name = f.type == 0x10900 ? L"FLAC" : converted.text;
    } else {
        bool loaded = have && (AudioIsActive(ch) != AudioStopped || g_engine.playState == PlayStateLoaded);
        if (have && (f.type & 0x100)) name = L"MO3 (" + FormatName(f.type & ~0x100u, loaded) + L")";
        else name = FormatName(f.type, loaded);
    }
    int kbps = 0;
    if (have && g_engine.netState.load() == 0 && !(f.type & 0x20000) && f.type != 0x10d00)
        kbps = BitRate(AudioFileSize(ch), AudioBytesToSeconds(ch, AudioLengthBytes(ch)));
    else if (have && g_engine.netState.load() != 0) {
        // An internet stream: its ICY headers give the bit rate and the genre.
        const char* icy = AudioGetTags(ch, TagIcy);
        for (const char* line = icy; line && *line; line += strlen(line) + 1) {
            if (!_strnicmp(line, "icy-br:", 7)) kbps = atoi(line + 7);
            else if (!_strnicmp(line, "icy-genre:", 10) && panel) {
                StringBuffer genre;
                genre.SetFromBytes(line + 10, strlen(line + 10), CP_ACP);
                SetCell(panel, 0, 4, genre.text);
            }
        }
    }
    g_engine.sampleRate = (int32_t)f.frequency;
    if (!panel) return;
    wchar_t t[64];
    SetCell(panel, 1, 0, name);
    swprintf(t, 64, L"%i kbit/s", kbps);
    SetCell(panel, 1, 1, t);
    if (f.sourceBits) swprintf(t, 64, L"%i Hz (%i bit)", (int)f.frequency, (int)f.sourceBits);
    else swprintf(t, 64, L"%i Hz", (int)f.frequency);
    SetCell(panel, 1, 2, t);
    swprintf(t, 64, L"%i Channel%ls", (int)f.channels, f.channels == 1 ? L"" : L"s");
    SetCell(panel, 1, 3, t);
    SetCell(panel, 1, 5, L"");
    g_playerEvents.fitInfoColumns();
    if (repaint) Redraw(panel);
}

void ShowTagRecord(const TagRecord& tags) {
    g_shown = ShownTrackText{tags.title.text, tags.artist.text, tags.album.text};
    g_playerEvents.trackTextsChanged();
    ListView* panel = g_playerEvents.infoPanel();
    if (!panel) return;
    int focused = panel->currentRow;
    while (panel->rowCount < 6 && AddRow(panel)) {}
    std::wstring title = tags.title.text;
    if (!tags.track.empty()) title += L"." + tags.track.text;
    SetCell(panel, 0, 0, title);
    SetCell(panel, 0, 1, tags.artist.text);
    SetCell(panel, 0, 2, tags.album.text);
    SetCell(panel, 0, 3, tags.year.text);
    SetCell(panel, 0, 4, tags.genre.text);
    SetCell(panel, 0, 5, tags.comment.empty() ? L" " : tags.comment.text);
    Redraw(panel);
    panel->currentRow = focused < panel->rowCount ? focused : panel->rowCount - 1;
}

void RefreshTrackDisplay() {
    AudioChannel ch = channel.load();
    TagRecord tags;
    if (ch && (AudioIsActive(ch) != AudioStopped || g_engine.playState == PlayStateLoaded)) {
        tags.path.Set(currentPath.c_str());
        ReadChannelTags(ch, &tags);
        g_playerEvents.nowPlaying(tags);
    } else {
        FillCaptions(&tags);
    }
    ShowTagRecord(tags);
    ShowStreamInfo(false);
    if (g_playerEvents.infoPanel()) Redraw(g_playerEvents.infoPanel());
}
