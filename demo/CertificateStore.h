#pragma once

#include <filesystem>
#include <string>

// The demo's certificate authority and the server certificate for one listen address, made
// with OpenSSL on first start and kept in the state folder (private keys with mode 0600). The
// authority is reused for ever; a server certificate is made once per address and carries
// subjectAltName IP:<address> (and DNS:localhost). Raises std::runtime_error when a file cannot
// be made or read.
class CertificateStore {
public:
    CertificateStore(const std::filesystem::path& stateDir, const std::string& ipAddress);

    const std::filesystem::path& caFile() const { return caFile_; }
    const std::filesystem::path& certificateFile() const { return certFile_; }
    const std::filesystem::path& keyFile() const { return keyFile_; }

private:
    std::filesystem::path caFile_;
    std::filesystem::path caKeyFile_;
    std::filesystem::path certFile_;
    std::filesystem::path keyFile_;
};
