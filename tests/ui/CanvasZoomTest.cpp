#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/document/EditorDocument.h"
#include "ui/CanvasView.h"

#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

namespace pintora {
namespace {

// Black and white columns a pixel wide: grey when averaged, sharp when not.
QImage columnStripes(int width, int height)
{
    QImage stripes(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            stripes.setPixel(x, y, x % 2 ? 0xffffffff : 0xff000000);
    return stripes;
}

// A 1600 x 1200 image on an 800 x 600 canvas: fitted at 50 %.
class CanvasZoom : public ::testing::Test
{
protected:
    CanvasZoom()
    {
        canvas.resize(800, 600);
        document.setImage(noiseImage(1600, 1200));
    }

    // The image pixel under a widget point.
    QPointF under(QPoint widget) { return canvas.canvasToPixel(QPointF(widget.x(), 600 - widget.y())); }
    void wheel(QPoint at, QPoint angle, Qt::KeyboardModifiers keys = {})
    {
        QWheelEvent event(at, canvas.mapToGlobal(at), {}, angle, Qt::NoButton, keys, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&canvas, &event);
    }
    bool scrollBarsShown()
    {
        return !canvas.scrollThumb(Qt::Horizontal).isEmpty() && !canvas.scrollThumb(Qt::Vertical).isEmpty();
    }

    ConsoleCapture quiet;
    EditorDocument document;
    CanvasView canvas{document};
};

TEST_F(CanvasZoom, StepsFitAndActualSize)
{
    using Act = std::function<void(CanvasView &)>;
    // clang-format off
    const struct {
        const char *what;
        Act act;
        double percent;
        bool scrollBars;
    } cases[] = {
        {"fitted", [](CanvasView &) {}, 50, false},
        {"a step in from fitted", [](CanvasView &c) { c.zoomBy(1); }, 200.0 / 3, true},
        {"two steps out", [](CanvasView &c) { c.zoomBy(-2); }, 100.0 / 4, false},
        {"100 %", [](CanvasView &c) { c.zoomToActualSize(); }, 100, true},
        {"100 % then fitted", [](CanvasView &c) { c.zoomToActualSize(); c.zoomToFit(); }, 50, false},
        {"no further than 3200 %", [](CanvasView &c) { c.zoomBy(40); }, 3200, true},
        {"no further than 6.25 %", [](CanvasView &c) { c.zoomBy(-40); }, 6.25, false},
    };
    // clang-format on
    for (const auto &c : cases) {
        canvas.zoomToFit();
        c.act(canvas);
        EXPECT_NEAR(canvas.zoomPercent(), c.percent, 1e-9) << c.what;
        EXPECT_EQ(scrollBarsShown(), c.scrollBars) << c.what;
    }
    // A new image of another size is fitted again.
    canvas.zoomToActualSize();
    document.setImage(noiseImage(400, 300));
    EXPECT_TRUE(canvas.zoom().isFitted());
}

TEST_F(CanvasZoom, ControlWheelZoomsAboutThePointerAndTheWheelAndPansScroll)
{
    const QPoint pointer(200, 150);
    const QPointF before = under(pointer);
    wheel(pointer, {0, 120}, Qt::ControlModifier);
    EXPECT_NEAR(canvas.zoomPercent(), 200.0 / 3, 1e-9);
    EXPECT_NEAR(under(pointer).x(), before.x(), 1.5);
    EXPECT_NEAR(under(pointer).y(), before.y(), 1.5);

    canvas.zoomToFit();
    canvas.zoomToActualSize();
    const QPoint middle(400, 300);
    const QPointF centre = under(middle);
    EXPECT_EQ(centre, QPointF(800, 600));
    wheel(middle, {0, -120}); // towards the user: what is below comes up
    EXPECT_EQ(under(middle), centre - QPointF(0, 60));
    wheel(middle, {0, -120}, Qt::ShiftModifier); // sideways
    EXPECT_EQ(under(middle), centre - QPointF(-60, 60));

    // The middle button drags the image along.
    const QPointF grabbed = under(middle);
    QTest::mousePress(&canvas, Qt::MiddleButton, {}, middle);
    QTest::mouseMove(&canvas, QPoint(300, 250));
    QTest::mouseRelease(&canvas, Qt::MiddleButton, {}, QPoint(300, 250));
    EXPECT_EQ(under(QPoint(300, 250)), grabbed);
    // So does the left one with Space held, and it selects nothing.
    QTest::keyPress(&canvas, Qt::Key_Space);
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(300, 250));
    QTest::mouseMove(&canvas, QPoint(350, 250));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(350, 250));
    QTest::keyRelease(&canvas, Qt::Key_Space);
    EXPECT_EQ(under(QPoint(350, 250)), grabbed);
    EXPECT_FALSE(geometry::hasArea(document.selectionRect()));
    // Space let go while the canvas had no focus does not leave it panning.
    QTest::keyPress(&canvas, Qt::Key_Space);
    QFocusEvent away(QEvent::FocusOut);
    QCoreApplication::sendEvent(&canvas, &away);
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(300, 250));
    QTest::mouseMove(&canvas, QPoint(350, 300));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(350, 300));
    EXPECT_TRUE(geometry::hasArea(document.selectionRect()));
    document.setSelectionRect({});

    // Dragging a scroll bar's thumb scrolls the other way, by as much more
    // as the image is longer than the view: 1600 points in 800.
    const QRectF thumb = canvas.scrollThumb(Qt::Horizontal);
    ASSERT_NEAR(thumb.width(), 400, 1e-9);
    const QPointF scrolled = under(middle);
    QTest::mousePress(&canvas, Qt::LeftButton, {}, thumb.center().toPoint());
    QTest::mouseMove(&canvas, thumb.center().toPoint() + QPoint(40, 0));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, thumb.center().toPoint() + QPoint(40, 0));
    EXPECT_EQ(under(middle), scrolled + QPointF(80, 0));
    EXPECT_FALSE(geometry::hasArea(document.selectionRect()));

    // Fitted, there is nothing to scroll.
    canvas.zoomToFit();
    const QPointF fitted = under(middle);
    wheel(middle, {0, -120});
    EXPECT_EQ(under(middle), fitted);
}

// Shrunk to half, a point is two pixels: a drag from the canvas's first
// point to its last takes the whole image, and corners are whole pixels.
TEST_F(CanvasZoom, ADragReachingTheEdgesTakesTheWholeImage)
{
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(0, 599));
    QTest::mouseMove(&canvas, QPoint(799, 0));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(799, 0));
    EXPECT_EQ(document.selectionRect(), QRectF(0, 0, 1600, 1200));
    document.setSelectionRect({}); // a press on it would take its handle
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(10, 590));
    QTest::mouseMove(&canvas, QPoint(401, 300));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(401, 300));
    EXPECT_EQ(document.selectionRect(), QRectF(20, 20, 782, 580));
}

// A zoom step on a large image is drawn at once from the pixels at the
// display pixels' centres, then averaged exactly once the view rests.
TEST_F(CanvasZoom, AZoomStepIsDraftedThenAveraged)
{
    const QImage lines = columnStripes(5120, 2880);
    document.setImage(lines);
    const auto shade = [this] { return qGray(canvas.grab().toImage().pixel(400, 300)); };
    // Averaged: 6.4 columns a display pixel, some more black than white.
    EXPECT_NEAR(shade(), 128, 20); // a new image is averaged at once
    canvas.zoomBy(-1);
    const int drafted = shade();
    EXPECT_TRUE(drafted == 0 || drafted == 255) << drafted;
    QTest::qWait(300);
    EXPECT_NEAR(shade(), 128, 20);
    // A step that reads few pixels is averaged at once.
    canvas.zoomToFit();
    document.setImage(lines.copy(0, 0, 1600, 1200));
    canvas.zoomBy(-1);
    EXPECT_NEAR(shade(), 128, 20);
}

// A giant image's first paint is drafted too, then averaged a band of rows
// at a time, the event loop free between bands; the end is the same as
// averaging at once.
TEST_F(CanvasZoom, AGiantImageIsShownAtOnceThenAveragedBandByBand)
{
    const QImage giant = columnStripes(7000, 5250);
    const auto shades = [this] {
        const QImage shown = canvas.grab().toImage();
        return std::vector<int>{qGray(shown.pixel(400, 80)), qGray(shown.pixel(400, 300)),
                                qGray(shown.pixel(400, 520))};
    };
    document.setImage(giant);
    for (const int drafted : shades())
        EXPECT_TRUE(drafted == 0 || drafted == 255) << drafted;
    // Bands refined in turn: between two of them the top is exact, not yet the bottom.
    QTest::qWait(120);
    bool between = false;
    for (int turn = 0; turn < 200 && !between; ++turn) {
        const std::vector<int> now = shades();
        between = std::abs(now[0] - 128) < 30 && (now[2] == 0 || now[2] == 255);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    EXPECT_TRUE(between);
    EXPECT_TRUE(eventually([&] {
        const std::vector<int> now = shades();
        return std::all_of(now.begin(), now.end(), [](int shade) { return std::abs(shade - 128) < 30; });
    }));
}

// Zoomed in, each image pixel is a sharp square of the zoom's size.
TEST_F(CanvasZoom, ZoomedInPixelsAreSharpSquares)
{
    document.setImage(columnStripes(1600, 1200));
    canvas.zoomToActualSize();
    for (int i = 0; i < 3; ++i)
        canvas.zoomBy(1); // 150, 200, 300 %
    ASSERT_NEAR(canvas.zoomPercent(), 300, 1e-9);
    const QImage shown = canvas.grab().toImage();
    // Runs of black and white, 3 points each (the first cut by the edge), no grey between.
    std::vector<int> runs{1};
    for (int x = 1; x < 300; ++x) {
        const QRgb pixel = shown.pixel(x, 300);
        ASSERT_TRUE(pixel == 0xffffffff || pixel == 0xff000000) << x;
        if (pixel == shown.pixel(x - 1, 300))
            ++runs.back();
        else
            runs.push_back(1);
    }
    runs.pop_back(); // cut by the end of the scan
    for (std::size_t i = 1; i < runs.size(); ++i)
        EXPECT_EQ(runs[i], 3) << "run " << i;
}

} // namespace
} // namespace pintora
