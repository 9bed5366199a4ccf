#pragma once

// A small HTTP/1.1 picture server on loopback for the benchmarks: keep-alive, a thread per
// connection, every GET answered with the same body after an optional delay (a slow network).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

class BenchPictureServer {
public:
    explicit BenchPictureServer(std::string body, std::chrono::milliseconds delay = {})
        : body_(std::move(body)), delay_(delay) {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listenFd_, 64);
        socklen_t length = sizeof address;
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }
    ~BenchPictureServer() {
        stopping_ = true;
        ::shutdown(listenFd_, SHUT_RDWR);
        acceptor_.join();
        ::close(listenFd_);
    }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    long connections() const { return connections_; }
    void setDelay(std::chrono::milliseconds delay) { delayMs_ = delay.count(); }

private:
    void acceptLoop() {
        delayMs_ = delay_.count();
        while (!stopping_) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) return;
            ++connections_;
            std::thread([this, fd] { serve(fd); }).detach();
        }
    }
    void serve(int fd) {
        const std::string head =
            "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " + std::to_string(body_.size()) +
            "\r\n\r\n";
        const std::string response = head + body_;
        std::string pending;
        char buffer[8192];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            pending.append(buffer, std::size_t(n));
            std::size_t end;
            while ((end = pending.find("\r\n\r\n")) != std::string::npos) {
                pending.erase(0, end + 4);
                if (delayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_.load()));
                if (::send(fd, response.data(), response.size(), MSG_NOSIGNAL) < 0) break;
            }
        }
        ::close(fd);
    }

    std::string body_;
    std::chrono::milliseconds delay_;
    std::atomic<long long> delayMs_{0};
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<long> connections_{0};
    std::thread acceptor_;
};
