#pragma once

#include <QImage>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

// The textbook view's page thumbnails: this size, decoded by LoadImageThumbnail (aspect ratio
// not kept, area-averaged). A null image when the file does not decode; raises what the decoder
// raises.
constexpr int kPageThumbWidth = 100;
constexpr int kPageThumbHeight = 140;
QImage DecodePageThumbnail(const std::string& localPath);

// Page thumbnails made ahead of need, by cache path: the lesson preparation's workers put them,
// the textbook view takes them instead of decoding the page again. Any thread.
class ThumbnailStore {
public:
    void put(const std::string& localPath, const QImage& thumbnail);
    std::optional<QImage> find(const std::string& localPath) const;
    bool contains(const std::string& localPath) const;
    void clear();
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::string, QImage> thumbnails_;
};
