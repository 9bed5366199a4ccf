#include "PagePane.h"

#include <QVBoxLayout>

#include "PagePicture.h"
#include "PageScrollBox.h"

PagePane PagePane::create(QWidget* parent, const Names& names) {
    PagePane pane;
    pane.panel = new QWidget(parent);
    pane.panel->setObjectName(QLatin1String(names.panel));
    pane.box = new PageScrollBox(pane.panel);
    pane.box->setObjectName(QLatin1String(names.box));
    pane.box->setAccessibleName(names.caption);
    pane.picture = new PagePicture(pane.box->client());
    pane.picture->setObjectName(QLatin1String(names.picture));
    pane.picture->resize(0, 0);
    auto* fill = new QVBoxLayout(pane.panel);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(pane.box);
    return pane;
}

void PagePane::centreInBox(QWidget* picture, PageScrollBox* box) {
    const int left = picture->width() < box->width() ? (box->width() - picture->width()) / 2 : 0;
    picture->move(left, 0);
}
