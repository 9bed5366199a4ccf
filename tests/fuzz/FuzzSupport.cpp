#include "FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "service/ShowMessage.h"

namespace fuzz {

void silenceMessages() {
    SetMessageSink([](const QString&) {});
}

const std::string& workFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/lumo-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static const std::string created = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(created, ignored);
        });
        return pattern + "/";
    }();
    return folder;
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror(path.c_str());
        std::abort();
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            std::perror(path.c_str());
            std::abort();
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

void ensureGuiApplication(int argc, char** argv) {
    if (QCoreApplication::instance()) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int storedArgc = argc > 0 ? 1 : 0;
    static char* programName = argc > 0 && argv ? argv[0] : nullptr;
    static char* storedArgv[] = {programName, nullptr};
    // Never destroyed: libFuzzer ends the process with exit(), after which Qt must not run.
    static QGuiApplication* app = new QGuiApplication(storedArgc, storedArgv);
    (void)app;
}

}  // namespace fuzz
