#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <memory>

#include "PreparationFixtures.h"
#include "cache/CacheFolder.h"
#include "cache/DownloadPool.h"
#include "cache/RemoteFileCache.h"
#include "catalogue/LessonPreparation.h"

// The download pool alone and under the window's cache: its order, the window's requests that
// jump it, one transfer per cache file whatever the address, and cancelling. Every transfer is a
// real request to a loopback server that can hold chosen paths back.
class DownloadPoolTest : public QObject {
    Q_OBJECT

    std::string folder_;
    std::unique_ptr<HeldPictureServer> server_;
    std::unique_ptr<RemoteFileCache> cache_;
    QObject receiver_;
    std::vector<DownloadPool::Result> results_;

    std::string local(const std::string& name) const { return folder_ + name; }
    bool cached(const std::string& name) const { return QFile::exists(QString::fromStdString(local(name))); }
    DownloadPool& pool() { return *cache_->pool(); }
    // Queues /NAME for the cache file NAME; the result is recorded.
    void enqueue(const std::string& name, const std::string& folder = "/") {
        pool().enqueue({server_->url(folder + name), local(name), {}}, &receiver_,
                       [this](const DownloadPool::Result& result) { results_.push_back(result); });
    }
    bool teacherAsks(const std::string& name, const std::string& folder = "/other/") {
        return cache_->CacheRemoteFile(GbkString(server_->url(folder + name)), local(name));
    }
    void makeCache(int parallel) {
        cache_ = std::make_unique<RemoteFileCache>(folder_, nullptr, nullptr);
        cache_->runTransfersInBackground(nullptr);
        cache_->enablePool(parallel);
    }
    bool requested(std::size_t count) {
        return processEventsUntil([&] { return server_->paths().size() >= count; });
    }

private slots:
    void init() {
        folder_ = CacheFolder::temporaryPath();
        QVERIFY(QDir(QString::fromStdString(folder_)).removeRecursively());
        folder_ = CacheFolder::temporaryPath();
        server_ = std::make_unique<HeldPictureServer>();
        results_.clear();
    }
    void cleanup() {
        server_->release();
        cache_.reset();
        server_.reset();
    }

    // Files go in the order queued, the ones moved forward first; a file the teacher asks for
    // starts at once beside the running one instead of waiting for its turn.
    void orderPriorityAndTheTeachersJump() {
        makeCache(1);
        server_->hold("/a.jpg");
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}) enqueue(name);
        QVERIFY(requested(1));
        pool().prioritise({local("d.jpg"), local("c.jpg"), local("missing.jpg")});
        QCOMPARE(pool().queued(),
                 (std::vector<std::string>{local("d.jpg"), local("c.jpg"), local("b.jpg"), local("e.jpg")}));
        // The teacher's request connects while /a.jpg still runs; /a.jpg is let go meanwhile.
        QTimer::singleShot(300, [this] { server_->release(); });
        QVERIFY(teacherAsks("e.jpg"));
        QVERIFY(processEventsUntil([this] { return results_.size() == 5; }));
        QCOMPARE(server_->paths(),
                 (std::vector<std::string>{"/a.jpg", "/e.jpg", "/d.jpg", "/c.jpg", "/b.jpg"}));
        for (const DownloadPool::Result& result : results_) QVERIFY2(result.stored, result.error.c_str());
    }

    // One transfer per cache file, however the file is asked for and by whom first.
    void oneTransferPerCacheFile_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("queued twice") << "pool"
                                      << "pool";
        QTest::newRow("teacher while the pool transfers") << "pool"
                                                          << "teacher";
        QTest::newRow("pool while the teacher transfers") << "teacher"
                                                          << "pool";
    }
    void oneTransferPerCacheFile() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        makeCache(3);
        server_->hold("/pages/x.jpg");
        server_->hold("/other/x.jpg");
        bool teacherGot = false;
        const auto ask = [&](const QString& who, const std::string& folder) {
            if (who == "pool") return enqueue("x.jpg", folder);
            teacherGot = teacherAsks("x.jpg", folder);
        };
        // The second request comes while the first one's transfer is held at the server.
        QTimer::singleShot(0, [&] {
            QVERIFY(requested(1));
            QTimer::singleShot(200, [this] { server_->release(); });
            ask(second, "/other/");
        });
        ask(first, "/pages/");
        const int listeners = int(first == "pool") + int(second == "pool");
        QVERIFY(processEventsUntil([&] { return int(results_.size()) == listeners; }));
        QVERIFY(teacherGot || (first == "pool" && second == "pool"));
        for (const DownloadPool::Result& result : results_) QVERIFY(result.stored);
        QTest::qWait(100);
        QCOMPARE(server_->requestsFor("x.jpg"), 1);
        QVERIFY(cached("x.jpg"));
    }

    // Cancelling ends the queued files and the running transfers, but not one the teacher is
    // waiting for; nobody hears of the cancelled files.
    void cancelSparesTheTeachersFile() {
        makeCache(2);
        server_->hold("/a.jpg");
        server_->hold("/b.jpg");
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) enqueue(name);
        QVERIFY(requested(1));
        QTimer::singleShot(100, [this] {
            pool().cancel(&receiver_);
            QVERIFY(pool().queued().empty());
            QTimer::singleShot(100, [this] { server_->release("/b.jpg"); });
        });
        QVERIFY(teacherAsks("b.jpg", "/"));
        QTest::qWait(1500);  // libcurl looks at the cancel flag at least once a second
        QVERIFY(results_.empty());
        QVERIFY(!cached("a.jpg"));
        QVERIFY(!cached("c.jpg"));
        QCOMPARE(server_->requestsFor("c.jpg"), 0);
        QCOMPARE(server_->requestsFor("b.jpg"), 1);
    }

    // While the teacher waits for a page the preparation is fetching, the teacher changes the
    // book (the preparation goes) and asks for another file: both requests are answered and no
    // report reaches the preparation that went.
    void teacherActsWhileWaitingForAPreparedFile() {
        makeCache(2);
        TObjectList<TPageObj> pages;
        for (const char* name : {"p1", "p2", "p3"}) {
            TPageObj page;
            page.pageid = GbkString(name);
            page.pagefile = GbkString(server_->url(std::string("/pages/") + name + ".jpg"));
            pages.Add(page);
        }
        const TObjectList<TMaterialObj> scenes;
        const TObjectList<TMiniLectureObj> lectures;
        const TObjectList<TWordObj> words;
        const TObjectList<TMediaClipObj> clips;
        int reports = 0;
        auto preparation = std::make_unique<LessonPreparation>(
            pool(), std::make_shared<ThumbnailStore>(), folder_,
            BookRecords{pages, scenes, lectures, words, clips}, GbkString("b1"),
            LessonPreparation::Listener{[&] { ++reports; }, [&] { ++reports; }});
        for (const char* path : {"/pages/p1.jpg", "/pages/p2.jpg", "/pages/p3.jpg"}) server_->hold(path);
        preparation->start();
        QVERIFY(requested(2));
        bool secondGot = false;
        QTimer::singleShot(50, [&] {
            preparation.reset();
            secondGot = teacherAsks("z.jpg");
            server_->release();
        });
        QVERIFY(cache_->CacheRemoteFile(pages.Items(0)->pagefile, local("p1.jpg")));
        QVERIFY(secondGot);
        QTest::qWait(300);
        QCOMPARE(reports, 0);
        QCOMPARE(server_->requestsFor("p1.jpg"), 1);
        QCOMPARE(server_->requestsFor("p3.jpg"), 0);
    }
};

QTEST_GUILESS_MAIN(DownloadPoolTest)
#include "test_download_pool.moc"
