#pragma once

#include <QString>

#include "HttpClient.h"

// Where the remote servers are and how TLS is checked. Read once at start from the INI file
// named by LUMOCLASS_CONFIG, else $XDG_CONFIG_HOME/lumoclass/lumoclass.conf; a missing file or
// key takes the built-in loopback defaults. load() raises ConfigError naming file, key and value.
struct ClientConfig {
    QString classroomHost = QStringLiteral("127.0.0.1:8080");  // HOST[:PORT]
    QString accountHost = QStringLiteral("127.0.0.1:8080");
    // Given as "https://HOST[:PORT]": the SOAP endpoint (classroom) or the account notification
    // (account) goes over HTTPS; every other address of these hosts keeps its own scheme.
    bool classroomTls = false;
    bool accountTls = false;
    QString contentHost = QStringLiteral("127.0.0.1:8080");
    QString questionHost = QStringLiteral("127.0.0.1");  // port 8090 is fixed by the client
    QString serviceNamespace = QStringLiteral("http://tempuri.org/");
    bool tlsVerify = true;
    QString caFile;             // extra authority, trusted besides the system ones; empty for none
    int connectTimeout = 30;    // seconds an HTTP request waits for its connection
    int idleTimeout = 60;       // seconds an HTTP request waits while no data arrives
    int transferTimeout = 300;  // seconds an HTTP request may take in all
    int parallelDownloads = 6;  // transfers a lesson preparation runs at once (1..16)
    bool prefetch = false;      // prepare every book as soon as it is chosen
    QString sourceFile;         // the file the values came from (may not exist)

    static QString defaultPath();
    static ClientConfig load();
    static ClientConfig loadFile(const QString& path);

    // "http://" (or "https://") + classroom + "/lmv-inclass/lmvInclass.asmx"
    QString classroomEndpoint() const;
    QString accountScheme() const { return accountTls ? QStringLiteral("https") : QStringLiteral("http"); }
    // A client with this configuration's TLS check and time-outs.
    HttpClient httpClient() const;
};
