#include "audio/cue_playback.h"
#include "audio/engine.h"
#include "audio/overview.h"
#include "audio/player_events.h"
#include "audio/track_display.h"
#include "media/cue_files.h"

// A track that runs on from the one before on the same channel has nothing to
// open: only its overview, tags and listen are new.
static bool ShowSheetTrack(TagRecord* sheet, const wchar_t* trackName, bool continuing) {
    std::wstring audio;
    size_t track = 0;
    bool opened = false;
    if (SheetTrackFields(sheet, trackName, &audio, &track)) {
        // No "Can't play file" box for a track.
        opened = continuing || (!audio.empty() && FindAudioFile(&audio) && OpenTrackQuietly(audio.c_str(), false, true));
        int32_t start = 0, length = 0;
        if (continuing || (opened && SheetTrackTimes(*sheet, track, (int32_t)seekLength, &start, &length))) {
            if (!continuing) SetTrackBounds(start, length);
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

bool PlaySheetTrack(TagRecord* sheet, const wchar_t* trackName) { return ShowSheetTrack(sheet, trackName, false); }

bool PlayCueTrack(const wchar_t* trackPath) {
    std::wstring container, name;
    TagRecord sheet;
    if (!SplitTrackPath(trackPath, &container, &name) || !LoadSheet(container.c_str(), &sheet)) return false;
    bool nothingToOpen = TakeOverTrackAhead(trackPath) || ContinueIntoTrackAhead(trackPath);
    return ShowSheetTrack(&sheet, name.c_str(), nothingToOpen);
}

bool FindSheetTrack(const wchar_t* trackPath, SheetTrackPlace* place) {
    std::wstring container, name;
    if (!SplitTrackPath(trackPath, &container, &name) || !LoadSheet(container.c_str(), &place->sheet)) return false;
    return SheetTrackFields(&place->sheet, name.c_str(), &place->audio, &place->track) && !place->audio.empty() &&
           FindAudioFile(&place->audio);
}

bool SheetTrackBounds(const SheetTrackPlace& place, int32_t fileMs, int32_t* startMs, int32_t* lengthMs) {
    return SheetTrackTimes(place.sheet, place.track, fileMs, startMs, lengthMs) && *lengthMs > 0;
}

bool SheetTrackFollows(const wchar_t* trackPath, const wchar_t* audioPath, int32_t fileMs, int32_t endMs,
                       int32_t* startMs, int32_t* lengthMs) {
    SheetTrackPlace place;
    if (!FindSheetTrack(trackPath, &place) || _wcsicmp(place.audio.c_str(), audioPath) != 0) return false;
    return SheetTrackBounds(place, fileMs, startMs, lengthMs) && *startMs == endMs;
}
