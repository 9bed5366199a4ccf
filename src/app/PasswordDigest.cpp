#include "PasswordDigest.h"

#include <QByteArray>
#include <QCryptographicHash>

GbkString PasswordDigest::passwordToSend(const GbkString& typed) {
    if (typed.size() >= kRememberedDigestLength) return typed;
    return md5Hex(typed);
}

GbkString PasswordDigest::md5Hex(const GbkString& bytes) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(bytes.bytes().data(), static_cast<qsizetype>(bytes.size())), QCryptographicHash::Md5);
    return GbkString(digest.toHex().toStdString());
}
