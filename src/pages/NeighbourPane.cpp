#include "NeighbourPane.h"

#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>

#include "PagePicture.h"
#include "PageScrollBox.h"

namespace {
constexpr int kOpenPaneHeight = 100;
constexpr int kCollapsedPaneHeight = 1;
}  // namespace

NeighbourPane::NeighbourPane(QWidget* parent, const PagePane::Names& names)
    : QObject(parent), pane_(PagePane::create(parent, names)) {
    pane_.picture->setCursor(Qt::OpenHandCursor);
    pane_.picture->installEventFilter(this);
    connect(pane_.box, &PageScrollBox::resized, this, &NeighbourPane::boxResized);
    setOpen(false);
}

void NeighbourPane::setOpen(bool open) {
    pane_.panel->setFixedHeight(open ? kOpenPaneHeight : kCollapsedPaneHeight);
}

void NeighbourPane::showPicture(const QImage& image, const std::string& path) {
    pane_.picture->setPicture(image);
    pane_.picture->resize(image.size());
    pane_.box->setRanges(image.width(), image.height());
    file_ = path;
    PagePane::centreInBox(pane_.picture, pane_.box);
}

void NeighbourPane::boxResized() {
    // The pane holds its picture at its natural size already.
    if (!file_.empty()) pane_.box->setRanges(pane_.picture->width(), pane_.picture->height());
}

void NeighbourPane::dragTo(QPoint at) {
    // A pane without a picture has no range: there is nothing to scroll.
    PageScrollBox* box = pane_.box;
    if (box->horizontalRange() > 0) {
        QScrollBar* bar = box->horizontalScrollBar();
        bar->setValue(bar->value() -
                      pane_.picture->width() / box->horizontalRange() * (at.x() - dragStart_.x()));
    }
    if (box->verticalRange() > 0) {
        QScrollBar* bar = box->verticalScrollBar();
        bar->setValue(bar->value() -
                      pane_.picture->height() / box->verticalRange() * (at.y() - dragStart_.y()));
    }
}

bool NeighbourPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched != pane_.picture) return QObject::eventFilter(watched, event);
    const auto at = [event] { return static_cast<QMouseEvent*>(event)->position().toPoint(); };
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            dragging_ = true;
            dragStart_ = at();
            return true;
        case QEvent::MouseMove:
            if (dragging_) dragTo(at());
            return true;
        case QEvent::MouseButtonRelease:
            dragging_ = false;
            return true;
        default:
            return QObject::eventFilter(watched, event);
    }
}
