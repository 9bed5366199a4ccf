#include "RecordingHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

// One connection, plain or TLS, with blocking reads and writes.
struct Connection {
    int fd;
    SSL* ssl = nullptr;

    long read(char* buffer, int size) {
        return ssl ? SSL_read(ssl, buffer, size) : ::recv(fd, buffer, size, 0);
    }
    bool writeAll(const std::string& data) {
        std::size_t done = 0;
        while (done < data.size()) {
            long n = ssl ? SSL_write(ssl, data.data() + done, int(data.size() - done))
                         : ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return false;
            done += std::size_t(n);
        }
        return true;
    }
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

const char* reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

}  // namespace

RecordingHttpServer::RecordingHttpServer(Handler handler, const std::string& certFile,
                                         const std::string& keyFile)
    : handler_(std::move(handler)) {
    if (!certFile.empty()) {
        SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
        if (!ctx || SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
            throw std::runtime_error("test server: cannot load certificate");
        }
        sslContext_ = ctx;
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 16) != 0) {
        throw std::runtime_error("test server: cannot listen");
    }
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("test server: no pipe");
    thread_ = std::thread([this] { run(); });
}

RecordingHttpServer::RecordingHttpServer(Handler handler, Connections connections)
    : RecordingHttpServer(std::move(handler)) {
    concurrent_ = connections == Connections::Concurrent;
}

RecordingHttpServer::~RecordingHttpServer() {
    char byte = 'x';
    (void)!::write(stopPipe_[1], &byte, 1);
    thread_.join();
    for (std::thread& connection : connectionThreads_) connection.join();
    ::close(listenFd_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
    if (sslContext_) SSL_CTX_free(static_cast<SSL_CTX*>(sslContext_));
}

std::string RecordingHttpServer::host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string RecordingHttpServer::baseUrl() const {
    return (sslContext_ ? "https://" : "http://") + host();
}

std::vector<RecordedRequest> RecordingHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::uint16_t RecordingHttpServer::unusedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);  // nothing listens there now; the kernel does not hand it out again at once
    return ntohs(address.sin_port);
}

void RecordingHttpServer::run() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        if (fds[0].revents & POLLIN) {
            int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0 && concurrent_) {
                connectionThreads_.emplace_back([this, fd] {
                    serve(fd);
                    ::close(fd);
                });
            } else if (fd >= 0) {
                serve(fd);
                ::close(fd);
            }
        }
    }
}

void RecordingHttpServer::serve(int fd) {
    Connection connection{fd};
    if (sslContext_) {
        connection.ssl = SSL_new(static_cast<SSL_CTX*>(sslContext_));
        SSL_set_fd(connection.ssl, fd);
        if (SSL_accept(connection.ssl) != 1) {
            SSL_free(connection.ssl);
            ERR_clear_error();
            return;
        }
    }
    std::string data;
    char buffer[16384];
    std::size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        long n = connection.read(buffer, sizeof buffer);
        if (n <= 0) break;
        data.append(buffer, std::size_t(n));
    }
    if (headerEnd != std::string::npos) {
        RecordedRequest request;
        const std::string head = data.substr(0, headerEnd);
        std::size_t lineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, lineEnd);
        const std::size_t sp1 = requestLine.find(' ');
        const std::size_t sp2 = requestLine.find(' ', sp1 + 1);
        request.method = requestLine.substr(0, sp1);
        request.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
        std::size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (pos < head.size()) {
            std::size_t end = head.find("\r\n", pos);
            if (end == std::string::npos) end = head.size();
            const std::string line = head.substr(pos, end - pos);
            const std::size_t colon = line.find(':');
            if (colon != std::string::npos) {
                std::string value = line.substr(colon + 1);
                value.erase(0, value.find_first_not_of(' '));
                request.headers[lower(line.substr(0, colon))] = value;
            }
            pos = end + 2;
        }
        const std::size_t length =
            std::stoul(request.header("content-length").empty() ? "0" : request.header("content-length"));
        request.body = data.substr(headerEnd + 4);
        while (request.body.size() < length) {
            long n = connection.read(buffer, sizeof buffer);
            if (n <= 0) break;
            request.body.append(buffer, std::size_t(n));
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const ScriptedResponse response = handler_(request);
        std::string out =
            "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) + "\r\n";
        if (!response.contentType.empty()) out += "Content-Type: " + response.contentType + "\r\n";
        out += "Content-Length: " + std::to_string(response.body.size()) + "\r\nConnection: close\r\n\r\n";
        if (response.cutAfter == std::string::npos) {
            out += response.body;
        } else {
            out += response.body.substr(0, response.cutAfter);
        }
        connection.writeAll(out);
    }
    if (connection.ssl) {
        SSL_shutdown(connection.ssl);
        SSL_free(connection.ssl);
    }
}
