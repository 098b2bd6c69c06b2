#include "AllocationCounter.h"
#include "Screenshot.h"
#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "core/pixels/BurnIn.h"
#include "core/pixels/GaussianBlur.h"
#include "core/tools/Tools.h"
#include "ui/CanvasView.h"

#include <QPainter>
#include <QTest>
#include <QWheelEvent>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

namespace pintora {

// A 5K screenshot and a 400 x 300 rectangle, the size of a typical redaction.
namespace {

constexpr int screenWidth = 5120;
constexpr int screenHeight = 2880;
const QRectF box(2000, 1200, 400, 300);

const QImage &screenshot()
{
    static const QImage image
        = makeScreenshot(screenWidth, screenHeight).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image;
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

// A document that owns its pixels already: the first edit of an image still
// shared with the clipboard intake takes one copy, which is not measured here.
void ownImage(EditorDocument &document)
{
    document.setImage(screenshot().copy());
}

// One burn-in of a 400 x 300 box, with its undo step.
void BM_BurnIn(benchmark::State &state, RectangleStyle style)
{
    EditorDocument document;
    ownImage(document);
    for (auto _ : state) {
        document.drawRectangleOnImage(box, style);
        state.PauseTiming();
        document.performUndo(); // keeps the history from growing
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_BurnIn, outline, RectangleStyle{Qt::red, 3, false, false})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BurnIn, filled, RectangleStyle{Qt::red, 3, true, false})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BurnIn, blur, RectangleStyle{Qt::red, 3, false, true})->Unit(benchmark::kMillisecond);

// A blur burn-in of a box of range(0) x range(1) pixels (the whole image
// for 0 x 0), with its deviation and the memory it takes at its peak.
void BM_BlurBurnIn(benchmark::State &state)
{
    EditorDocument document;
    ownImage(document);
    const QRectF whole(0, 0, screenWidth, screenHeight);
    const QRectF rect = state.range(0) ? QRectF(1000, 800, double(state.range(0)), double(state.range(1))) : whole;
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = allocation::bytesInUse();
        allocation::resetPeak();
        document.drawRectangleOnImage(rect, RectangleStyle{Qt::red, 3, false, true});
        peak = std::max(peak, allocation::peakBytes() - before);
        state.PauseTiming();
        document.performUndo();
        state.ResumeTiming();
    }
    const double area = rect.width() * rect.height();
    state.counters["sigma"] = blurSigmaFor(rect.size());
    // Of these, 4 are the pixels undo keeps; the rest is the blur's work.
    state.counters["peak_bytes_per_pixel"] = double(peak) / area;
}
BENCHMARK(BM_BlurBurnIn)->Args({400, 300})->Args({1500, 1000})->Args({0, 0})->Unit(benchmark::kMillisecond);

// Undo and redo of one such burn-in: half the time is one step.
void BM_UndoRedo(benchmark::State &state)
{
    EditorDocument document;
    ownImage(document);
    document.drawRectangleOnImage(box, RectangleStyle{Qt::red, 3, true, false});
    for (auto _ : state) {
        document.performUndo();
        document.performRedo();
    }
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMillisecond);

// What the history holds after 200 burn-ins, against the boxes they touched:
// boxes drawn over each other, and blur boxes apart (boxes that touch are
// one region, blurred again whole with each box it takes in).
void BM_HistoryMemory(benchmark::State &state)
{
    double ratio = 0, resident = 0, perRectangle = 0;
    for (auto _ : state) {
        EditorDocument document;
        ownImage(document);
        const std::size_t before = allocation::bytesInUse(), residentBefore = allocation::residentBytes();
        double boxBytes = 0;
        for (int i = 0; i < 200; ++i) {
            const int blur = i % 3 == 2 ? i / 3 : -1;
            const QRectF at = blur < 0 ? QRectF(100 + (i * 173) % 4500, 100 + (i * 97) % 2400, 400, 300)
                                       : QRectF(100 + (blur % 9) * 560, 100 + (blur / 9) * 340, 400, 300);
            const RectangleStyle style{Qt::red, 3, i % 3 == 1, blur >= 0};
            document.drawRectangleOnImage(at, style);
            const QRect area
                = burnInArea(geometry::bitmapRectFromPixel(at, screenHeight), style, document.currentImage().size());
            boxBytes += double(area.width()) * area.height() * 4;
        }
        const double held = double(allocation::bytesInUse() - before);
        ratio = held / boxBytes;
        resident = double(allocation::residentBytes() - residentBefore) / boxBytes;
        perRectangle = held / 200 / 1024;
    }
    state.counters["history_vs_boxes"] = ratio;
    state.counters["resident_vs_boxes"] = resident;
    state.counters["KiB_per_rectangle"] = perRectangle;
}
BENCHMARK(BM_HistoryMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// What a repaint costs: 0, during a selection drag over the same image; 1,
// the first repaint after a burn-in.
void BM_CanvasRepaint(benchmark::State &state)
{
    const bool afterBurnIn = state.range(0) != 0;
    EditorDocument document;
    ownImage(document);
    CanvasView canvas(document);
    canvas.resize(1536, 864);
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(&canvas, QPoint(900, 600));
    QImage target(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target);
    for (auto _ : state) {
        if (afterBurnIn) {
            state.PauseTiming();
            document.performUndo();
            canvas.render(&target);
            document.drawRectangleOnImage(box, RectangleStyle{Qt::red, 3, true, false});
            document.setSelectionRect(QRectF(1000, 700, 1500, 900));
            state.ResumeTiming();
        }
        canvas.render(&target);
    }
}
BENCHMARK(BM_CanvasRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every tool's mark over the 400 x 300 box: corner to corner, the freehand
// ones along 500 points of a hand's wave across it (three swings up and
// down), a marker and a text in it.
Mark toolMark()
{
    Mark mark;
    mark.rect = box;
    mark.from = box.bottomLeft();
    mark.to = box.topRight();
    for (int i = 0; i < 500; ++i)
        mark.path.append(QPointF(box.left() + box.width() * i / 499,
                                 box.center().y() + 120 * std::sin(6 * std::numbers::pi * i / 499)));
    mark.style = RectangleStyle{Qt::red, 3, false, false};
    mark.number = 12;
    mark.text = QStringLiteral("Step 12: press Save\nthen close the dialog");
    mark.textSize = 40;
    return mark;
}

// One burn-in by the tool of id range(0) (the registry's order), with its step.
void BM_ToolBurnIn(benchmark::State &state)
{
    const Tool &tool = *allTools()[std::size_t(state.range(0))];
    state.SetLabel(tool.id().toStdString());
    EditorDocument document;
    ownImage(document);
    const Mark mark = toolMark();
    for (auto _ : state) {
        document.drawMark(tool, mark);
        state.PauseTiming();
        document.performUndo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ToolBurnIn)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// Undo and redo of one such burn-in.
void BM_ToolUndoRedo(benchmark::State &state)
{
    const Tool &tool = *allTools()[std::size_t(state.range(0))];
    state.SetLabel(tool.id().toStdString());
    EditorDocument document;
    ownImage(document);
    document.drawMark(tool, toolMark());
    for (auto _ : state) {
        document.performUndo();
        document.performRedo();
    }
}
BENCHMARK(BM_ToolUndoRedo)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// A repaint during a drag with the tool of id range(0): against
// BM_CanvasRepaint/0, a selection drag's.
void BM_ToolPreviewRepaint(benchmark::State &state)
{
    const Tool &tool = *allTools()[std::size_t(state.range(0))];
    state.SetLabel(tool.id().toStdString());
    EditorDocument document;
    ownImage(document);
    document.chooseTool(tool);
    CanvasView canvas(document);
    canvas.resize(1536, 864);
    QTest::mousePress(&canvas, Qt::RightButton, {}, QPoint(300, 200));
    for (int i = 0; i < 500; ++i)
        QTest::mouseMove(&canvas, QPoint(300 + i, 400 + int(150 * std::sin(6 * std::numbers::pi * i / 499))));
    QImage target(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target);
    for (auto _ : state)
        canvas.render(&target);
}
BENCHMARK(BM_ToolPreviewRepaint)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pintora

namespace pintora {
namespace {

// A repaint of a 16384 x 4096 image in a 1536 x 864 view at a zoom of
// range(0) / 16 device pixels an image pixel, scrolled to a third of the
// way across; against BM_FittedRepaint, a 1920 x 1080 image fitted.
void BM_ZoomedRepaint(benchmark::State &state)
{
    static const QImage wide = makeScreenshot(16384, 4096).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EditorDocument document;
    document.setImage(wide.copy());
    CanvasView canvas(document);
    canvas.resize(1536, 864);
    canvas.zoomToActualSize();
    const double factor = double(state.range(0)) / 16;
    canvas.zoomBy(0); // settles nothing, but keeps the form of the calls below
    while (canvas.zoomPercent() < factor * 100 - 1e-6)
        canvas.zoomBy(1);
    while (canvas.zoomPercent() > factor * 100 + 1e-6)
        canvas.zoomBy(-1);
    QWheelEvent scroll(QPointF(700, 400), QPointF(700, 400), {}, QPoint(-3000, 800), Qt::NoButton, {},
                       Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&canvas, &scroll);
    QImage target(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target);
    for (auto _ : state)
        canvas.render(&target);
    state.counters["percent"] = canvas.zoomPercent();
}
BENCHMARK(BM_ZoomedRepaint)->Arg(1)->Arg(4)->Arg(16)->Arg(128)->Arg(512)->Unit(benchmark::kMillisecond);

void BM_FittedRepaint(benchmark::State &state)
{
    EditorDocument document;
    document.setImage(makeScreenshot(1920, 1080).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    CanvasView canvas(document);
    canvas.resize(1536, 864);
    QImage target(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target);
    for (auto _ : state)
        canvas.render(&target);
}
BENCHMARK(BM_FittedRepaint)->Unit(benchmark::kMillisecond);

// A zoom step on the 5K screenshot, from the request to the repainted view:
// in and out about 100 % (range(0) 0), or about fitted (1). Against
// BM_CanvasRepaint/0, a repaint during a selection drag.
void BM_ZoomStep(benchmark::State &state)
{
    EditorDocument document;
    ownImage(document);
    CanvasView canvas(document);
    canvas.resize(1536, 864);
    if (state.range(0) == 0)
        canvas.zoomToActualSize();
    QImage target(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target);
    int direction = 1;
    for (auto _ : state) {
        canvas.zoomBy(direction);
        direction = -direction;
        canvas.render(&target);
    }
}
BENCHMARK(BM_ZoomStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pintora
