// The main window's cache and catalogue steps against the demo service: what a teacher meets
// when a book is chosen, a picture is fetched, and the window closes.
#include <QtTest>

#include <sys/stat.h>
#include <QCheckBox>
#include <QLabel>

#include "DataModule.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "catalogue/ImageLoader.h"
#include "main/TFmMain.h"
#include "service/ClientConfig.h"
#include "service/GbkText.h"
#include "service/TstudyDM.h"

namespace {

void touch(const std::string& path) {
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

bool exists(const std::string& path) {
    return QFileInfo::exists(QString::fromStdString(path));
}

}  // namespace

class TestMainWindowCache : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;
    std::unique_ptr<TFmMain> window_;

private slots:
    void initTestCase() {
        service_ = std::make_unique<DemoService>();
        ClientConfig config;
        config.classroomHost = service_->host();
        config.contentHost = service_->host();
        config.caFile = service_->caFile();
        dm_ = dataModule(config);
    }

    void init() {
        window_ = std::make_unique<TFmMain>(*dm_);
        window_->Member.UserId = "t1001";
    }
    void cleanup() { window_.reset(); }

    void bookCataloguesFillTheWindowsLists() {
        MessageRecorder messages;
        TFmMain& w = *window_;
        w.LoadBookWords("1", "b3a");
        w.LoadBookScenes("1", "b3a");
        w.LoadBookPassages("1", "b3a");
        w.LoadBookMiniLectures("1", "b3a");
        QVERIFY(w.Catalogue.WordList.Count() > 0);
        QVERIFY(w.Catalogue.SceneList.Count() > 0);
        QVERIFY(w.Catalogue.PassageList.Count() > 0);
        QCOMPARE(w.Catalogue.MiniLectureList.Count(), std::size_t(5));
        QCOMPARE(w.Catalogue.MiniLectureList.Items(0)->Title_Chinese, gbk::fromUtf8("微课：你好！"));
        QCOMPARE(w.Catalogue.MiniLectureList.Items(0)->Code, GbkString("b3a-u1"));
        QFile transit(QString::fromStdString(w.TempPath + "lmvclass.xml"));
        QVERIFY(transit.open(QIODevice::ReadOnly));
        QVERIFY(transit.readAll().startsWith("\xEF\xBB\xBF<"));
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('|')));

        // Another book replaces every list (the demo's b10 has fewer of each); units come once per run.
        w.LoadBookWords("1", "b10");
        w.LoadBookScenes("1", "b10");
        w.LoadBookPassages("1", "b10");
        w.LoadBookMiniLectures("1", "b10");
        QCOMPARE(w.Catalogue.WordList.Count(), std::size_t(16));
        QCOMPARE(w.Catalogue.WordList.Items(0)->wordid, GbkString("b10-w10"));
        QCOMPARE(w.Catalogue.SceneList.Count(), std::size_t(8));
        QCOMPARE(w.Catalogue.SceneList.Items(0)->MaterialId, GbkString("b10-s11"));
        QCOMPARE(w.Catalogue.PassageList.Count(), std::size_t(4));
        QCOMPARE(w.Catalogue.PassageList.Items(0)->MaterialId, GbkString("b10-p1"));
        QCOMPARE(w.Catalogue.MiniLectureList.Count(), std::size_t(4));
        QCOMPARE(w.Catalogue.MiniLectureList.Items(0)->MaterialId, GbkString("b10-m1"));
        w.LoadUnitList();
        const std::size_t units = w.Catalogue.UnitList.Count();
        QVERIFY(units > 0);
        w.LoadUnitList();
        QCOMPARE(w.Catalogue.UnitList.Count(), units);
        QVERIFY(service_->waitForRequest("LmvInclass_GetUnitList"));
        QCOMPARE(service_->requestLog().filter("LmvInclass_GetUnitList").size(), 1);
    }

    void fetchedPictureShowsProgressAndDecodes() {
        TFmMain& w = *window_;
        const GbkString address("https://" + service_->host().toStdString() + "/content/lectures/b3a-m1.jpg");
        const std::string local = w.TempPath + "b3a-m1.jpg";
        QFile::remove(QString::fromStdString(local));
        QVERIFY(w.CacheRemoteFile(address, local));
        QCOMPARE(statusPanel(w)->text(), QStringLiteral("下载页面成功."));
        QVERIFY(service_->waitForRequest("GET /content/lectures/b3a-m1.jpg"));
        QVERIFY(service_->requestLog()
                    .filter("/content/lectures/b3a-m1.jpg")
                    .first()
                    .startsWith("request http "));
        int width = 0, height = 0;
        QVERIFY(!LoadImageFile(local, width, height).isNull());
        QVERIFY(width > 0 && height > 0);

        const std::string missing = w.TempPath + "nothing-here.jpg";
        QVERIFY(!w.CacheRemoteFile(
            GbkString("https://" + service_->host().toStdString() + "/no/such/nothing-here.jpg"), missing));
        QCOMPARE(statusPanel(w)->text(), QStringLiteral("下载页面失败：") + QString::fromStdString(missing));
        QVERIFY(!exists(missing));
    }

    void closingClearsTheCacheOnlyWhenTicked_data() {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticked") << true;
        QTest::newRow("unticked") << false;
    }
    void closingClearsTheCacheOnlyWhenTicked() {
        QFETCH(bool, ticked);
        TFmMain& w = *window_;
        const std::string folder = w.TempPath;
        QVERIFY(!folder.empty());
        touch(folder + "a.jpg");
        ::chmod((folder + "a.jpg").c_str(), 0444);
        touch(folder + "b.PNG");
        touch(folder + ".hidden.gif");
        touch(folder + "c.xml");
        QDir().mkpath(QString::fromStdString(folder + "sub"));
        touch(folder + "sub/d.jpg");
        dm_->Replies.setAccount("teacher");
        dm_->Replies.keep("LmvInclass_GetBookList", "subjectid=1", "<books/>");
        QVERIFY(dm_->Replies.kept("LmvInclass_GetBookList", "subjectid=1"));
        control<QCheckBox>(w, "CheckBoxDeleteFile")->setChecked(ticked);
        w.close();
        QCOMPARE(exists(dm_->Replies.root()), !ticked);
        QCOMPARE(exists(folder + "a.jpg"), !ticked);
        QCOMPARE(exists(folder + "b.PNG"), !ticked);
        QCOMPARE(exists(folder + ".hidden.gif"), !ticked);
        QVERIFY(exists(folder + "c.xml"));
        QVERIFY(exists(folder + "sub/d.jpg"));
    }
};

QTEST_MAIN(TestMainWindowCache)
#include "test_main_window_cache.moc"
