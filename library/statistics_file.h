// Scrobbler.dcp: NUL-terminated UTF-8 fields under a bracketed header line,
// one record a line for each track listened to. Pure parsing: no file, no window.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

struct ListenRecord {
    std::wstring title, artist, album, year, genre;
    int32_t lengthMs = 0;
    int64_t listenMs = 0;
};

std::string SerializeStatistics(const std::vector<ListenRecord>& records);
struct StatisticsRead {
    // Every record the header announced was read and the data ended right
    // after the last one: a save loses nothing of this file.
    bool whole = false;
    // Memory ran out while reading: the records complete so far are kept.
    bool outOfMemory = false;
};
// False when the header does not match (no records then). A short or damaged
// file keeps the records complete so far; a count larger than the records
// present leaves a few empty records, no more than the rest of the file could
// hold. What is reserved ahead is bounded by the file's own size, and a failed
// allocation stops the reading with outOfMemory set instead of ending the program.
bool ParseStatistics(const char* data, size_t size, std::vector<ListenRecord>* out, StatisticsRead* read = nullptr);
