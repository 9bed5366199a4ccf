#pragma once

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "XvfbDesktop.h"

// The main() of a test program on such a desktop: the desktop comes up before the application
// connects to it, and goes after the test.
template <class Test>
int RunOnXvfbDesktop(int argc, char** argv, int bottomMargin = 0) {
    XvfbDesktop desktop;
    if (!desktop.start(bottomMargin)) {
        std::fprintf(stderr, "Xvfb with openbox did not start\n");
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
