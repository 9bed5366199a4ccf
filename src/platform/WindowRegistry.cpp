#include "WindowRegistry.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// A connection attempt on a local socket either succeeds at once or fails at once; the bound
// only guards against a holder whose backlog is full.
constexpr int kConnectMs = 2000;
constexpr int kRetryMs = 10;
// A message is a number on a line; anything longer is not one of ours.
constexpr qsizetype kLongestLine = 64;

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool addressOf(const QString& path, sockaddr_un& address) {
    const QByteArray name = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return true;
}

// A connected socket to the holder of `className`, or -1 when nobody listens there.
Descriptor connectTo(const QString& className) {
    sockaddr_un address;
    if (!addressOf(WindowRegistry::socketPath(className), address)) return Descriptor();
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.get() < 0) return Descriptor();
    const QDeadlineTimer deadline(kConnectMs);
    for (;;) {
        if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return socket;
        // A full backlog: the holder is alive but busy.
        if (errno != EAGAIN || deadline.hasExpired()) return Descriptor();
        QThread::msleep(kRetryMs);
    }
}

}  // namespace

WindowRegistry::WindowRegistry(const QString& className, QObject* parent)
    : QObject(parent), className_(className) {
    const QString path = socketPath(className);
    sockaddr_un address;
    if (!addressOf(path, address) || exists(className)) return;
    Descriptor listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (listener.get() < 0) return;
    // Nobody answered on the name, so any file there is a leftover of a crashed process.
    ::unlink(address.sun_path);
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return;
    // Only this user may connect; nobody can before listen().
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(listener.get(), SOMAXCONN) != 0) {
        ::unlink(address.sun_path);
        return;
    }
    listener_ = listener.release();
    path_ = path;
    accepting_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(accepting_, &QSocketNotifier::activated, this, &WindowRegistry::acceptConnections);
}

WindowRegistry::~WindowRegistry() {
    while (!connections_.empty()) closeConnection(connections_.begin()->first);
    if (listener_ < 0) return;
    delete accepting_;
    ::close(listener_);
    QFile::remove(path_);
}

bool WindowRegistry::isRegistered() const {
    return listener_ >= 0;
}

QString WindowRegistry::socketPath(const QString& className) {
    // XDG_RUNTIME_DIR, or Qt's private per-user fallback folder (created 0700 and checked).
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) return {};
    return folder + u'/' + className;
}

bool WindowRegistry::exists(const QString& className) {
    return connectTo(className).get() >= 0;
}

qint64 WindowRegistry::ownerPid(const QString& className) {
    const Descriptor socket = connectTo(className);
    if (socket.get() < 0) return -1;
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (getsockopt(socket.get(), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return -1;
    if (credentials.uid != getuid() || credentials.pid <= 0) return -1;
    return credentials.pid;
}

bool WindowRegistry::sendMessage(const QString& className, int message) {
    const Descriptor socket = connectTo(className);
    if (socket.get() < 0) return false;
    const QByteArray line = QByteArray::number(message) + '\n';
    // A few bytes always fit into a fresh connection's buffer.
    return ::send(socket.get(), line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size();
}

void WindowRegistry::acceptConnections() {
    for (;;) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) return;
        auto* readable = new QSocketNotifier(connection, QSocketNotifier::Read, this);
        connections_[connection].readable = readable;
        connect(readable, &QSocketNotifier::activated, this,
                [this, connection] { readMessages(connection); });
        readMessages(connection);
    }
}

void WindowRegistry::readMessages(int connection) {
    const auto found = connections_.find(connection);
    if (found == connections_.end()) return;
    QByteArray& pending = found->second.pending;
    char buffer[256];
    bool ended = false;
    for (;;) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got > 0) {
            pending.append(buffer, got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        ended = got == 0 || errno != EAGAIN;
        break;
    }
    std::vector<int> messages;
    for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
        bool ok = false;
        const int message = pending.left(end).trimmed().toInt(&ok);
        pending.remove(0, end + 1);
        if (ok) messages.push_back(message);
    }
    if (ended || pending.size() > kLongestLine) closeConnection(connection);
    for (int message : messages) emit messageReceived(message);
}

void WindowRegistry::closeConnection(int connection) {
    const auto found = connections_.find(connection);
    if (found == connections_.end()) return;
    // Deleted later: this may run inside the notifier's own signal.
    found->second.readable->setEnabled(false);
    found->second.readable->deleteLater();
    ::close(connection);
    connections_.erase(found);
}
