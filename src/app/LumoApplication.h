#pragma once

#include <QApplication>

// The application object with the program's default error handler: an error that escapes an
// event handler is shown with its message and the program goes on. It also installs the
// message sink that shows each ShowMessage text as a modal box with an OK button, captioned
// with the application title (applicationDisplayName, which the main window sets).
class LumoApplication : public QApplication {
    Q_OBJECT

public:
    LumoApplication(int& argc, char** argv);
    ~LumoApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // The box every ShowMessage text appears in; public so that tests can install it.
    static void installMessageBoxSink();
};
