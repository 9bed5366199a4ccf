#include "RemoteFileCache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <exception>

#include "CacheFileName.h"
#include "service/AppError.h"
#include "service/ShowMessage.h"

namespace {

bool regularFileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void replaceAll(GbkString& text, const GbkString& from, const GbkString& to) {
    for (std::size_t at = text.find(from); at != GbkString::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The address without what a user need not read: for a web address, from its two slashes on.
GbkString statusTail(const GbkString& address) {
    const std::size_t at = CacheFileName::LastDelimiter(address, ":\\");
    return at == GbkString::npos ? address : address.substr(at + 1);
}

QString progressText(long long received, long long total) {
    const auto kib = [](long long bytes) { return QString::number((bytes + 1023) / 1024); };
    if (total <= 0) return kib(received) + QStringLiteral(" KB");
    return QStringLiteral("%1% (%2 / %3 KB)").arg(received * 100 / total).arg(kib(received), kib(total));
}

}  // namespace

RemoteFileCache::RemoteFileCache(std::string cacheFolder, StatusSink setStatus, EventPump processEvents,
                                 HttpClient http)
    : cacheFolder_(std::move(cacheFolder)),
      setStatus_(std::move(setStatus)),
      processEvents_(std::move(processEvents)),
      http_(std::move(http)) {}

RemoteFileCache::~RemoteFileCache() {
    CancelTransfers();
    for (auto& [thread, transfer] : workers_) thread.join();
}

void RemoteFileCache::runTransfersInBackground(StatusSink setProgress) {
    setProgress_ = std::move(setProgress);
    if (!waker_) waker_ = std::make_unique<QObject>();
}

void RemoteFileCache::enablePool(int parallel) {
    if (!pool_) pool_ = std::make_unique<DownloadPool>(cacheFolder_, http_, parallel, LooksLikePicture);
}

std::string RemoteFileCache::PictureUrl(const GbkString& address) {
    GbkString url = address;
    replaceAll(url, "https://", "http://");
    return url.bytes();
}

void RemoteFileCache::CancelTransfers() {
    for (auto& [thread, transfer] : workers_) transfer->progress.cancelled = true;
}

bool RemoteFileCache::LooksLikePicture(std::string_view head) {
    return head.starts_with("\xFF\xD8\xFF") || head.starts_with("\x89PNG\r\n\x1A\n") ||
           head.starts_with("GIF87a") || head.starts_with("GIF89a");
}

bool RemoteFileCache::isCachePath(const std::string& localPath) const {
    if (cacheFolder_.empty() || cacheFolder_.back() != '/' || !localPath.starts_with(cacheFolder_))
        return false;
    return CacheFileName::IsSafe(std::string_view(localPath).substr(cacheFolder_.size()));
}

bool RemoteFileCache::CacheRemoteFile(const GbkString& address, const std::string& localPath) {
    // Checked before the existence test too: a name like "../x" must not pass for cached.
    const bool allowed = isCachePath(localPath);
    if (allowed && regularFileExists(localPath)) return true;
    if (offline_ && offline_()) return false;

    GbkString fetched = address;
    bool result = false;
    try {
        if (setStatus_)
            setStatus_(QStringLiteral("首次使用，下载中...") + gbk::toQString(statusTail(address)));
        if (processEvents_) processEvents_();
        fetched = GbkString(PictureUrl(address));
        result = allowed && DownloadFile(fetched, localPath);
        if (setStatus_) {
            setStatus_(result ? QStringLiteral("下载页面成功.")
                              : QStringLiteral("下载页面失败：") +
                                    QString::fromUtf8(gbk::pathToUtf8(localPath)));
        }
        if (processEvents_) processEvents_();
    } catch (...) {
        try {
            if (setStatus_) setStatus_(QStringLiteral("下载失败：") + gbk::toQString(fetched));
        } catch (...) {
        }
    }
    return result;
}

bool RemoteFileCache::Refetch(const GbkString& address, const std::string& localPath) {
    if (!isCachePath(localPath) || !refetched_.insert(localPath).second) return false;
    ::unlink(localPath.c_str());
    return CacheRemoteFile(address, localPath);
}

bool RemoteFileCache::DownloadFile(const GbkString& address, const std::string& path) {
    std::string unexpected;
    bool stored = false;
    if (waker_) return transferInBackground(address.bytes(), path);
    {
        try {
            http_.downloadToFile(address.bytes(), path, DownloadOptions{nullptr, LooksLikePicture});
            stored = true;
        } catch (const HttpError&) {
            // A refused transfer (missing thumbnail, server down) is an ordinary outcome told by
            // the result: a list of two hundred thumbnails on a bad network must not raise a box
            // each.
        } catch (const std::exception& error) {
            unexpected = error.what();
        }
    }
    if (!unexpected.empty()) ShowMessage(QStringLiteral("DownloadFile: ") + QString::fromUtf8(unexpected));
    return stored;
}

bool RemoteFileCache::transferInBackground(const std::string& url, const std::string& path) {
    std::shared_ptr<Transfer> transfer;
    if (auto it = running_.find(path); it != running_.end()) {
        transfer = it->second;
    } else if (pool_ && (transfer = pool_->claim(path))) {
        // The pool's transfer of this file: waited for, never doubled; what went wrong is the
        // pool's to report.
        waitFor(transfer);
        return transfer->stored;
    } else {
        DownloadPool* pool = pool_.get();
        // The pool may have stored the file since it was looked for; it now keeps its hands off.
        if (pool && regularFileExists(path)) {
            pool->release(path);
            return true;
        }
        reapFinishedWorkers();
        transfer = std::make_shared<Transfer>();
        running_.emplace(path, transfer);
        QObject* waker = waker_.get();
        workers_.emplace_back(
            std::thread([transfer, http = http_, url, path, waker, pool] {
                try {
                    http.downloadToFile(url, path, DownloadOptions{&transfer->progress, LooksLikePicture});
                    transfer->stored = true;
                } catch (const HttpError&) {
                } catch (const std::exception& error) {
                    transfer->unexpected = error.what();
                }
                if (pool) pool->release(path);
                transfer->done = true;
                // Wakes the waiting thread, which may be blocked until its next event.
                QMetaObject::invokeMethod(
                    waker, [] {}, Qt::QueuedConnection);
            }),
            transfer);
    }

    waitFor(transfer);

    // A file asked for twice shares one transfer: the first waiter to return takes it off the
    // list and tells what went wrong, once.
    if (auto it = running_.find(path); it != running_.end() && it->second == transfer) {
        running_.erase(it);
        if (!transfer->unexpected.empty())
            ShowMessage(QStringLiteral("DownloadFile: ") + QString::fromUtf8(transfer->unexpected));
    }
    reapFinishedWorkers();
    return transfer->stored;
}

void RemoteFileCache::waitFor(const std::shared_ptr<Transfer>& transfer) {
    // Waits nest when a handler run meanwhile waits too; the innermost one is what the teacher
    // is waiting for, so its progress is the one shown.
    waiting_.push_back(transfer);
    QTimer ticker;
    ticker.setInterval(100);
    QObject::connect(&ticker, &QTimer::timeout, [this] { showProgress(); });
    ticker.start();
    while (!transfer->done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();
    waiting_.pop_back();
    showProgress();
}

void RemoteFileCache::showProgress() {
    if (!setProgress_) return;
    if (waiting_.empty()) return setProgress_(QString());
    const TransferProgress& progress = waiting_.back()->progress;
    setProgress_(progressText(progress.received, progress.total));
}

void RemoteFileCache::reapFinishedWorkers() {
    std::erase_if(workers_, [](auto& worker) {
        if (!worker.second->done) return false;
        worker.first.join();
        return true;
    });
}
