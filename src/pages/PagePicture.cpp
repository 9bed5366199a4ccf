#include "PagePicture.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

// How long a size must stay unchanged before the smooth copy is made for it.
constexpr int kSettleMs = 120;

}  // namespace

PagePicture::PagePicture(QWidget* parent) : QWidget(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &PagePicture::finishRescale);
}

void PagePicture::setPicture(const QImage& picture) {
    // 32-bit pixels are what the raster engine stretches and copies fastest.
    if (picture.isNull() || picture.format() == QImage::Format_RGB32 ||
        picture.format() == QImage::Format_ARGB32_Premultiplied)
        picture_ = picture;
    else
        picture_ = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                     : QImage::Format_RGB32);
    // An opaque picture covers the whole control, so nothing beneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent, !picture_.isNull() && !picture_.hasAlphaChannel());
    halved_.clear();
    stretched_ = QImage();
    settle_.stop();
    update();
}

QSize PagePicture::deviceSize() const {
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
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

void PagePicture::stretch() {
    const QSize device = deviceSize();
    const QImage& source = sourceFor(device);
    stretched_ =
        QImage(device, source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (source.hasAlphaChannel()) stretched_.fill(Qt::transparent);
    QPainter painter(&stretched_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), device), source);
    painter.end();
    stretched_.setDevicePixelRatio(devicePixelRatioF());
}

void PagePicture::finishRescale() {
    settle_.stop();
    if (picture_.isNull() || picture_.size() == size() || stretched_.size() == deviceSize() || width() <= 0 ||
        height() <= 0)
        return;
    stretch();
    update();
}

void PagePicture::setZoomed(bool zoomed) {
    if (zoomed_ == zoomed) return;
    zoomed_ = zoomed;
    settle_.stop();
    update();
}

void PagePicture::paintEvent(QPaintEvent* event) {
    if (picture_.isNull() || width() <= 0 || height() <= 0) return;
    QPainter painter(this);
    if (zoomed_) {
        const QImage& source = sourceFor(deviceSize());
        const QRectF target(event->rect());
        const double scaleX = double(source.width()) / width(), scaleY = double(source.height()) / height();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, source,
                          QRectF(target.x() * scaleX, target.y() * scaleY, target.width() * scaleX,
                                 target.height() * scaleY));
        return;
    }
    if (picture_.size() == size()) {
        painter.drawImage(event->rect(), picture_, event->rect());
        return;
    }
    if (stretched_.isNull()) stretch();
    if (stretched_.size() == deviceSize()) {
        painter.drawImage(QPoint(0, 0), stretched_);
        return;
    }
    // A size in the middle of a resize: a quick draw now, the smooth one once it settles.
    painter.drawImage(rect(), stretched_);
    settle_.start();
}
