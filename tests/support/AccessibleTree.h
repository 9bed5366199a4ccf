#pragma once

#include <QAccessible>
#include <QList>
#include <QWidget>

// What a screen reader finds: the accessibility tree under `root` walked as assistive
// technology walks it, returning the shown elements whose name is `name`. Interfaces belong
// to Qt's cache; do not delete them.
inline QList<QAccessibleInterface*> ShownAccessibles(QWidget* root, const QString& name) {
    QList<QAccessibleInterface*> found;
    QList<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(root)};
    while (!pending.isEmpty()) {
        QAccessibleInterface* face = pending.takeLast();
        if (face == nullptr || face->state().invisible) continue;
        if (face->text(QAccessible::Name) == name) found.append(face);
        for (int i = 0; i < face->childCount(); ++i) pending.append(face->child(i));
    }
    return found;
}
