#include "PageImageLoader.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdio>
#include <memory>

#include "catalogue/ImageLoader.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// QImageReader takes a QString file name, which cannot carry every byte of a GBK name.
bool readWholeFile(const std::string& path, QByteArray& data) {
    if (path.find('\0') != std::string::npos) return false;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rbe"));
    if (!file) return false;
    char chunk[65536];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        data.append(chunk, static_cast<qsizetype>(n));
    return std::ferror(file.get()) == 0;
}

QImage loadJpeg(const std::string& path, int minHeight, QSize& naturalSize) {
    QByteArray data;
    if (!readWholeFile(path, data)) return {};
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, "jpg");
    reader.setAutoTransform(false);
    const QSize full = reader.size();
    if (!full.isValid() || full.isEmpty()) return {};
    // Ask for exactly the reduced size: the reader then picks that DCT scale and has nothing
    // left to stretch. Sizes that do not divide evenly cost one extra smooth stretch.
    for (int divisor = 8; divisor >= 2; divisor /= 2) {
        const QSize reduced(full.width() / divisor, full.height() / divisor);
        if (reduced.height() >= minHeight && !reduced.isEmpty()) {
            reader.setScaledSize(reduced);
            break;
        }
    }
    QImage picture;
    if (!reader.read(&picture)) return {};
    if (picture.format() != QImage::Format_RGB32) picture = picture.convertToFormat(QImage::Format_RGB32);
    if (picture.isNull()) return {};
    naturalSize = full;
    return picture;
}

}  // namespace

QImage PageImageLoader::LoadForDisplay(const std::string& path, int minHeight, QSize& naturalSize) {
    if (ImageFileExtension(path) == ".JPG") return loadJpeg(path, minHeight, naturalSize);
    int width = 0, height = 0;
    QImage picture = LoadImageFile(path, width, height);
    if (picture.isNull()) return {};
    naturalSize = QSize(width, height);
    return picture.convertToFormat(QImage::Format_RGB32);
}
