#pragma once

#include <QWidget>

class TstudyDM;
class WindowRegistry;

// Stands in for the login dialog until it exists: a small window of the login mode that holds
// the registration "QO-RO Editing Tool", so the single-instance rule can find a running
// instance in the login mode. Closing it ends the program, as closing the dialog will.
// It owns its registration; the data module is the entry's.
class LoginPlaceholder : public QWidget {
    Q_OBJECT

public:
    explicit LoginPlaceholder(TstudyDM& dm, QWidget* parent = nullptr);

    static QString windowClassName();
    const WindowRegistry& registry() const { return *registry_; }

private:
    void bringForward();

    TstudyDM& dm_;
    WindowRegistry* registry_;
};
