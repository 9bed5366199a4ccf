#include "DownloadPool.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <exception>

#include "CacheFileName.h"
#include "service/AppError.h"

namespace {

bool regularFileExists(const std::string& path, long long* size = nullptr) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (size) *size = info.st_size;
    return true;
}

void wake(QObject* receiver) {
    QMetaObject::invokeMethod(
        receiver, [] {}, Qt::QueuedConnection);
}

}  // namespace

DownloadPool::DownloadPool(std::string cacheFolder, HttpClient http, int parallel,
                           std::function<bool(std::string_view head)> acceptHead)
    : cacheFolder_(std::move(cacheFolder)),
      http_(std::move(http)),
      parallel_(std::clamp(parallel, 1, 16)),
      acceptHead_(std::move(acceptHead)),
      waker_(std::make_unique<QObject>()) {}

DownloadPool::~DownloadPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
        for (auto& [path, entry] : running_) entry->transfer->progress.cancelled = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    for (auto& [thread, ended] : jumpers_) thread.join();
}

std::deque<std::shared_ptr<DownloadPool::Entry>>::iterator DownloadPool::queuedEntry(
    const std::string& localPath) {
    return std::find_if(queue_.begin(), queue_.end(),
                        [&](const auto& entry) { return entry->job.localPath == localPath; });
}

void DownloadPool::enqueue(Job job, QObject* receiver, Finished finished) {
    std::lock_guard lock(mutex_);
    Listener listener{receiver, std::move(finished)};
    // A transfer that was told to stop or has its file already is not joined: the file is queued
    // anew and waits until that transfer has ended.
    if (auto it = running_.find(job.localPath);
        it != running_.end() && !it->second->transfer->done && !it->second->transfer->progress.cancelled) {
        it->second->listeners.push_back(std::move(listener));
        return;
    }
    if (auto it = queuedEntry(job.localPath); it != queue_.end()) {
        (*it)->listeners.push_back(std::move(listener));
        return;
    }
    auto entry = std::make_shared<Entry>();
    entry->job = std::move(job);
    entry->listeners.push_back(std::move(listener));
    queue_.push_back(std::move(entry));
    // The workers start with the first file, so a session that prepares nothing runs none.
    if (workers_.empty()) {
        for (int i = 0; i < parallel_; ++i) workers_.emplace_back([this] { workerLoop(); });
    }
    wake_.notify_one();
}

void DownloadPool::prioritise(const std::vector<std::string>& paths) {
    std::lock_guard lock(mutex_);
    for (auto path = paths.rbegin(); path != paths.rend(); ++path) {
        auto it = queuedEntry(*path);
        if (it == queue_.end()) continue;
        std::shared_ptr<Entry> entry = std::move(*it);
        queue_.erase(it);
        queue_.push_front(std::move(entry));
    }
}

void DownloadPool::cancel(QObject* receiver) {
    std::lock_guard lock(mutex_);
    const auto drop = [receiver](Entry& entry) {
        std::erase_if(entry.listeners, [receiver](const Listener& l) { return l.receiver == receiver; });
        return entry.listeners.empty();
    };
    std::erase_if(queue_, [&](const std::shared_ptr<Entry>& entry) { return drop(*entry); });
    for (auto& [path, entry] : running_) {
        if (drop(*entry) && !entry->claimed) entry->transfer->progress.cancelled = true;
    }
}

std::shared_ptr<FileTransfer> DownloadPool::claim(const std::string& localPath) {
    reapJumpers();
    std::lock_guard lock(mutex_);
    if (auto it = running_.find(localPath); it != running_.end()) {
        Entry& entry = *it->second;
        // A transfer already told to stop is left to end; the caller fetches the file itself.
        if (!entry.transfer->progress.cancelled) {
            entry.claimed = true;
            return entry.transfer;
        }
    } else if (auto queued = queuedEntry(localPath); queued != queue_.end()) {
        std::shared_ptr<Entry> entry = std::move(*queued);
        queue_.erase(queued);
        entry->claimed = true;
        running_[localPath] = entry;
        auto ended = std::make_shared<std::atomic<bool>>(false);
        jumpers_.emplace_back(std::thread([this, entry, ended] {
                                  run(entry);
                                  *ended = true;
                              }),
                              ended);
        return entry->transfer;
    }
    heldByCaller_.insert(localPath);
    return nullptr;
}

void DownloadPool::release(const std::string& localPath) {
    {
        std::lock_guard lock(mutex_);
        heldByCaller_.erase(localPath);
    }
    wake_.notify_all();
}

long long DownloadPool::receivedInFlight(const QObject* receiver) const {
    std::lock_guard lock(mutex_);
    long long received = 0;
    for (const auto& [path, entry] : running_) {
        if (std::any_of(entry->listeners.begin(), entry->listeners.end(),
                        [receiver](const Listener& l) { return l.receiver == receiver; }))
            received += entry->transfer->progress.received;
    }
    return received;
}

std::vector<std::string> DownloadPool::queued() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    for (const auto& entry : queue_) paths.push_back(entry->job.localPath);
    return paths;
}

void DownloadPool::reapJumpers() {
    std::erase_if(jumpers_, [](auto& jumper) {
        if (!*jumper.second) return false;
        jumper.first.join();
        return true;
    });
}

void DownloadPool::workerLoop() {
    // Fetching ahead is background work: the window thread, decoding the page the teacher just
    // asked for, must win the processor over the pool's thumbnail decodes. Linux gives each
    // thread its own nice value; the window's own transfers run on other threads and keep theirs.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
    for (;;) {
        std::shared_ptr<Entry> entry;
        {
            std::unique_lock lock(mutex_);
            // A file the window is fetching itself, or one whose earlier transfer is still ending,
            // waits in the queue until that transfer has ended.
            const auto next = [this] {
                return std::find_if(queue_.begin(), queue_.end(), [this](const auto& e) {
                    return !heldByCaller_.contains(e->job.localPath) && !running_.contains(e->job.localPath);
                });
            };
            wake_.wait(lock, [&] { return stopping_ || next() != queue_.end(); });
            if (stopping_) return;
            auto it = next();
            entry = std::move(*it);
            queue_.erase(it);
            running_[entry->job.localPath] = entry;
        }
        run(entry);
    }
}

void DownloadPool::run(const std::shared_ptr<Entry>& entry) {
    FileTransfer& transfer = *entry->transfer;
    const std::string& path = entry->job.localPath;
    long long bytes = 0;
    const bool inside = !cacheFolder_.empty() && cacheFolder_.back() == '/' &&
                        path.starts_with(cacheFolder_) &&
                        CacheFileName::IsSafe(std::string_view(path).substr(cacheFolder_.size()));
    if (!inside) {
        transfer.error = "not a file of the cache folder";
    } else if (regularFileExists(path)) {
        transfer.stored = true;
    } else {
        try {
            http_.downloadToFile(entry->job.url, path, DownloadOptions{&transfer.progress, acceptHead_});
            transfer.stored = true;
            regularFileExists(path, &bytes);
        } catch (const HttpError& error) {
            transfer.error = error.what();
        } catch (const std::exception& error) {
            transfer.error = transfer.unexpected = error.what();
        }
    }
    transfer.done = true;
    // Someone may be waiting on the window thread for this very file.
    wake(waker_.get());

    if (transfer.stored && entry->job.afterFetch) {
        try {
            entry->job.afterFetch(path);
        } catch (...) {
            // What comes after is a courtesy: the file is there, and its user decodes it again.
        }
    }
    const Result result{path, transfer.stored, transfer.error, bytes};
    {
        std::lock_guard lock(mutex_);
        running_.erase(path);
        // Posted under the lock: cancel() has either removed a listener already, or its receiver
        // is still there to take the call.
        for (const Listener& listener : entry->listeners) {
            QMetaObject::invokeMethod(
                listener.receiver, [finished = listener.finished, result] { finished(result); },
                Qt::QueuedConnection);
        }
    }
    wake_.notify_all();
}
