#include "CertificateVerifier.h"

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <QHostAddress>
#include <memory>

namespace {

struct X509Deleter {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct StoreDeleter {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
struct ContextDeleter {
    void operator()(X509_STORE_CTX* context) const { X509_STORE_CTX_free(context); }
};
struct StackDeleter {
    void operator()(STACK_OF(X509) * stack) const { sk_X509_pop_free(stack, X509_free); }
};

std::unique_ptr<X509, X509Deleter> fromDer(const QSslCertificate& certificate) {
    const QByteArray der = certificate.toDer();
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.constData());
    return std::unique_ptr<X509, X509Deleter>(d2i_X509(nullptr, &bytes, der.size()));
}

}  // namespace

bool CertificateVerifier::VerifiesAgainst(const QList<QSslCertificate>& chain, const QString& host,
                                          const QString& caFile) {
    if (chain.isEmpty() || caFile.isEmpty() || host.isEmpty()) return false;
    std::unique_ptr<X509_STORE, StoreDeleter> store(X509_STORE_new());
    if (!store || X509_STORE_load_file(store.get(), caFile.toLocal8Bit().constData()) != 1) return false;

    auto leaf = fromDer(chain.first());
    if (!leaf) return false;
    std::unique_ptr<STACK_OF(X509), StackDeleter> intermediates(sk_X509_new_null());
    for (qsizetype i = 1; i < chain.size(); ++i) {
        auto certificate = fromDer(chain.at(i));
        if (!certificate || !sk_X509_push(intermediates.get(), certificate.get())) return false;
        certificate.release();
    }

    std::unique_ptr<X509_STORE_CTX, ContextDeleter> context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), store.get(), leaf.get(), intermediates.get()) != 1)
        return false;
    X509_VERIFY_PARAM* parameters = X509_STORE_CTX_get0_param(context.get());
    const QByteArray name = host.toUtf8();
    const bool isAddress = !QHostAddress(host).isNull();
    const int named = isAddress ? X509_VERIFY_PARAM_set1_ip_asc(parameters, name.constData())
                                : X509_VERIFY_PARAM_set1_host(parameters, name.constData(), name.size());
    if (named != 1) return false;
    return X509_verify_cert(context.get()) == 1;
}
