#include "core/Console.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// Painting and icons need an application object; benchmarks run headless.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    pintora::console::setSink([](std::string_view) {}); // keep the report readable
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
