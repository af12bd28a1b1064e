// Probing files ahead of the adding scan on a few threads of their own: the
// scan queues each file in its order and takes the results in that same
// order, so the playlist's entries keep the scan's order whichever probe
// ends first. The thread that takes probes too while it waits: the next
// file nobody has started.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <deque>
#include <string>

struct TagRecord;

struct ProbedFile {
    bool notAFile = false;  // did not open, and is missing or a folder (a sheet's track path)
    bool opened = false;    // the probe could open it
    int32_t lengthMs = 0;
    bool hasCue = false;    // a sheet in its tags
};

using ProbeFunction = bool (*)(const wchar_t* path, TagRecord* tags);

class ProbePool {
public:
    // `threads` helpers at most, started when a second file waits.
    ProbePool(ProbeFunction probe, int threads);
    ~ProbePool();  // drops what waits, lets the probes under way end, joins
    ProbePool(const ProbePool&) = delete;
    ProbePool& operator=(const ProbePool&) = delete;

    // checkFile: the path may not be a plain file (a row handed over rather
    // than a folder's listing): when it does not open, its attributes tell.
    void Queue(const std::wstring& path, bool checkFile);
    // The result of the oldest queued file not yet taken; meanwhile this
    // thread probes files nobody has started. Only while something is queued.
    ProbedFile TakeNext();
    // Drops every queued file not yet taken (the scan stopped).
    void Drop();
    size_t Waiting();

private:
    struct Task {
        std::wstring path;
        bool checkFile;
        bool started = false, done = false;
        ProbedFile result;
    };
    static DWORD WINAPI Worker(void* self);
    void Probe(Task* t);
    void StartThreads();

    ProbeFunction probe_;
    int maxThreads_;
    int threadCount_ = 0;
    HANDLE threads_[8] = {};
    CRITICAL_SECTION lock_;
    CONDITION_VARIABLE workReady_, resultReady_;
    std::deque<Task> tasks_;  // taken from the front; a task's address holds while it is in the deque
    size_t nextToStart_ = 0;  // into tasks_
    int running_ = 0;         // probes under way
    bool stopping_ = false;
};

// Helpers for a pool on this machine: 1 to 3, so that two to four threads probe.
int ProbeThreadCount();
