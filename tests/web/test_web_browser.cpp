// The browser wrapper with a real engine against the demo service: loading, script calls and
// their errors, the certificate rule and full screen.
#include <QtTest>

#include <QApplication>
#include <QPushButton>
#include <QQuickWidget>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <memory>

#include "AccessibleTree.h"
#include "DataRows.h"
#include "DemoService.h"
#include "RecordingHttpServer.h"
#include "TestCertificates.h"
#include "service/HttpClient.h"
#include "web/PageScript.h"
#include "web/ScriptError.h"
#include "web/WebBrowser.h"

class TestWebBrowser : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoService> service_;
    QTemporaryDir otherAuthority_;
    std::unique_ptr<QWidget> window_;
    WebBrowser* browser_ = nullptr;

    QString playerUrl() const {
        return service_->baseUrl(true) + "/mediaplayerhtml/index.html?type=ml&media=video&width=640px&url=x";
    }
    // A window with one browser that checks certificates by `tls`.
    void makeWindow(const TlsPolicy& tls) {
        window_ = std::make_unique<QWidget>();
        window_->resize(800, 600);
        browser_ = new WebBrowser(tls, window_.get());
        auto* layout = new QVBoxLayout(window_.get());
        layout->addWidget(browser_);
        window_->show();
    }
    bool load(const QString& url) {
        QSignalSpy finished(browser_, &WebBrowser::loadFinished);
        browser_->Navigate(url);
        if (!finished.wait(20000)) return false;
        return finished.first().first().toBool();
    }

private slots:
    void initTestCase() { service_ = std::make_unique<DemoService>(); }

    void init() { makeWindow(TlsPolicy{true, service_->caFile().toStdString()}); }
    void cleanup() { window_.reset(); }

    void nothingExistsBeforeTheFirstNavigation() {
        QCOMPARE(browser_->LocationName(), QString());
        QCOMPARE(browser_->LocationURL(), QString());
        PauseWebPlayer(*browser_);
        browser_->ShowFullScreen();
        QVERIFY(!browser_->IsFullScreen());
        QVERIFY_THROWS_EXCEPTION(ScriptError, browser_->RunScript("pause()"));
        QVERIFY(browser_->View() == nullptr);
    }

    void scriptCallsReportMissingFunctionsAndErrors() {
        QVERIFY(load(playerUrl()));
        QVERIFY(!browser_->LocationName().isEmpty());
        QVERIFY(browser_->LocationURL().startsWith(service_->baseUrl(true) + "/mediaplayerhtml/"));
        RunPageScript(*browser_, "hideSubtitles()");
        try {
            browser_->RunScript("noSuchFunction()");
            QFAIL("a missing function must raise");
        } catch (const ScriptError& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("ReferenceError: noSuchFunction is not defined"));
        }
        QVERIFY_THROWS_EXCEPTION(ScriptError, browser_->RunScript("(function(){throw new Error('x')})()"));
        // Pausing never raises, whatever the page holds.
        PauseWebPlayer(*browser_);
        QVERIFY(load("about:blank"));
        PauseWebPlayer(*browser_);
    }

    void certificateIsAcceptedOnlyFromTheConfiguredAuthority_data() {
        addColumns<bool, bool, bool>({"verify", "otherAuthority", "loads"});
        addRow("configured authority", true, false, true);
        addRow("another authority", true, true, false);
        addRow("verification off", false, true, true);
    }
    void certificateIsAcceptedOnlyFromTheConfiguredAuthority() {
        QFETCH(bool, verify);
        QFETCH(bool, otherAuthority);
        QFETCH(bool, loads);
        const TestCertificates other = TestCertificates::create(otherAuthority_.path().toStdString());
        makeWindow(TlsPolicy{verify, otherAuthority ? other.caFile : service_->caFile().toStdString()});
        // A fresh address each row: the engine remembers an accepted certificate per host.
        DemoService service;
        QCOMPARE(load(service.baseUrl(true) + "/mediaplayerhtml/index.html?media=audio&width=1px&url=x"),
                 loads);
    }

    // The configured authority vouches for who signed a certificate, not for the rest of it.
    void certificateOfTheAuthorityIsRefusedForAnotherNameOrOutsideItsDates_data() {
        addColumns<QString, int, int, bool>({"names", "notBeforeDays", "notAfterDays", "loads"});
        addRow("this address, in date", "IP:127.0.0.1", -1, 30, true);
        addRow("another name", "IP:127.0.0.2,DNS:localhost", -1, 30, false);
        addRow("expired", "IP:127.0.0.1", -60, -1, false);
        addRow("not yet valid", "IP:127.0.0.1", 1, 30, false);
    }
    void certificateOfTheAuthorityIsRefusedForAnotherNameOrOutsideItsDates() {
        QFETCH(QString, names);
        QFETCH(int, notBeforeDays);
        QFETCH(int, notAfterDays);
        QFETCH(bool, loads);
        constexpr long day = 24L * 3600;
        const TestCertificates files =
            TestCertificates::create(otherAuthority_.path().toStdString(),
                                     {names.toStdString(), notBeforeDays * day, notAfterDays * day});
        makeWindow(TlsPolicy{true, files.caFile});
        RecordingHttpServer server(
            [](const RecordedRequest&) {
                return ScriptedResponse{200, "text/html", "<title>player</title>"};
            },
            files.certFile, files.keyFile);
        QCOMPARE(load(QString::fromStdString(server.baseUrl()) + "/player"), loads);
        QCOMPARE(browser_->LocationName() == QLatin1String("player"), loads);
        QCOMPARE(server.requests().empty(), !loads);
    }

    void fullScreenCoversTheScreenAndEscReturns() {
        QVERIFY(load(playerUrl()));
        browser_->ShowFullScreen();
        QWidget* view = browser_->View();
        QVERIFY(browser_->IsFullScreen());
        QWidget* stage = browser_->FullScreenWindow();
        QCOMPARE(view->window(), stage);
        QTRY_VERIFY(stage->isFullScreen());
        QCOMPARE(stage->geometry(), window_->screen()->geometry());
        QVERIFY(QTest::qWaitForWindowActive(stage));
        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(!browser_->IsFullScreen());
        QCOMPARE(view->parentWidget(), browser_);
        QVERIFY(!stage->isVisible());
    }

    // A touch board has no Esc: a touch (or a moving mouse) brings up a button that does the
    // same, which goes away again after a few seconds.
    void exitButtonComesWithATouchAndLeavesFullScreen() {
        QVERIFY(load(playerUrl()));
        browser_->ShowFullScreen();
        QWidget* stage = browser_->FullScreenWindow();
        QTRY_VERIFY(stage->isFullScreen());
        QPushButton* exit = browser_->ExitFullScreenButton();
        QTRY_VERIFY(!exit->isVisible());
        QPointingDevice* finger = QTest::createTouchDevice();
        QTest::touchEvent(stage, finger).press(0, QPoint(100, 100));
        QTest::touchEvent(stage, finger).release(0, QPoint(100, 100));
        QTRY_VERIFY(exit->isVisible());
        QVERIFY(exit->width() >= 48 && exit->height() >= 48);
        QVERIFY(stage->rect().contains(exit->geometry()));
        QCOMPARE(ShownAccessibles(stage, QStringLiteral("退出全屏")).size(), 1);
        QTest::mouseClick(exit, Qt::LeftButton);
        QTRY_VERIFY(!browser_->IsFullScreen());
        QVERIFY(!exit->isVisible());
        QCOMPARE(browser_->View()->window(), window_.get());
    }

    // A hidden view gives its drawing surface back (bench_browser_memory measures it); shown
    // again it draws its page anew.
    void aViewHiddenAndShownAgainDrawsItsPage() {
        QVERIFY(load("data:text/html,<body style='margin:0;background:rgb(200,30,40)'></body>"));
        auto* surface = qobject_cast<QQuickWidget*>(browser_->View()->focusProxy());
        QVERIFY(surface != nullptr);
        const auto centre = [surface] {
            return surface->grabFramebuffer().pixelColor(surface->width() / 2, surface->height() / 2);
        };
        QTRY_COMPARE(centre(), QColor(200, 30, 40));
        window_->hide();
        QTest::qWait(100);
        window_->show();
        QTRY_COMPARE(centre(), QColor(200, 30, 40));
    }

    void pageRequestAfterAClickGoesFullScreen() {
        QVERIFY(
            load("data:text/html,<title>t</title><body style='margin:0'>"
                 "<button id=b style='width:100%;height:300px' "
                 "onclick='document.body.requestFullscreen()'>go</button>"));
        QWidget* view = browser_->View();
        QWidget* target = view->focusProxy() ? view->focusProxy() : view;
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(50, 50));
        QTRY_VERIFY(browser_->IsFullScreen());
        QTRY_VERIFY(browser_->FullScreenWindow()->isFullScreen());
        QVERIFY(QTest::qWaitForWindowActive(browser_->FullScreenWindow()));
        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(!browser_->IsFullScreen());
        QCOMPARE(view->window(), window_.get());
    }
};

int main(int argc, char** argv) {
    WebBrowser::PrepareProcess();
    QApplication application(argc, argv);
    TestWebBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_web_browser.moc"
