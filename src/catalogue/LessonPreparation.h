#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BookFiles.h"
#include "ThumbnailStore.h"
#include "cache/DownloadPool.h"
#include "service/GbkText.h"

// Preparing a lesson: every picture of one book fetched ahead through the download pool, and
// each page's thumbnail made on the pool's worker, so that the prepared book shows at once and
// no longer needs the network. The file list is read from the records when the preparation is
// made; the records may go afterwards. Runs on the window thread: the listener is called there
// after each file and once more when the last one is done. Destroying it cancels what is left.
class LessonPreparation {
public:
    struct Failure {
        QString name;    // the cache file's name
        QString reason;  // "HTTP 404", or the transport's message
    };
    struct Progress {
        int total = 0;
        int done = 0;   // stored or failed
        int ready = 0;  // stored
        std::vector<Failure> failures;
        long long bytes = 0;        // received, the running transfers' bytes included
        double bytesPerSecond = 0;  // since the start (or the last retry)
        double secondsLeft = -1;    // unknown until a file is done
        bool finished = false;      // every file done
        bool cancelled = false;
    };
    struct Listener {
        std::function<void()> changed;   // after each file
        std::function<void()> finished;  // after the last file
    };

    LessonPreparation(DownloadPool& pool, std::shared_ptr<ThumbnailStore> thumbnails,
                      const std::string& cacheFolder, const BookRecords& records, GbkString bookId,
                      Listener listener);
    ~LessonPreparation();
    LessonPreparation(const LessonPreparation&) = delete;
    LessonPreparation& operator=(const LessonPreparation&) = delete;

    // Queues every file not done yet.
    void start();
    // Ends the queued and running transfers of this preparation; a file the window asked for
    // meanwhile still arrives.
    void cancel();
    // Queues the failed files again.
    void retryFailed();
    // Fetches these pages' pictures next (a chosen unit's page and its neighbours), in this order.
    void prioritise(const std::vector<const TPageObj*>& pages);

    Progress progress() const;
    const GbkString& bookId() const { return bookId_; }
    const std::vector<BookFile>& files() const { return files_; }
    bool running() const;

private:
    enum class State { Waiting, Queued, Stored, Failed };
    void queue(std::size_t index);
    void onFinished(std::size_t index, const DownloadPool::Result& result);

    DownloadPool& pool_;
    std::shared_ptr<ThumbnailStore> thumbnails_;
    std::string cacheFolder_;
    GbkString bookId_;
    Listener listener_;
    std::vector<BookFile> files_;
    std::vector<State> states_;
    std::vector<std::string> reasons_;
    long long bytesDone_ = 0;
    long long bytesAtStart_ = 0;
    int doneAtStart_ = 0;
    bool cancelled_ = false;
    QElapsedTimer clock_;
    // Lives on the window thread: the pool's reports arrive through it, and none arrives once it
    // has gone.
    std::unique_ptr<QObject> receiver_;
};
