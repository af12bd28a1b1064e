#include "library/probe_pool.h"
#include "media/tags.h"

// One fewer than the processors: the taking thread probes too. More threads
// than that only queue at the Wine server's file calls (measured on two cores:
// one helper adds 5,000 files in less time than two or three).
int ProbeThreadCount() {
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    int n = (int)si.dwNumberOfProcessors - 1;
    return n < 1 ? 1 : n > 3 ? 3 : n;
}

ProbePool::ProbePool(ProbeFunction probe, int threads) : probe_(probe) {
    maxThreads_ = threads < 0 ? 0 : threads > 8 ? 8 : threads;
    InitializeCriticalSection(&lock_);
    InitializeConditionVariable(&workReady_);
    InitializeConditionVariable(&resultReady_);
}

ProbePool::~ProbePool() {
    EnterCriticalSection(&lock_);
    stopping_ = true;
    LeaveCriticalSection(&lock_);
    WakeAllConditionVariable(&workReady_);
    if (threadCount_) WaitForMultipleObjects((DWORD)threadCount_, threads_, TRUE, INFINITE);
    for (int i = 0; i < threadCount_; i++) CloseHandle(threads_[i]);
    DeleteCriticalSection(&lock_);
}

// A path inside a ".cue" file: one of a sheet's tracks, most likely.
static bool InsideSheet(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return slash != std::wstring::npos && slash >= 4 && _wcsnicmp(path.c_str() + slash - 4, L".cue", 4) == 0;
}

void ProbePool::Probe(Task* t) {
    ProbedFile r;
    // Only a path that does not open can be a sheet's track; one inside a
    // sheet is looked at before anything tries to open it.
    auto notAFile = [&] {
        DWORD a = GetFileAttributesW(t->path.c_str());
        return a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY);
    };
    if (t->checkFile && InsideSheet(t->path) && notAFile()) {
        r.notAFile = true;
    } else {
        TagRecord tags;
        r.opened = probe_(t->path.c_str(), &tags);
        if (r.opened) {
            r.lengthMs = tags.lengthMs;
            r.hasCue = tags.hasCue;
        } else if (t->checkFile) {
            r.notAFile = notAFile();
        }
    }
    t->result = r;
}

DWORD WINAPI ProbePool::Worker(void* self) {
    ProbePool* p = (ProbePool*)self;
    EnterCriticalSection(&p->lock_);
    for (;;) {
        while (!p->stopping_ && p->nextToStart_ >= p->tasks_.size())
            SleepConditionVariableCS(&p->workReady_, &p->lock_, INFINITE);
        if (p->stopping_) break;
        Task* t = &p->tasks_[p->nextToStart_++];
        t->started = true;
        p->running_++;
        LeaveCriticalSection(&p->lock_);
        p->Probe(t);
        EnterCriticalSection(&p->lock_);
        t->done = true;
        p->running_--;
        WakeAllConditionVariable(&p->resultReady_);
    }
    LeaveCriticalSection(&p->lock_);
    return 0;
}

void ProbePool::StartThreads() {
    while (threadCount_ < maxThreads_) {
        HANDLE h = CreateThread(nullptr, 0, Worker, this, 0, nullptr);
        if (!h) break;  // fewer helpers; the taking thread probes the rest
        threads_[threadCount_++] = h;
    }
}

void ProbePool::Queue(const std::wstring& path, bool checkFile) {
    EnterCriticalSection(&lock_);
    tasks_.push_back(Task{path, checkFile});
    bool start = threadCount_ == 0 && tasks_.size() >= 2;
    LeaveCriticalSection(&lock_);
    if (start) StartThreads();
    WakeConditionVariable(&workReady_);
}

ProbedFile ProbePool::TakeNext() {
    EnterCriticalSection(&lock_);
    Task* front = &tasks_.front();
    while (!front->done) {
        if (nextToStart_ < tasks_.size()) {
            // Rather than wait, probe the next one nobody has started: the
            // front itself, or one after it that will be wanted soon.
            Task* t = &tasks_[nextToStart_++];
            t->started = true;
            LeaveCriticalSection(&lock_);
            Probe(t);
            EnterCriticalSection(&lock_);
            t->done = true;
            continue;
        }
        SleepConditionVariableCS(&resultReady_, &lock_, INFINITE);
    }
    ProbedFile r = front->result;
    tasks_.pop_front();
    nextToStart_--;
    LeaveCriticalSection(&lock_);
    return r;
}

void ProbePool::Drop() {
    EnterCriticalSection(&lock_);
    // Nothing new starts; the probes under way end before their tasks go.
    while (nextToStart_ < tasks_.size()) tasks_.pop_back();
    while (running_ > 0) SleepConditionVariableCS(&resultReady_, &lock_, INFINITE);
    tasks_.clear();
    nextToStart_ = 0;
    LeaveCriticalSection(&lock_);
}

size_t ProbePool::Waiting() {
    EnterCriticalSection(&lock_);
    size_t n = tasks_.size();
    LeaveCriticalSection(&lock_);
    return n;
}
