// A tiny HTTP server on 127.0.0.1 for the tests of internet streams: one
// thread accepts, one thread per connection answers through the handler.
// Nothing here reaches beyond the machine.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "tests/icy_stream.h"

struct TestConnection {
    SOCKET socket = INVALID_SOCKET;
    std::string request;  // the request line and headers
    std::string path;     // from the request line
    const std::atomic<bool>* stopping = nullptr;

    bool Send(const void* data, size_t size);
    bool Send(const std::string& s) { return Send(s.data(), s.size()); }
    bool Stopping() const { return stopping->load(); }
    // A request header's value ("" when absent), name compared without case.
    std::string Header(const char* name) const;
};

class TestHttpServer {
public:
    using Handler = std::function<void(TestConnection&)>;
    ~TestHttpServer() { Stop(); }
    bool Start(Handler handler);
    void Stop();
    int Port() const { return port_; }
    std::string Url(const std::string& path) const;
    int Connections() const { return connections_; }

private:
    void Accept();
    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::thread acceptThread_;
    std::mutex mu_;
    std::vector<std::thread> workers_;
    std::vector<SOCKET> open_;
};

// A port on 127.0.0.1 where nothing listens (a refused connection).
int ClosedPort();
// "HTTP/1.0 200 OK" and the given header lines, each ending in CR LF, then the empty line.
std::string ReplyHead(const std::string& status, const std::vector<std::string>& headers);
