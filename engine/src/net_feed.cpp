#include "net_feed.h"
#include <ctype.h>
#include <thread>
#include <vector>
#include "library_state.h"

namespace {

// While the decoder probes the format, everything from the start is kept, up
// to this much; a probe that needs more fails.
const int64_t kOpeningLimit = 4 << 20;
const DWORD kReadChunk = 16384;

DWORD Config(int option) {
    std::lock_guard<std::recursive_mutex> lock(Library().mu);
    return Library().config[option];
}

int ErrorOf(DWORD winError) {
    switch (winError) {
    case ERROR_INTERNET_TIMEOUT: return BASS_ERROR_TIMEOUT;
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME: return BASS_ERROR_ILLPARAM;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR: return BASS_ERROR_SSL;
    default: return BASS_ERROR_FILEOPEN;
    }
}

void SetTimeout(HINTERNET h, DWORD option, DWORD ms) { InternetSetOptionW(h, option, &ms, sizeof(ms)); }

}  // namespace

NetFeed::~NetFeed() {
    // Only a feed whose download never started ends here with its handles.
    if (request_) InternetCloseHandle(request_);
    if (session_) InternetCloseHandle(session_);
}

std::shared_ptr<NetFeed> NetFeed::Connect(const std::wstring& url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                                          void* user, int* error) {
    std::shared_ptr<NetFeed> f(new NetFeed());
    f->proc_ = proc;
    f->user_ = user;
    // The address, then the caller's own request headers.
    std::wstring address = url, headers;
    size_t cut = url.find(L"\r\n");
    if (cut != std::wstring::npos) {
        address = url.substr(0, cut);
        headers = url.substr(cut + 2);
    }
    if (_wcsnicmp(address.c_str(), L"http://", 7) != 0 && _wcsnicmp(address.c_str(), L"https://", 8) != 0) {
        *error = BASS_ERROR_ILLPARAM;
        return nullptr;
    }
    headers += L"Icy-MetaData: 1\r\n";
    if (offset) headers += L"Range: bytes=" + std::to_wstring(offset) + L"-\r\n";

    f->session_ = InternetOpenW(L"BASS/2.4", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!f->session_) {
        *error = BASS_ERROR_NONET;
        return nullptr;
    }
    DWORD timeout = Config(BASS_CONFIG_NET_TIMEOUT);
    SetTimeout(f->session_, INTERNET_OPTION_CONNECT_TIMEOUT, timeout);
    SetTimeout(f->session_, INTERNET_OPTION_SEND_TIMEOUT, timeout);
    SetTimeout(f->session_, INTERNET_OPTION_RECEIVE_TIMEOUT, timeout);
    DWORD requestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE |
                         INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    HINTERNET request = InternetOpenUrlW(f->session_, address.c_str(), headers.c_str(), (DWORD)headers.size(),
                                         requestFlags, 0);
    if (!request) {
        *error = ErrorOf(GetLastError());
        return nullptr;
    }
    f->request_ = request;
    // The reply's headers; WinINet has followed redirections.
    std::vector<char> raw(4096);
    DWORD size = (DWORD)raw.size();
    if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr)) {
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER && size < (1u << 20)) {
            raw.resize(size + 1);
            if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr)) size = 0;
        } else {
            size = 0;
        }
    }
    if (!ParseHttpReply(raw.data(), size, &f->reply_)) {
        *error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    if (f->reply_.tagBlock.find('\0') + 2 == f->reply_.tagBlock.size()) f->RecoverIcyHeaders();
    // Status information goes to the callback even when the request failed.
    if (proc && (flags & BASS_STREAM_STATUS)) proc(f->reply_.tagBlock.data(), 0, user);
    if (f->reply_.status < 200 || f->reply_.status > 299) {
        *error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    DWORD readTimeout = Config(BASS_CONFIG_NET_READTIMEOUT);
    SetTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT, readTimeout ? readTimeout : 0x7FFFFFFF);
    // A stream of unknown or very great length is always played in blocks.
    int64_t length = f->reply_.contentLength;
    f->block_ = (flags & BASS_STREAM_BLOCK) || length < 0 || length > 0x7FFFFFFF || f->reply_.metaInt;
    return f;
}

// Wine's WinINet does not know an "ICY 200 OK" status line: it reports a
// header-less "HTTP/1.0 200 OK" and leaves the ICY header lines at the start
// of the body. A reply without headers whose body begins with header lines and
// an empty line gets those lines back as an ICY reply; other bytes read here
// stay the body's start.
void NetFeed::RecoverIcyHeaders() {
    const size_t kLimit = 16384;
    std::string head;
    size_t end = std::string::npos;
    char buf[2048];
    while (head.size() < kLimit) {
        DWORD available = 0, got = 0;
        if (!InternetQueryDataAvailable(request_, &available, 0, 0) || available == 0) break;
        if (!InternetReadFile(request_, buf, available < sizeof(buf) ? available : sizeof(buf), &got) || got == 0) break;
        head.append(buf, got);
        // Header lines are text with a colon in the first one; stop at anything else.
        size_t colon = head.find(':'), eol = head.find('\n');
        bool text = colon != std::string::npos && colon > 0 && (eol == std::string::npos || colon < eol);
        for (size_t i = 0; text && i < (colon == std::string::npos ? 0 : colon); i++)
            text = isalnum((unsigned char)head[i]) || head[i] == '-';
        if (!text) break;
        end = head.find("\r\n\r\n");
        if (end != std::string::npos) {
            end += 4;
            break;
        }
    }
    HttpReply icy;
    if (end != std::string::npos) {
        std::string reply = "ICY 200 OK\r\n" + head.substr(0, end);
        if (ParseHttpReply(reply.data(), reply.size(), &icy)) {
            reply_ = icy;
            head.erase(0, end);
        }
    }
    pending_ = head;
}

void NetFeed::StartDownload() {
    std::shared_ptr<NetFeed> self = shared_from_this();
    std::thread([self] { self->Run(); }).detach();
}

void NetFeed::Abort() {
    {
        std::lock_guard<std::mutex> lock(mu_);
        aborted_ = true;
    }
    changed_.notify_all();
    {
        // Wait for a callback in progress (unless this is its own thread).
        std::lock_guard<RecursiveLock> lock(procMu_);
        proc_ = nullptr;
    }
}

bool NetFeed::Wanted() {
    if (aborted_) return true;
    int64_t end = base_ + (int64_t)data_.size();
    if (end < wantedEnd_) return true;  // a reader waits for these bytes
    int64_t held = base_ + (int64_t)data_.size() - (opening_ ? 0 : readPos_);
    if (opening_) return held < kOpeningLimit;
    return !block_ || held < capacity_;
}

void NetFeed::Run() {
    IcyDemux demux(reply_.metaInt);
    std::vector<uint8_t> chunk(kReadChunk);
    std::string audio;
    std::vector<std::string> metas;
    std::vector<size_t> metaAt;
    bool first = true;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mu_);
            changed_.wait(lock, [this] { return Wanted(); });
            if (aborted_) break;
        }
        audio.clear();
        metas.clear();
        metaAt.clear();
        if (first && !pending_.empty()) {
            demux.Feed((const uint8_t*)pending_.data(), pending_.size(), &audio, &metas, &metaAt);
        } else {
            // Whatever has arrived, at most a chunk: a slow stream is not held back.
            DWORD available = 0, got = 0;
            if (!InternetQueryDataAvailable(request_, &available, 0, 0) || available == 0) break;
            if (!InternetReadFile(request_, chunk.data(), available < kReadChunk ? available : kReadChunk, &got) ||
                got == 0)
                break;
            demux.Feed(chunk.data(), got, &audio, &metas, &metaAt);
        }
        first = false;
        {
            std::lock_guard<std::mutex> lock(mu_);
            int64_t start = base_ + (int64_t)data_.size();
            data_ += audio;
            for (size_t i = 0; i < metas.size(); i++) {
                if (metas[i] == lastMeta_) continue;
                lastMeta_ = metas[i];
                if (metas_.size() >= 256) metas_.erase(metas_.begin());  // nobody takes them: keep the newest
                metas_.push_back({start + (int64_t)metaAt[i], std::move(metas[i])});
            }
        }
        changed_.notify_all();
        if (!audio.empty()) {
            std::lock_guard<RecursiveLock> lock(procMu_);
            if (proc_) proc_(audio.data(), (DWORD)audio.size(), user_);
        }
    }
    {
        std::lock_guard<std::mutex> lock(mu_);
        done_ = true;
    }
    changed_.notify_all();
    {
        std::lock_guard<RecursiveLock> lock(procMu_);
        if (proc_) proc_(nullptr, 0, user_);
    }
    InternetCloseHandle(request_);
    InternetCloseHandle(session_);
    request_ = session_ = nullptr;
}

size_t NetFeed::Read(int64_t pos, void* buffer, size_t size, bool advance) {
    std::unique_lock<std::mutex> lock(mu_);
    auto ready = [&] {
        int64_t end = base_ + (int64_t)data_.size();
        return aborted_ || done_ || end >= pos + (int64_t)size || (opening_ && pos + (int64_t)size > kOpeningLimit);
    };
    wantedEnd_ = pos + (int64_t)size;
    changed_.notify_all();
    changed_.wait(lock, ready);
    wantedEnd_ = 0;
    int64_t end = base_ + (int64_t)data_.size();
    if (aborted_ || pos < base_ || pos >= end) return 0;
    size_t n = (size_t)std::min<int64_t>((int64_t)size, end - pos);
    memcpy(buffer, data_.data() + (pos - base_), n);
    if (opening_) openingEnd_ = std::max(openingEnd_, pos + (int64_t)n);
    if (advance && !opening_) {
        readPos_ = std::max(readPos_, pos + (int64_t)n);
        // A block stream forgets what has been read, in large steps.
        if (block_ && readPos_ - base_ >= 65536 && readPos_ - base_ >= (int64_t)data_.size() / 2) {
            data_.erase(0, (size_t)(readPos_ - base_));
            base_ = readPos_;
        }
        lock.unlock();
        changed_.notify_all();
    } else if (advance) {
        readPos_ = std::max(readPos_, pos + (int64_t)n);
    }
    return n;
}

void NetFeed::BeginPlayback(bool block, int64_t capacity) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        opening_ = false;
        block_ = block;
        capacity_ = capacity;
    }
    changed_.notify_all();
}

NetFeed::Status NetFeed::GetStatus() {
    std::lock_guard<std::mutex> lock(mu_);
    Status s;
    s.read = readPos_;
    s.downloaded = base_ + (int64_t)data_.size();
    s.capacity = capacity_;
    s.connected = !done_ && !aborted_;
    return s;
}

std::vector<NetFeed::MetaChange> NetFeed::TakeMetas(int64_t upTo) {
    std::lock_guard<std::mutex> lock(mu_);
    size_t n = 0;
    while (n < metas_.size() && metas_[n].at < upTo) n++;
    std::vector<MetaChange> taken(std::make_move_iterator(metas_.begin()), std::make_move_iterator(metas_.begin() + n));
    metas_.erase(metas_.begin(), metas_.begin() + (ptrdiff_t)n);
    return taken;
}

int64_t NetFeed::OpeningEnd() {
    std::lock_guard<std::mutex> lock(mu_);
    return std::max(openingEnd_, readPos_);
}
