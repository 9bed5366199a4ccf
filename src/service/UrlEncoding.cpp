#include "UrlEncoding.h"

#include <QByteArray>

QString UrlQueryValue(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toPercentEncoding());
}

std::string UrlQueryValueBytes(std::string_view bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size())).toPercentEncoding().toStdString();
}

std::optional<QString> UrlPathSegment(const QString& text) {
    if (text == QLatin1String(".") || text == QLatin1String("..")) return std::nullopt;
    return UrlQueryValue(text);
}
