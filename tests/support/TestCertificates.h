#pragma once

#include <string>

// A throw-away certificate authority and a server certificate it signed for IP 127.0.0.1,
// written as PEM files into `folder`; made with OpenSSL's API so no tool must be installed.
struct TestCertificates {
    std::string caFile;
    std::string certFile;
    std::string keyFile;

    static TestCertificates create(const std::string& folder);
};
