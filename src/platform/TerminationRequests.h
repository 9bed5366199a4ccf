#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM as a Qt signal on the main thread: a new start of the program ends the running one
// with it (the single-instance rule), and so does a session that logs out. The signal handler
// only writes a byte to a pipe; `requested` is emitted from the event loop, so whoever listens
// may do real work; with nobody listening the signal ends the process as it would have.
// Installed for the whole process on first use; main thread only.
class TerminationRequests : public QObject {
    Q_OBJECT

public:
    static TerminationRequests& instance();

signals:
    void requested();

private:
    TerminationRequests();
    QSocketNotifier* notifier_ = nullptr;
};
