#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "service/ClientConfig.h"

// Runs the built lumoclass-demo-service for one test: on its own loopback address 127.x.y.z
// (chosen from the process id, so parallel tests never share an address or port 8090), on the
// default sample data plus optional override folders, with a state folder under
// LUMO_TEST_ENV_ROOT (or a temporary one). The constructor waits for the service to report
// its address and raises std::runtime_error when it does not within the deadline; the
// destructor stops it. Not thread-safe; use from the test's thread.
class DemoService {
public:
    // Override folders are layered over the default data: their files hide the same files there.
    explicit DemoService(const QStringList& overrideDirs = {}, bool withDefaultData = true);
    // On a given "ADDRESS:PORT", as a service that comes back where it was.
    static std::unique_ptr<DemoService> listeningOn(const QString& host);
    ~DemoService();
    DemoService(const DemoService&) = delete;
    DemoService& operator=(const DemoService&) = delete;

    QString host() const { return host_; }        // "127.x.y.z:PORT"
    QString address() const { return address_; }  // "127.x.y.z"
    quint16 port() const { return port_; }
    QString caFile() const { return caFile_; }
    QString stateDir() const { return stateDir_; }
    QString baseUrl(bool tls) const { return (tls ? "https://" : "http://") + host_; }
    // A client configuration with every server on this service (questions on its own port).
    ClientConfig clientConfig() const {
        ClientConfig config;
        config.classroomHost = config.contentHost = config.accountHost = host_;
        config.questionHost = address_;
        config.caFile = caFile_;
        return config;
    }

    // The "request ..." lines logged so far (fields: scheme, port, method, target, operation
    // or "-", status, time).
    QStringList requestLog();
    // The log once every request answered so far is in it (a line is written only after its
    // reply is sent, so a client can be ahead of it): a marker request is made and its line
    // waited for, which the service writes only after the lines of every reply that had gone
    // out before the marker came; the marker is left out of the lines returned.
    QStringList settledLog();
    // Waits until a logged request line contains the text; false after the deadline.
    bool waitForRequest(const QString& contains, int timeoutMs = 10000);
    // Writes the client configuration for this service to `path` (default: $LUMOCLASS_CONFIG);
    // with `tls` the SOAP endpoint and the account notification are given as https://.
    QString writeClientConfig(const QString& path = {}, bool tls = false) const;

private:
    DemoService(const QStringList& overrideDirs, bool withDefaultData, const QString& host);
    void readOutput();

    std::unique_ptr<QTemporaryDir> tempState_;
    QProcess process_;
    QString host_, address_, caFile_, stateDir_;
    quint16 port_ = 0;
    QStringList lines_;
    QByteArray pending_;
};
