// A lesson that goes on from what was kept when the service goes away, as the teacher meets it:
// the demo service stopped in the middle of a lesson and started again where it was.
#include <QtTest>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <atomic>
#include <future>

#include "DataModule.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "RecordingHttpServer.h"
#include "TestActions.h"
#include "app/LumoApplication.h"
#include "catalogue/FillBookCombo.h"
#include "main/OfflineBar.h"
#include "main/TFmMain.h"
#include "pages/PagePicture.h"
#include "service/HTTPRIOLmvInClass.h"
#include "service/HttpClient.h"

class TestOfflineLesson : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;
    std::unique_ptr<TFmMain> window_;

    TFmMain& w() { return *window_; }
    QListWidget* thumbnails() { return textBook(w())->LVTextBook; }
    QPushButton* button(const char* name) { return control<QPushButton>(w(), name); }
    void chooseBook(const char* bookId) {
        QComboBox* books = ::books(w());
        for (int i = 0; i < books->count(); ++i) {
            if (ComboBook(books, i)->bookid == GbkString(bookId)) return pick(books, i);
        }
        QFAIL(bookId);
    }
    // The book's first unit, then its pages: every page picture is fetched for its thumbnail.
    void openTextbook(const char* bookId) {
        chooseBook(bookId);
        pick(units(w()), 0);
        choose(radio(w(), "RBtnTextbook"));
    }
    int operations(const QString& operation) {
        int count = 0;
        for (const QString& line : service_->settledLog()) count += line.split(u' ').value(5) == operation;
        return count;
    }

private slots:
    void lessonGoesOnFromKeptRepliesAndComesBackOnline() {
        service_ = std::make_unique<DemoService>();
        dm_ = dataModule(service_->clientConfig());
        dm_->Replies.setAccount("teacher");
        window_ = std::make_unique<TFmMain>(*dm_);
        w().Member.UserId = "t1001";
        w().LoadUnitList();
        MessageRecorder messages;
        openTextbook("b3a");
        const int pages = thumbnails()->count();
        QVERIFY(pages > 1);
        choose(radio(w(), "RbtnSceneClassUse"));
        const int scenes = sceneSheet(w())->LVSceneClassUse->count();
        QVERIFY(scenes > 0);
        QCOMPARE(messages.texts(), QStringList());

        const QString host = service_->host();
        service_.reset();
        chooseBook("b5b");
        // The failure is told in its own words before anything is offered.
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY(button("btnOffline")->isHidden());
        QTRY_VERIFY(!button("btnOffline")->isHidden());
        QVERIFY(control<QLabel>(w(), "lblOffline")->isHidden());

        messages.clear();
        button("btnOffline")->click();
        QVERIFY(button("btnOffline")->isHidden());
        const QLabel* offline = control<QLabel>(w(), "lblOffline");
        QVERIFY(!offline->isHidden());
        QCOMPARE(offline->text(), QStringLiteral("离线"));
        QCOMPARE(offline->toolTip(), QStringLiteral("无法连接服务器，正在使用已下载的内容"));
        openTextbook("b3a");
        QCOMPARE(thumbnails()->count(), pages);
        thumbnails()->setCurrentRow(1);
        asUser([this] { textBook(w())->LVTextBookClick(); });
        QVERIFY(!textBook(w())->CenterPage->picture()->picture().isNull());
        choose(radio(w(), "RbtnSceneClassUse"));
        QListWidget* sceneList = sceneSheet(w())->LVSceneClassUse;
        QCOMPARE(sceneList->count(), scenes);
        sceneList->setCurrentRow(0);
        emit sceneList->itemClicked(sceneList->item(0));
        const QLabel* notice = control<QLabel>(w(), "lblNetworkNeeded");
        QVERIFY(!notice->isHidden());
        QCOMPARE(notice->text(), QStringLiteral("需要网络连接"));
        QCOMPARE(messages.texts(), QStringList());

        service_ = DemoService::listeningOn(host);
        QTRY_VERIFY_WITH_TIMEOUT(!button("btnOnline")->isHidden(), 15000);
        button("btnOnline")->click();
        QVERIFY(offline->isHidden());
        QVERIFY(button("btnOnline")->isHidden());
        QVERIFY(!w().offline());
        chooseBook("b5b");
        QCOMPARE(operations(QStringLiteral("LmvInclass_GetsyllabusWordList")), 1);
        QCOMPARE(messages.texts(), QStringList());
    }

    // The window closed while offline and the service's host takes the probe's connection but
    // never answers: closing must not wait for the probe, which ends alone once answered.
    void closingDoesNotWaitForAProbeLeftWithoutAnswer() {
        std::promise<void> answer;
        std::shared_future<void> answered = answer.get_future().share();
        std::atomic<int> asked{0};
        RecordingHttpServer host(
            [&asked, answered](const RecordedRequest&) {
                ++asked;
                answered.wait();
                return ScriptedResponse{};
            },
            RecordingHttpServer::Connections::Concurrent);
        // Answered at the latest on the way out: the server waits for its handlers.
        bool released = false;
        auto release = [&] {
            if (!std::exchange(released, true)) answer.set_value();
        };
        const auto releaseOnExit = qScopeGuard(release);
        auto probeEnded = std::make_shared<std::atomic<bool>>(false);
        HTTPRIOLmvInClass service;
        auto panel = std::make_unique<QWidget>();
        auto* bar = new OfflineBar(
            panel.get(), 0, 0, service,
            [client = HttpClient({}, HttpTimeouts{3, 60, 60}), url = host.baseUrl(), probeEnded] {
                client.get(url);
                *probeEnded = true;
                return true;
            });
        bar->EnterOffline();
        QTRY_VERIFY_WITH_TIMEOUT(asked > 0, 10000);
        panel.reset();
        QVERIFY(!*probeEnded);
        release();
        QTRY_VERIFY(*probeEnded);
        QCOMPARE(asked.load(), 1);
    }
};

int main(int argc, char** argv) {
    // The book change raises its failure to the default handler, which shows it.
    LumoApplication application(argc, argv);
    TestOfflineLesson test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_offline_lesson.moc"
