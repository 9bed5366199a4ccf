#include "PaneSplitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace {

constexpr int kThickness = 4;
constexpr int kMinimumPaneHeight = 1;

}  // namespace

PaneSplitter::PaneSplitter(QWidget* pane, Side side, QWidget* parent)
    : QWidget(parent), pane_(pane), side_(side) {
    setFixedHeight(kThickness);
    setCursor(Qt::SplitVCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PaneSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    pressY_ = qRound(event->globalPosition().y());
    startHeight_ = pane_->height();
}

void PaneSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const int delta = qRound(event->globalPosition().y()) - pressY_;
    const int grown = side_ == Side::Above ? startHeight_ + delta : startHeight_ - delta;
    // The pane may take the room of the panes beside it, down to their minimum.
    const QWidget* area = parentWidget();
    const int room =
        area ? area->height() - (area->minimumSizeHint().height() - pane_->minimumHeight()) : grown;
    pane_->setFixedHeight(std::clamp(grown, kMinimumPaneHeight, std::max(room, kMinimumPaneHeight)));
}

void PaneSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    emit moved();
}

void PaneSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    style()->drawControl(QStyle::CE_Splitter, &option, &painter, this);
}
