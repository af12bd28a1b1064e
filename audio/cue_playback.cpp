#include "audio/cue_playback.h"
#include "audio/engine.h"
#include "audio/overview.h"
#include "audio/player_events.h"
#include "audio/track_display.h"
#include "media/cue_files.h"

bool PlaySheetTrack(TagRecord* sheet, const wchar_t* trackName) {
    std::wstring audio;
    size_t track = 0;
    bool opened = false;
    if (SheetTrackFields(sheet, trackName, &audio, &track)) {
        // No "Can't play file" box for a track.
        opened = !audio.empty() && FindAudioFile(&audio) && OpenTrackQuietly(audio.c_str(), false, true);
        int32_t start = 0, length = 0;
        if (opened && SheetTrackTimes(*sheet, track, (int32_t)seekLength, &start, &length)) {
            SetTrackBounds(start, length);
            bool complete = g_engine.scanComplete;
            g_engine.scanBusy = false;
            if (!complete) StartOverviewScan();
        } else {
            g_engine.scanBusy = false;
        }
    }
    ShowTagRecord(*sheet);
    // A track that did not open is no listen.
    if (opened) g_playerEvents.nowPlaying(*sheet);
    ShowStreamInfo(true);
    return opened;
}

bool PlayCueTrack(const wchar_t* trackPath) {
    std::wstring container, name;
    TagRecord sheet;
    if (!SplitTrackPath(trackPath, &container, &name) || !LoadSheet(container.c_str(), &sheet)) return false;
    return PlaySheetTrack(&sheet, name.c_str());
}
