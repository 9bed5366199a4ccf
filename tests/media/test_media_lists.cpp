// The five media lists against the demo service, as a teacher meets them in the main window:
// which items appear, which pictures are fetched, what the radio buttons say, and what the
// click handlers ask of the media API when the answer is missing. No browser is started here.
#include <QtTest>

#include <QCheckBox>
#include <QDirIterator>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "DataModule.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MediaTestData.h"
#include "MessageRecorder.h"
#include "RecordingHttpServer.h"
#include "catalogue/BuiltInPictures.h"
#include "catalogue/HalftoneStretch.h"
#include "main/TFmMain.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "service/TstudyDM.h"
#include "web/WebBrowser.h"

using namespace MediaTestData;

namespace {

Row scene(const std::string& id, const std::string& cover, const std::string& code = kUnit) {
    return {{"MaterialId", id}, {"Title", "Scene " + id}, {"Code", code}, {"CoverFileName", cover}};
}
Row word(const std::string& id, const std::string& picture, const std::string& materialId) {
    return {{"wordid", id},
            {"Word", "word " + id},
            {"Code", kUnit},
            {"PictureFileName", picture},
            {"MaterialId", materialId}};
}

int webEngineProcesses() {
    int count = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    QDirIterator processes("/proc", QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        const QString dir = processes.next();
        QFile status(dir + "/status");
        if (!status.open(QIODevice::ReadOnly)) continue;
        const QString text = QString::fromUtf8(status.readAll());
        if (text.contains("QtWebEngineProc") && text.contains("\nPPid:\t" + self + "\n")) ++count;
    }
    return count;
}

}  // namespace

class TestMediaLists : public QObject {
    Q_OBJECT

private:
    QTemporaryDir overrides_;
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;
    std::unique_ptr<TFmMain> window_;

    // The demo service puts its own address in place of ${content}.
    static std::string content() { return "${content}/content/"; }
    std::string unreachable() const {
        return "http://127.0.0.1:" + std::to_string(RecordingHttpServer::unusedPort()) + "/pics/";
    }
    int logged(const QString& text) { return service_->settledLog().filter(text).size(); }

    void startService() {
        service_ = std::make_unique<DemoService>(QStringList{overrides_.path()});
        ClientConfig config;
        config.classroomHost = service_->host();
        config.contentHost = service_->host();
        config.caFile = service_->caFile();
        HttpClient::setDefaultTls(TlsPolicy{true, config.caFile.toStdString()});
        dm_ = dataModule(config);
        window_ = std::make_unique<TFmMain>(*dm_);
        window_->Member.UserId = "t1001";
    }
    void loadBook() {
        TFmMain& w = *window_;
        w.LoadBookWords("1", kGbkBook);
        w.LoadBookScenes("1", kGbkBook);
        w.LoadBookPassages("1", kGbkBook);
        w.LoadBookMiniLectures("1", kGbkBook);
    }
    void writeScenes(const std::vector<Row>& rows) {
        MediaTestData::writeDataset(overrides_.path(),
                                    QStringLiteral("LmvInclass_GetSceneTextJsonList/") + kBook, rows);
    }
    void writeLectures(const std::vector<Row>& rows) {
        MediaTestData::writeDataset(overrides_.path(),
                                    QStringLiteral("LmvInclass_GetMiniLectureTextJsonList/") + kBook, rows);
    }

private slots:
    void init() {
        QDir(overrides_.path()).removeRecursively();
        QDir().mkpath(overrides_.path());
    }
    void cleanup() {
        window_.reset();
        dm_.reset();
        service_.reset();
    }

    void unitWithoutMaterialsDisablesItsButton_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("scenes") << "scene";
        QTest::newRow("passages") << "passage";
        QTest::newRow("mini lectures") << "lecture";
        QTest::newRow("words") << "word";
    }
    void unitWithoutMaterialsDisablesItsButton() {
        QFETCH(QString, kind);
        startService();
        TFmMain& w = *window_;
        QListWidget* list = nullptr;
        QRadioButton* button = nullptr;
        std::function<void(const GbkString&)> refresh;
        if (kind == "scene") {
            list = sceneSheet(w)->LVSceneClassUse;
            button = radio(w, "RbtnSceneClassUse");
            refresh = [&](const GbkString& code) { sceneSheet(w)->RefreshSceneList(code); };
        } else if (kind == "passage") {
            list = passageSheet(w)->LVPassageClassUse;
            button = radio(w, "RbtnPassageClassUse");
            refresh = [&](const GbkString& code) { passageSheet(w)->RefreshPassageList(code); };
        } else if (kind == "lecture") {
            list = lectureSheet(w)->LVMiniLectureClassUse;
            button = radio(w, "RBtnMiniLectureClassUse");
            refresh = [&](const GbkString& code) { lectureSheet(w)->RefreshMiniLectureList(code); };
        } else {
            list = wordSheet(w)->LVSyllabusWordClassUse;
            button = radio(w, "RBtnWordClassUse");
            refresh = [&](const GbkString& code) {
                wordSheet(w)->ClearList();
                wordSheet(w)->RefreshSyllabusWordList(code);
            };
        }
        // The demo's first book has material for its first unit in every list.
        w.LoadBookWords("1", "b3a");
        w.LoadBookScenes("1", "b3a");
        w.LoadBookPassages("1", "b3a");
        w.LoadBookMiniLectures("1", "b3a");
        refresh("b3a-u1");
        QVERIFY(list->count() > 0);
        QVERIFY(button->isEnabled());
        refresh("B3A-U1");  // codes compare exactly, case included
        QCOMPARE(list->count(), 0);
        QVERIFY(!button->isEnabled());
    }

    void picturesSharingAFileNameAreFetchedOnce() {
        writeScenes({scene("s1", content() + "scenes/shared-cover.jpg"),
                     scene("s2", content() + "other/shared-cover.jpg")});
        startService();
        loadBook();
        sceneSheet(*window_)->RefreshSceneList(kGbkUnit);
        QCOMPARE(sceneSheet(*window_)->LVSceneClassUse->count(), 2);
        QCOMPARE(window_->Thumbnails.SceneImageList.Count(), 2);
        QVERIFY(service_->waitForRequest("/shared-cover.jpg"));
        QCOMPARE(logged("/shared-cover.jpg"), 1);
        QVERIFY(radio(*window_, "RbtnSceneClassUse")->isEnabled());
    }

    void pictureThatCannotBeFetchedEndsTheList_data() {
        QTest::addColumn<bool>("lectures");
        QTest::addColumn<bool>("emptyCover");
        QTest::addColumn<bool>("buttonBefore");
        QTest::newRow("scene unreachable, button off") << false << false << false;
        QTest::newRow("scene unreachable, button on") << false << false << true;
        QTest::newRow("scene without cover") << false << true << false;
        QTest::newRow("lecture unreachable") << true << false << false;
        QTest::newRow("lecture without cover") << true << true << true;
    }
    void pictureThatCannotBeFetchedEndsTheList() {
        QFETCH(bool, lectures);
        QFETCH(bool, emptyCover);
        QFETCH(bool, buttonBefore);
        std::vector<Row> rows;
        for (int i = 1; i <= 5; ++i) {
            const std::string id = "m" + std::to_string(i);
            std::string cover = content() + "scenes/" + id + ".jpg";
            if (i == 3) cover = emptyCover ? "" : unreachable() + id + ".jpg";
            rows.push_back(scene(id, cover));
            rows.back()["Title_Chinese"] = "x";
        }
        lectures ? writeLectures(rows) : writeScenes(rows);
        startService();
        loadBook();
        MessageRecorder messages;
        QListWidget* list =
            lectures ? lectureSheet(*window_)->LVMiniLectureClassUse : sceneSheet(*window_)->LVSceneClassUse;
        QRadioButton* button =
            lectures ? radio(*window_, "RBtnMiniLectureClassUse") : radio(*window_, "RbtnSceneClassUse");
        button->setEnabled(buttonBefore);
        if (lectures)
            lectureSheet(*window_)->RefreshMiniLectureList(kGbkUnit);
        else
            sceneSheet(*window_)->RefreshSceneList(kGbkUnit);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Scene m2"));
        QCOMPARE(button->isEnabled(), buttonBefore);
        QCOMPARE(logged("/m4.jpg"), 0);
        QCOMPARE(messages.texts(), QStringList());
    }

    // A damaged cached cover is fetched once more; only when the fresh copy is damaged too does
    // the decoder's failure reach the list: shown by mini lectures, raised by scenes.
    void damagedCoverIsFetchedAgainThenShownOrRaised_data() {
        QTest::addColumn<bool>("lectures");
        QTest::addColumn<bool>("damagedOnServer");
        QTest::newRow("mini lectures, healed") << true << false;
        QTest::newRow("scenes, healed") << false << false;
        QTest::newRow("mini lectures, damaged on the server") << true << true;
        QTest::newRow("scenes, damaged on the server") << false << true;
    }
    void damagedCoverIsFetchedAgainThenShownOrRaised() {
        QFETCH(bool, lectures);
        QFETCH(bool, damagedOnServer);
        const std::vector<Row> rows = {scene("d1", content() + "scenes/d1.jpg"),
                                       scene("d2", content() + "scenes/broken-d2.png"),
                                       scene("d3", content() + "scenes/d3.jpg")};
        lectures ? writeLectures(rows) : writeScenes(rows);
        if (damagedOnServer)
            MediaTestData::writeFile(overrides_.path(), "faults/http",
                                     "/content/scenes/broken-d2.png damaged\n");
        startService();
        loadBook();
        QFile broken(QString::fromStdString(window_->TempPath + "broken-d2.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\x89PNG\r\n\x1a\nnot a picture");
        broken.close();
        MessageRecorder messages;
        QRadioButton* button =
            lectures ? radio(*window_, "RBtnMiniLectureClassUse") : radio(*window_, "RbtnSceneClassUse");
        QListWidget* list =
            lectures ? lectureSheet(*window_)->LVMiniLectureClassUse : sceneSheet(*window_)->LVSceneClassUse;
        button->setEnabled(false);
        if (lectures)
            lectureSheet(*window_)->RefreshMiniLectureList(kGbkUnit);
        else if (damagedOnServer)
            QVERIFY_THROWS_EXCEPTION(std::exception, sceneSheet(*window_)->RefreshSceneList(kGbkUnit));
        else
            sceneSheet(*window_)->RefreshSceneList(kGbkUnit);
        QCOMPARE(logged("/broken-d2.png"), 1);
        QCOMPARE(list->count(), damagedOnServer ? 1 : 3);
        QCOMPARE(messages.texts().size(), lectures && damagedOnServer ? 1 : 0);
        QCOMPARE(button->isEnabled(), !damagedOnServer);
    }

    void wordsWithoutPictureShowNoPhotos() {
        MediaTestData::writeDataset(overrides_.path(),
                                    QStringLiteral("LmvInclass_GetsyllabusWordList/") + kBook,
                                    {word("w1", content() + "words/w1.jpg", "m1"),
                                     word("w2", unreachable() + "w2.jpg", "m2"), word("w3", "", "m3")});
        startService();
        loadBook();
        SyllabusWordPage& sheet = *wordSheet(*window_);
        sheet.RefreshSyllabusWordList(kGbkUnit);
        QCOMPARE(sheet.LVSyllabusWordClassUse->count(), 3);
        const QImage noPhotos = HalftoneStretch(BuiltInPictures::ImgNoPic(), 180, 120);
        const auto thumbnail = [&](int row) {
            const int index = sheet.LVSyllabusWordClassUse->item(row)->data(Qt::UserRole + 1).toInt();
            return window_->Thumbnails.WordImageList.Item(index).toImage().convertToFormat(noPhotos.format());
        };
        QVERIFY(thumbnail(0) != noPhotos);
        QCOMPARE(thumbnail(1), noPhotos);
        QCOMPARE(thumbnail(2), noPhotos);
        QCOMPARE(sheet.LVSyllabusWordClassUse->item(2)->text(), QStringLiteral("word w3"));
        QVERIFY(radio(*window_, "RBtnWordClassUse")->isEnabled());
    }

    void wordListIsBuiltOnceUntilEmptied() {
        startService();
        window_->LoadBookWords("1", "b3a");
        SyllabusWordPage& sheet = *wordSheet(*window_);
        sheet.RefreshSyllabusWordList("b3a-u1");
        const int count = sheet.LVSyllabusWordClassUse->count();
        QVERIFY(count > 0);
        QListWidgetItem* first = sheet.LVSyllabusWordClassUse->item(0);
        sheet.RefreshSyllabusWordList("b3a-u2");
        QCOMPARE(sheet.LVSyllabusWordClassUse->item(0), first);
        QCOMPARE(sheet.LVSyllabusWordClassUse->count(), count);
        sheet.ClearList();
        sheet.RefreshSyllabusWordList("b3a-u2");
        QCOMPARE(sheet.LVSyllabusWordClassUse->count(), count);
        const auto* record = reinterpret_cast<const TWordObj*>(
            sheet.LVSyllabusWordClassUse->item(0)->data(Qt::UserRole).value<quintptr>());
        QCOMPARE(record->Code, GbkString("b3a-u2"));
    }

    void clipThumbnailIsFetchedWithJpgAppended() {
        startService();
        window_->LoadClipList();
        phonicsSheet(*window_)->RefreshClipList();
        QCOMPARE(phonicsSheet(*window_)->LVPhonics->count(),
                 static_cast<int>(window_->Catalogue.MediaClipList.Count()));
        QVERIFY(service_->waitForRequest("GET /content/clips/clip7.jpg "));
        QVERIFY(QFile::exists(QString::fromStdString(window_->TempPath + "clip7.jpg")));
        QCOMPARE(phonicsSheet(*window_)->LVPhonics->item(1)->text(), QStringLiteral("Letter B b 自然拼读"));
    }

    void missingReferenceShowsTheListsMessage_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("message");
        QTest::newRow("scene") << "scene"
                               << "request http %1 GET /api/media/GetScene/zz"
                               << "Network failed，try again!";
        QTest::newRow("mini lecture") << "lecture"
                                      << "request https %1 GET /api/media/GetMiniLecture/zz"
                                      << "Network failed，try again!";
        QTest::newRow("word") << "word"
                              << "request https %1 GET /api/media/getword/zz"
                              << "Network failed, try again！";
        QTest::newRow("word without id") << "word-empty"
                                         << "request https %1 GET /api/media/getword/ "
                                         << "Network failed, try again！";
        QTest::newRow("passage") << "passage"
                                 << "request https %1 GET /api/media/getpassage/zz"
                                 << "Network failed, try again！";
        QTest::newRow("clip") << "clip"
                              << "request https %1 GET /api/media/GetClip/zz"
                              << "Network failed，try again!";
    }
    void missingReferenceShowsTheListsMessage() {
        QFETCH(QString, kind);
        QFETCH(QString, request);
        QFETCH(QString, message);
        const std::string id = kind == "word-empty" ? "" : "zz";
        writeScenes({scene(id, content() + "scenes/a.jpg")});
        writeLectures({scene(id, content() + "scenes/a.jpg")});
        MediaTestData::writeDataset(overrides_.path(),
                                    QStringLiteral("LmvInclass_GetsyllabusWordList/") + kBook,
                                    {word("w1", content() + "words/a.jpg", id)});
        MediaTestData::writeDataset(overrides_.path(),
                                    QStringLiteral("LmvInclass_GetPassageTextJsonList/") + kBook,
                                    {{{"MaterialId", id}, {"Title", "p"}, {"Code", kUnit}}});
        MediaTestData::writeDataset(
            overrides_.path(), QStringLiteral("LmvInclass_GetClipList"),
            {{{"clipid", id}, {"clip_title", "c"}, {"filename", content() + "clips/a"}}});
        startService();
        loadBook();
        window_->LoadClipList();
        TFmMain& w = *window_;
        QListWidget* list = nullptr;
        if (kind == "scene") {
            sceneSheet(w)->RefreshSceneList(kGbkUnit);
            list = sceneSheet(w)->LVSceneClassUse;
        } else if (kind == "lecture") {
            lectureSheet(w)->RefreshMiniLectureList(kGbkUnit);
            list = lectureSheet(w)->LVMiniLectureClassUse;
        } else if (kind.startsWith("word")) {
            wordSheet(w)->RefreshSyllabusWordList(kGbkUnit);
            list = wordSheet(w)->LVSyllabusWordClassUse;
        } else if (kind == "passage") {
            passageSheet(w)->RefreshPassageList(kGbkUnit);
            list = passageSheet(w)->LVPassageClassUse;
        } else {
            phonicsSheet(w)->RefreshClipList();
            list = phonicsSheet(w)->LVPhonics;
        }
        QCOMPARE(list->count(), 1);
        MessageRecorder messages;
        // Nothing selected: a click does nothing.
        emit list->itemClicked(list->item(0));
        QCOMPARE(messages.texts(), QStringList());
        list->item(0)->setSelected(true);
        emit list->itemClicked(list->item(0));
        QVERIFY(service_->waitForRequest(request.arg(service_->port())));
        // HttpGetText's two-line box about the 404, then the list's own message.
        QCOMPARE(messages.texts().size(), 2);
        QVERIFY(messages.texts().first().startsWith(QStringLiteral("异常类名称:")));
        QCOMPARE(messages.texts().last(), message);
        for (WebBrowser* player :
             {sceneSheet(w)->WebScene, lectureSheet(w)->WebMiniLecture, wordSheet(w)->WebWord,
              passageSheet(w)->WebPassage, phonicsSheet(w)->WebPhonics})
            QVERIFY(player->View() == nullptr);
    }

    void emptyIdIsRefusedBeforeAnyRequest_data() {
        QTest::addColumn<bool>("clip");
        QTest::addColumn<QString>("message");
        QTest::newRow("mini lecture") << false << "网络错误，未能获取微课信息。请重试一次！";
        QTest::newRow("clip") << true << "网络错误，未能获取Clip信息。请重试一次！";
    }
    void emptyIdIsRefusedBeforeAnyRequest() {
        QFETCH(bool, clip);
        QFETCH(QString, message);
        writeLectures({scene("", content() + "scenes/a.jpg")});
        MediaTestData::writeDataset(
            overrides_.path(), QStringLiteral("LmvInclass_GetClipList"),
            {{{"clipid", ""}, {"clip_title", "c"}, {"filename", content() + "clips/a"}}});
        startService();
        loadBook();
        QListWidget* list = nullptr;
        if (clip) {
            window_->LoadClipList();
            phonicsSheet(*window_)->RefreshClipList();
            list = phonicsSheet(*window_)->LVPhonics;
        } else {
            lectureSheet(*window_)->RefreshMiniLectureList(kGbkUnit);
            list = lectureSheet(*window_)->LVMiniLectureClassUse;
        }
        MessageRecorder messages;
        list->item(0)->setSelected(true);
        emit list->itemClicked(list->item(0));
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(logged("/api/media/"), 0);
    }

    void showingTheWindowAndItsListsStartsNoBrowser() {
        startService();
        TFmMain& w = *window_;
        loadBook();
        w.LoadBookScenes("1", "b3a");
        sceneSheet(w)->RefreshSceneList("b3a-u1");
        for (QWidget* page : {tab(w, "TabScene"), tab(w, "TabPassage"), tab(w, "TabMiniLecture"),
                              tab(w, "TabSyllabusWord"), tab(w, "TabPhonics")}) {
            pageControl(w)->setCurrentWidget(page);
            QCoreApplication::processEvents();
        }
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(webEngineProcesses(), 0);
        QVERIFY(sceneSheet(w)->WebScene->View() == nullptr);
        QCOMPARE(sceneSheet(w)->WebScene->LocationURL(), QString());
        QVERIFY(sceneSheet(w)->WebScene->View() == nullptr);
    }
};

QTEST_MAIN(TestMediaLists)
#include "test_media_lists.moc"
