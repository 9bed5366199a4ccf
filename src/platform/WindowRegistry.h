#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// Makes a window findable by other processes under its class name ("QO-RO Editing Tool",
// "QO-RO Classroom"): a local socket named after the class in the user's runtime folder that
// listens while the registration lives. Other processes ask whether the name exists, which
// process owns it (the kernel's peer credentials, never a value the owner claims) and can send
// it a numbered message, which arrives here as messageReceived().
//
// The registration is a QObject; its owner (normally the window it stands for) decides its
// life. Registering fails quietly when a live owner already holds the name (isRegistered() is
// then false); a socket left behind by a crashed process is replaced.
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
    void readMessages(QLocalSocket* socket);

    QString className_;
    QLocalServer* server_ = nullptr;
};
