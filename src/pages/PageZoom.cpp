#include "PageZoom.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTouchEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "PagePicture.h"
#include "PageScrollBox.h"

namespace {

constexpr double kStep = 1.25;
// A finger that moved less than this made a tap, not a drag.
constexpr double kTapSlop = 16;
// A horizontal swipe must cover this share of the pane (or kMinSwipe pixels) and be mostly
// sideways.
constexpr double kSwipeShare = 0.08;
constexpr double kMinSwipe = 40;

double distance(QPointF a, QPointF b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

}  // namespace

PageZoom::PageZoom(PageScrollBox* box, PagePicture* picture, QObject* parent)
    : QObject(parent), box_(box), picture_(picture) {
    for (QWidget* target : {box->viewport(), box->client(), static_cast<QWidget*>(picture)}) {
        target->setAttribute(Qt::WA_AcceptTouchEvents);
        target->installEventFilter(this);
    }
}

void PageZoom::fitted(const QRect& geometry) {
    fitted_ = shown_ = QRectF(geometry);
    factor_ = 1.0;
    dragging_ = false;
    picture_->setZoomed(false);
}

QRectF PageZoom::visibleRect() const {
    return QRectF(QPointF(-box_->client()->pos()), QSizeF(box_->viewport()->size()));
}

QPointF PageZoom::toClient(QObject* watched, QPointF position) const {
    auto* widget = static_cast<QWidget*>(watched);
    return box_->client()->mapFromGlobal(widget->mapToGlobal(position));
}

QPointF PageZoom::anchor() const {
    const QPointF pointer = box_->viewport()->mapFromGlobal(QPointF(QCursor::pos()));
    if (box_->viewport()->rect().contains(pointer.toPoint()))
        return box_->client()->mapFromGlobal(box_->viewport()->mapToGlobal(pointer));
    return visibleRect().center();
}

void PageZoom::place(double factor, QPointF relative, QPointF at) {
    const QSizeF size = fitted_.size() * factor;
    QPointF topLeft(at.x() - relative.x() * size.width(), at.y() - relative.y() * size.height());
    const QRectF visible = visibleRect();
    // A page larger than the pane never uncovers the pane's edge; a smaller one stays inside.
    const auto hold = [](double start, double length, double areaStart, double areaLength) {
        if (length <= areaLength) return std::clamp(start, areaStart, areaStart + areaLength - length);
        return std::clamp(start, areaStart + areaLength - length, areaStart);
    };
    topLeft.setX(hold(topLeft.x(), size.width(), visible.left(), visible.width()));
    topLeft.setY(hold(topLeft.y(), size.height(), visible.top(), visible.height()));
    factor_ = factor;
    shown_ = QRectF(topLeft, size);
    picture_->setZoomed(true);
    picture_->setGeometry(shown_.toRect());
}

void PageZoom::zoomTo(double factor, QPointF at) {
    if (fitted_.isEmpty() || picture_->picture().isNull()) return;
    factor = std::clamp(factor, 1.0, kMaxFactor);
    if (factor <= 1.0) {
        if (zoomed()) reset();
        return;
    }
    const QPointF relative((at.x() - shown_.left()) / shown_.width(),
                           (at.y() - shown_.top()) / shown_.height());
    place(factor, relative, at);
}

void PageZoom::zoomSteps(double steps, QPointF at) {
    zoomTo(factor_ * std::pow(kStep, steps), at);
}

void PageZoom::panBy(QPointF delta) {
    if (!zoomed()) return;
    place(factor_, QPointF(0, 0), shown_.topLeft() + delta);
}

void PageZoom::reset() {
    factor_ = 1.0;
    picture_->setZoomed(false);
    emit resetRequested();
}

bool PageZoom::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Wheel: {
            auto* wheel = static_cast<QWheelEvent*>(event);
            if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
            zoomSteps(wheel->angleDelta().y() / 120.0, toClient(watched, wheel->position()));
            return true;
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!zoomed() || mouse->button() != Qt::LeftButton) return false;
            dragging_ = true;
            dragLast_ = mouse->globalPosition();
            return true;
        }
        case QEvent::MouseMove: {
            if (!dragging_) return false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            panBy(mouse->globalPosition() - dragLast_);
            dragLast_ = mouse->globalPosition();
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (!dragging_) return false;
            dragging_ = false;
            return true;
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            return touch(watched, event);
        default:
            return false;
    }
}

bool PageZoom::touch(QObject* watched, QEvent* event) {
    auto* touchEvent = static_cast<QTouchEvent*>(event);
    touchEvent->accept();
    if (event->type() == QEvent::TouchCancel) {
        pinching_ = false;
        return true;
    }
    QList<QPointF> points;
    for (const QEventPoint& point : touchEvent->points())
        if (point.state() != QEventPoint::Released) points << toClient(watched, point.position());

    if (points.size() >= 2) {
        const QPointF centre = (points[0] + points[1]) / 2;
        const double span = distance(points[0], points[1]);
        if (!pinching_) {
            pinching_ = true;
            touchMoved_ = true;  // a pinch is never a tap or a swipe
            pinchStartFactor_ = factor_;
            pinchStartDistance_ = std::max(span, 1.0);
            pinchRelative_ = QPointF((centre.x() - shown_.left()) / shown_.width(),
                                     (centre.y() - shown_.top()) / shown_.height());
            return true;
        }
        if (fitted_.isEmpty() || picture_->picture().isNull()) return true;
        const double factor = std::clamp(pinchStartFactor_ * span / pinchStartDistance_, 1.0, kMaxFactor);
        place(factor, pinchRelative_, centre);
        return true;
    }

    const QEventPoint& first = touchEvent->points().first();
    const QPointF at = toClient(watched, first.position());
    if (event->type() == QEvent::TouchBegin) {
        pinching_ = false;
        touchMoved_ = false;
        touchStart_ = touchLast_ = at;
        return true;
    }
    if (pinching_) {
        // One finger lifted: the gesture ends when the last one does.
        if (event->type() == QEvent::TouchEnd) {
            pinching_ = false;
            if (factor_ <= 1.0) reset();
        }
        touchLast_ = at;
        return true;
    }
    if (distance(at, touchStart_) > kTapSlop) touchMoved_ = true;
    if (event->type() == QEvent::TouchUpdate) {
        if (zoomed()) panBy(at - touchLast_);
        touchLast_ = at;
        return true;
    }
    // The finger lifted.
    const QPointF moved = at - touchStart_;
    if (!touchMoved_) {
        const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        if (lastTap_.isValid() && lastTap_.elapsed() <= interval &&
            distance(at, lastTapAt_) <= 2 * kTapSlop) {
            lastTap_.invalidate();
            if (zoomed()) reset();
        } else {
            lastTap_.start();
            lastTapAt_ = at;
        }
    } else if (!zoomed() &&
               std::abs(moved.x()) >= std::max(kMinSwipe, box_->viewport()->width() * kSwipeShare) &&
               std::abs(moved.x()) > 2 * std::abs(moved.y())) {
        emit swiped(moved.x() < 0 ? 1 : -1);
    }
    return true;
}
