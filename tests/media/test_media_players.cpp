// The media players with a real browser against the demo service: the player address each list
// composes, the controls that appear, and what the page is asked to do.
#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "DataModule.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MediaTestData.h"
#include "MessageRecorder.h"
#include "app/LumoApplication.h"
#include "main/TFmMain.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "service/TstudyDM.h"
#include "web/PageScript.h"
#include "web/WebBrowser.h"

using namespace MediaTestData;

class TestMediaPlayers : public QObject {
    Q_OBJECT

private:
    QTemporaryDir overrides_;
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;
    std::unique_ptr<TFmMain> window_;

    QString reference(const QString& name) const { return service_->baseUrl(true) + "/media/audio/" + name; }
    int logged(const QString& text) { return service_->requestLog().filter(text).size(); }
    // The page reports its function calls through the browser, which needs the event loop:
    // wait with QTRY_*, not with the service's blocking wait.
    bool recorded(const QString& function) {
        return logged("/mediaplayerhtml/calls?fn=" + function + " ") > 0;
    }

    struct Sheet {
        QWidget* page;
        QListWidget* list;
        WebBrowser* player;
        QWidget* widthSource;
        QCheckBox* subtitles;
        QPushButton* fullScreen;
    };
    Sheet sheet(const QString& kind) const {
        TFmMain& w = *window_;
        if (kind == "scene")
            return {
                tab(w, "TabScene"),     sceneSheet(w)->LVSceneClassUse,    sceneSheet(w)->WebScene,
                sceneSheet(w)->Panel20, sceneSheet(w)->ckScenetranslation, sceneSheet(w)->btnSceneFullScreen};
        if (kind == "lecture")
            return {tab(w, "TabMiniLecture"),
                    lectureSheet(w)->LVMiniLectureClassUse,
                    lectureSheet(w)->WebMiniLecture,
                    lectureSheet(w)->Panel19,
                    lectureSheet(w)->ckLecturetranslation,
                    lectureSheet(w)->btnLectureFullScreen};
        if (kind == "word")
            return {tab(w, "TabSyllabusWord"),       wordSheet(w)->LVSyllabusWordClassUse,
                    wordSheet(w)->WebWord,           wordSheet(w)->Panel13,
                    wordSheet(w)->ckwordtranslation, wordSheet(w)->btnwordFullScreen};
        if (kind == "passage")
            return {tab(w, "TabPassage"),
                    passageSheet(w)->LVPassageClassUse,
                    passageSheet(w)->WebPassage,
                    passageSheet(w)->Label124,
                    nullptr,
                    nullptr};
        return {tab(w, "TabPhonics"),     phonicsSheet(w)->LVPhonics, phonicsSheet(w)->WebPhonics,
                phonicsSheet(w)->Panel22, phonicsSheet(w)->CheckBox1, phonicsSheet(w)->BitBtn2};
    }

    // Shows the sheet and clicks its first item; returns the address the player was sent to.
    QString open(const QString& kind) {
        const Sheet s = sheet(kind);
        pageControl(*window_)->setCurrentWidget(s.page);
        QCoreApplication::processEvents();
        QSignalSpy navigations(s.player, &WebBrowser::navigationRequested);
        const QRect item = s.list->visualItemRect(s.list->item(0));
        QTest::mouseClick(s.list->viewport(), Qt::LeftButton, {}, item.center());
        return navigations.isEmpty() ? QString() : navigations.last().first().toString();
    }
    bool openAndLoad(const QString& kind) {
        QSignalSpy loaded(sheet(kind).player, &WebBrowser::loadFinished);
        return !open(kind).isEmpty() && loaded.wait(20000) && loaded.first().first().toBool();
    }

private slots:
    void initTestCase() {
        const QString o = overrides_.path();
        const std::string content = "${content}/content/scenes/a.jpg";
        MediaTestData::writeDataset(
            o, QStringLiteral("LmvInclass_GetSceneTextJsonList/") + kBook,
            {{{"MaterialId", "s1"}, {"Title", "S"}, {"Code", kUnit}, {"CoverFileName", content}}});
        MediaTestData::writeDataset(
            o, QStringLiteral("LmvInclass_GetMiniLectureTextJsonList/") + kBook,
            {{{"MaterialId", "m1"}, {"Title", "M"}, {"Code", kUnit}, {"CoverFileName", content}}});
        MediaTestData::writeDataset(
            o, QStringLiteral("LmvInclass_GetsyllabusWordList/") + kBook,
            {{{"MaterialId", "w1"}, {"Word", "W"}, {"Code", kUnit}, {"PictureFileName", content}}});
        MediaTestData::writeDataset(o, QStringLiteral("LmvInclass_GetPassageTextJsonList/") + kBook,
                                    {{{"MaterialId", "p1"}, {"Title", "P"}, {"Code", kUnit}}});
        MediaTestData::writeDataset(
            o, QStringLiteral("LmvInclass_GetClipList"),
            {{{"clipid", "c1"}, {"clip_title", "C"}, {"filename", "${content}/content/clips/c1"}}});
        // The scene's reference carries "&" and "#", which travel unchanged.
        MediaTestData::writeFile(o, "media.txt",
                                 "GetScene\ts1\t${content}/media/audio/s1.wav?a=1&b=2#t=3\tScene\tHello\n"
                                 "GetMiniLecture\tm1\t${content}/media/audio/m1.wav\tLecture\tHi\n"
                                 "getword\tw1\t${content}/media/audio/w1.wav\tWord\tapple\n"
                                 "getpassage\tp1\t${content}/media/audio/p1.wav\tPassage\tRead\n"
                                 "GetClip\tc1\t${content}/media/audio/c1.wav\tClip\tA\n");
        service_ = std::make_unique<DemoService>(QStringList{o});
        ClientConfig config;
        config.classroomHost = service_->host();
        config.contentHost = service_->host();
        config.caFile = service_->caFile();
        HttpClient::setDefaultTls(TlsPolicy{true, config.caFile.toStdString()});
        dm_ = dataModule(config);
    }

    void init() {
        window_ = std::make_unique<TFmMain>(*dm_);
        window_->Member.UserId = "t1001";
        window_->resize(1200, 700);
        TFmMain& w = *window_;
        w.LoadBookWords("1", kGbkBook);
        w.LoadBookScenes("1", kGbkBook);
        w.LoadBookPassages("1", kGbkBook);
        w.LoadBookMiniLectures("1", kGbkBook);
        w.LoadClipList();
        sceneSheet(w)->RefreshSceneList(kGbkUnit);
        passageSheet(w)->RefreshPassageList(kGbkUnit);
        lectureSheet(w)->RefreshMiniLectureList(kGbkUnit);
        wordSheet(w)->RefreshSyllabusWordList(kGbkUnit);
        phonicsSheet(w)->RefreshClipList();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    void cleanup() { window_.reset(); }

    void openingNavigatesThePlayerAndShowsItsControls_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("controlsShown");
        const auto rows = [](const char* kind, const char* query, const char* reply, bool checked,
                             bool shown) {
            for (int version : {5, 6})
                QTest::addRow("%s, version %d", kind, version)
                    << kind << version << query << reply << checked << shown;
        };
        rows("scene", "?type=ml&media=video&width=", "s1.wav?a=1&b=2#t=3", true, true);
        rows("lecture", "?type=ml&media=video&width=", "m1.wav", true, true);
        rows("word", "?type=word&media=video&width=", "w1.wav", false, true);
        rows("passage", "?media=audio&width=", "p1.wav", false, false);
        rows("phonics", "?type=clip&media=video&width=", "c1.wav", true, false);
    }
    void openingNavigatesThePlayerAndShowsItsControls() {
        QFETCH(QString, kind);
        QFETCH(int, version);
        QFETCH(QString, query);
        QFETCH(QString, reply);
        QFETCH(bool, checked);
        QFETCH(bool, controlsShown);
        window_->OsMajorVersion = version;
        const Sheet s = sheet(kind);
        if (s.subtitles) {
            QVERIFY(s.subtitles->isHidden() && s.fullScreen->isHidden());
            QCOMPARE(s.subtitles->isChecked(), checked);
        }
        pageControl(*window_)->setCurrentWidget(tab(*window_, "TabSheetLogo"));
        const QString address = open(kind);
        const QString page = version == 5 ? "index_test.html" : "index.html";
        QCOMPARE(address, "https://" + service_->host() + "/mediaplayerhtml/" + page + query +
                              QString::number(s.widthSource->width()) + "px&url=" + reference(reply));
        QVERIFY(s.widthSource->width() > 500);
        QCOMPARE(pageControl(*window_)->currentWidget(), s.page);
        if (s.subtitles) {
            QCOMPARE(s.subtitles->isVisible(), controlsShown);
            QCOMPARE(s.fullScreen->isVisible(), controlsShown);
        }
    }

    void playerWidthFollowsTheWindow() {
        const int requestsBefore = logged("GET /api/media/GetScene/s1 ");
        const QString narrow = open("scene");
        const int before = sceneSheet(*window_)->Panel20->width();
        window_->resize(window_->width() + 300, window_->height());
        QTRY_COMPARE(sceneSheet(*window_)->Panel20->width(), before + 300);
        const QString wide = open("scene");
        QVERIFY(narrow.contains("&width=" + QString::number(before) + "px&url="));
        QVERIFY(wide.contains("&width=" + QString::number(before + 300) + "px&url="));
        QTRY_COMPARE(logged("GET /api/media/GetScene/s1 "), requestsBefore + 2);
    }

    void playerControlsReachThePage() {
        QVERIFY(openAndLoad("scene"));
        ScenePage& scene = *sceneSheet(*window_);
        QVERIFY(scene.ckScenetranslation->isChecked());
        QTest::mouseClick(scene.ckScenetranslation, Qt::LeftButton);
        QVERIFY(!scene.ckScenetranslation->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(recorded("hideSubtitles"), 10000);
        QVERIFY(!recorded("showSubtitles"));
        PauseWebPlayer(*scene.WebScene);
        QTRY_VERIFY_WITH_TIMEOUT(recorded("pause"), 10000);
    }

    void fullScreenNeedsALoadedPage() {
        ScenePage& scene = *sceneSheet(*window_);
        scene.btnSceneFullScreenClick();
        QVERIFY(scene.WebScene->View() == nullptr);
        QVERIFY(openAndLoad("scene"));
        QTest::mouseClick(scene.btnSceneFullScreen, Qt::LeftButton);
        QVERIFY(scene.WebScene->IsFullScreen());
        QTRY_VERIFY(scene.WebScene->FullScreenWindow()->isFullScreen());
        QTRY_VERIFY_WITH_TIMEOUT(recorded("fullScreen"), 10000);
        QVERIFY(QTest::qWaitForWindowActive(scene.WebScene->FullScreenWindow()));
        QTest::keyClick(scene.WebScene->View(), Qt::Key_Escape);
        QTRY_VERIFY(!scene.WebScene->IsFullScreen());
        QCOMPARE(scene.WebScene->View()->window(), window_.get());
    }

    void openingAPassageBlanksTheWordPlayer() {
        QVERIFY(openAndLoad("word"));
        QVERIFY(wordSheet(*window_)->WebWord->LocationURL().contains("/mediaplayerhtml/"));
        QVERIFY(openAndLoad("passage"));
        QTRY_COMPARE(wordSheet(*window_)->WebWord->LocationURL(), QStringLiteral("about:blank"));
        QVERIFY(passageSheet(*window_)->WebPassage->LocationURL().contains("media=audio"));
    }

    void failingScriptReachesTheDefaultHandler() {
        QVERIFY(openAndLoad("lecture"));
        MiniLecturePage& lecture = *lectureSheet(*window_);
        QSignalSpy loaded(lecture.WebMiniLecture, &WebBrowser::loadFinished);
        // A page without the player's functions.
        lecture.WebMiniLecture->Navigate(service_->baseUrl(true) + "/");
        QVERIFY(loaded.wait(20000));
        MessageRecorder messages;
        QTest::mouseClick(lecture.ckLecturetranslation, Qt::LeftButton);
        QCOMPARE(messages.texts(), QStringList{"ReferenceError: hideSubtitles is not defined"});
    }
};

int main(int argc, char** argv) {
    WebBrowser::PrepareProcess();
    LumoApplication application(argc, argv);
    TestMediaPlayers test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_media_players.moc"
