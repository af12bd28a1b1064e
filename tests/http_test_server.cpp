#include "tests/http_test_server.h"
#include <string.h>

namespace {
struct WinsockOnce {
    WinsockOnce() {
        WSADATA d;
        WSAStartup(MAKEWORD(2, 2), &d);
    }
};
void EnsureWinsock() { static WinsockOnce once; }
}  // namespace

bool TestConnection::Send(const void* data, size_t size) {
    const char* p = (const char*)data;
    while (size > 0) {
        if (Stopping()) return false;
        int n = send(socket, p, (int)(size > 65536 ? 65536 : size), 0);
        if (n <= 0) return false;
        p += n;
        size -= (size_t)n;
    }
    return true;
}

std::string TestConnection::Header(const char* name) const {
    size_t n = strlen(name);
    size_t at = request.find("\r\n");
    while (at != std::string::npos && at + 2 < request.size()) {
        size_t line = at + 2;
        size_t end = request.find("\r\n", line);
        if (end == std::string::npos) break;
        if (end - line > n && _strnicmp(request.c_str() + line, name, n) == 0 && request[line + n] == ':') {
            size_t v = line + n + 1;
            while (v < end && request[v] == ' ') v++;
            return request.substr(v, end - v);
        }
        at = end;
    }
    return "";
}

bool TestHttpServer::Start(Handler handler) {
    EnsureWinsock();
    handler_ = std::move(handler);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof(a);
    if (listener_ == INVALID_SOCKET || bind(listener_, (sockaddr*)&a, sizeof(a)) != 0 ||
        listen(listener_, 16) != 0 || getsockname(listener_, (sockaddr*)&a, &len) != 0)
        return false;
    port_ = ntohs(a.sin_port);
    acceptThread_ = std::thread([this] { Accept(); });
    return true;
}

void TestHttpServer::Accept() {
    for (;;) {
        SOCKET s = accept(listener_, nullptr, nullptr);
        if (s == INVALID_SOCKET || stopping_) {
            if (s != INVALID_SOCKET) closesocket(s);
            return;
        }
        connections_++;
        std::lock_guard<std::mutex> lock(mu_);
        open_.push_back(s);
        workers_.emplace_back([this, s] {
            TestConnection c;
            c.socket = s;
            c.stopping = &stopping_;
            char buf[4096];
            while (c.request.find("\r\n\r\n") == std::string::npos && c.request.size() < 65536) {
                int n = recv(s, buf, sizeof(buf), 0);
                if (n <= 0) break;
                c.request.append(buf, (size_t)n);
            }
            size_t sp = c.request.find(' ');
            if (sp != std::string::npos) c.path = c.request.substr(sp + 1, c.request.find(' ', sp + 1) - sp - 1);
            if (!stopping_) handler_(c);
            shutdown(s, SD_BOTH);
        });
    }
}

void TestHttpServer::Stop() {
    if (listener_ == INVALID_SOCKET) return;
    stopping_ = true;
    closesocket(listener_);
    if (acceptThread_.joinable()) acceptThread_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(mu_);
        for (SOCKET s : open_) shutdown(s, SD_BOTH);  // a blocked send returns
        workers.swap(workers_);
    }
    for (std::thread& t : workers) t.join();
    for (SOCKET s : open_) closesocket(s);
    open_.clear();
    listener_ = INVALID_SOCKET;
}

std::string TestHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int ClosedPort() {
    EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof(a);
    bind(s, (sockaddr*)&a, sizeof(a));
    getsockname(s, (sockaddr*)&a, &len);
    closesocket(s);
    return ntohs(a.sin_port);
}

std::string ReplyHead(const std::string& status, const std::vector<std::string>& headers) {
    std::string r = status + "\r\n";
    for (const std::string& h : headers) r += h + "\r\n";
    return r + "\r\n";
}
