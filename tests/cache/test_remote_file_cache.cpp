#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "DataRows.h"
#include "MessageRecorder.h"
#include "RecordingHttpServer.h"
#include "TestFiles.h"
#include "cache/CacheFileName.h"
#include "cache/CacheFolder.h"
#include "cache/RemoteFileCache.h"

namespace {

// A JPEG's first bytes: the cache keeps nothing else.
const std::string kPicture = "\xFF\xD8\xFF" + std::string(4096, 'J') + "end of picture";

ScriptedResponse servePicture(const RecordedRequest&) {
    return {200, "image/jpeg", kPicture};
}

QByteArray readFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

// Drives RemoteFileCache as the main window does, with the status panel and event pump
// replaced by recorders; every transfer is a real request to a loopback server.
class RemoteFileCacheTest : public QObject {
    Q_OBJECT

    std::string folder_;
    QStringList events_;  // status texts and pump calls, in the order they happened

    RemoteFileCache makeCache() {
        return RemoteFileCache(
            folder_, [this](const QString& text) { events_ << text; }, [this] { events_ << "<pump>"; });
    }
    QStringList folderEntries() const {
        return QDir(QString::fromStdString(folder_))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void init() {
        folder_ = CacheFolder::temporaryPath();
        QVERIFY(!folder_.empty());
        QDir dir(QString::fromStdString(folder_));
        QVERIFY(dir.removeRecursively());
        folder_ = CacheFolder::temporaryPath();
        events_.clear();
    }

    void existingFileCountsAsCachedWithoutRequestOrStatus() {
        RecordingHttpServer server(servePicture);
        const std::string path = folder_ + "a.jpg";
        QVERIFY(QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly));  // empty file
        MessageRecorder messages;
        QVERIFY(makeCache().CacheRemoteFile(GbkString(server.baseUrl() + "/media/a.jpg"), path));
        QVERIFY(server.requests().empty());
        QVERIFY(events_.isEmpty());
        QVERIFY(messages.texts().isEmpty());
    }

    void fetchShowsStatusPumpsAndTransfersInOrder() {
        RecordingHttpServer server(servePicture);
        std::vector<std::size_t> requestsAtPump;
        RemoteFileCache cache(
            folder_, [this](const QString& text) { events_ << text; },
            [&] {
                events_ << "<pump>";
                requestsAtPump.push_back(server.requests().size());
            });
        const GbkString address(server.baseUrl() + "/media/a.jpg");
        const std::string path = gbk::joinPath(folder_, CacheFileName::UrlFileName(address));
        QVERIFY(cache.CacheRemoteFile(address, path));
        const QString port = QString::number(server.port());
        QCOMPARE(events_, QStringList({"首次使用，下载中..." + port + "/media/a.jpg", "<pump>",
                                       "下载页面成功.", "<pump>"}));
        QCOMPARE(requestsAtPump, (std::vector<std::size_t>{0, 1}));
        QCOMPARE(readFile(path), QByteArray::fromStdString(kPicture));
        // Now cached: a second call is silent and does not ask the server again.
        events_.clear();
        QVERIFY(cache.CacheRemoteFile(address, path));
        QCOMPARE(server.requests().size(), std::size_t(1));
        QVERIFY(events_.isEmpty());
    }

    void statusShowsAddressFromItsTwoSlashes() {
        // An address without a port; the path outside the folder keeps the cache from asking
        // anyone for it, while the status is shown all the same.
        const std::string path = folder_ + "../a.jpg";
        QVERIFY(!makeCache().CacheRemoteFile("https://127.0.0.1/media/a.jpg", path));
        QCOMPARE(events_, QStringList({"首次使用，下载中...//127.0.0.1/media/a.jpg", "<pump>",
                                       "下载页面失败：" + QString::fromStdString(path), "<pump>"}));
        QVERIFY(!exists(path));
    }

    // The cache folder is a local (UTF-8) name, the file name comes from service data (GBK):
    // each is shown in its own encoding, whichever holds Chinese.
    void failureStatusShowsChineseFolderAndName_data() {
        addColumns<QString, QString>({"subFolder", "name"});
        addRow("Chinese folder", "课堂缓存", "a.jpg");
        addRow("Chinese name", "cache", "第一课.jpg");
        addRow("both", "课堂缓存", "第一课.jpg");
    }
    void failureStatusShowsChineseFolderAndName() {
        QFETCH(QString, subFolder);
        QFETCH(QString, name);
        RecordingHttpServer server([](const RecordedRequest&) {
            return ScriptedResponse{404, "text/plain", ""};
        });
        QVERIFY(QDir(QString::fromStdString(folder_)).mkdir(subFolder));
        const std::string folder = folder_ + subFolder.toStdString() + "/";
        const GbkString gbkName = gbk::fromQString(name);
        RemoteFileCache cache(folder, [this](const QString& text) { events_ << text; }, {});
        QVERIFY(!cache.CacheRemoteFile(GbkString(server.baseUrl() + "/media/") + gbkName,
                                       gbk::joinPath(folder, gbkName)));
        QCOMPARE(server.requests().size(), std::size_t(1));
        QCOMPARE(events_.value(1),
                 "下载页面失败：" + QString::fromStdString(folder_) + subFolder + "/" + name);
    }

    void httpsIsFetchedAsHttp_data() {
        addColumns<QString, QString>({"addressAfterHost", "target"});
        addRow("scheme", "/media/a.jpg", "/media/a.jpg");
        addRow("second occurrence", "/get?u=https://x/b.jpg&v=https://y/",
               "/get?u=http://x/b.jpg&v=http://y/");
        addRow("upper case is not rewritten", "/get?u=HTTPS://x/c.jpg", "/get?u=HTTPS://x/c.jpg");
    }
    void httpsIsFetchedAsHttp() {
        QFETCH(QString, addressAfterHost);
        QFETCH(QString, target);
        RecordingHttpServer server(servePicture);  // plain HTTP: an https fetch would fail here
        const GbkString address("https://" + server.host() + addressAfterHost.toStdString());
        QVERIFY(makeCache().CacheRemoteFile(address, folder_ + "picture.jpg"));
        QCOMPARE(server.requests().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(server.requests()[0].target), target);
    }

    void failedTransferLeavesNoFile_data() {
        addColumns<int, bool, bool>({"status", "refused", "cutOff"});
        addRow("404", 404, false, false);
        addRow("connection refused", 200, true, false);
        addRow("cut off halfway", 200, false, true);
    }
    void failedTransferLeavesNoFile() {
        QFETCH(int, status);
        QFETCH(bool, refused);
        QFETCH(bool, cutOff);
        RecordingHttpServer server([&](const RecordedRequest&) {
            ScriptedResponse response{status, "image/jpeg", kPicture};
            if (cutOff) response.cutAfter = kPicture.size() / 2;
            return response;
        });
        const std::string base = refused
                                     ? "http://127.0.0.1:" + std::to_string(RecordingHttpServer::unusedPort())
                                     : server.baseUrl();
        const std::string path = folder_ + "a.jpg";
        MessageRecorder messages;
        RemoteFileCache cache = makeCache();
        QVERIFY(!cache.CacheRemoteFile(GbkString(base + "/media/a.jpg"), path));
        QVERIFY(!exists(path));
        QCOMPARE(folderEntries(), QStringList());  // no temporary file left behind either
        QCOMPARE(events_.value(2), "下载页面失败：" + QString::fromStdString(path));
        // A refused download is a quiet result, not a box per missing thumbnail.
        QVERIFY(messages.texts().isEmpty());
        // Nothing is remembered about the failure: the next call tries again.
        QVERIFY(!cache.CacheRemoteFile(GbkString(base + "/media/a.jpg"), path));
        if (!refused) QCOMPARE(server.requests().size(), std::size_t(2));
    }

    void sameLastSegmentSharesOneFile() {
        RecordingHttpServer server(servePicture);
        RemoteFileCache cache = makeCache();
        const GbkString first(server.baseUrl() + "/scenes/1/cover.jpg");
        const GbkString second(server.baseUrl() + "/lectures/9/cover.jpg");
        QVERIFY(cache.CacheRemoteFile(first, gbk::joinPath(folder_, CacheFileName::UrlFileName(first))));
        QVERIFY(cache.CacheRemoteFile(second, gbk::joinPath(folder_, CacheFileName::UrlFileName(second))));
        QCOMPARE(server.requests().size(), std::size_t(1));
        QCOMPARE(server.requests()[0].target, std::string("/scenes/1/cover.jpg"));
    }

    void unsafeCacheNameIsRefused_data() {
        QTest::addColumn<QByteArray>("name");
        addRow("empty name: the folder itself", QByteArray());
        addRow("dot", QByteArray("."));
        addRow("dot dot", QByteArray(".."));
        addRow("page id with separator",
               QByteArray::fromStdString(CacheFileName::PageFileName("../escaped", "p.jpg").bytes()));
        addRow("sub folder", QByteArray("sub/a.jpg"));
    }
    void unsafeCacheNameIsRefused() {
        QFETCH(QByteArray, name);
        // A file where the name points to must not pass for cached either.
        QVERIFY(QDir(QString::fromStdString(folder_)).mkdir("sub"));
        QVERIFY(QFile(QString::fromStdString(folder_ + "sub/a.jpg")).open(QIODevice::WriteOnly));
        const std::string outside = folder_ + "../escaped.jpg";
        QVERIFY(QFile(QString::fromStdString(outside)).open(QIODevice::WriteOnly));
        RecordingHttpServer server(servePicture);
        const std::string path = folder_ + name.toStdString();
        QVERIFY(!makeCache().CacheRemoteFile(GbkString(server.baseUrl() + "/x/" + name.toStdString()), path));
        QVERIFY(server.requests().empty());
        QCOMPARE(events_.value(2), "下载页面失败：" + QString::fromStdString(path));
        QCOMPARE(readFile(outside), QByteArray());
        QFile::remove(QString::fromStdString(outside));
    }

    void pathOutsideTheCacheFolderIsRefused() {
        RecordingHttpServer server(servePicture);
        const std::string path = folder_ + "../outside.jpg";
        QVERIFY(!makeCache().CacheRemoteFile(GbkString(server.baseUrl() + "/outside.jpg"), path));
        RemoteFileCache noFolder("", {}, {});
        QVERIFY(!noFolder.CacheRemoteFile(GbkString(server.baseUrl() + "/a.jpg"), "a.jpg"));
        QVERIFY(server.requests().empty());
        QVERIFY(!exists(path));
        QVERIFY(!exists("a.jpg"));
    }

    // In the background a transfer runs on a worker while this thread handles its events (here a
    // timer and a second request for the same file, which shares the transfer); the progress
    // shows meanwhile and is cleared at the end.
    void backgroundTransferKeepsTheThreadResponsive() {
        RecordingHttpServer server([](const RecordedRequest&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            return ScriptedResponse{200, "image/jpeg", kPicture};
        });
        RemoteFileCache cache = makeCache();
        QStringList progress;
        cache.runTransfersInBackground([&](const QString& text) { progress << text; });
        const GbkString address(server.baseUrl() + "/media/a.jpg");
        const std::string path = folder_ + "a.jpg";
        int ticks = 0;
        bool nested = false;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(20);
        QTimer::singleShot(50, [&] { nested = cache.CacheRemoteFile(address, path); });
        QVERIFY(cache.CacheRemoteFile(address, path));
        QVERIFY(nested);
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QCOMPARE(server.requests().size(), std::size_t(1));
        QCOMPARE(readFile(path), QByteArray::fromStdString(kPicture));
        QVERIFY(progress.size() >= 2);
        QVERIFY(!progress.first().isEmpty());
        QCOMPARE(progress.last(), QString());
    }

    // Bodies the cache never keeps: too large (announced or not), or not a picture at all.
    void refusedBodiesLeaveNoFile_data() {
        addColumns<bool, QByteArray>({"background", "body"});
        const QByteArray oversize = QByteArray("\xFF\xD8\xFF") + QByteArray((64 << 20) - 2, 'J');
        const QByteArray errorPage("<html><body>Please sign in to the school network</body></html>");
        for (bool background : {false, true}) {
            const char* mode = background ? "background" : "calling thread";
            QTest::addRow("64 MiB and a byte, %s", mode) << background << oversize;
            QTest::addRow("error page, %s", mode) << background << errorPage;
        }
    }
    void refusedBodiesLeaveNoFile() {
        QFETCH(bool, background);
        QFETCH(QByteArray, body);
        RecordingHttpServer server([&](const RecordedRequest&) {
            return ScriptedResponse{200, "image/jpeg", body.toStdString()};
        });
        RemoteFileCache cache = makeCache();
        if (background) cache.runTransfersInBackground({});
        MessageRecorder messages;
        const std::string path = folder_ + "a.jpg";
        QVERIFY(!cache.CacheRemoteFile(GbkString(server.baseUrl() + "/a.jpg"), path));
        QCOMPARE(events_.filter("下载页面失败：").size(), 1);
        QCOMPARE(folderEntries(), QStringList());
        QVERIFY(messages.texts().isEmpty());
    }

    // A copy that did not decode is fetched again once in the cache's life, never twice.
    void refetchHappensOncePerFile() {
        RecordingHttpServer server(servePicture);
        RemoteFileCache cache = makeCache();
        const GbkString address(server.baseUrl() + "/a.jpg");
        const std::string path = folder_ + "a.jpg";
        writeFile(QString::fromStdString(path), "\xFF\xD8\xFF cut short");
        QVERIFY(cache.Refetch(address, path));
        QCOMPARE(readFile(path), QByteArray::fromStdString(kPicture));
        QVERIFY(!cache.Refetch(address, path));
        QCOMPARE(server.requests().size(), std::size_t(1));
        QVERIFY(exists(path));
    }

    void errorWhileFetchingBecomesStatusAndNoRaise_data() {
        QTest::addColumn<int>("throwingPump");  // 1: before the transfer, 2: after it
        addColumns<bool, QString>({"result", "shownScheme"});
        addRow("before the transfer", 1, false, "https");
        addRow("after the transfer", 2, true, "http");
    }
    void errorWhileFetchingBecomesStatusAndNoRaise() {
        QFETCH(int, throwingPump);
        QFETCH(bool, result);
        QFETCH(QString, shownScheme);
        RecordingHttpServer server(servePicture);
        int pumps = 0;
        RemoteFileCache cache(
            folder_, [this](const QString& text) { events_ << text; },
            [&] {
                if (++pumps == throwingPump) throw std::runtime_error("window gone");
            });
        const std::string rest = "://" + server.host() + "/media/a.jpg";
        const std::string path = folder_ + "a.jpg";
        QCOMPARE(cache.CacheRemoteFile(GbkString("https" + rest), path), result);
        QCOMPARE(events_.last(), "下载失败：" + shownScheme + QString::fromStdString(rest));
        QCOMPARE(exists(path), result);
    }
};

QTEST_GUILESS_MAIN(RemoteFileCacheTest)
#include "test_remote_file_cache.moc"
