#include "XvfbDesktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Reads from `fd` until a line equal to `wanted` (or, when `wanted` is empty, any first line)
// arrives; gives up after 30 s.
std::string readLine(int fd, const std::string& wanted = {}) {
    std::string buffer;
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 30000) <= 0) return {};
        char chunk[256];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) return {};
        buffer.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; (end = buffer.find('\n')) != std::string::npos; buffer.erase(0, end + 1)) {
            const std::string line = buffer.substr(0, end);
            if (wanted.empty() || line == wanted) return line;
        }
    }
}

// Starts `argv` with its stdout (or, for Xvfb's -displayfd, fd 3) on a pipe; returns the pid.
pid_t spawn(const std::vector<std::string>& args, int outputFd, int& readEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], outputFd);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    readEnd = fds[0];
    return pid;
}

}  // namespace

bool XvfbDesktop::start(int bottomMargin) {
    int xvfbOut = -1;
    xvfb_ = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, 3, xvfbOut);
    const std::string display = xvfb_ > 0 ? readLine(xvfbOut) : std::string();
    if (display.empty()) return false;
    ::setenv("DISPLAY", (":" + display).c_str(), 1);

    const QString config = QDir::temp().filePath(QStringLiteral("lumo-openbox-%1.xml").arg(::getpid()));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QStringLiteral("<openbox_config xmlns=\"http://openbox.org/3.4/rc\"><margins><top>0</top>"
                              "<bottom>%1</bottom><left>0</left><right>0</right></margins></openbox_config>")
                   .arg(bottomMargin)
                   .toUtf8());
    file.close();
    int openboxOut = -1;
    openbox_ = spawn({"openbox", "--sm-disable", "--config-file", config.toStdString(), "--startup",
                      "echo lumo-desktop-ready"},
                     1, openboxOut);
    const bool ready = openbox_ > 0 && readLine(openboxOut, "lumo-desktop-ready") == "lumo-desktop-ready";
    ::close(xvfbOut);
    return ready;
}

XvfbDesktop::~XvfbDesktop() {
    // Never wait for ever on a server that does not end: the test would hang instead of failing.
    for (const pid_t pid : {openbox_, xvfb_}) {
        if (pid <= 0) continue;
        ::kill(pid, SIGTERM);
        for (int tries = 0; tries < 40 && ::waitpid(pid, nullptr, WNOHANG) == 0; ++tries) ::usleep(50000);
        if (::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0);
    }
}
