#include "AllocationCounter.h"
#include "canvas/CanvasView.h"

#include <QPainter>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

// A 5K screenshot and a 400 x 300 rectangle, the size of a typical redaction.
namespace {

constexpr int screenWidth = 5120;
constexpr int screenHeight = 2880;
const QRectF box(2000, 1200, 400, 300);

// Flat panels, text-like speckles and edges, like a desktop screenshot.
const QImage &screenshot()
{
    static const QImage image = [] {
        QImage image(screenWidth, screenHeight, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(236, 236, 236));
        QPainter painter(&image);
        for (int i = 0; i < 40; ++i)
            painter.fillRect(QRect((i * 397) % screenWidth, (i * 211) % screenHeight, 900, 500),
                             QColor::fromHsv((i * 37) % 360, 60, 200));
        painter.setPen(Qt::black);
        QFont font = painter.font();
        font.setPixelSize(24);
        painter.setFont(font);
        for (int y = 0; y < screenHeight; y += 40)
            painter.drawText(20, y, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789 ").repeated(6));
        return image;
    }();
    return image;
}

void reportMemory(benchmark::State &state, std::size_t peakExtra)
{
    const double imageBytes = double(screenWidth) * screenHeight * 4;
    state.counters["peak_extra_MiB"] = double(peakExtra) / (1024 * 1024);
    state.counters["peak_extra_images"] = double(peakExtra) / imageBytes;
}

// The floor: copying the whole image's pixels once.
void BM_CopyWholeImage(benchmark::State &state)
{
    const std::size_t bytes = std::size_t(screenWidth) * screenHeight * 4;
    std::vector<char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}
BENCHMARK(BM_CopyWholeImage)->Unit(benchmark::kMillisecond);

// The floor for anything that makes a new image: the same copy into fresh
// memory, whose pages the kernel must first hand out and clear.
void BM_CopyWholeImageIntoNewMemory(benchmark::State &state)
{
    const std::size_t bytes = std::size_t(screenWidth) * screenHeight * 4;
    std::vector<char> from(bytes, 1);
    for (auto _ : state) {
        std::unique_ptr<char[]> to(new char[bytes]);
        std::memcpy(to.get(), from.data(), bytes);
        benchmark::DoNotOptimize(to.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyWholeImageIntoNewMemory)->Unit(benchmark::kMillisecond);

void BM_BurnIn(benchmark::State &state, RectangleStyle style, QImage::Format format)
{
    const QImage source = screenshot().convertToFormat(format);
    CanvasView canvas;
    std::size_t peakExtra = 0;
    for (auto _ : state) {
        canvas.setImage(source);
        const std::size_t before = allocation::bytesInUse();
        allocation::resetPeak();
        canvas.drawRectangleOnImage(box, style);
        peakExtra = std::max(peakExtra, allocation::peakBytes() - before);
    }
    reportMemory(state, peakExtra);
}
BENCHMARK_CAPTURE(BM_BurnIn, outline, RectangleStyle{Qt::red, 3, false, false}, QImage::Format_ARGB32_Premultiplied)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BurnIn, filled, RectangleStyle{Qt::red, 3, true, false}, QImage::Format_ARGB32_Premultiplied)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BurnIn, blur, RectangleStyle{Qt::red, 3, false, true}, QImage::Format_ARGB32_Premultiplied)
    ->Unit(benchmark::kMillisecond);
// A freshly pasted screenshot arrives without alpha; its first burn-in converts it.
BENCHMARK_CAPTURE(BM_BurnIn, outline_from_rgb32, RectangleStyle{Qt::red, 3, false, false}, QImage::Format_RGB32)
    ->Unit(benchmark::kMillisecond);

// The baseline for a repaint: one smooth drawImage of the image into the canvas.
void BM_PlainSmoothDrawImage(benchmark::State &state)
{
    const QImage &source = screenshot();
    QImage target(1536, 864, QImage::Format_ARGB32_Premultiplied);
    const QRectF fitted(0, 0, 1536, 864);
    for (auto _ : state) {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(fitted, source);
    }
}
BENCHMARK(BM_PlainSmoothDrawImage)->Unit(benchmark::kMillisecond);

// What each drag event costs: a full repaint with the selection overlay.
void BM_CanvasPaintWithSelection(benchmark::State &state)
{
    const bool imageChanged = state.range(0) != 0;
    CanvasView canvas;
    canvas.resize(1536, 864);
    canvas.setImage(screenshot());
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(&canvas, QPoint(900, 600));
    QImage target(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target);
    for (auto _ : state) {
        if (imageChanged) {
            state.PauseTiming();
            canvas.setImage(screenshot().copy(0, 0, screenWidth, screenHeight));
            canvas.setSelectionRect(QRectF(1000, 700, 1500, 900));
            state.ResumeTiming();
        }
        canvas.render(&target);
    }
}
// 0: a drag over the same image; 1: the first repaint after the image changed.
BENCHMARK(BM_CanvasPaintWithSelection)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
