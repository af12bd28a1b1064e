// A recursive lock that gives back what it holds when it goes.
//
// MinGW's std::mutex and std::recursive_mutex (posix thread model) have
// trivial destructors that never destroy their pthread mutex. winpthreads
// gives a recursive mutex memory once it is used and an event once it saw
// contention: every such lock destroyed leaks them. (Its plain mutex holds
// neither, so a std::mutex may come and go: 3,000 contended ones leave no
// handle and no memory behind.) Recursive locks that come and go with
// channels and streams are this one instead (a critical section, deleted with it).
#pragma once
#include <windows.h>

class RecursiveLock {
public:
    RecursiveLock() { InitializeCriticalSection(&cs_); }
    ~RecursiveLock() { DeleteCriticalSection(&cs_); }
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;
    void lock() { EnterCriticalSection(&cs_); }
    void unlock() { LeaveCriticalSection(&cs_); }
    bool try_lock() { return TryEnterCriticalSection(&cs_) != 0; }

private:
    CRITICAL_SECTION cs_;
};
