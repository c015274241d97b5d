#pragma once

// main() of a benchmark of the windows: offscreen unless a display is asked
// for, the marker classes registered, a QApplication for the widgets.

#include "document/streams/ClassRegistry.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

inline int runQtBenchmarks(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ClassRegistry::registerStandardClasses();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
