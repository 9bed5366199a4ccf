// The single-instance rule across real processes: a new start ends the lumoclass process that
// holds the login window's registration, and nothing else.
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QProcess>
#include <cstring>

#include "DemoService.h"
#include "cache/CacheFolder.h"
#include "platform/PlaceStore.h"
#include "platform/WindowRegistry.h"

namespace {

const QString kLoginWindow = QStringLiteral("QO-RO Editing Tool");
constexpr int kStartMs = 20000;

struct ProcessGuard {
    QProcess process;
    ~ProcessGuard() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kStartMs);
        }
    }
};

}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void registrationIsFoundWithItsOwnerAndMessages() {
        const QString name = QStringLiteral("QO-RO Registry Probe");
        QVERIFY(!WindowRegistry::exists(name));
        QCOMPARE(WindowRegistry::ownerPid(name), qint64(-1));
        {
            WindowRegistry registry(name);
            QVERIFY(registry.isRegistered());
            QVERIFY(WindowRegistry::exists(name));
            QCOMPARE(WindowRegistry::ownerPid(name), qint64(getpid()));
            // A second holder of the same name in the same session is refused.
            WindowRegistry second(name);
            QVERIFY(!second.isRegistered());

            QSignalSpy received(&registry, &WindowRegistry::messageReceived);
            QVERIFY(WindowRegistry::sendMessage(name, 5120));
            QVERIFY(received.wait(kStartMs));
            QCOMPARE(received.first().first().toInt(), 5120);
        }
        QVERIFY(!WindowRegistry::exists(name));
    }

    void leftoverSocketOfACrashedProcessIsReplaced() {
        const QString name = QStringLiteral("QO-RO Leftover");
        QFile leftover(WindowRegistry::socketPath(name));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        WindowRegistry registry(name);
        QVERIFY(registry.isRegistered());
        QVERIFY(WindowRegistry::exists(name));
    }

    // Other programs write their numbers in any pieces: a message counts once its line is whole,
    // a line that is no number is skipped, and a sender that never ends its line is cut off.
    void messagesArriveAsWholeLines() {
        const QString name = QStringLiteral("QO-RO Line Probe");
        WindowRegistry registry(name);
        QVERIFY(registry.isRegistered());
        QSignalSpy received(&registry, &WindowRegistry::messageReceived);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(WindowRegistry::socketPath(name));
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const int sender = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(::connect(sender, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
        QCOMPARE(::write(sender, "51", 2), 2);
        QCOMPARE(::write(sender, "20\nhello\n7\n", 11), 11);
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received.at(0).first().toInt(), 5120);
        QCOMPARE(received.at(1).first().toInt(), 7);
        const QByteArray endless(200, '1');
        QCOMPARE(::write(sender, endless.constData(), size_t(endless.size())), qsizetype(endless.size()));
        char byte = 0;
        // The registry hangs up: the read ends instead of waiting.
        QTRY_COMPARE(::recv(sender, &byte, 1, MSG_DONTWAIT), ssize_t(0));
        QCOMPARE(received.size(), 2);
        ::close(sender);
    }

    void registrationAdmitsOnlyThisUser() {
        const QString name = QStringLiteral("QO-RO Owner Probe");
        WindowRegistry registry(name);
        QVERIFY(registry.isRegistered());
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(WindowRegistry::socketPath(name)).constData(), &info), 0);
        QVERIFY(S_ISSOCK(info.st_mode));
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
        QCOMPARE(info.st_uid, ::getuid());
    }

    void secondStartEndsTheFirstAndCarriesOn() {
        ProcessGuard first;
        first.process.start(QStringLiteral(LUMO_CLIENT_EXE), {});
        QVERIFY(first.process.waitForStarted(kStartMs));
        QTRY_COMPARE_WITH_TIMEOUT(WindowRegistry::ownerPid(kLoginWindow), first.process.processId(),
                                  kStartMs);

        ProcessGuard second;
        second.process.start(QStringLiteral(LUMO_CLIENT_EXE), {QStringLiteral("ignored")});
        QVERIFY(second.process.waitForStarted(kStartMs));
        QVERIFY(first.process.waitForFinished(kStartMs));
        // The second start goes on into the login mode and now holds the registration itself.
        QTRY_COMPARE_WITH_TIMEOUT(WindowRegistry::ownerPid(kLoginWindow), second.process.processId(),
                                  kStartMs);
        QCOMPARE(second.process.state(), QProcess::Running);
    }

    // Ended by a new start in the middle of a lesson, the running program keeps the teacher's
    // place (written on the way out: the copy written at the pick is removed first) and ends by
    // itself, not by the rule's SIGKILL three seconds later, and without the close handling: the
    // cache clean-up it was asked for at close does not run.
    void secondStartKeepsTheRunningLessonsPlace() {
        DemoService demo;
        demo.writeClientConfig();
        ProcessGuard first;
        first.process.start(QStringLiteral(LUMO_LESSON_IN_PROGRESS_EXE), {QStringLiteral("b3a")});
        QVERIFY(first.process.waitForReadyRead(kStartMs));
        QCOMPARE(first.process.readLine().trimmed(), QByteArray("ready"));
        const PlaceStore places;
        QTRY_VERIFY(places.LoadPlace("teacher").has_value());
        QVERIFY(QFile::remove(places.placeFile("teacher")));
        const QString cached = QString::fromStdString(CacheFolder::temporaryPath()) + "kept.jpg";
        QFile picture(cached);
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.close();

        ProcessGuard second;
        second.process.start(QStringLiteral(LUMO_CLIENT_EXE), {});
        QVERIFY(first.process.waitForFinished(kStartMs));
        QCOMPARE(first.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.process.exitCode(), 0);
        const std::optional<LessonPlace> place = places.LoadPlace("teacher");
        QVERIFY(place.has_value());
        QCOMPARE(place->bookId, QStringLiteral("b3a"));
        QCOMPARE(place->unitCode, QStringLiteral("b3a-u1"));
        QVERIFY(QFile::exists(cached));
        QTRY_COMPARE_WITH_TIMEOUT(WindowRegistry::ownerPid(kLoginWindow), second.process.processId(),
                                  kStartMs);
    }

    void aProcessOfAnotherNameIsLeftAlone() {
        ProcessGuard holder;
        holder.process.start(QStringLiteral(LUMO_REGISTRY_HOLDER_EXE), {kLoginWindow});
        QVERIFY(holder.process.waitForStarted(kStartMs));
        QVERIFY(holder.process.waitForReadyRead(kStartMs));
        QCOMPARE(holder.process.readLine().trimmed(), QByteArray("registered"));

        // Three arguments: the rule runs, then the program ends at once.
        ProcessGuard start;
        start.process.start(QStringLiteral(LUMO_CLIENT_EXE), {"a", "b", "c"});
        QVERIFY(start.process.waitForFinished(kStartMs));
        QCOMPARE(start.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(start.process.exitCode(), 0);
        QCOMPARE(holder.process.state(), QProcess::Running);
        QCOMPARE(WindowRegistry::ownerPid(kLoginWindow), holder.process.processId());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
