#include "DemoService.h"

#include "service/HttpClient.h"
#include "service/HttpGetText.h"

#include <unistd.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <atomic>
#include <stdexcept>

#ifndef LUMO_DEMO_SERVICE_EXE
#define LUMO_DEMO_SERVICE_EXE "lumoclass-demo-service"
#endif
#ifndef LUMO_DEMO_DATA_DIR
#define LUMO_DEMO_DATA_DIR "demo/data"
#endif

namespace {

std::atomic<int> instanceCounter{0};

// 127.x.y.z from the process id and an instance number; never 127.0.0.1.
QString loopbackAddress() {
    const unsigned pid = static_cast<unsigned>(::getpid());
    const unsigned instance = static_cast<unsigned>(instanceCounter++);
    const unsigned x = 10 + (pid >> 8) % 240;
    const unsigned y = pid & 0xff;
    const unsigned z = 1 + instance % 254;
    return QStringLiteral("127.%1.%2.%3").arg(x).arg(y).arg(z);
}

}  // namespace

DemoService::DemoService(const QStringList& overrideDirs, bool withDefaultData)
    : DemoService(overrideDirs, withDefaultData, QString()) {}

std::unique_ptr<DemoService> DemoService::listeningOn(const QString& host) {
    return std::unique_ptr<DemoService>(new DemoService({}, true, host));
}

DemoService::DemoService(const QStringList& overrideDirs, bool withDefaultData, const QString& host) {
    address_ = host.isEmpty() ? loopbackAddress() : host.section(':', 0, 0);
    const QByteArray envRoot = qgetenv("LUMO_TEST_ENV_ROOT");
    if (!envRoot.isEmpty()) {
        stateDir_ = QString::fromLocal8Bit(envRoot) + "/demo-state";
    } else {
        tempState_ = std::make_unique<QTemporaryDir>();
        stateDir_ = tempState_->path();
    }
    QDir().mkpath(stateDir_);
    // The authority and pictures may be reused; what earlier services recorded must not leak in.
    QFile::remove(stateDir_ + "/page-sizes.txt");
    QFile::remove(stateDir_ + "/account-notifications.log");
    QStringList args;
    if (withDefaultData) args << "--data" << QStringLiteral(LUMO_DEMO_DATA_DIR);
    for (const QString& dir : overrideDirs) args << "--data" << dir;
    args << "--listen" << (host.isEmpty() ? address_ + ":0" : host) << "--state" << stateDir_ << "--threads"
         << "4";
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { readOutput(); });
    process_.start(QStringLiteral(LUMO_DEMO_SERVICE_EXE), args);
    if (!process_.waitForStarted(10000))
        throw std::runtime_error("demo service did not start: " + process_.errorString().toStdString());
    QDeadlineTimer deadline(30000);
    while (!lines_.contains("ready")) {
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning)
            throw std::runtime_error("demo service did not report its address");
        process_.waitForReadyRead(200);
        readOutput();
    }
    for (const QString& line : lines_) {
        if (line.startsWith("listening "))
            host_ = line.mid(10);
        else if (line.startsWith("ca-file "))
            caFile_ = line.mid(8);
    }
    port_ = static_cast<quint16>(host_.section(':', -1).toUInt());
}

DemoService::~DemoService() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

void DemoService::readOutput() {
    pending_ += process_.readAllStandardOutput();
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
        lines_ << QString::fromUtf8(pending_.left(end));
        pending_.remove(0, end + 1);
    }
}

QStringList DemoService::requestLog() {
    process_.waitForReadyRead(0);
    readOutput();
    QStringList requests;
    for (const QString& line : lines_)
        if (line.startsWith("request ")) requests << line;
    return requests;
}

bool DemoService::waitForRequest(const QString& contains, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        for (const QString& line : requestLog())
            if (line.contains(contains)) return true;
        if (deadline.hasExpired()) return false;
        process_.waitForReadyRead(50);
    }
}

QString DemoService::writeClientConfig(const QString& path, bool tls) const {
    QString file = path.isEmpty() ? QString::fromLocal8Bit(qgetenv("LUMOCLASS_CONFIG")) : path;
    if (file.isEmpty()) throw std::runtime_error("no client configuration path: LUMOCLASS_CONFIG is not set");
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw std::runtime_error("cannot write " + file.toStdString());
    QTextStream text(&out);
    const QString scheme = tls ? QStringLiteral("https://") : QString();
    text << "[servers]\nclassroom = " << scheme << host_ << "\naccount = " << scheme << host_
         << "\ncontent = " << host_ << "\nquestion = " << address_
         << "\n[service]\nnamespace = http://tempuri.org/\n"
         << "[tls]\nverify = true\nca_file = " << caFile_ << "\n";
    return file;
}

QStringList DemoService::settledLog() {
    static int markers = 0;
    const QString marker = QStringLiteral("/?settled=%1").arg(++markers);
    HttpGetText(HttpClient(), baseUrl(false).toStdString() + marker.toStdString());
    if (!waitForRequest(" " + marker + " ")) return {"marker not logged"};
    QStringList lines;
    for (const QString& line : requestLog())
        if (!line.contains(QStringLiteral("/?settled="))) lines << line;
    return lines;
}
