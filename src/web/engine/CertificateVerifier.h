#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>

// Decides whether a server certificate the browser refused may be accepted after all: only
// when the chain leads to the one configured authority and the leaf names the host (as a
// DNS name or an IP address). Comparing issuer names is not enough: a forged authority can
// carry the same name, so the signatures are checked with OpenSSL. Pure; no state.
class CertificateVerifier {
public:
    // `chain` starts with the server's certificate; `caFile` is a PEM file of the authority.
    // False when the file cannot be read.
    static bool VerifiesAgainst(const QList<QSslCertificate>& chain, const QString& host,
                                const QString& caFile);
};
