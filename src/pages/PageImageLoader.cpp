#include "PageImageLoader.h"

#include <QBuffer>
#include <QImageReader>
#include <exception>

#include "catalogue/ImageLimits.h"
#include "catalogue/ImageLoader.h"

namespace {

QImage loadJpeg(const std::string& path, int minHeight, QSize& naturalSize) {
    QByteArray data;
    if (!ReadImageFile(path, data)) return {};
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, "jpg");
    reader.setAutoTransform(false);
    const QSize full = reader.size();
    // As every picture path does: a hostile header must not make the decoder allocate.
    if (!full.isValid() || full.isEmpty() || !imagelimits::Allowed(full.width(), full.height(), 4)) return {};
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
    QImage picture;
    try {
        picture = LoadImageFile(path, width, height);
    } catch (const std::exception&) {
        // A PNG or GIF that does not decode leaves the pane empty, as a JPEG that does not does.
        return {};
    }
    if (picture.isNull()) return {};
    naturalSize = QSize(width, height);
    return picture.convertToFormat(QImage::Format_RGB32);
}
