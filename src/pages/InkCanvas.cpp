#include "InkCanvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTabletEvent>
#include <QTouchEvent>
#include <cmath>

#include "InkController.h"
#include "PagePicture.h"
#include "ink/InkStore.h"

namespace {

// Points closer than this to the last one (in page pixels) add nothing visible.
constexpr double kMinStep = 0.75;
// The eraser's reach on the screen, in pixels.
constexpr double kEraserRadius = 12;

}  // namespace

InkCanvas::InkCanvas(PagePicture* picture, InkController& ink, bool takesInput)
    : QWidget(picture), picture_(picture), controller_(ink) {
    setObjectName(QStringLiteral("InkCanvas"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(picture->rect());
    picture->installEventFilter(this);
    if (takesInput) picture->setAttribute(Qt::WA_TabletTracking);
    setProperty("takesInput", takesInput);
    show();
}

void InkCanvas::showPage(const QString& book, const QString& pageId, QSize natural) {
    cancel();
    book_ = book;
    pageId_ = pageId;
    natural_ = natural;
    layerInk_ = nullptr;
    update();
}

void InkCanvas::reload() {
    // A line begun over the ink that went stays out of the new ink.
    live_.reset();
    erasing_ = false;
    layerInk_ = nullptr;
    update();
}

void InkCanvas::mirror(InkCanvas* source, const QRectF& pageArea) {
    liveSource_ = source;
    update(widgetRect(pageArea));
}

const InkStroke* InkCanvas::liveStroke() const {
    if (live_) return &*live_;
    if (liveSource_ && liveSource_->live_ && liveSource_->book_ == book_ && liveSource_->pageId_ == pageId_)
        return &*liveSource_->live_;
    return nullptr;
}

const PageInk* InkCanvas::ink() const {
    return book_.isEmpty() ? nullptr : controller_.store().find(book_, pageId_);
}

QPointF InkCanvas::toPage(QPointF widget) const {
    if (width() <= 0 || height() <= 0) return {};
    return QPointF(widget.x() * natural_.width() / width(), widget.y() * natural_.height() / height());
}

QPointF InkCanvas::toWidget(QPointF page) const {
    if (natural_.isEmpty()) return {};
    return QPointF(page.x() * width() / natural_.width(), page.y() * height() / natural_.height());
}

QRect InkCanvas::widgetRect(const QRectF& page) const {
    return QRectF(toWidget(page.topLeft()), toWidget(page.bottomRight()))
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

void InkCanvas::paintEvent(QPaintEvent* event) {
    if (controller_.hidden() || natural_.isEmpty() || width() <= 0 || height() <= 0) return;
    const PageInk* ink = this->ink();
    const InkStroke* live = liveStroke();
    if (ink == nullptr && live == nullptr) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double scaleX = double(width()) / natural_.width(), scaleY = double(height()) / natural_.height();
    const QRectF area(toPage(event->rect().topLeft()), toPage(event->rect().bottomRight() + QPoint(1, 1)));
    const qreal ratio = devicePixelRatioF();
    const bool cached = !picture_->zoomed() && ink != nullptr && !ink->empty();
    if (cached) {
        const QSize device = (QSizeF(size()) * ratio).toSize();
        if (layers_[0].size() != device || layerInk_ != ink || layerRevision_ != ink->revision()) {
            for (int kind = 0; kind < 2; ++kind) {
                QImage& image = layers_[kind];
                image = QImage(device, QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                QPainter layer(&image);
                layer.setRenderHint(QPainter::Antialiasing);
                layer.scale(scaleX * ratio, scaleY * ratio);
                paintStrokesOf(layer, ink->strokes(), kind == 0);
                layer.end();
                image.setDevicePixelRatio(ratio);
            }
            layerInk_ = ink;
            layerRevision_ = ink->revision();
        }
    }
    // The highlighter under the pen, the line being drawn included.
    for (int kind = 0; kind < 2; ++kind) {
        const bool highlighter = kind == 0;
        if (cached) {
            painter.drawImage(
                event->rect(), layers_[kind],
                QRectF(QPointF(event->rect().topLeft()) * ratio, QSizeF(event->rect().size()) * ratio));
        }
        painter.save();
        painter.scale(scaleX, scaleY);
        if (!cached && ink != nullptr) paintStrokesOf(painter, ink->strokes(), highlighter, area);
        if (live != nullptr && (live->tool == InkTool::Highlighter) == highlighter)
            paintStroke(painter, *live, area);
        painter.restore();
    }
}

bool InkCanvas::eventFilter(QObject* watched, QEvent* event) {
    if (watched != picture_) return false;
    if (event->type() == QEvent::Resize) {
        setGeometry(picture_->rect());
        raise();
        return false;
    }
    if (!property("takesInput").toBool()) return false;
    return input(event);
}

bool InkCanvas::input(QEvent* event) {
    const bool chosen = controller_.toolChosen();
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            if (!chosen) return false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && !drawing()) begin(mouse->position(), 1);
            return true;
        }
        case QEvent::MouseMove: {
            if (!drawing()) return chosen && (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton);
            extend(static_cast<QMouseEvent*>(event)->position(), 1);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (!drawing()) return chosen;
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) finish();
            return true;
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease: {
            if (!chosen) return false;
            auto* tablet = static_cast<QTabletEvent*>(event);
            tablet->accept();
            const float pressure = float(tablet->pressure());
            if (event->type() == QEvent::TabletPress) {
                if (!drawing()) begin(tablet->position(), pressure);
            } else if (event->type() == QEvent::TabletMove) {
                if (drawing()) extend(tablet->position(), pressure);
            } else if (drawing()) {
                finish();
            }
            return true;
        }
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel: {
            if (!chosen && !drawing()) return false;
            auto* touch = static_cast<QTouchEvent*>(event);
            int held = 0;
            for (const QEventPoint& point : touch->points())
                if (point.state() != QEventPoint::Released) ++held;
            if (event->type() == QEvent::TouchBegin) touchPinch_ = false;
            if (touchPinch_ || held >= 2) {
                // A second finger makes it a pinch: the line begun by the first is no line.
                cancel();
                touchPinch_ = event->type() != QEvent::TouchEnd && event->type() != QEvent::TouchCancel;
                return false;
            }
            touch->accept();
            const QEventPoint& first = touch->points().first();
            if (event->type() == QEvent::TouchBegin)
                begin(first.position(), 1);
            else if (event->type() == QEvent::TouchUpdate)
                extend(first.position(), 1);
            else if (event->type() == QEvent::TouchEnd)
                finish();
            else
                cancel();
            return true;
        }
        default:
            return false;
    }
}

void InkCanvas::begin(QPointF at, float pressure) {
    if (book_.isEmpty() || natural_.isEmpty()) return;
    const std::optional<InkTool> tool = controller_.tool();
    if (!tool) return;
    controller_.setHidden(false);
    if (*tool == InkTool::Eraser) {
        erasing_ = true;
        extend(at, pressure);
        return;
    }
    InkStroke stroke;
    stroke.tool = *tool;
    stroke.colour = controller_.colourFor(*tool);
    stroke.width = controller_.widthFor(*tool, natural_);
    const QPointF page = toPage(at);
    stroke.points.push_back({float(page.x()), float(page.y()), pressure});
    stroke.updateBounds();
    live_ = std::move(stroke);
    update(widgetRect(live_->bounds));
    controller_.liveChanged(this, live_->bounds);
}

void InkCanvas::extend(QPointF at, float pressure) {
    const QPointF page = toPage(at);
    if (erasing_) {
        const double radius = width() > 0 ? kEraserRadius * natural_.width() / width() : kEraserRadius;
        if (controller_.store().page(book_, pageId_).eraseAt(page, radius))
            controller_.inkChanged(book_, pageId_);
        return;
    }
    if (!live_) return;
    const InkPoint& last = live_->points.back();
    if (std::hypot(page.x() - last.x, page.y() - last.y) < kMinStep) return;
    // The curve through the midpoints changes from the point before last on.
    const std::size_t from = live_->points.size() >= 2 ? live_->points.size() - 2 : 0;
    live_->points.push_back({float(page.x()), float(page.y()), pressure});
    QRectF changed(QPointF(live_->points[from].x, live_->points[from].y), QSizeF(0, 0));
    for (std::size_t i = from; i < live_->points.size(); ++i)
        changed |= QRectF(QPointF(live_->points[i].x, live_->points[i].y), QSizeF(0.01, 0.01));
    const double margin = live_->width / 2 + 1;
    changed.adjust(-margin, -margin, margin, margin);
    live_->bounds |= changed;
    update(widgetRect(changed));
    controller_.liveChanged(this, changed);
}

void InkCanvas::finish() {
    if (erasing_) {
        erasing_ = false;
        if (!book_.isEmpty()) controller_.store().page(book_, pageId_).endGesture();
        return;
    }
    if (!live_) return;
    InkStroke stroke = std::move(*live_);
    live_.reset();
    controller_.store().page(book_, pageId_).add(std::move(stroke));
    controller_.inkChanged(book_, pageId_);
}

void InkCanvas::cancel() {
    if (erasing_ && !book_.isEmpty()) controller_.store().page(book_, pageId_).endGesture();
    erasing_ = false;
    if (!live_) return;
    const QRectF bounds = live_->bounds;
    live_.reset();
    update(widgetRect(bounds));
    controller_.liveChanged(this, bounds);
}
