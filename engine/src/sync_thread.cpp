#include "sync_thread.h"
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include "channel.h"

namespace {

struct Pending {
    HSYNC id;
    DWORD channel, data;
    SYNCPROC* proc;
    void* user;
    int64_t dueUs;
};

std::mutex gMu;
std::condition_variable gWake;
std::deque<Pending> gQueue;
// Never destroyed: a process that ends without BASS_Free must not abort in a destructor.
std::thread& gThread = *new std::thread;
bool gRunning = false;

void Run() {
    std::unique_lock<std::mutex> lock(gMu);
    while (gRunning) {
        if (gQueue.empty()) {
            gWake.wait(lock);
            continue;
        }
        int64_t wait = gQueue.front().dueUs - NowUs();
        if (wait > 0) {
            gWake.wait_for(lock, std::chrono::microseconds(wait));
            continue;
        }
        Pending p = gQueue.front();
        gQueue.pop_front();
        lock.unlock();
        // A channel freed meanwhile gets no callback.
        if (ChannelPtr ch = FindChannel(p.channel)) p.proc(p.id, p.channel, p.data, p.user);
        lock.lock();
    }
}

}  // namespace

void StartSyncThread() {
    std::lock_guard<std::mutex> lock(gMu);
    if (gRunning) return;
    gRunning = true;
    gThread = std::thread(Run);
}

void StopSyncThread() {
    {
        std::lock_guard<std::mutex> lock(gMu);
        if (!gRunning) return;
        gRunning = false;
        gQueue.clear();
    }
    gWake.notify_all();
    if (gThread.get_id() == std::this_thread::get_id()) gThread.detach();
    else gThread.join();
}

void QueueSync(HSYNC id, DWORD channel, DWORD data, SYNCPROC* proc, void* user, int64_t delayUs) {
    {
        std::lock_guard<std::mutex> lock(gMu);
        if (gRunning) {
            gQueue.push_back({id, channel, data, proc, user, NowUs() + delayUs});
            gWake.notify_all();
            return;
        }
    }
    proc(id, channel, data, user);
}
