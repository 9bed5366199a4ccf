#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QTest>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "cache/CacheFolder.h"
#include "cache/RemoteFileCache.h"

namespace {

// An HTTP/1.1 server that keeps connections open between requests, as real content servers
// do, and counts how many connections clients open. With `dropAfterEach` it closes every
// connection right after its answer without announcing it: a kept-alive connection that has
// gone stale by the time the client uses it again.
class KeepAliveServer {
public:
    explicit KeepAliveServer(bool dropAfterEach) : dropAfterEach_(dropAfterEach) {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listenFd_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }
    ~KeepAliveServer() {
        ::shutdown(listenFd_, SHUT_RDWR);
        acceptor_.join();
        {
            std::lock_guard lock(mutex_);
            for (int fd : connectionFds_) ::shutdown(fd, SHUT_RDWR);
        }
        for (std::thread& worker : workers_) worker.join();
        ::close(listenFd_);
    }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int connections() const { return connections_; }
    int requests() const { return requests_; }

private:
    void acceptLoop() {
        for (;;) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) return;
            ++connections_;
            std::lock_guard lock(mutex_);
            connectionFds_.push_back(fd);
            workers_.emplace_back([this, fd] { serve(fd); });
        }
    }
    void serve(int fd) {
        const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n\xFF\xD8\xFFpicture";
        std::string pending;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            pending.append(buffer, std::size_t(n));
            const std::size_t end = pending.find("\r\n\r\n");
            if (end == std::string::npos) continue;
            pending.erase(0, end + 4);
            ++requests_;
            ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
            if (dropAfterEach_) break;
        }
        ::shutdown(fd, SHUT_RDWR);
    }

    bool dropAfterEach_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<int> requests_{0};
    std::mutex mutex_;
    std::vector<int> connectionFds_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace

// A list of thumbnails from one content server goes over one connection, and a connection the
// server has closed meanwhile costs a reconnect, never a failed picture.
class ConnectionReuseTest : public QObject {
    Q_OBJECT

    std::string folder_;

private slots:
    void init() {
        folder_ = CacheFolder::temporaryPath();
        QVERIFY(!folder_.empty());
        for (int i = 0; i < 5; ++i)
            QFile::remove(QString::fromStdString(folder_ + std::to_string(i) + ".jpg"));
    }

    void downloadsFromOneServer_data() {
        QTest::addColumn<bool>("dropAfterEach");
        QTest::addColumn<int>("connections");
        QTest::newRow("kept alive: one connection") << false << 1;
        QTest::newRow("closed by the server: reconnects") << true << 5;
    }
    void downloadsFromOneServer() {
        QFETCH(bool, dropAfterEach);
        QFETCH(int, connections);
        KeepAliveServer server(dropAfterEach);
        RemoteFileCache cache(folder_, {}, {});
        for (int i = 0; i < 5; ++i) {
            const GbkString name(std::to_string(i) + ".jpg");
            QVERIFY(cache.CacheRemoteFile(GbkString(server.baseUrl() + "/media/") + name,
                                          gbk::joinPath(folder_, name)));
        }
        QCOMPARE(server.requests(), 5);
        QCOMPARE(server.connections(), connections);
    }
};

QTEST_GUILESS_MAIN(ConnectionReuseTest)
#include "test_connection_reuse.moc"
