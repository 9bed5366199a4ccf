#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "PreparationFixtures.h"
#include "TestFiles.h"
#include "cache/RemoteFileCache.h"
#include "catalogue/LessonPreparation.h"

// A whole book prepared against the demo service, with its faults: what the preparation
// counts, which files it lists as failed and why, what it leaves in the cache and in the
// thumbnail store, and cancelling and retrying.
class LessonPreparationTest : public QObject {
    Q_OBJECT

    QTemporaryDir overrides_;
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<DemoBook> book_;
    std::string folder_;
    std::unique_ptr<RemoteFileCache> cache_;
    std::shared_ptr<ThumbnailStore> store_;
    int changes_ = 0;
    int finishes_ = 0;

    void setFaults(const QByteArray& lines) {
        if (lines.isEmpty())
            QFile::remove(overrides_.filePath("faults/http"));
        else
            writeFile(overrides_.filePath("faults/http"), lines);
    }
    std::unique_ptr<LessonPreparation> prepare() {
        return std::make_unique<LessonPreparation>(
            *cache_->pool(), store_, folder_, book_->records(), GbkString("b3a"),
            LessonPreparation::Listener{[this] { ++changes_; }, [this] { ++finishes_; }});
    }
    bool finished(int count = 1) {
        return processEventsUntil([&] { return finishes_ >= count; }, 60000);
    }

private slots:
    void initTestCase() {
        service_ = std::make_unique<DemoService>(QStringList{overrides_.path()});
        book_ = DemoBook::load(*service_, "b3a");
        QVERIFY(book_->pages.Count() > 10);
        QVERIFY(book_->scenes.Count() > 0 && book_->miniLectures.Count() > 0 && book_->words.Count() > 0);
    }
    void init() {
        folder_ = CacheFolder::temporaryPath();
        QVERIFY(QDir(QString::fromStdString(folder_)).removeRecursively());
        folder_ = CacheFolder::temporaryPath();
        setFaults({});
        cache_ = std::make_unique<RemoteFileCache>(folder_, nullptr, nullptr,
                                                   service_->clientConfig().httpClient());
        cache_->runTransfersInBackground(nullptr);
        cache_->enablePool(4);
        store_ = std::make_shared<ThumbnailStore>();
        changes_ = finishes_ = 0;
    }

    // Every file whose address holds `missing` fails with the service's status; the rest is
    // cached, each page with its thumbnail made as the textbook view makes it.
    void countsAndFailures_data() {
        QTest::addColumn<QByteArray>("faults");
        QTest::addColumn<QString>("missing");
        QTest::newRow("every file arrives") << QByteArray() << QString();
        QTest::newRow("a page is missing")
            << QByteArray("/content/pages/b3a/p002.png not-found\n") << "/content/pages/b3a/p002.png";
        QTest::newRow("no mini-lecture covers")
            << QByteArray("/content/lectures/ not-found\n") << "/content/lectures/";
        QTest::newRow("a slow network") << QByteArray("/content/ slow:60\n") << QString();
    }
    void countsAndFailures() {
        QFETCH(QByteArray, faults);
        QFETCH(QString, missing);
        setFaults(faults);
        auto preparation = prepare();
        preparation->start();
        QVERIFY(finished());

        QStringList expectedFailures;
        int pages = 0;
        for (const BookFile& file : preparation->files()) {
            pages += file.kind == BookFile::Kind::Page;
            if (!missing.isEmpty() && gbk::toQString(file.address).contains(missing))
                expectedFailures << gbk::toQString(file.name);
        }
        QCOMPARE(pages, int(book_->pages.Count()));
        QVERIFY(missing.isEmpty() || !expectedFailures.isEmpty());

        const LessonPreparation::Progress progress = preparation->progress();
        QCOMPARE(progress.total, int(preparation->files().size()));
        QCOMPARE(progress.done, progress.total);
        QCOMPARE(progress.ready, progress.total - int(expectedFailures.size()));
        QStringList failures;
        for (const LessonPreparation::Failure& failure : progress.failures) {
            failures << failure.name;
            QCOMPARE(failure.reason, QStringLiteral("HTTP 404"));
        }
        QCOMPARE(failures, expectedFailures);
        QVERIFY(progress.finished && !progress.cancelled);
        QVERIFY(progress.bytes > 0);
        QCOMPARE(changes_, progress.total);
        QCOMPARE(finishes_, 1);

        for (const BookFile& file : preparation->files()) {
            const bool failed = expectedFailures.contains(gbk::toQString(file.name));
            QCOMPARE(QFile::exists(QString::fromStdString(file.localPath)), !failed);
            if (failed || file.kind != BookFile::Kind::Page) continue;
            const std::optional<QImage> thumbnail = store_->find(file.localPath);
            QVERIFY(thumbnail.has_value());
            QCOMPARE(*thumbnail, DecodePageThumbnail(file.localPath));
        }
    }

    // A cancelled preparation stops reporting and leaves the rest; started again it fetches only
    // what is missing, and a retry fetches the failed files once the service has them.
    void cancelResumeAndRetry() {
        setFaults("/content/ slow:300\n/content/lectures/ not-found\n");
        auto preparation = prepare();
        preparation->start();
        QVERIFY(processEventsUntil([this] { return changes_ >= 2; }));
        preparation->cancel();
        const int changesAtCancel = changes_;
        const LessonPreparation::Progress cancelled = preparation->progress();
        QVERIFY(cancelled.cancelled && !cancelled.finished);
        QVERIFY(cancelled.done < cancelled.total);
        QTest::qWait(1500);
        QCOMPARE(changes_, changesAtCancel);
        QCOMPARE(finishes_, 0);
        QCOMPARE(preparation->progress().done, cancelled.done);

        setFaults("/content/lectures/ not-found\n");
        const int requestsBefore = service_->settledLog().filter("/content/").size();
        preparation->start();
        QVERIFY(finished());
        const LessonPreparation::Progress failedSome = preparation->progress();
        QVERIFY(!failedSome.failures.empty());
        QCOMPARE(failedSome.ready + int(failedSome.failures.size()), failedSome.total);
        const int requestsAfter = service_->settledLog().filter("/content/").size();
        QVERIFY(requestsAfter - requestsBefore <= failedSome.total - cancelled.ready);

        setFaults({});
        preparation->retryFailed();
        QVERIFY(finished(2));
        QCOMPARE(preparation->progress().ready, failedSome.total);
        QVERIFY(preparation->progress().failures.empty());
    }
};

QTEST_GUILESS_MAIN(LessonPreparationTest)
#include "test_lesson_preparation.moc"
