#include "ThumbnailStore.h"

#include "ImageLoader.h"

QImage DecodePageThumbnail(const std::string& localPath) {
    int width = 0, height = 0;
    return LoadImageThumbnail(localPath, kPageThumbWidth, kPageThumbHeight, width, height);
}

void ThumbnailStore::put(const std::string& localPath, const QImage& thumbnail) {
    std::lock_guard lock(mutex_);
    thumbnails_[localPath] = thumbnail;
}

std::optional<QImage> ThumbnailStore::find(const std::string& localPath) const {
    std::lock_guard lock(mutex_);
    auto it = thumbnails_.find(localPath);
    if (it == thumbnails_.end()) return std::nullopt;
    return it->second;
}

bool ThumbnailStore::contains(const std::string& localPath) const {
    std::lock_guard lock(mutex_);
    return thumbnails_.contains(localPath);
}

void ThumbnailStore::clear() {
    std::lock_guard lock(mutex_);
    thumbnails_.clear();
}

std::size_t ThumbnailStore::size() const {
    std::lock_guard lock(mutex_);
    return thumbnails_.size();
}
