#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DownloadPool.h"
#include "service/GbkText.h"
#include "service/HttpClient.h"

// Makes remote pictures available as files directly inside the cache folder, fetching each one
// the first time it is asked for. The existence of a regular file at the path is the whole cache
// state. Progress goes to an injected status sink (the window's first status panel) and pending
// window events are processed through an injected pump before and after each transfer, so the
// class needs no widget.
//
// A transfer runs on the calling thread until runTransfersInBackground() is called; from then on
// each runs on a worker thread of its own while the calling thread keeps handling its events
// (the window repaints and takes input) until the file is there. Whatever runs meanwhile may ask
// for files too; one asked for again while its transfer runs waits for that transfer. Use from
// one thread; destroying the cache cancels the transfers still running and waits for their
// threads.
//
// With a pool (enablePool) files can be fetched ahead of need; a file asked for here that the
// pool has queued is started at once, and one the pool is transferring is waited for rather than
// fetched twice.
class RemoteFileCache {
public:
    using StatusSink = std::function<void(const QString& text)>;
    using EventPump = std::function<void()>;

    // `cacheFolder` ends with "/"; an empty folder (none could be made) refuses every fetch.
    // Every transfer goes through `http`, with its TLS check and time-outs.
    RemoteFileCache(std::string cacheFolder, StatusSink setStatus, EventPump processEvents,
                    HttpClient http = HttpClient());
    ~RemoteFileCache();
    RemoteFileCache(RemoteFileCache&&) = default;

    // Transfers run on worker threads from now on; `setProgress` shows the running one's
    // progress ("" when none runs). Needs a QCoreApplication.
    void runTransfersInBackground(StatusSink setProgress);

    // True when a file is at `localPath` afterwards. An existing file answers at once, silently.
    // A path that is not a safe name directly inside the cache folder is never fetched and
    // reports a failed download. Never raises: an error becomes the status "下载失败：" + address.
    // A body that does not begin like a JPEG, PNG or GIF picture is not kept.
    bool CacheRemoteFile(const GbkString& address, const std::string& localPath);

    // For a cached picture that did not decode: deletes it and fetches it once more, at most
    // once per file in the cache's life. True when a fresh copy is there.
    bool Refetch(const GbkString& address, const std::string& localPath);

    // One atomic download. A transfer the server or network refuses (no connection, error status,
    // cut off, not a picture) is a quiet false; any other error shows "DownloadFile: " + its
    // message and gives false.
    bool DownloadFile(const GbkString& address, const std::string& path);

    // While `offline` answers true, only files already cached are available: nothing is
    // fetched and nothing is reported.
    void setOffline(std::function<bool()> offline) { offline_ = std::move(offline); }

    // Ends every running transfer (they fail) without waiting. The pool's are its own.
    void CancelTransfers();

    // Makes the pool for fetching ahead, with `parallel` transfers at once, through this cache's
    // client and into its folder; transfers must run in the background. The pool starts no
    // thread before something is queued.
    void enablePool(int parallel);
    // The pool, or null before enablePool().
    DownloadPool* pool() { return pool_.get(); }

    // The address a picture is fetched from: pictures are served over plain HTTP whatever scheme
    // the service wrote.
    static std::string PictureUrl(const GbkString& address);

    const std::string& cacheFolder() const { return cacheFolder_; }

    // True when `head`, the first bytes of a file, is the start of a JPEG, PNG or GIF picture.
    static bool LooksLikePicture(std::string_view head);

private:
    using Transfer = FileTransfer;
    bool isCachePath(const std::string& localPath) const;
    bool transferInBackground(const std::string& url, const std::string& path);
    void waitFor(const std::shared_ptr<Transfer>& transfer);
    void reapFinishedWorkers();
    void showProgress();

    std::string cacheFolder_;
    StatusSink setStatus_;
    EventPump processEvents_;
    StatusSink setProgress_;
    HttpClient http_;
    // Set once transfers run in the background: receives the workers' wake-ups on the calling
    // thread.
    std::unique_ptr<QObject> waker_;
    std::map<std::string, std::shared_ptr<Transfer>> running_;  // by local path
    std::vector<std::pair<std::thread, std::shared_ptr<Transfer>>> workers_;
    std::vector<std::shared_ptr<Transfer>> waiting_;  // innermost last
    std::set<std::string> refetched_;
    std::function<bool()> offline_;
    // The workers above release their files to it: they are joined before it goes.
    std::unique_ptr<DownloadPool> pool_;
};
