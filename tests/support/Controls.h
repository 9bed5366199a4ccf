#pragma once

#include <QObject>
#include <QString>

// The control named `name` inside `owner`. A missing one ends the test run at once: every
// test that asks for a control needs it.
template <class T>
T* control(const QObject& owner, const char* name) {
    T* found = owner.findChild<T*>(QLatin1String(name));
    if (found == nullptr) qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}
