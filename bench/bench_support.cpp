#include "bench_support.h"

#include <QApplication>

#include <benchmark/benchmark.h>

int runBenchmarks(int argc, char** argv, const std::function<void()>& atExit)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (atExit)
        atExit();
    return 0;
}
