#include "RowChoice.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QItemSelectionModel>

RowChoice::RowChoice(QAbstractItemView* view) : QObject(view) {
    view->viewport()->installEventFilter(this);
    connect(view, &QAbstractItemView::clicked, this, &RowChoice::chosen);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!mouseDown_) emit chosen();
    });
}

bool RowChoice::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            mouseDown_ = true;
            break;
        case QEvent::MouseButtonRelease:
            mouseDown_ = false;
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
