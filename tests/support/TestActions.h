#pragma once

// Acting as the user: through the message loop, where the default error handler stands.
#include <QComboBox>
#include <QCoreApplication>
#include <QRadioButton>
#include <functional>

// Runs `action` as an event of the message loop, where the default error handler stands.
inline void asUser(const std::function<void()>& action) {
    QMetaObject::invokeMethod(qApp, action, Qt::QueuedConnection);
    QCoreApplication::sendPostedEvents(qApp, QEvent::MetaCall);
}

// Picks an entry of a drop-down as a click on it does: the index, then the activation.
inline void pick(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    asUser([combo, index] { emit combo->activated(index); });
}

inline void choose(QRadioButton* button) {
    asUser([button] { button->click(); });
}
