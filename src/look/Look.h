#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

// The look the windows and sheets share: fonts sized in pixels (the layouts are laid out in
// pixels, so point sizes would break them on other screens), the navy text and placing a named
// control at fixed coordinates. Everything here only sets properties; nothing can fail.

enum class Weight { Normal, Bold };

QFont pixelFont(int pixels, Weight weight);

// The text colour of captions, lists and check boxes.
QColor navy();

// Gives the widget's window, button and edit text `colour`; its children inherit it.
void paintText(QWidget* widget, const QColor& colour);

// A new control named `name` (for tests and assistive technology) at (left, top) in `parent`,
// which owns it. The size stays the control's own until set.
template <class Control>
Control* place(QWidget* parent, const char* name, int left, int top) {
    auto* control = new Control(parent);
    control->setObjectName(QLatin1String(name));
    control->move(left, top);
    return control;
}

// ... with its size set as well.
template <class Control>
Control* place(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* control = new Control(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(left, top, width, height);
    return control;
}
