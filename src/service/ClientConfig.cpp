#include "ClientConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include "AppError.h"
#include "Endpoints.h"
#include "XdgBase.h"

namespace {

[[noreturn]] void badValue(const QString& file, const QString& key, const QString& value,
                           const QString& why) {
    throw ConfigError(
        QStringLiteral("Configuration file \"%1\": key \"%2\" has the invalid value \"%3\" (%4).")
            .arg(file, key, value, why)
            .toStdString());
}

// HOST[:PORT]: a name or IPv4 address, no scheme, path or blanks; the port 1..65535.
bool validHost(const QString& value, bool portAllowed) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?$"));
    QString host = value;
    const qsizetype colon = value.lastIndexOf(u':');
    if (colon >= 0) {
        if (!portAllowed) return false;
        host = value.left(colon);
        bool ok = false;
        const int port = value.mid(colon + 1).toInt(&ok);
        if (!ok || port < 1 || port > 65535 || value.mid(colon + 1).startsWith(u'+')) return false;
    }
    return name.match(host).hasMatch();
}

bool parseBool(const QString& value, bool* out) {
    const QString v = value.toLower();
    if (v == u"true" || v == u"yes" || v == u"on" || v == u"1") {
        *out = true;
        return true;
    }
    if (v == u"false" || v == u"no" || v == u"off" || v == u"0") {
        *out = false;
        return true;
    }
    return false;
}

}  // namespace

QString ClientConfig::defaultPath() {
    const QByteArray explicitPath = qgetenv("LUMOCLASS_CONFIG");
    if (!explicitPath.isEmpty()) return QString::fromLocal8Bit(explicitPath);
    return XdgBase("XDG_CONFIG_HOME", ".config") + QStringLiteral("/lumoclass/lumoclass.conf");
}

ClientConfig ClientConfig::load() {
    return loadFile(defaultPath());
}

ClientConfig ClientConfig::loadFile(const QString& path) {
    ClientConfig config;
    config.sourceFile = path;
    QFile file(path);
    if (!file.exists()) return config;
    if (!file.open(QIODevice::ReadOnly)) {
        throw ConfigError(QStringLiteral("Configuration file \"%1\" cannot be read: %2")
                              .arg(path, file.errorString())
                              .toStdString());
    }

    // A small INI reader: [section], key = value, comments after ";" or "#" (also at the end
    // of a line), UTF-8. Unknown sections and keys are ignored so newer files still load.
    QString section;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (QString line : lines) {
        static const QRegularExpression comment(QStringLiteral("(^|\\s)[;#].*$"));
        line.remove(comment);
        line = line.trimmed();
        if (line.isEmpty()) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) {
            throw ConfigError(
                QStringLiteral("Configuration file \"%1\": the line \"%2\" is not of the form key = value.")
                    .arg(path, line)
                    .toStdString());
        }
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        const QString fullKey = section + u'.' + key;

        if (section == u"servers" &&
            (key == u"classroom" || key == u"account" || key == u"content" || key == u"question")) {
            const bool portAllowed = key != u"question";
            // Only the SOAP endpoint and the account notification may be asked to use HTTPS.
            const bool schemeAllowed = key == u"classroom" || key == u"account";
            const QString https = QStringLiteral("https://");
            const bool tls = schemeAllowed && value.startsWith(https, Qt::CaseInsensitive);
            const QString host = tls ? value.mid(https.size()) : value;
            if (!validHost(host, portAllowed)) {
                badValue(path, fullKey, value,
                         schemeAllowed ? QStringLiteral("expected HOST, HOST:PORT or https://HOST[:PORT]")
                         : portAllowed ? QStringLiteral("expected HOST or HOST:PORT")
                                       : QStringLiteral("expected HOST"));
            }
            QString& target = key == u"classroom" ? config.classroomHost
                              : key == u"account" ? config.accountHost
                              : key == u"content" ? config.contentHost
                                                  : config.questionHost;
            target = host;
            if (key == u"classroom") config.classroomTls = tls;
            if (key == u"account") config.accountTls = tls;
        } else if (section == u"service" && key == u"namespace") {
            if (!value.contains(QStringLiteral("://")) || value.contains(u' ') || value.contains(u'"')) {
                badValue(path, fullKey, value, QStringLiteral("expected a URI such as http://tempuri.org/"));
            }
            config.serviceNamespace = value;
        } else if (section == u"tls" && key == u"verify") {
            if (!parseBool(value, &config.tlsVerify))
                badValue(path, fullKey, value, QStringLiteral("expected true or false"));
        } else if (section == u"http" &&
                   (key == u"connect_timeout" || key == u"idle_timeout" || key == u"transfer_timeout")) {
            bool ok = false;
            const int seconds = value.toInt(&ok);
            if (!ok || seconds < 1 || seconds > 3600 || value.startsWith(u'+'))
                badValue(path, fullKey, value, QStringLiteral("expected whole seconds from 1 to 3600"));
            (key == u"connect_timeout" ? config.connectTimeout
             : key == u"idle_timeout"  ? config.idleTimeout
                                       : config.transferTimeout) = seconds;
        } else if (section == u"http" && key == u"parallel_downloads") {
            bool ok = false;
            const int count = value.toInt(&ok);
            if (!ok || count < 1 || count > 16 || value.startsWith(u'+'))
                badValue(path, fullKey, value, QStringLiteral("expected a whole number from 1 to 16"));
            config.parallelDownloads = count;
        } else if (section == u"http" && key == u"prefetch") {
            if (!parseBool(value, &config.prefetch))
                badValue(path, fullKey, value, QStringLiteral("expected true or false"));
        } else if (section == u"tls" && key == u"ca_file") {
            const QFileInfo info(value);
            if (!value.isEmpty() && !(info.isFile() && info.isReadable())) {
                badValue(path, fullKey, value, QStringLiteral("no readable file there"));
            }
            config.caFile = value;
        }
    }
    return config;
}

HttpClient ClientConfig::httpClient() const {
    return HttpClient(TlsPolicy{tlsVerify, caFile.toStdString()},
                      HttpTimeouts{connectTimeout, idleTimeout, transferTimeout});
}

QString ClientConfig::classroomEndpoint() const {
    return Endpoints::classroomService(classroomHost, classroomTls);
}
