// The single-instance rule across real processes: a new start ends the lumoclass process that
// holds the login window's registration, and nothing else.
#include <QtTest>

#include <unistd.h>
#include <QProcess>

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
