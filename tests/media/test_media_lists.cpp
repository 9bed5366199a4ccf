// The five media lists against the demo service, each sheet built alone as the main window builds
// it: which items appear, which pictures are fetched, what the radio buttons say, and what the
// click handlers ask of the media API when the answer is missing. No browser is started here.
#include <QtTest>

#include <QCheckBox>
#include <QDirIterator>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "DataRows.h"
#include "DemoServiceFixture.h"
#include "MediaSheetsAlone.h"
#include "MediaTestData.h"
#include "MessageRecorder.h"
#include "RecordingHttpServer.h"
#include "TestFiles.h"
#include "catalogue/BuiltInPictures.h"
#include "catalogue/HalftoneStretch.h"
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

// The sheets are wired to the service by a configuration of their own, not through the data module.
class TestMediaLists : public QObject, protected DemoServiceFixture {
    Q_OBJECT

private:
    std::unique_ptr<MediaSheetsAlone> sheets_;

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
        sheets_ = std::make_unique<MediaSheetsAlone>(config);
    }
    void loadBook() { sheets_->loadBook(kGbkBook); }
    void writeScenes(const std::vector<Row>& rows) {
        MediaTestData::writeDataset(overrides_.path(),
                                    QStringLiteral("LmvInclass_GetSceneTextJsonList/") + kBook, rows);
    }
    void writeLectures(const std::vector<Row>& rows) {
        MediaTestData::writeDataset(overrides_.path(),
                                    QStringLiteral("LmvInclass_GetMiniLectureTextJsonList/") + kBook, rows);
    }

    // A sheet's list, radio button (none for clips) and refresh, by kind.
    struct Sheet {
        MediaSheet* page;
        QListWidget* list;
        QRadioButton* button;
        std::function<void(const GbkString&)> refresh;
    };
    Sheet sheet(const QString& kind) const {
        MediaSheetsAlone& s = *sheets_;
        if (kind == "scene")
            return {s.scene, s.scene->LVSceneClassUse, &s.sceneButton,
                    [&s](const GbkString& code) { s.scene->RefreshSceneList(code); }};
        if (kind == "lecture")
            return {s.lecture, s.lecture->LVMiniLectureClassUse, &s.lectureButton,
                    [&s](const GbkString& code) { s.lecture->RefreshMiniLectureList(code); }};
        if (kind.startsWith("word"))
            return {s.word, s.word->LVSyllabusWordClassUse, &s.wordButton,
                    [&s](const GbkString& code) { s.word->RefreshSyllabusWordList(code); }};
        if (kind == "passage")
            return {s.passage, s.passage->LVPassageClassUse, &s.passageButton,
                    [&s](const GbkString& code) { s.passage->RefreshPassageList(code); }};
        return {s.phonics, s.phonics->LVPhonics, nullptr,
                [&s](const GbkString&) { s.phonics->RefreshClipList(); }};
    }

private slots:
    void init() {
        QDir(overrides_.path()).removeRecursively();
        QDir().mkpath(overrides_.path());
    }
    void cleanup() {
        sheets_.reset();
        service_.reset();
    }

    void unitWithoutMaterialsDisablesItsButton_data() {
        QTest::addColumn<QString>("kind");
        addRow("scenes", "scene");
        addRow("passages", "passage");
        addRow("mini lectures", "lecture");
        addRow("words", "word");
    }
    void unitWithoutMaterialsDisablesItsButton() {
        QFETCH(QString, kind);
        startService();
        const Sheet s = sheet(kind);
        const auto refresh = [&](const GbkString& code) {
            if (kind == "word") sheets_->word->ClearList();
            s.refresh(code);
        };
        QListWidget* list = s.list;
        QRadioButton* button = s.button;
        // The demo's first book has material for its first unit in every list.
        sheets_->loadBook("b3a");
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
        sheets_->scene->RefreshSceneList(kGbkUnit);
        QCOMPARE(sheets_->scene->LVSceneClassUse->count(), 2);
        QCOMPARE(sheets_->sceneImages.Count(), 2);
        QVERIFY(service_->waitForRequest("/shared-cover.jpg"));
        QCOMPARE(logged("/shared-cover.jpg"), 1);
        QVERIFY(sheets_->sceneButton.isEnabled());
    }

    void pictureThatCannotBeFetchedEndsTheList_data() {
        addColumns<bool, bool, bool>({"lectures", "emptyCover", "buttonBefore"});
        addRow("scene unreachable, button off", false, false, false);
        addRow("scene unreachable, button on", false, false, true);
        addRow("scene without cover", false, true, false);
        addRow("lecture unreachable", true, false, false);
        addRow("lecture without cover", true, true, true);
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
        const Sheet s = sheet(lectures ? "lecture" : "scene");
        QListWidget* list = s.list;
        QRadioButton* button = s.button;
        button->setEnabled(buttonBefore);
        s.refresh(kGbkUnit);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Scene m2"));
        QCOMPARE(button->isEnabled(), buttonBefore);
        QCOMPARE(logged("/m4.jpg"), 0);
        QCOMPARE(messages.texts(), QStringList());
    }

    // A damaged cached cover is fetched once more; only when the fresh copy is damaged too does
    // the decoder's failure reach the list: shown by mini lectures, raised by scenes.
    void damagedCoverIsFetchedAgainThenShownOrRaised_data() {
        addColumns<bool, bool>({"lectures", "damagedOnServer"});
        addRow("mini lectures, healed", true, false);
        addRow("scenes, healed", false, false);
        addRow("mini lectures, damaged on the server", true, true);
        addRow("scenes, damaged on the server", false, true);
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
        writeFile(QString::fromStdString(sheets_->cacheFolder + "broken-d2.png"),
                  "\x89PNG\r\n\x1a\nnot a picture");
        MessageRecorder messages;
        const Sheet s = sheet(lectures ? "lecture" : "scene");
        QRadioButton* button = s.button;
        QListWidget* list = s.list;
        button->setEnabled(false);
        if (!lectures && damagedOnServer)
            QVERIFY_THROWS_EXCEPTION(std::exception, s.refresh(kGbkUnit));
        else
            s.refresh(kGbkUnit);
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
        SyllabusWordPage& sheet = *sheets_->word;
        sheet.RefreshSyllabusWordList(kGbkUnit);
        QCOMPARE(sheet.LVSyllabusWordClassUse->count(), 3);
        const QImage noPhotos = HalftoneStretch(BuiltInPictures::ImgNoPic(), 180, 120);
        const auto thumbnail = [&](int row) {
            const int index = sheet.LVSyllabusWordClassUse->item(row)->data(Qt::UserRole + 1).toInt();
            return sheets_->wordImages.Item(index).toImage().convertToFormat(noPhotos.format());
        };
        QVERIFY(thumbnail(0) != noPhotos);
        QCOMPARE(thumbnail(1), noPhotos);
        QCOMPARE(thumbnail(2), noPhotos);
        QCOMPARE(sheet.LVSyllabusWordClassUse->item(2)->text(), QStringLiteral("word w3"));
        QVERIFY(sheets_->wordButton.isEnabled());
    }

    void wordListIsBuiltOnceUntilEmptied() {
        startService();
        sheets_->loadBook("b3a");
        SyllabusWordPage& sheet = *sheets_->word;
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

    // Fetching a picture processes events, where the window may empty the list to reload its
    // catalogue, or ask for another unit. The running refresh stops there without touching a
    // record again; the request then runs, except on the word list, which ignores it while built.
    void refreshInterruptedWhileFetching_data() {
        addColumns<QString, bool>({"kind", "reload"});
        QTest::addColumn<QString>("listed");  // the unit listed in the end; none when empty
        addRow("scenes emptied", "scene", true, "");
        addRow("scenes superseded", "scene", false, "b3a-u2");
        addRow("mini lectures superseded", "lecture", false, "b3a-u2");
        addRow("words emptied", "word", true, "");
        addRow("words asked again", "word", false, "b3a-u1");
    }
    void refreshInterruptedWhileFetching() {
        QFETCH(QString, kind);
        QFETCH(bool, reload);
        QFETCH(QString, listed);
        startService();
        sheets_->loadBook("b3a");
        const Sheet s = sheet(kind);
        int fetches = 0;
        sheets_->duringFetch = [&] {
            if (++fetches != 1) return;
            if (!reload) return s.refresh("b3a-u2");
            s.page->ClearList();
            sheets_->loadBook("b3a");  // the records the refresh started with are gone
        };
        s.refresh("b3a-u1");
        sheets_->duringFetch = nullptr;
        const auto captions = [&] {
            QStringList texts;
            for (int i = 0; i < s.list->count(); ++i) texts << s.list->item(i)->text();
            return texts;
        };
        const QStringList shown = captions();
        QCOMPARE(shown.isEmpty(), listed.isEmpty());
        s.page->ClearList();
        s.refresh(gbk::fromQString(listed));
        QCOMPARE(shown, listed.isEmpty() ? QStringList() : captions());
    }

    void clipThumbnailIsFetchedWithJpgAppended() {
        startService();
        sheets_->loadClips();
        sheets_->phonics->RefreshClipList();
        QCOMPARE(sheets_->phonics->LVPhonics->count(), static_cast<int>(sheets_->clips.Count()));
        QVERIFY(service_->waitForRequest("GET /content/clips/clip7.jpg "));
        QVERIFY(QFile::exists(QString::fromStdString(sheets_->cacheFolder + "clip7.jpg")));
        QCOMPARE(sheets_->phonics->LVPhonics->item(1)->text(), QStringLiteral("Letter B b 自然拼读"));
    }

    void missingReferenceShowsTheListsMessage_data() {
        addColumns<QString, QString, QString>({"kind", "request", "message"});
        addRow("scene", "scene", "request http %1 GET /api/media/GetScene/zz", "Network failed，try again!");
        addRow("mini lecture", "lecture", "request https %1 GET /api/media/GetMiniLecture/zz",
               "Network failed，try again!");
        addRow("word", "word", "request https %1 GET /api/media/getword/zz", "Network failed, try again！");
        addRow("word without id", "word-empty", "request https %1 GET /api/media/getword/ ",
               "Network failed, try again！");
        addRow("passage", "passage", "request https %1 GET /api/media/getpassage/zz",
               "Network failed, try again！");
        addRow("clip", "clip", "request https %1 GET /api/media/GetClip/zz", "Network failed，try again!");
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
        sheets_->loadClips();
        const Sheet s = sheet(kind);
        s.refresh(kGbkUnit);
        QListWidget* list = s.list;
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
        const MediaSheetsAlone& w = *sheets_;
        for (WebBrowser* player : {w.scene->WebScene, w.lecture->WebMiniLecture, w.word->WebWord,
                                   w.passage->WebPassage, w.phonics->WebPhonics})
            QVERIFY(player->View() == nullptr);
    }

    void emptyIdIsRefusedBeforeAnyRequest_data() {
        addColumns<bool, QString>({"clip", "message"});
        addRow("mini lecture", false, "网络错误，未能获取微课信息。请重试一次！");
        addRow("clip", true, "网络错误，未能获取Clip信息。请重试一次！");
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
        if (clip) sheets_->loadClips();
        const Sheet s = sheet(clip ? "clip" : "lecture");
        s.refresh(kGbkUnit);
        QListWidget* list = s.list;
        MessageRecorder messages;
        list->item(0)->setSelected(true);
        emit list->itemClicked(list->item(0));
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(logged("/api/media/"), 0);
    }

    void showingTheWindowAndItsListsStartsNoBrowser() {
        startService();
        MediaSheetsAlone& w = *sheets_;
        loadBook();
        w.loadBook("b3a");
        w.scene->RefreshSceneList("b3a-u1");
        w.pages.show();
        for (QWidget* page :
             std::initializer_list<QWidget*>{w.scene, w.passage, w.lecture, w.word, w.phonics}) {
            w.pages.setCurrentWidget(page);
            QCoreApplication::processEvents();
        }
        QVERIFY(QTest::qWaitForWindowExposed(&w.pages));
        QCOMPARE(webEngineProcesses(), 0);
        QVERIFY(w.scene->WebScene->View() == nullptr);
        QCOMPARE(w.scene->WebScene->LocationURL(), QString());
        QVERIFY(w.scene->WebScene->View() == nullptr);
    }
};

QTEST_MAIN(TestMediaLists)
#include "test_media_lists.moc"
