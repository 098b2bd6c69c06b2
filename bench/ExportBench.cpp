#include "core/ImageExport.h"

#include <QPainter>

#include <benchmark/benchmark.h>

namespace pintora {

// Copy and Crop & Copy encode PNG before the clipboard gets the image.
static void BM_EncodePngScreenshot(benchmark::State &state)
{
    QImage image(2560, 1440, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(236, 236, 236));
    QPainter painter(&image);
    for (int y = 0; y < image.height(); y += 24)
        painter.drawText(20, y, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789 ").repeated(8));
    painter.end();
    std::size_t size = 0;
    for (auto _ : state)
        size = std::size_t(encodePng(image).size());
    state.counters["png_KiB"] = double(size) / 1024;
}
BENCHMARK(BM_EncodePngScreenshot)->Unit(benchmark::kMillisecond);

} // namespace pintora
