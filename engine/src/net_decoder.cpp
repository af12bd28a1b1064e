// The decoder of an internet stream. The format's own decoder reads the
// download (and waits for it) on a thread of ours, into a ring of decoded
// frames; the channel takes frames from the ring and never waits. An empty
// ring stalls playback until the download buffer is filled again to the
// pre-buffer share (BASS_CONFIG_NET_PREBUF) or the download has ended.
#include <deque>
#include <thread>
#include <vector>
#include "library_state.h"
#include "net_feed.h"

namespace {

const int64_t kChunkFrames = 1024;
const int64_t kRingFrames = 16384;

DWORD Config(int option) {
    std::lock_guard<std::recursive_mutex> lock(Library().mu);
    return Library().config[option];
}

class NetDecoder : public Decoder {
public:
    NetDecoder(std::shared_ptr<NetFeed> feed, std::unique_ptr<Decoder> inner, bool decodeOnly)
        : feed_(std::move(feed)), inner_(std::move(inner)), decodeOnly_(decodeOnly) {
        format = inner_->format;
        tags = inner_->tags;
        length_ = inner_->Length();
        // Read now: the mixer must not take the library's lock.
        prebufPercent_ = Config(BASS_CONFIG_NET_PREBUF);
        waitMs_ = Config(BASS_CONFIG_NET_TIMEOUT);
        const HttpReply& r = feed_->Reply();
        tags[r.icy ? BASS_TAG_ICY : BASS_TAG_HTTP] = r.tagBlock;
        ring_.resize((size_t)(kRingFrames * format.chans));
        // The titles of what the opening read are there from the start.
        std::vector<NetFeed::MetaChange> opening = feed_->TakeMetas(feed_->OpeningEnd());
        if (!opening.empty()) SetTag(BASS_TAG_META, opening.back().text);
        thread_ = std::thread([this] { Run(); });
    }
    ~NetDecoder() override {
        {
            std::lock_guard<std::mutex> lock(mu_);
            stop_ = true;
        }
        changed_.notify_all();
        feed_->Abort();  // a read waiting for the network returns at once
        thread_.join();
    }

    int64_t Read(float* out, int64_t frames) override {
        std::unique_lock<std::mutex> lock(mu_);
        if (decodeOnly_) {
            changed_.wait_for(lock, std::chrono::milliseconds(waitMs_), [this] { return have_ > 0 || ended_; });
        } else if (waitPrebuf_) {
            if (!ended_ && have_ < kRingFrames && !PrebufReached()) return MarkStalled();
            waitPrebuf_ = false;
        }
        if (have_ == 0) {
            if (ended_) return error_ ? -1 : 0;
            waitPrebuf_ = !decodeOnly_;
            return MarkStalled();
        }
        int64_t n = frames < have_ ? frames : have_;
        // A read ends where news is due, so that it comes exactly there.
        if (!due_.empty() && due_.front().frame > given_ && n > due_.front().frame - given_)
            n = due_.front().frame - given_;
        const size_t c = format.chans;
        for (int64_t i = 0; i < n; i++) {
            int64_t slot = (head_ + i) % kRingFrames;
            memcpy(out + i * c, &ring_[(size_t)slot * c], c * sizeof(float));
        }
        head_ = (head_ + n) % kRingFrames;
        have_ -= n;
        given_ += n;
        if (stalled_) {
            stalled_ = false;
            events_ |= kEventResume;
        }
        lock.unlock();
        changed_.notify_all();
        return n;
    }
    // Neither blocks nor the whole file stay in memory long enough to seek in.
    bool Seek(int64_t) override { return false; }
    int64_t Length() override { return length_; }
    NetFeed* Net() override { return feed_.get(); }
    bool Stalled() const override { return stalled_; }
    DWORD TakeEvents(int64_t mixedFrame) override {
        std::lock_guard<std::mutex> lock(mu_);
        // A title is published when the audio it came with is played.
        while (!due_.empty() && due_.front().frame <= mixedFrame) {
            SetTag(due_.front().type, due_.front().text);
            events_ |= due_.front().type == BASS_TAG_META ? kEventMeta : kEventOggChange;
            due_.pop_front();
        }
        DWORD e = events_;
        events_ = 0;
        return e;
    }

private:
    struct DueTag {
        int64_t frame;  // the first frame decoded after the decoder read the news
        DWORD type;     // BASS_TAG_META: a title; BASS_TAG_OGG: a new logical stream's comments
        std::string text;
    };

    // A tag block (channel lock held). One handed out before stays readable:
    // its buffer moves to a short list of old ones.
    void SetTag(DWORD type, const std::string& text) {
        std::string fresh;
        fresh.reserve(text.size() + 32);  // never in the string's own small buffer
        fresh = text;
        auto it = tags.find(type);
        if (it != tags.end()) {
            retired_.push_back(std::move(it->second));
            if (retired_.size() > 16) retired_.pop_front();
            it->second = std::move(fresh);
        } else {
            tags[type] = std::move(fresh);
        }
    }
    bool PrebufReached() {
        NetFeed::Status s = feed_->GetStatus();
        if (!s.connected) return true;
        int64_t buffered = s.downloaded - s.read;
        return buffered * 100 >= (int64_t)prebufPercent_ * s.capacity;
    }
    int64_t MarkStalled() {
        if (!stalled_) {
            stalled_ = true;
            events_ |= kEventStall;
        }
        return kStalled;
    }
    void Run() {
        const size_t c = format.chans;
        std::vector<float> chunk((size_t)(kChunkFrames * c));
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mu_);
                changed_.wait(lock, [this] { return stop_ || kRingFrames - have_ >= kChunkFrames; });
                if (stop_) return;
            }
            int64_t n = inner_->Read(chunk.data(), kChunkFrames);
            int64_t after = produced_ + (n > 0 ? n : 0);
            // Titles whose byte the decoder has now read belong after these frames;
            // a new logical stream of a chained Ogg stream begins right after them.
            std::vector<NetFeed::MetaChange> metas = feed_->TakeMetas(feed_->GetStatus().read);
            bool linkChanged = inner_->TakeEvents(after) & kEventOggChange;
            std::lock_guard<std::mutex> lock(mu_);
            for (auto& m : metas) due_.push_back({after, BASS_TAG_META, std::move(m.text)});
            if (linkChanged) due_.push_back({after, BASS_TAG_OGG, inner_->tags[BASS_TAG_OGG]});
            if (n <= 0) {
                ended_ = true;
                error_ = n < 0;
                changed_.notify_all();
                return;
            }
            for (int64_t i = 0; i < n; i++) {
                int64_t slot = (head_ + have_ + i) % kRingFrames;
                memcpy(&ring_[(size_t)slot * c], &chunk[(size_t)i * c], c * sizeof(float));
            }
            have_ += n;
            produced_ += n;
            changed_.notify_all();
        }
    }

    std::shared_ptr<NetFeed> feed_;
    std::unique_ptr<Decoder> inner_;
    bool decodeOnly_;
    int64_t length_ = -1;
    DWORD prebufPercent_ = 75, waitMs_ = 5000;
    std::deque<std::string> retired_;

    std::mutex mu_;
    std::condition_variable changed_;
    std::vector<float> ring_;
    int64_t head_ = 0, have_ = 0;
    int64_t produced_ = 0;       // frames put into the ring so far
    int64_t given_ = 0;          // frames taken out of it so far
    std::deque<DueTag> due_;     // news waiting for its frame to be played
    bool ended_ = false, error_ = false, stop_ = false;
    bool waitPrebuf_ = true;
    std::atomic<bool> stalled_{false};
    DWORD events_ = 0;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<Decoder> OpenNetDecoder(std::shared_ptr<NetFeed> feed, DWORD flags, int* error) {
    std::unique_ptr<ByteSource> src = ByteSource::OpenNet(feed);
    int e = BASS_ERROR_FILEFORM;
    std::unique_ptr<Decoder> inner = OpenVorbis(src, &e);
    if (!inner && src && e == BASS_ERROR_FILEFORM) inner = OpenMpeg(src, flags, &e);
    if (!inner) {
        *error = e;
        return nullptr;
    }
    if (inner->format.freq == 0 || inner->format.chans == 0) {
        *error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    // The block buffer holds BASS_CONFIG_NET_BUFFER milliseconds at the
    // stream's bit rate (the format's, else the server's, else 128 kbit/s).
    DWORD bitrate = inner->format.bitrate;
    if (!bitrate) bitrate = feed->Reply().bitrateKbps * 1000;
    if (!bitrate) bitrate = 128000;
    int64_t capacity = (int64_t)Config(BASS_CONFIG_NET_BUFFER) * (bitrate / 8) / 1000;
    if (capacity < 8192) capacity = 8192;
    feed->BeginPlayback(feed->Block(), capacity);
    *error = 0;
    return std::make_unique<NetDecoder>(std::move(feed), std::move(inner), (flags & BASS_STREAM_DECODE) != 0);
}
