#include "KillProcessByExeName.h"

#include <signal.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "WindowRegistry.h"

namespace {

QString procPath(qint64 pid, const char* entry) {
    return QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry));
}

QString executableName(qint64 pid) {
    QString target = QFile::symLinkTarget(procPath(pid, "exe"));
    // A program file replaced while it runs still names the same program.
    target.remove(QStringLiteral(" (deleted)"));
    return QFileInfo(target).fileName();
}

// A process that ended but was not yet collected by its parent counts as ended: it holds
// no window and runs no code any more.
bool hasEnded(qint64 pid) {
    QFile stat(procPath(pid, "stat"));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0 || close + 2 >= text.size()) return true;
    const char state = text.at(close + 2);
    return state == 'Z' || state == 'X';
}

// The main thread of a process can already be a zombie while its other threads still hold
// the registration socket open; the window is gone only when the registration is.
bool waitForEnd(qint64 pid, const QString& windowClass, int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!hasEnded(pid) || WindowRegistry::ownerPid(windowClass) == pid) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

}  // namespace

bool KillProcessByExeName(const QString& exeName, const QString& windowClass) {
    const qint64 pid = WindowRegistry::ownerPid(windowClass);
    if (pid <= 0 || pid == getpid()) return true;
    if (executableName(pid).compare(exeName, Qt::CaseInsensitive) != 0) return true;
    if (::kill(static_cast<pid_t>(pid), SIGTERM) != 0) return hasEnded(pid);
    if (waitForEnd(pid, windowClass, 3000)) return true;
    if (::kill(static_cast<pid_t>(pid), SIGKILL) != 0) return hasEnded(pid);
    return waitForEnd(pid, windowClass, 2000);
}
