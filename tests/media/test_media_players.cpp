// The media players with a real browser against the demo service, the sheets built alone as the
// main window builds them: the player address each list composes, the controls that appear, and
// what the page is asked to do.
#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "DataRows.h"
#include "DemoService.h"
#include "MediaSheetsAlone.h"
#include "MediaTestData.h"
#include "MessageRecorder.h"
#include "app/LumoApplication.h"
#include "web/PageScript.h"
#include "web/WebBrowser.h"

using namespace MediaTestData;

class TestMediaPlayers : public QObject {
    Q_OBJECT

private:
    QTemporaryDir overrides_;
    std::unique_ptr<DemoService> service_;
    ClientConfig config_;
    std::unique_ptr<MediaSheetsAlone> sheets_;
    QWidget* logo_ = nullptr;  // a page that is not a media sheet

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
        const MediaSheetsAlone& w = *sheets_;
        if (kind == "scene")
            return {w.scene,          w.scene->LVSceneClassUse,    w.scene->WebScene,
                    w.scene->Panel20, w.scene->ckScenetranslation, w.scene->btnSceneFullScreen};
        if (kind == "lecture")
            return {w.lecture,          w.lecture->LVMiniLectureClassUse, w.lecture->WebMiniLecture,
                    w.lecture->Panel19, w.lecture->ckLecturetranslation,  w.lecture->btnLectureFullScreen};
        if (kind == "word")
            return {w.word,          w.word->LVSyllabusWordClassUse, w.word->WebWord,
                    w.word->Panel13, w.word->ckwordtranslation,      w.word->btnwordFullScreen};
        if (kind == "passage")
            return {
                w.passage, w.passage->LVPassageClassUse, w.passage->WebPassage, w.passage->Label124, nullptr,
                nullptr};
        return {w.phonics,          w.phonics->LVPhonics, w.phonics->WebPhonics,
                w.phonics->Panel22, w.phonics->CheckBox1, w.phonics->BitBtn2};
    }

    // Shows the sheet and clicks its first item; returns the address the player was sent to.
    QString open(const QString& kind) {
        const Sheet s = sheet(kind);
        sheets_->pages.setCurrentWidget(s.page);
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
        config_ = config;
    }

    void init() {
        sheets_ = std::make_unique<MediaSheetsAlone>(config_);
        MediaSheetsAlone& w = *sheets_;
        logo_ = new QWidget;
        w.pages.addTab(logo_, QString());
        w.pages.resize(1200, 700);
        w.loadBook(kGbkBook);
        w.loadClips();
        w.scene->RefreshSceneList(kGbkUnit);
        w.passage->RefreshPassageList(kGbkUnit);
        w.lecture->RefreshMiniLectureList(kGbkUnit);
        w.word->RefreshSyllabusWordList(kGbkUnit);
        w.phonics->RefreshClipList();
        w.pages.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.pages));
    }
    void cleanup() { sheets_.reset(); }

    void openingNavigatesThePlayerAndShowsItsControls_data() {
        addColumns<QString, int, QString, QString, bool, bool>(
            {"kind", "version", "query", "reply", "checked", "controlsShown"});
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
        sheets_->osMajorVersion = version;
        const Sheet s = sheet(kind);
        if (s.subtitles) {
            QVERIFY(s.subtitles->isHidden() && s.fullScreen->isHidden());
            QCOMPARE(s.subtitles->isChecked(), checked);
        }
        sheets_->pages.setCurrentWidget(logo_);
        const QString address = open(kind);
        const QString page = version == 5 ? "index_test.html" : "index.html";
        QCOMPARE(address, "https://" + service_->host() + "/mediaplayerhtml/" + page + query +
                              QString::number(s.widthSource->width()) + "px&url=" + reference(reply));
        QVERIFY(s.widthSource->width() > 500);
        QCOMPARE(sheets_->pages.currentWidget(), s.page);
        if (s.subtitles) {
            QCOMPARE(s.subtitles->isVisible(), controlsShown);
            QCOMPARE(s.fullScreen->isVisible(), controlsShown);
        }
    }

    void playerWidthFollowsTheWindow() {
        const int requestsBefore = logged("GET /api/media/GetScene/s1 ");
        const QString narrow = open("scene");
        const int before = sheets_->scene->Panel20->width();
        sheets_->pages.resize(sheets_->pages.width() + 300, sheets_->pages.height());
        QTRY_COMPARE(sheets_->scene->Panel20->width(), before + 300);
        const QString wide = open("scene");
        QVERIFY(narrow.contains("&width=" + QString::number(before) + "px&url="));
        QVERIFY(wide.contains("&width=" + QString::number(before + 300) + "px&url="));
        QTRY_COMPARE(logged("GET /api/media/GetScene/s1 "), requestsBefore + 2);
    }

    void playerControlsReachThePage() {
        QVERIFY(openAndLoad("scene"));
        ScenePage& scene = *sheets_->scene;
        QVERIFY(scene.ckScenetranslation->isChecked());
        QTest::mouseClick(scene.ckScenetranslation, Qt::LeftButton);
        QVERIFY(!scene.ckScenetranslation->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(recorded("hideSubtitles"), 10000);
        QVERIFY(!recorded("showSubtitles"));
        PauseWebPlayer(*scene.WebScene);
        QTRY_VERIFY_WITH_TIMEOUT(recorded("pause"), 10000);
    }

    void fullScreenNeedsALoadedPage() {
        ScenePage& scene = *sheets_->scene;
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
        QCOMPARE(scene.WebScene->View()->window(), &sheets_->pages);
    }

    void openingAPassageBlanksTheWordPlayer() {
        QVERIFY(openAndLoad("word"));
        QVERIFY(sheets_->word->WebWord->LocationURL().contains("/mediaplayerhtml/"));
        QVERIFY(openAndLoad("passage"));
        QTRY_COMPARE(sheets_->word->WebWord->LocationURL(), QStringLiteral("about:blank"));
        QVERIFY(sheets_->passage->WebPassage->LocationURL().contains("media=audio"));
    }

    void failingScriptReachesTheDefaultHandler() {
        QVERIFY(openAndLoad("lecture"));
        MiniLecturePage& lecture = *sheets_->lecture;
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
