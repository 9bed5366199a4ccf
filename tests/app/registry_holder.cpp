// A process that is not lumoclass but holds a window registration: the single-instance rule
// must leave it alone. Usage: registry_holder <class name>
#include <QCoreApplication>
#include <cstdio>

#include "platform/WindowRegistry.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) return 2;
    WindowRegistry registry(QString::fromLocal8Bit(argv[1]));
    if (!registry.isRegistered()) return 3;
    std::puts("registered");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
