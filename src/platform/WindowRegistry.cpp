#include "WindowRegistry.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

// A connection attempt on a local socket either succeeds at once or fails at once; the bound
// only guards against a holder whose backlog is full.
constexpr int kConnectMs = 2000;

bool connectTo(QLocalSocket& socket, const QString& className) {
    const QString path = WindowRegistry::socketPath(className);
    if (path.isEmpty()) return false;
    socket.connectToServer(path);
    return socket.waitForConnected(kConnectMs);
}

}  // namespace

WindowRegistry::WindowRegistry(const QString& className, QObject* parent)
    : QObject(parent), className_(className) {
    const QString path = socketPath(className);
    if (path.isEmpty() || exists(className)) return;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered on the name, so any file there is a leftover of a crashed process.
    QLocalServer::removeServer(path);
    if (!server_->listen(path)) {
        delete server_;
        server_ = nullptr;
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, &WindowRegistry::acceptConnections);
}

WindowRegistry::~WindowRegistry() {
    if (server_) server_->close();
}

bool WindowRegistry::isRegistered() const {
    return server_ != nullptr && server_->isListening();
}

QString WindowRegistry::socketPath(const QString& className) {
    // XDG_RUNTIME_DIR, or Qt's private per-user fallback folder (created 0700 and checked).
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) return {};
    return folder + u'/' + className;
}

bool WindowRegistry::exists(const QString& className) {
    QLocalSocket socket;
    return connectTo(socket, className);
}

qint64 WindowRegistry::ownerPid(const QString& className) {
    QLocalSocket socket;
    if (!connectTo(socket, className)) return -1;
    ucred credentials{};
    socklen_t length = sizeof credentials;
    const int fd = static_cast<int>(socket.socketDescriptor());
    if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return -1;
    if (credentials.uid != getuid() || credentials.pid <= 0) return -1;
    return credentials.pid;
}

bool WindowRegistry::sendMessage(const QString& className, int message) {
    QLocalSocket socket;
    if (!connectTo(socket, className)) return false;
    socket.write(QByteArray::number(message) + '\n');
    const bool sent = socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
    return sent;
}

void WindowRegistry::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessages(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readMessages(socket);
    }
}

void WindowRegistry::readMessages(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        bool ok = false;
        const int message = socket->readLine().trimmed().toInt(&ok);
        if (ok) emit messageReceived(message);
    }
}
