#include "CertificateStore.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;
using FilePtr = std::unique_ptr<FILE, decltype(&std::fclose)>;

void check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("certificate generation failed: ") + what);
}

KeyPtr newKey() {
    KeyPtr key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    check(key != nullptr, "EC key");
    return key;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    check(ext != nullptr, "extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

CertPtr newCertificate(EVP_PKEY* key, const std::string& commonName, long days) {
    CertPtr cert(X509_new(), X509_free);
    X509_set_version(cert.get(), 2);
    unsigned char serial[16];
    check(RAND_bytes(serial, sizeof serial) == 1, "serial");
    serial[0] &= 0x7f;
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
    BN_free(bn);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Lumovia Class demo"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
    return cert;
}

// Opened in `mode`, or `failure` thrown.
FilePtr openFile(const fs::path& path, const char* mode, const char* failure) {
    FilePtr file(std::fopen(path.c_str(), mode), std::fclose);
    check(file != nullptr, failure);
    return file;
}

void writeKey(const fs::path& path, EVP_PKEY* key) {
    const FilePtr file = openFile(path, "wb", "cannot write key file");
    chmod(path.c_str(), 0600);
    check(PEM_write_PrivateKey(file.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1, "write key");
}

void writeCertificate(const fs::path& path, X509* cert) {
    const FilePtr file = openFile(path, "wb", "cannot write certificate file");
    check(PEM_write_X509(file.get(), cert) == 1, "write certificate");
}

KeyPtr readKey(const fs::path& path) {
    const FilePtr file = openFile(path, "rb", "cannot read key file");
    KeyPtr key(PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    check(key != nullptr, "read key");
    return key;
}

CertPtr readCertificate(const fs::path& path) {
    const FilePtr file = openFile(path, "rb", "cannot read certificate file");
    CertPtr cert(PEM_read_X509(file.get(), nullptr, nullptr, nullptr), X509_free);
    check(cert != nullptr, "read certificate");
    return cert;
}

// Still valid for another day: a certificate about to expire is made anew.
bool stillValid(X509* cert) {
    return X509_cmp_time(X509_get0_notAfter(cert), nullptr) > 0 &&
           X509_cmp_timeframe(nullptr, X509_get0_notBefore(cert), X509_get0_notAfter(cert)) == 0 && [cert] {
               time_t tomorrow = time(nullptr) + 24 * 3600;
               return X509_cmp_time(X509_get0_notAfter(cert), &tomorrow) > 0;
           }();
}

}  // namespace

CertificateStore::CertificateStore(const fs::path& stateDir, const std::string& ipAddress) {
    fs::path dir = stateDir / "tls";
    fs::create_directories(dir);
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace);
    caFile_ = dir / "ca.pem";
    caKeyFile_ = dir / "ca-key.pem";
    certFile_ = dir / ("server-" + ipAddress + ".pem");
    keyFile_ = dir / ("server-" + ipAddress + "-key.pem");

    bool haveCa = fs::exists(caFile_) && fs::exists(caKeyFile_);
    if (haveCa && !stillValid(readCertificate(caFile_).get())) haveCa = false;
    if (!haveCa) {
        KeyPtr caKey = newKey();
        CertPtr ca = newCertificate(caKey.get(), "Lumovia Class demo authority", 3650);
        X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get()));
        addExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE");
        addExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
        addExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
        check(X509_sign(ca.get(), caKey.get(), EVP_sha256()) > 0, "sign authority");
        writeKey(caKeyFile_, caKey.get());
        writeCertificate(caFile_, ca.get());
        fs::remove(certFile_);
    }

    CertPtr ca = readCertificate(caFile_);
    bool haveServer = fs::exists(certFile_) && fs::exists(keyFile_);
    if (haveServer) {
        CertPtr server = readCertificate(certFile_);
        EVP_PKEY* caPublic = X509_get0_pubkey(ca.get());
        haveServer = stillValid(server.get()) && X509_verify(server.get(), caPublic) == 1;
    }
    if (!haveServer) {
        KeyPtr caKey = readKey(caKeyFile_);
        KeyPtr key = newKey();
        CertPtr cert = newCertificate(key.get(), ipAddress, 365);
        X509_set_issuer_name(cert.get(), X509_get_subject_name(ca.get()));
        addExtension(cert.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert.get(), ca.get(), NID_key_usage, "critical,digitalSignature,keyEncipherment");
        addExtension(cert.get(), ca.get(), NID_ext_key_usage, "serverAuth");
        addExtension(cert.get(), ca.get(), NID_subject_alt_name,
                     ("IP:" + ipAddress + ",DNS:localhost").c_str());
        addExtension(cert.get(), ca.get(), NID_authority_key_identifier, "keyid:always");
        check(X509_sign(cert.get(), caKey.get(), EVP_sha256()) > 0, "sign server certificate");
        writeKey(keyFile_, key.get());
        writeCertificate(certFile_, cert.get());
    }
}
