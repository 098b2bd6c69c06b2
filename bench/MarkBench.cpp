#include "AllocationCounter.h"
#include "Screenshot.h"
#include "core/document/EditorDocument.h"
#include "core/document/MarkBurner.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"
#include "ui/CanvasView.h"

#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cmath>
#include <utility>

// Marks once drawn, on a 5K screenshot with 30 of them: dragging a picked
// one, committing an edit, and what the marks and edits keep.
namespace pintora {
namespace {

constexpr int screenWidth = 5120;
constexpr int screenHeight = 2880;

const QImage &screenshot()
{
    static const QImage image
        = makeScreenshot(screenWidth, screenHeight).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image;
}

// A mark of `tool` the size people draw it, its top left at `at` (pixel
// space): boxes 400 x 300, arrows and lines 300 x 150, strokes across
// 600 x 200, a text of 20 letters, a blur over a 400 x 60 line of text.
Mark markOf(const Tool &tool, QPointF at, int number)
{
    Mark mark;
    const QSizeF size = &tool == &blurTool() ? QSizeF(400, 60) : QSizeF(400, 300);
    mark.rect = QRectF(at, size);
    mark.from = at;
    mark.to = at + QPointF(300, 150);
    for (int i = 0; i < 200; ++i)
        mark.path.append(at + QPointF(3 * i, 100 + 80 * std::sin(i / 20.0)));
    mark.style = RectangleStyle{Qt::red, 3, number % 4 == 0, false};
    mark.number = number;
    mark.text = QStringLiteral("Click Save, then OK");
    mark.textSize = 30;
    return mark;
}

// The screenshot with 30 marks, each tool in turn, one a cell of a 6 x 5
// grid; the first one a box alone in its cell.
void drawThirty(EditorDocument &document)
{
    document.setImage(screenshot().copy());
    for (int i = 0; i < 30; ++i) {
        const Tool &tool = *allTools()[std::size_t(i % 9)];
        const QPointF at(100 + (i % 6) * 840, 100 + (i / 6) * 560);
        document.drawMark(i == 0 ? boxTool() : tool, markOf(i == 0 ? boxTool() : tool, at, i + 1));
    }
}

// One frame of a drag on a 1536 x 864 canvas: the pointer moves, the canvas
// repaints. range(0): -1, a selection drag (the floor); else the picked
// mark of that tool (the registry's order) dragged.
void BM_DragFrame(benchmark::State &state)
{
    EditorDocument document;
    drawThirty(document);
    CanvasView canvas(document);
    canvas.resize(1536, 864);
    QImage target(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&target);
    const int tool = int(state.range(0));
    QPoint press(700, 420);
    if (tool >= 0) {
        state.SetLabel(allTools()[std::size_t(tool)]->id().toStdString());
        // The first mark of that tool below the top row, so that it shows
        // whole in the fitted view.
        int index = 6;
        while (index % 9 != tool)
            ++index;
        document.pick(index);
        const Mark mark = document.pickedMark();
        // A point of it that a press takes: along its line, or inside its
        // box or frame.
        const Grips grips = document.pickedTool()->grips();
        const QPointF on = grips == Grips::ends ? (mark.from + marks::endPoint(mark)) / 2
            : grips == Grips::rectangle         ? mark.rect.center()
                                                : mark.anchorBounds().center();
        const QSizeF bounds(canvas.size()), image(screenWidth, screenHeight);
        press = geometry::widgetRectFromView(geometry::pixelToView(QRectF(on, QSizeF()), bounds, image), 864)
                    .topLeft()
                    .toPoint();
        state.counters["grip"] = document.gripAt(canvas.canvasToPixel(QPointF(press.x(), 864 - press.y())), 5).kind;
    } else {
        state.SetLabel("selection");
    }
    QTest::mousePress(&canvas, Qt::LeftButton, {}, press);
    QTest::mouseMove(&canvas, press + QPoint(40, 30));
    canvas.render(&target);
    int step = 0;
    for (auto _ : state) {
        ++step;
        QTest::mouseMove(&canvas, press + QPoint(40 + step % 50, 30 + step % 37));
        canvas.render(&target);
    }
    state.counters["lifted"] = document.isMarkLifted();
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, press);
}
BENCHMARK(BM_DragFrame)->DenseRange(-1, 8)->Unit(benchmark::kMillisecond);

// Burning `marks`' marks over `region` afresh, each on a copy of its area:
// what a commit cannot do with less.
double floorMilliseconds(const MarkList &marks, const QRegion &region, const QImage &image)
{
    QElapsedTimer timer;
    timer.start();
    const HiddenAreas hidden = marks.hiddenAreas();
    for (int i = 0; i < marks.size(); ++i) {
        const PlacedMark &placed = marks.at(i);
        if (!region.intersects(placed.area))
            continue;
        if (placed.tool->replacesPixels()) {
            benchmark::DoNotOptimize(placed.tool->replacement(image, {}, marks.bitmapMark(i), placed.area, hidden));
        } else {
            QImage pixels = image.copy(placed.area);
            placed.tool->burn(pixels, marks.bitmapMark(i), placed.area);
            benchmark::DoNotOptimize(pixels);
        }
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

// Committing a move of a picked mark (the release of its drag), against
// burning afresh the marks it burns again. range(0): 0, a box alone in its
// cell; 1, a box under four marks drawn after it; 2, a blur box beside
// another one, blurred as one region.
void BM_CommitMove(benchmark::State &state)
{
    EditorDocument document;
    drawThirty(document);
    const int scenario = int(state.range(0));
    int index = 0;
    if (scenario == 1) {
        for (const Tool *tool : {&arrowTool(), &highlighterTool(), &textTool(), &stepTool()})
            document.drawMark(*tool, markOf(*tool, QPointF(150, 150), 40));
    } else if (scenario == 2) {
        document.drawMark(blurTool(), markOf(blurTool(), QPointF(1000, 2200), 0));
        document.drawMark(blurTool(), markOf(blurTool(), QPointF(1400, 2200), 0));
        index = document.marks().size() - 1;
    }
    const char *labels[] = {"alone", "under four", "blur beside blur"};
    state.SetLabel(labels[scenario]);
    document.pick(index);
    const QPointF grab = document.pickedMark().rect.center();
    double commit = 0, floor = 0;
    for (auto _ : state) {
        state.PauseTiming();
        document.grabMark(MarkGrip{MarkGrip::whole}, grab);
        document.dragMarkTo(grab + QPointF(30, 20));
        QElapsedTimer timer;
        timer.start();
        state.ResumeTiming();
        document.releaseMark();
        state.PauseTiming();
        commit += double(timer.nsecsElapsed()) / 1e6;
        const PlacedMark &moved = document.marks().at(index);
        const Mark before = moved.mark.translated(-QPointF(30, 20));
        const QRect old = moved.tool->area(before.inBitmap(screenHeight), QSize(screenWidth, screenHeight));
        burner::Change change{QRegion(old) + moved.area, {}};
        if (moved.tool->replacesPixels())
            change.boxes = change.pixels + document.marks().hiddenAreas().groupBounds(moved.area);
        floor += floorMilliseconds(document.marks(), burner::changedRegion(document.marks(), change),
                                   document.currentImage());
        document.performUndo();
        document.pick(index);
        state.ResumeTiming();
    }
    state.counters["commit_ms"] = commit / double(state.iterations());
    state.counters["floor_ms"] = floor / double(state.iterations());
    state.counters["ratio"] = commit / floor;
}
BENCHMARK(BM_CommitMove)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// What 30 marks keep, and then 30 moves of them, against the pixels they
// overwrite (4 bytes each): a mark its area, a move the area it leaves and
// the one it takes.
void BM_MarkMemory(benchmark::State &state)
{
    double marksRatio = 0, withBlock = 0, editsRatio = 0, resident = 0, residentEdits = 0;
    {
        // Qt's caches of glyphs and painting buffers, made at the first use
        // of each tool, are not the marks'.
        EditorDocument warmUp;
        drawThirty(warmUp);
    }
    for (auto _ : state) {
        EditorDocument document;
        QImage image = screenshot().copy();
        const std::size_t opening = allocation::bytesInUse(), residentOpening = allocation::residentBytes();
        document.setImage(std::exchange(image, QImage()));
        // The first block for marks comes with the image.
        const std::size_t before = allocation::bytesInUse();
        double overwritten = 0;
        for (int i = 0; i < 30; ++i) {
            const Tool &tool = *allTools()[std::size_t(i % 9)];
            document.drawMark(tool, markOf(tool, QPointF(100 + (i % 6) * 840, 100 + (i / 6) * 560), i + 1));
            const QRect area = document.marks().at(i).area;
            overwritten += 4.0 * area.width() * area.height();
        }
        const std::size_t marked = allocation::bytesInUse(), residentMarked = allocation::residentBytes();
        marksRatio = double(marked - before) / overwritten;
        withBlock = double(marked - opening) / overwritten;
        resident = double(residentMarked - residentOpening) / overwritten;
        double moved = 0;
        for (int i = 0; i < 30; ++i) {
            const QRect from = document.marks().at(i).area;
            document.pick(i);
            document.grabMark(MarkGrip{MarkGrip::whole}, document.pickedMark().anchorBounds().center());
            document.dragMarkTo(document.pickedMark().anchorBounds().center() + QPointF(25, 15));
            document.releaseMark();
            const QRect to = document.marks().at(i).area;
            moved += 4.0 * (from.width() * from.height() + to.width() * to.height());
        }
        editsRatio = double(allocation::bytesInUse() - marked) / moved;
        residentEdits = (double(allocation::residentBytes()) - double(residentMarked)) / moved;
    }
    state.counters["marks_vs_overwritten"] = marksRatio;
    state.counters["with_first_block"] = withBlock;
    state.counters["resident_marks"] = resident;
    state.counters["resident_moves"] = residentEdits;
    state.counters["moves_vs_overwritten"] = editsRatio;
}
BENCHMARK(BM_MarkMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace pintora
