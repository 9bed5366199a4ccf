#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTest>

#include "DataRows.h"
#include "cache/CacheCleaner.h"
#include "cache/CacheFolder.h"

namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool makeFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

const std::string kGbkPicture = "\xCD\xBC\xC6\xAC.JPG";  // 图片.JPG in GBK bytes

}  // namespace

// The exit clean-up on real files in the per-test private cache folder.
class CacheCleanerTest : public QObject {
    Q_OBJECT

    std::string folder_;

private slots:
    void init() {
        folder_ = CacheFolder::temporaryPath();
        QVERIFY(!folder_.empty());
        QVERIFY(QDir(QString::fromStdString(folder_)).removeRecursively());
        folder_ = CacheFolder::temporaryPath();
        QVERIFY(!folder_.empty());
    }

    void masksMatchWithoutRegardToCase_data() {
        addColumns<QByteArray, QByteArray, bool>({"name", "mask", "matches"});
        addRow("same case", QByteArray("a.jpg"), QByteArray("*.jpg"), true);
        addRow("upper case name", QByteArray("b.PNG"), QByteArray("*.png"), true);
        addRow("dot file", QByteArray(".x.jpg"), QByteArray("*.jpg"), true);
        addRow("gbk name", QByteArray(kGbkPicture.c_str()), QByteArray("*.jpg"), true);
        addRow("longer extension", QByteArray("a.jpeg"), QByteArray("*.jpg"), false);
        addRow("extension not last", QByteArray("a.jpg.part"), QByteArray("*.jpg"), false);
        addRow("ppt is not pptx", QByteArray("a.pptx"), QByteArray("*.ppt"), false);
        addRow("extension only", QByteArray(".jpg"), QByteArray("*.jpg"), true);
        addRow("star backtracks", QByteArray("a.jpg.jpg"), QByteArray("*.jpg"), true);
        addRow("question mark is one gbk character", QByteArray("\xCD\xBC.gif"), QByteArray("?.gif"), true);
        addRow("question mark needs a character", QByteArray(".gif"), QByteArray("?.gif"), false);
    }
    void masksMatchWithoutRegardToCase() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, mask);
        QFETCH(bool, matches);
        QCOMPARE(CacheCleaner::MatchesMask(name.toStdString(), mask.toStdString()), matches);
    }

    void exitCleanupDeletesCachedFilesOnly() {
        const std::vector<std::string> deleted = {"a.jpg",  "b.PNG", ".hidden.jpg", kGbkPicture, "c.gif",
                                                  "d.mp3",  "e.mp4", "f.ppt",       "g.pptx",    "h.doc",
                                                  "i.docx", "j.pdf", "k.htm",       "l.tmp",     "m.zip"};
        const std::vector<std::string> kept = {"c.xml", "lmvclass.xml", "n.jpeg", "o.html", "p.jpg.part"};
        for (const std::string& name : deleted) QVERIFY(makeFile(folder_ + name));
        for (const std::string& name : kept) QVERIFY(makeFile(folder_ + name));
        QVERIFY(::chmod((folder_ + "a.jpg").c_str(), 0444) == 0);
        QVERIFY(::chmod((folder_ + "b.PNG").c_str(), 0) == 0);
        QVERIFY(QDir(QString::fromStdString(folder_)).mkpath("sub.jpg/inner"));
        QVERIFY(makeFile(folder_ + "sub.jpg/d.jpg"));
        QVERIFY(makeFile(folder_ + "sub.jpg/inner/e.png"));
        // A link is removed as a link; what it points at, outside the folder, stays.
        const std::string outside = folder_ + "../outside.jpg";
        QVERIFY(makeFile(outside));
        QVERIFY(::symlink(outside.c_str(), (folder_ + "link.jpg").c_str()) == 0);

        CacheCleaner::RunExitCleanup(CacheCleaner::OnExit::DeleteFiles);

        for (const std::string& name : deleted) QVERIFY2(!exists(folder_ + name), name.c_str());
        for (const std::string& name : kept) QVERIFY2(exists(folder_ + name), name.c_str());
        QVERIFY(exists(folder_ + "sub.jpg/d.jpg"));
        QVERIFY(exists(folder_ + "sub.jpg/inner/e.png"));
        QVERIFY(!exists(folder_ + "link.jpg"));
        QVERIFY(exists(outside));
    }

    void folderSwappedForALinkIsNotFollowed_data() {
        QTest::addColumn<QByteArray>("separator");  // after the link's name
        addRow("with the trailing separator", QByteArray("/"));
        addRow("with two", QByteArray("//"));
        addRow("without", QByteArray());
    }
    void folderSwappedForALinkIsNotFollowed() {
        QFETCH(QByteArray, separator);
        const std::string elsewhere = folder_ + "elsewhere";
        QVERIFY(QDir().mkpath(QString::fromStdString(elsewhere)));
        QVERIFY(makeFile(elsewhere + "/kept.jpg"));
        const std::string link = folder_ + "swapped";
        QVERIFY(::symlink(elsewhere.c_str(), link.c_str()) == 0);
        CacheCleaner::DeleteFilesByMask(link + separator.toStdString(), "*.jpg");
        QVERIFY(exists(elsewhere + "/kept.jpg"));
        // The real folder under the same spelling is cleaned.
        CacheCleaner::DeleteFilesByMask(elsewhere + separator.toStdString(), "*.jpg");
        QVERIFY(!exists(elsewhere + "/kept.jpg"));
    }

    void exitCleanupWithBoxUntickedDeletesNothing() {
        QVERIFY(makeFile(folder_ + "a.jpg"));
        QVERIFY(makeFile(folder_ + "b.PNG"));
        CacheCleaner::RunExitCleanup(CacheCleaner::OnExit::KeepFiles);
        QVERIFY(exists(folder_ + "a.jpg"));
        QVERIFY(exists(folder_ + "b.PNG"));
    }

    void exitCleanupTouchesOnlyThePrivateFolder() {
        // The folder above the cache is the user's general cache: nothing of it goes.
        const std::string parent = folder_ + "../";
        QVERIFY(makeFile(parent + "other-program.jpg"));
        CacheCleaner::RunExitCleanup(CacheCleaner::OnExit::DeleteFiles);
        QVERIFY(exists(parent + "other-program.jpg"));
        QVERIFY(QFile::remove(QString::fromStdString(parent + "other-program.jpg")));
    }
};

QTEST_GUILESS_MAIN(CacheCleanerTest)
#include "test_cache_cleaner.moc"
