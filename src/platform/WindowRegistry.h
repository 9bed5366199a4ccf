#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <map>

class QSocketNotifier;

// Makes a window findable by other processes under its class name ("QO-RO Editing Tool",
// "QO-RO Classroom"): a local socket named after the class in the user's runtime folder that
// listens while the registration lives. Other processes ask whether the name exists, which
// process owns it (the kernel's peer credentials, never a value the owner claims) and can send
// it a numbered message, which arrives here as messageReceived().
//
// The registration is a QObject; its owner (normally the window it stands for) decides its
// life. Registering fails quietly when a live owner already holds the name (isRegistered() is
// then false); a socket left behind by a crashed process is replaced. The sockets are plain
// POSIX ones watched by the event loop: the login dialog registers before it is shown, and
// Qt Network with the libraries it brings would take longer to load than the rest of the
// registration takes.
class WindowRegistry : public QObject {
    Q_OBJECT

public:
    explicit WindowRegistry(const QString& className, QObject* parent = nullptr);
    ~WindowRegistry() override;

    const QString& className() const { return className_; }
    bool isRegistered() const;

    // The socket file that stands for the class name; empty when no private folder exists.
    static QString socketPath(const QString& className);
    static bool exists(const QString& className);
    // The process id of the registering process, or -1 when nobody holds the name or the
    // holder is another user.
    static qint64 ownerPid(const QString& className);
    // Delivers `message` to the holder of the name; false when nobody holds it.
    static bool sendMessage(const QString& className, int message);

signals:
    void messageReceived(int message);

private:
    void acceptConnections();
    void readMessages(int connection);
    void closeConnection(int connection);

    QString className_;
    QString path_;       // the socket file while registered
    int listener_ = -1;  // the listening socket, -1 when not registered
    QSocketNotifier* accepting_ = nullptr;
    struct Connection {
        QSocketNotifier* readable = nullptr;
        QByteArray pending;  // a message line not yet complete
    };
    std::map<int, Connection> connections_;
};
