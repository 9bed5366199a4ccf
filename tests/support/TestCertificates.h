#pragma once

#include <string>

// A throw-away certificate authority and a server certificate it signed, by default for IP
// 127.0.0.1 and valid now, written as PEM files into `folder`; made with OpenSSL's API so no
// tool must be installed.
struct TestCertificates {
    std::string caFile;
    std::string certFile;
    std::string keyFile;

    // What the server certificate claims: its subjectAltName and its validity, in seconds from now.
    struct Server {
        std::string names = "IP:127.0.0.1,DNS:localhost";
        long notBefore = -3600;
        long notAfter = 3600L * 24 * 30;
    };

    static TestCertificates create(const std::string& folder, const Server& server);
    static TestCertificates create(const std::string& folder) { return create(folder, Server()); }
};
