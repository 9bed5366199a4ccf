#include "TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <stdexcept>

namespace {

EVP_PKEY* newKey() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (!key) throw std::runtime_error("cannot make a key");
    return key;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext) throw std::runtime_error("cannot make a certificate extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

X509* newCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey, long serial,
                     const TestCertificates::Server& server) {
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), issuer ? server.notBefore : -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), issuer ? server.notAfter : 3600L * 24 * 30);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName),
                               -1, -1, 0);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
    if (!issuer) {
        addExtension(cert, cert, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert, cert, NID_key_usage, "critical,keyCertSign,cRLSign");
        addExtension(cert, cert, NID_subject_key_identifier, "hash");
    } else {
        addExtension(cert, issuer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert, issuer, NID_subject_alt_name, server.names.c_str());
        addExtension(cert, issuer, NID_ext_key_usage, "serverAuth");
        addExtension(cert, issuer, NID_authority_key_identifier, "keyid");
    }
    X509_sign(cert, issuerKey, EVP_sha256());
    return cert;
}

void writePem(const std::string& path, X509* cert, EVP_PKEY* key) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) throw std::runtime_error("cannot write " + path);
    if (cert) PEM_write_X509(file, cert);
    if (key) PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(file);
}

}  // namespace

TestCertificates TestCertificates::create(const std::string& folder, const Server& server) {
    TestCertificates files{folder + "/test-ca.pem", folder + "/server.pem", folder + "/server.key"};
    EVP_PKEY* caKey = newKey();
    X509* ca = newCertificate(caKey, "Lumovia test authority", nullptr, caKey, 1, server);
    EVP_PKEY* serverKey = newKey();
    X509* leaf = newCertificate(serverKey, "127.0.0.1", ca, caKey, 2, server);
    writePem(files.caFile, ca, nullptr);
    writePem(files.certFile, leaf, nullptr);
    writePem(files.keyFile, nullptr, serverKey);
    X509_free(leaf);
    X509_free(ca);
    EVP_PKEY_free(serverKey);
    EVP_PKEY_free(caKey);
    return files;
}
