#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RecordedRequest {
    std::string method;
    std::string target;                          // path and query as sent
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::string header(const std::string& lowerName) const {
        auto it = headers.find(lowerName);
        return it == headers.end() ? std::string() : it->second;
    }
};

struct ScriptedResponse {
    int status = 200;
    std::string contentType = "text/xml; charset=utf-8";
    std::string body;
    // When set, the connection closes after this many body bytes although the full length
    // was announced: a transfer cut off halfway.
    std::size_t cutAfter = std::string::npos;
};

// An HTTP/1.1 server on 127.0.0.1 and an ephemeral port, on a thread of its own so that the
// blocking client under test can talk to it from the test's thread. It records every request
// and answers each with what the handler returns; one connection at a time, closed after each
// answer, unless made with Connections::Concurrent (a thread per connection, so a handler that
// holds one answer back does not hold the others). With certificate and key files it speaks
// HTTPS instead.
class RecordingHttpServer {
public:
    using Handler = std::function<ScriptedResponse(const RecordedRequest&)>;
    enum class Connections { OneAtATime, Concurrent };

    explicit RecordingHttpServer(Handler handler, const std::string& certFile = {},
                                 const std::string& keyFile = {});
    RecordingHttpServer(Handler handler, Connections connections);
    ~RecordingHttpServer();
    RecordingHttpServer(const RecordingHttpServer&) = delete;
    RecordingHttpServer& operator=(const RecordingHttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::string baseUrl() const;  // "http://127.0.0.1:PORT" or "https://..."
    std::string host() const;     // "127.0.0.1:PORT"
    std::vector<RecordedRequest> requests() const;

    // A loopback port on which nothing listens (for "connection refused").
    static std::uint16_t unusedPort();

private:
    void run();
    void serve(int fd);

    Handler handler_;
    int listenFd_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    void* sslContext_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
    std::atomic<bool> concurrent_{false};
    std::vector<std::thread> connectionThreads_;  // joined when the server goes
    std::thread thread_;
};
