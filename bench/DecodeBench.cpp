#include "Screenshot.h"
#include "core/PngReader.h"

#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

#include <map>
#include <utility>

namespace pintora {
namespace {

// A screenshot of range(0) x range(1) as another application's PNG: Qt's
// writer (libpng with zlib at its default level).
const QByteArray &screenshotPng(int width, int height)
{
    static std::map<std::pair<int, int>, QByteArray> made;
    QByteArray &png = made[{width, height}];
    if (png.isEmpty()) {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        makeScreenshot(width, height).convertToFormat(QImage::Format_RGB32).save(&buffer, "PNG");
    }
    return png;
}

void BM_DecodePngOurs(benchmark::State &state)
{
    const QByteArray &png = screenshotPng(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(readPng(png).image.constBits());
}
BENCHMARK(BM_DecodePngOurs)->Args({5120, 2880})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_DecodePngQt(benchmark::State &state)
{
    const QByteArray &png = screenshotPng(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(QImage::fromData(png).constBits());
}
BENCHMARK(BM_DecodePngQt)->Args({5120, 2880})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pintora
