#include "core/Console.h"

#include <benchmark/benchmark.h>

namespace pintora {

// Every mouse drag event prints a selection line, so formatting must stay cheap.
static void BM_FormatRect(benchmark::State &state)
{
    double x = 12.0;
    for (auto _ : state) {
        std::string line = console::formatRect(x, 30.5, 100.0 / 3.0, 80.25);
        benchmark::DoNotOptimize(line);
        x += 0.125;
    }
}
BENCHMARK(BM_FormatRect);

} // namespace pintora
