// PlayList.dcp: NUL-terminated UTF-8 fields under a bracketed header line.
#pragma once
#include <stdint.h>
#include <string>
#include <vector>

struct PlayListRecord {
    std::wstring folder;     // ends with a backslash
    std::wstring name;       // without the extension
    std::wstring extension;  // without the dot
    int32_t lengthMs = 0;
    int32_t playOrder = -1;  // -1 unplayed, else its place in the pass's history
};

struct PlayListFile {
    std::vector<PlayListRecord> records;
    uint32_t nowPlaying = 0;   // already checked: a played entry, else 0
    uint32_t playedCount = 0;
    int64_t totalLength = 0;
    int64_t playedLength = 0;
    int32_t nowPlayingRead = 0;  // the number the file gave
    // Every record the header announced was read and the data ended right
    // after the last one: a save loses nothing of this file.
    bool whole = false;
    // Memory ran out while reading: the records complete so far are kept.
    bool outOfMemory = false;
};

// Splits a full path at its last "." and last backslash.
void SplitEntryPath(const std::wstring& path, PlayListRecord* r);
std::wstring EntryPath(const PlayListRecord& r);

std::string SerializePlayList(const std::vector<PlayListRecord>& records, uint32_t nowPlaying);
// False when the header does not match (the playlist is then empty). A short
// file keeps the records complete so far. What is reserved ahead is bounded by
// the file's own size, and a failed allocation stops the reading with
// outOfMemory set instead of ending the program.
bool ParsePlayList(const char* data, size_t size, PlayListFile* out);
// Keeps the first n records (the list had no room for more) and brings the
// counts, the play orders and the now-playing entry in line with them.
void KeepFirstRecords(PlayListFile* f, size_t n);
