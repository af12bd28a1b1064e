// Listening statistics: how long each track has been listened to, matched to
// a record by its tags and length, kept in Scrobbler.dcp beside the executable.
// User-interface thread only.
#pragma once
#include <stdint.h>
#include <string>
#include <vector>
#include "library/kept_aside.h"
#include "library/statistics_file.h"

struct TagRecord;

struct ListenStats {
    std::vector<ListenRecord> records;  // in the order they were created or loaded
    int32_t current = -1;               // the record of the track now loaded, -1 none
    int64_t startTime = 0;              // FILETIME units: when the running stretch began
    bool listening = false;             // a listen is prepared or counted for `current`
    bool counting = false;              // a stretch runs since startTime
    bool keepFile = false;              // the file exists but could not be read: never overwrite it
    KeptAside kept;                     // the file read in part: copied aside before the first save
};
extern ListenStats g_stats;

// At start-up: false when the file is missing or foreign (records as they are, or none).
bool LoadStatistics();
// Writes beside the old file and replaces it in one step; a failure shows the
// system's error text and leaves the old file whole. A running stretch is
// counted up to now first and goes on.
bool SaveStatistics();
// The settings page's button: every record goes; a listen in progress is dropped.
void ResetStatistics();

// A track (or CUE track) was opened and its tags read: choose or create its record.
void StatsNowPlaying(const TagRecord& tags);
void StatsBegin(const TagRecord& tags, int32_t lengthMs);
// Pause: add the running stretch to the current record.
void StatsAccountListened();
// Playback starts or resumes: a stretch begins when a listen is prepared and statistics are on.
void StatsStampResume();
// Stop, track change, track end, exit: add the running stretch and end the listen.
void StatsStopListen();

// For the settings page: listenMs / lengthMs (0 for a record without a length),
// and the listened time as "%02i:%02i" below an hour, "%i:%02i:%02i" from one on.
int64_t ListenCount(const ListenRecord& r);
void FormatListenTime(int64_t ms, wchar_t* out, int size);

// Tests drive the wall clock (100-nanosecond units); null restores the system's.
void SetStatsClock(int64_t (*now)());
