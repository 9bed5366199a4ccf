#include "TerminationRequests.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <QMetaMethod>
#include <QSocketNotifier>

namespace {

int pipeEnds[2] = {-1, -1};

void onTerminate(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationRequests& TerminationRequests::instance() {
    static TerminationRequests* requests = new TerminationRequests;  // lives as long as the process
    return *requests;
}

TerminationRequests::TerminationRequests() {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
        }
        // Nobody to end in order (the window is gone): the signal does what it always does.
        if (!isSignalConnected(QMetaMethod::fromSignal(&TerminationRequests::requested))) {
            ::signal(SIGTERM, SIG_DFL);
            ::raise(SIGTERM);
        }
        emit requested();
    });
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}
