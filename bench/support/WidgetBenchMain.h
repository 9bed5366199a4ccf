#pragma once

// The main of a benchmark that drives widgets: on the offscreen platform unless QT_QPA_PLATFORM
// says otherwise, so no display is needed.
#include <benchmark/benchmark.h>

#include <QApplication>

inline int runWidgetBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
