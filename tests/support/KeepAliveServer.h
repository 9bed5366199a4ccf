#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>

// An HTTP/1.1 server on loopback that keeps connections open between requests, as real
// content servers do, and counts the connections clients open: every request is answered with
// the same body, after an optional delay (a slow network). With CloseAfterEach it closes every
// connection right after its answer without announcing it: a kept-alive connection that has
// gone stale by the time the client uses it again. A thread per connection; for tests and
// benchmarks.
class KeepAliveServer {
public:
    enum class Connections { KeepOpen, CloseAfterEach };
    struct Options {
        std::string body;
        std::string contentType;  // no Content-Type header when empty
        std::chrono::milliseconds delay{};
        Connections connections = Connections::KeepOpen;
    };

    explicit KeepAliveServer(Options options);
    ~KeepAliveServer();
    KeepAliveServer(const KeepAliveServer&) = delete;
    KeepAliveServer& operator=(const KeepAliveServer&) = delete;

    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int connections() const { return connections_; }
    int requests() const { return requests_; }
    void setDelay(std::chrono::milliseconds delay) { delayMs_ = delay.count(); }

private:
    void acceptLoop();
    void serve(int fd);

    std::string response_;
    bool closeAfterEach_;
    std::atomic<long long> delayMs_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<int> requests_{0};
    std::mutex mutex_;
    std::condition_variable served_;
    std::set<int> openFds_;  // one worker each, gone when its connection is closed
    std::thread acceptor_;
};
