#include "RowChoice.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>

RowChoice::RowChoice(QAbstractItemView* view, Keys keys) : QObject(view), view_(view) {
    connect(view, &QAbstractItemView::clicked, this, &RowChoice::chosen);
    if (keys == Keys::EnterOrSpaceChooses) {
        view->installEventFilter(this);
        return;
    }
    view->viewport()->installEventFilter(this);
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
        case QEvent::KeyPress:
            if (watched == view_ && chooseFromKey(event)) return true;
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

bool RowChoice::chooseFromKey(QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool choosingKey =
        key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const QModelIndex current = view_->currentIndex();
    if (!choosingKey || !plain || !current.isValid()) return false;
    // A held key repeats: the row opens once.
    if (key->isAutoRepeat()) return true;
    // The current row need not be selected (Ctrl+Space unselects it); the key opens it all the same.
    view_->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    emit chosen();
    return true;
}
