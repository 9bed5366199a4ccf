#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "service/HttpClient.h"

// One transfer of a file into the cache, shared by the thread that runs it and whoever waits for
// it. The worker writes `stored` and `error` before it sets `done`.
struct FileTransfer {
    TransferProgress progress;
    std::atomic<bool> done{false};
    bool stored = false;
    std::string error;       // why the transfer failed: "HTTP 404" or the transport's message
    std::string unexpected;  // the message of an error other than a refused transfer
};

// Fetches many files into the cache folder ahead of need, at most `parallel` at a time over the
// one HTTP client (libcurl keeps the connections alive between them). Files are keyed by their
// local path: asking again for a file that is queued or on its way adds a listener, never a second
// transfer. After a file is there, a job's `afterFetch` runs on the same worker (a decode, say), and
// then each listener's `finished` is called on the thread of its receiver, through a queued call,
// so listeners live on the window thread and never see a worker.
//
// The window's own requests (RemoteFileCache) come first: claim() takes a queued file out of the
// queue and starts it at once on a thread of its own, or hands over the transfer already running,
// so the caller waits for that one. A claimed transfer is not cancelled with its listeners.
// Public functions are called from the thread that made the pool; destroying it cancels what runs
// and waits for its threads.
class DownloadPool {
public:
    struct Result {
        std::string localPath;
        bool stored = false;
        std::string error;    // empty when stored
        long long bytes = 0;  // received now: 0 for a file cached before
    };
    struct Job {
        std::string url;
        std::string localPath;
        // Runs on the worker once the file is there (fetched now or cached before).
        std::function<void(const std::string& localPath)> afterFetch;
    };
    using Finished = std::function<void(const Result&)>;

    // Only files directly inside `cacheFolder` (ending with "/") are fetched; `acceptHead` sees a
    // body's first bytes and may refuse it.
    DownloadPool(std::string cacheFolder, HttpClient http, int parallel,
                 std::function<bool(std::string_view head)> acceptHead);
    ~DownloadPool();
    DownloadPool(const DownloadPool&) = delete;
    DownloadPool& operator=(const DownloadPool&) = delete;

    // Appends `job` to the queue, or listens to the one already queued or running for its path.
    // `finished` is called on `receiver`'s thread unless cancel(receiver) came first.
    void enqueue(Job job, QObject* receiver, Finished finished);
    // Moves the queued files of `paths` to the front of the queue, in that order.
    void prioritise(const std::vector<std::string>& paths);
    // Forgets `receiver`'s listeners; a queued or running file nobody else listens to (and the
    // window did not claim) is dropped or its transfer ended.
    void cancel(QObject* receiver);

    // For the window's own request of `localPath`: the transfer to wait for, started now when the
    // file was queued; null when the pool has nothing of it, and then the pool leaves the file
    // alone until release() (the caller fetches it itself).
    std::shared_ptr<FileTransfer> claim(const std::string& localPath);
    // The caller's own transfer of `localPath` ended; may be called from any thread.
    void release(const std::string& localPath);

    // Bytes received so far by the running transfers `receiver` listens to.
    long long receivedInFlight(const QObject* receiver) const;
    int parallel() const { return parallel_; }
    // The files queued, in order (for tests and progress).
    std::vector<std::string> queued() const;

private:
    struct Listener {
        QObject* receiver;
        Finished finished;
    };
    struct Entry {
        Job job;
        std::vector<Listener> listeners;
        std::shared_ptr<FileTransfer> transfer = std::make_shared<FileTransfer>();
        bool claimed = false;
    };

    void workerLoop();
    void run(const std::shared_ptr<Entry>& entry);
    void reapJumpers();
    std::deque<std::shared_ptr<Entry>>::iterator queuedEntry(const std::string& localPath);

    std::string cacheFolder_;
    HttpClient http_;
    const int parallel_;
    std::function<bool(std::string_view)> acceptHead_;
    // Lives on the pool's thread: its queued calls wake a window-thread wait.
    std::unique_ptr<QObject> waker_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::deque<std::shared_ptr<Entry>> queue_;
    std::map<std::string, std::shared_ptr<Entry>> running_;  // by local path
    std::set<std::string> heldByCaller_;                     // fetched by the window itself
    std::vector<std::thread> workers_;
    // Claimed files run here, outside the limit; the flag is set when the thread has nothing
    // left to do.
    std::vector<std::pair<std::thread, std::shared_ptr<std::atomic<bool>>>> jumpers_;
};
