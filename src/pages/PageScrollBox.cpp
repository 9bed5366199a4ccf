#include "PageScrollBox.h"

#include <QResizeEvent>
#include <algorithm>

PageScrollBox::PageScrollBox(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* area = new QWidget;
    setWidget(area);
    fitClient();
}

void PageScrollBox::setRanges(int horizontal, int vertical) {
    horizontalRange_ = std::max(horizontal, 0);
    verticalRange_ = std::max(vertical, 0);
    fitClient();
}

void PageScrollBox::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    fitClient();
    emit resized();
}

void PageScrollBox::fitClient() {
    // The visible area without scroll bars: a bar that appears because of a range must not
    // shrink the client and so take its own reason away.
    const QSize visible = maximumViewportSize();
    widget()->resize(std::max(horizontalRange_, visible.width()), std::max(verticalRange_, visible.height()));
}
