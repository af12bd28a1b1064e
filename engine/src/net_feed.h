// An internet stream's bytes: the connection (WinINet), the reply's headers
// and a download thread that fills a buffer which the decoder reads from.
//
// Threads. Connect runs on the caller's thread and returns once the server's
// headers are in. The download thread then appends audio (ICY metadata taken
// out) and the decoder's thread reads it; one lock guards the buffer and the
// metadata. The download thread owns a reference of its own and is never
// joined: Abort makes it end after its read in progress (it closes the
// connection itself; closing a handle that another thread is using could hand
// its number to a new connection) and guarantees that the DOWNLOADPROC is not
// called afterwards.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <stdint.h>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include "bass.h"
#include "decoder.h"
#include "locks.h"
#include "net_reply.h"

class NetFeed : public std::enable_shared_from_this<NetFeed> {
public:
    ~NetFeed();
    // url may be followed by "\r\n" and request headers of the caller's own.
    static std::shared_ptr<NetFeed> Connect(const std::wstring& url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                                            void* user, int* error);
    void StartDownload();
    void Abort();

    // Blocks until size bytes at pos are in, the download ends or is aborted;
    // returns the bytes copied. advance: a sequential read, which moves the
    // read position (a block stream forgets what lies before it).
    size_t Read(int64_t pos, void* buffer, size_t size, bool advance);
    // After the decoder has opened: keep only `capacity` bytes ahead of the
    // read position (block mode) or everything.
    void BeginPlayback(bool block, int64_t capacity);

    const HttpReply& Reply() const { return reply_; }
    int64_t Length() const { return reply_.contentLength; }
    bool Block() const { return block_; }

    struct Status {
        int64_t read = 0;        // where the decoder reads next
        int64_t downloaded = 0;  // audio bytes received
        int64_t capacity = 0;    // the block buffer's size
        bool connected = false;
    };
    Status GetStatus();
    // Metadata texts in the order they came, each with the audio byte from
    // which it applies. TakeMetas hands out (and forgets) those from bytes
    // before `upTo`; a text equal to the one before it is not queued.
    struct MetaChange {
        int64_t at;
        std::string text;
    };
    std::vector<MetaChange> TakeMetas(int64_t upTo);
    // How far the decoder's opening looked into the audio (its probes included).
    int64_t OpeningEnd();

private:
    NetFeed() = default;
    void Run();
    bool Wanted();  // room for more (mu_ held)
    void RecoverIcyHeaders();

    HINTERNET session_ = nullptr, request_ = nullptr;  // the download thread's once it runs
    RecursiveLock procMu_;
    DOWNLOADPROC* proc_ = nullptr;
    void* user_ = nullptr;
    HttpReply reply_;
    std::string pending_;  // body bytes read while connecting

    std::mutex mu_;
    std::condition_variable changed_;
    std::string data_;        // bytes [base_, base_ + data_.size())
    int64_t base_ = 0;
    int64_t readPos_ = 0;
    int64_t wantedEnd_ = 0;   // a blocked reader waits for the data up to here
    bool opening_ = true;
    bool block_ = false;
    int64_t capacity_ = 0;
    bool done_ = false;
    bool aborted_ = false;
    std::vector<MetaChange> metas_;
    std::string lastMeta_;
    int64_t openingEnd_ = 0;
};

// The decoder of an internet stream: the format read from the first bytes
// (Ogg Vorbis, then MPEG audio), decoded on a thread of its own ahead of the
// channel, so that the mixer never waits for the network.
std::unique_ptr<Decoder> OpenNetDecoder(std::shared_ptr<NetFeed> feed, DWORD flags, int* error);
