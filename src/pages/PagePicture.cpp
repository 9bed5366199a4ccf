#include "PagePicture.h"

#include <QPaintEvent>
#include <QPainter>

PagePicture::PagePicture(QWidget* parent) : QWidget(parent) {}

void PagePicture::setPicture(const QImage& picture) {
    // 32-bit pixels are what the raster engine stretches and copies fastest.
    if (picture.isNull() || picture.format() == QImage::Format_RGB32 ||
        picture.format() == QImage::Format_ARGB32_Premultiplied)
        picture_ = picture;
    else
        picture_ = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                     : QImage::Format_RGB32);
    halved_.clear();
    stretched_ = QImage();
    update();
}

const QImage& PagePicture::sourceFor(QSize target) {
    // Bilinear filtering samples four pixels: reducing more than twofold from one source
    // would skip pixels and let thin print alias, so reduce from a halved copy instead.
    const QImage* source = &picture_;
    for (std::size_t level = 0;; ++level) {
        if (source->width() < 2 * target.width() || source->height() < 2 * target.height()) return *source;
        if (level == halved_.size())
            halved_.push_back(source->scaled(source->width() / 2, source->height() / 2, Qt::IgnoreAspectRatio,
                                             Qt::SmoothTransformation));
        source = &halved_[level];
    }
}

void PagePicture::paintEvent(QPaintEvent* event) {
    if (picture_.isNull() || width() <= 0 || height() <= 0) return;
    QPainter painter(this);
    if (picture_.size() == size()) {
        painter.drawImage(event->rect(), picture_, event->rect());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize device = (QSizeF(size()) * ratio).toSize();
    if (stretched_.size() != device) {
        const QImage& source = sourceFor(device);
        stretched_ = QImage(
            device, source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        stretched_.fill(Qt::transparent);
        QPainter stretch(&stretched_);
        stretch.setRenderHint(QPainter::SmoothPixmapTransform);
        stretch.drawImage(QRect(QPoint(0, 0), device), source);
        stretch.end();
        stretched_.setDevicePixelRatio(ratio);
    }
    painter.drawImage(QPoint(0, 0), stretched_);
}
