// A recursive lock that gives back what it holds when it goes.
//
// MinGW's std::mutex and std::recursive_mutex (posix thread model) have
// trivial destructors that never destroy their pthread mutex, and winpthreads
// gives a mutex that once saw contention an event of its own: every such lock
// destroyed leaks a handle. Locks that come and go with channels and streams
// are this one instead (a critical section, deleted with it).
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
