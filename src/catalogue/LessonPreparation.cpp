#include "LessonPreparation.h"

#include <algorithm>

#include "cache/RemoteFileCache.h"

LessonPreparation::LessonPreparation(DownloadPool& pool, std::shared_ptr<ThumbnailStore> thumbnails,
                                     const std::string& cacheFolder, const BookRecords& records,
                                     GbkString bookId, Listener listener)
    : pool_(pool),
      thumbnails_(std::move(thumbnails)),
      cacheFolder_(cacheFolder),
      bookId_(std::move(bookId)),
      listener_(std::move(listener)),
      files_(BookFileList(cacheFolder, records)),
      states_(files_.size(), State::Waiting),
      reasons_(files_.size()),
      receiver_(std::make_unique<QObject>()) {}

LessonPreparation::~LessonPreparation() {
    pool_.cancel(receiver_.get());
}

void LessonPreparation::start() {
    cancelled_ = false;
    clock_.start();
    bytesAtStart_ = bytesDone_;
    doneAtStart_ = progress().done;
    bool queuedAny = false;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (states_[i] == State::Waiting || states_[i] == State::Failed) {
            queue(i);
            queuedAny = true;
        }
    }
    if (!queuedAny && listener_.finished) {
        // Told from the event loop, as every other report is: the caller may still be setting up.
        QMetaObject::invokeMethod(
            receiver_.get(), [this] { listener_.finished(); }, Qt::QueuedConnection);
    }
}

void LessonPreparation::queue(std::size_t index) {
    states_[index] = State::Queued;
    reasons_[index].clear();
    const BookFile& file = files_[index];
    DownloadPool::Job job{RemoteFileCache::PictureUrl(file.address), file.localPath, {}};
    if (file.kind == BookFile::Kind::Page) {
        job.afterFetch = [store = thumbnails_](const std::string& path) {
            if (store->contains(path)) return;
            const QImage thumbnail = DecodePageThumbnail(path);
            if (!thumbnail.isNull()) store->put(path, thumbnail);
        };
    }
    pool_.enqueue(std::move(job), receiver_.get(),
                  [this, index](const DownloadPool::Result& result) { onFinished(index, result); });
}

void LessonPreparation::onFinished(std::size_t index, const DownloadPool::Result& result) {
    if (states_[index] != State::Queued) return;
    states_[index] = result.stored ? State::Stored : State::Failed;
    reasons_[index] = result.error;
    bytesDone_ += result.bytes;
    if (listener_.changed) listener_.changed();
    if (!running() && !cancelled_ && listener_.finished) listener_.finished();
}

void LessonPreparation::cancel() {
    pool_.cancel(receiver_.get());
    cancelled_ = true;
    for (State& state : states_) {
        if (state == State::Queued) state = State::Waiting;
    }
    if (listener_.changed) listener_.changed();
}

void LessonPreparation::retryFailed() {
    cancelled_ = false;
    clock_.start();
    bytesAtStart_ = bytesDone_;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (states_[i] == State::Failed) queue(i);
    }
    doneAtStart_ = progress().done;
    if (listener_.changed) listener_.changed();
}

void LessonPreparation::prioritise(const std::vector<const TPageObj*>& pages) {
    std::vector<std::string> paths;
    for (const TPageObj* page : pages) paths.push_back(PagePicturePath(cacheFolder_, *page));
    pool_.prioritise(paths);
}

bool LessonPreparation::running() const {
    return std::find(states_.begin(), states_.end(), State::Queued) != states_.end();
}

LessonPreparation::Progress LessonPreparation::progress() const {
    Progress progress;
    progress.total = int(files_.size());
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (states_[i] == State::Stored) ++progress.ready;
        if (states_[i] == State::Failed) {
            progress.failures.push_back({gbk::toQString(files_[i].name), QString::fromUtf8(reasons_[i])});
        }
    }
    progress.done = progress.ready + int(progress.failures.size());
    progress.cancelled = cancelled_;
    progress.finished = progress.done == progress.total;
    progress.bytes = bytesDone_ + (running() ? pool_.receivedInFlight(receiver_.get()) : 0);
    if (clock_.isValid()) {
        const double seconds = std::max(clock_.elapsed(), qint64(1)) / 1000.0;
        progress.bytesPerSecond = double(progress.bytes - bytesAtStart_) / seconds;
        const int doneHere = progress.done - doneAtStart_;
        if (doneHere > 0) progress.secondsLeft = seconds / doneHere * (progress.total - progress.done);
    }
    return progress;
}
