// The screensaver hold against a session bus of the test's own, with a recording stand-in for
// the desktop's screensaver service on a connection and thread of its own (the window's calls
// block until the answer).
#include <QtTest>

#include <QComboBox>
#include <QDBusConnection>
#include <QMutex>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QThread>

#include "DataModule.h"
#include "DataRows.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "app/TeacherSessionStart.h"
#include "main/TFmMain.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"

class ScreenSaverRecorder : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QStringList take() {
        QMutexLocker lock(&mutex_);
        return std::exchange(calls_, {});
    }

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        QMutexLocker lock(&mutex_);
        calls_ << QStringLiteral("Inhibit %1 %2 -> %3").arg(application, reason).arg(++cookie_);
        return cookie_;
    }
    void UnInhibit(uint cookie) {
        QMutexLocker lock(&mutex_);
        calls_ << QStringLiteral("UnInhibit %1").arg(cookie);
    }

private:
    QMutex mutex_;
    QStringList calls_;
    uint cookie_ = 40;
};

class TestScreenSaver : public QObject {
    Q_OBJECT

private:
    QProcess bus_;
    QThread serviceThread_;
    ScreenSaverRecorder* recorder_ = nullptr;
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;

    QString inhibit(int cookie) {
        return QStringLiteral("Inhibit %1 正在上课 -> %2")
            .arg(QCoreApplication::applicationName())
            .arg(cookie);
    }

private slots:
    void initTestCase() {
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(bus_.waitForReadyRead(10000));
        const QByteArray address = bus_.readLine().trimmed();
        // Before anything in this process asks for the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection connection = QDBusConnection::connectToBus(QString::fromUtf8(address), "recorder");
        QVERIFY(connection.isConnected());
        recorder_ = new ScreenSaverRecorder;
        recorder_->moveToThread(&serviceThread_);
        connect(&serviceThread_, &QThread::finished, recorder_, &QObject::deleteLater);
        serviceThread_.start();
        QVERIFY(connection.registerObject("/org/freedesktop/ScreenSaver", recorder_,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(connection.registerService("org.freedesktop.ScreenSaver"));

        service_ = std::make_unique<DemoService>();
        dm_ = dataModule(service_->clientConfig());
    }
    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus("recorder");
        serviceThread_.quit();
        serviceThread_.wait();
        service_.reset();
        bus_.terminate();
        bus_.waitForFinished();
    }

    // Held exactly while a shown, unminimised window shows a page; let go when it goes.
    void holdFollowsTheLesson() {
        MessageRecorder messages;
        auto window = std::make_unique<TFmMain>(*dm_);
        TFmMain& w = *window;
        w.Member.UserId = "t1001";
        w.LoadUnitList();
        QCOMPARE(recorder_->take(), QStringList());

        const std::function<void()> pageShows = [&] {
            books(w)->setCurrentIndex(0);
            emit books(w)->activated(0);
            radio(w, "RBtnTextbook")->click();
        };
        const struct {
            const char* step;
            std::function<void()> action;
            QStringList calls;
        } steps[] = {
            {"page shows", pageShows, {inhibit(41)}},
            {"another page", [&] { radio(w, "RBtnHomeworkClassUse")->click(); }, {}},
            {"minimised", [&] { w.showMinimized(); }, {"UnInhibit 41"}},
            {"restored", [&] { w.showNormal(); }, {inhibit(42)}},
            {"logo", [&] { pageControl(w)->setCurrentWidget(tab(w, "TabSheetLogo")); }, {"UnInhibit 42"}},
            {"page again", [&] { pageControl(w)->setCurrentWidget(tab(w, "TabTextBook")); }, {inhibit(43)}},
            {"window goes", [&] { window.reset(); }, {"UnInhibit 43"}},
        };
        for (const auto& step : steps) {
            step.action();
            QCoreApplication::processEvents();
            QCOMPARE(recorder_->take(), step.calls);
        }
        QCOMPARE(messages.texts(), QStringList());
    }

    // The refusals of the session start end the program from the logo: nothing is ever held.
    void refusedSessionsHoldNothing_data() {
        addColumns<QString, QString>({"userId", "typeId"});
        addRow("pupil", "s3001", "30");
        addRow("parent", "p5001", "50");
        addRow("teacher without setting", "t1004", "55");
    }
    void refusedSessionsHoldNothing() {
        QFETCH(QString, userId);
        QFETCH(QString, typeId);
        MessageRecorder messages;
        std::unique_ptr<TFmMain> window;
        TeacherSessionStart session(*dm_, window);
        MemberInfoRec member;
        member.UserId = GbkString(userId.toStdString());
        member.TypeId = GbkString(typeId.toStdString());
        session.Run(member, "account");
        QVERIFY(session.endRequested());
        QVERIFY(window && window->isVisible());
        window.reset();
        QCOMPARE(recorder_->take(), QStringList());
    }
};

QTEST_MAIN(TestScreenSaver)
#include "test_screensaver.moc"
