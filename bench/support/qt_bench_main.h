#pragma once

#include <QApplication>
#include <QByteArray>

#include <benchmark/benchmark.h>

#include "ui/fonts.h"

/// The main() of a benchmark program that needs Qt's application object: headless unless
/// QT_QPA_PLATFORM says otherwise, with the program's font substitutions.
inline int runQtBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
