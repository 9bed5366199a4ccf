#include "KeepAliveServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

KeepAliveServer::KeepAliveServer(Options options)
    : closeAfterEach_(options.connections == Connections::CloseAfterEach), delayMs_(options.delay.count()) {
    response_ = "HTTP/1.1 200 OK\r\n";
    if (!options.contentType.empty()) response_ += "Content-Type: " + options.contentType + "\r\n";
    response_ += "Content-Length: " + std::to_string(options.body.size()) + "\r\n\r\n" + options.body;
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

KeepAliveServer::~KeepAliveServer() {
    ::shutdown(listenFd_, SHUT_RDWR);
    acceptor_.join();
    std::unique_lock lock(mutex_);
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
    served_.wait(lock, [this] { return openFds_.empty(); });
    ::close(listenFd_);
}

void KeepAliveServer::acceptLoop() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        ++connections_;
        std::lock_guard lock(mutex_);
        openFds_.insert(fd);
        std::thread([this, fd] { serve(fd); }).detach();
    }
}

void KeepAliveServer::serve(int fd) {
    std::string pending;
    char buffer[8192];
    bool open = true;
    while (open) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        pending.append(buffer, std::size_t(n));
        for (std::size_t end; open && (end = pending.find("\r\n\r\n")) != std::string::npos;) {
            pending.erase(0, end + 4);
            ++requests_;
            if (delayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_.load()));
            open = ::send(fd, response_.data(), response_.size(), MSG_NOSIGNAL) >= 0 && !closeAfterEach_;
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    std::lock_guard lock(mutex_);
    ::close(fd);
    openFds_.erase(fd);
    served_.notify_all();
}
