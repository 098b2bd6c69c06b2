#include "ImageTestSupport.h"
#include "core/document/EditorDocument.h"
#include "core/tools/Tools.h"
#include "ui/CanvasView.h"
#include "ui/Loupe.h"
#include "ui/Theme.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace pintora {
namespace {

const QColor grey(128, 128, 128);
const QColor blue(0, 0, 255);
const QColor black(Qt::black);
const QColor dimmed = over(Qt::black, 0.5, grey);

QImage paint(CanvasView &canvas)
{
    return canvas.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels brighter than mid-grey.
QRect brightBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// The message's place on the black canvas is shown end to end; here, its wrapping.
TEST(CanvasPaint, WithoutAnImageTheMessageWrapsAt80Percent)
{
    EditorDocument document;
    CanvasView canvas{document};
    canvas.resize(800, 600);
    const QRect text = brightBox(paint(canvas));
    canvas.resize(200, 600);
    const QRect wrapped = brightBox(paint(canvas));
    EXPECT_LE(wrapped.width(), 160);
    EXPECT_GT(wrapped.height(), text.height());
    EXPECT_NEAR(wrapped.center().x(), 100, 4);
}

// Widget pixels of a canvas after some mouse work, in a table. Grey images
// are 100 x 75 pixels on a 400 x 300 canvas (4 points a pixel), blue ones on
// 200 x 150 (2 points a pixel).
TEST(CanvasPaint, ImageOverlaysAndPreviewsShowWhereAndHowTheyShould)
{
    using Act = std::function<void(EditorDocument &, CanvasView &)>;
    // Pixels (25, 20, 50, 30): grey canvas x 100 to 300, y 100 to 220.
    const Act select = [](auto &, auto &c) {
        QTest::mousePress(&c, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(&c, QPoint(300, 220));
        QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(300, 220));
    };
    const Act selecting = [](auto &, auto &c) {
        QTest::mousePress(&c, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(&c, QPoint(300, 220));
    };
    const Act click = [](auto &, auto &c) { QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(100, 100)); };
    // Pixels (25, 20, 50, 30): blue canvas x 50 to 150, y 50 to 110; kept pressed.
    const Act drawing = [](auto &, auto &c) {
        QTest::mousePress(&c, Qt::RightButton, {}, QPoint(50, 110));
        QTest::mouseMove(&c, QPoint(150, 50));
    };
    const Act drawn = [drawing](auto &d, auto &c) {
        drawing(d, c);
        QTest::mouseRelease(&c, Qt::RightButton, {}, QPoint(150, 50));
    };
    const Act fillDrawing = [drawing](auto &d, auto &c) {
        d.chooseFill(true, false);
        drawing(d, c);
    };
    const Act blurDrawing = [drawing](auto &d, auto &c) {
        d.chooseBlur();
        d.chooseFill(true, false);
        drawing(d, c);
    };
    // A highlight 3 · 6 pixels = 36 points wide along y 80, multiplied in.
    const Act highlighting = [](auto &d, auto &c) {
        d.chooseTool(highlighterTool());
        QTest::mousePress(&c, Qt::RightButton, {}, QPoint(30, 80));
        for (int x = 40; x <= 170; x += 10)
            QTest::mouseMove(&c, QPoint(x, 80));
    };
    const QColor halo = over(Qt::white, 0.5, blue);
    const QColor blurBody = over(grey, 0.6, blue);

    // clang-format off
    const struct {
        const char *name;
        QImage image;
        QSize canvas;
        Act act;
        QPoint at;
        QColor expected;
        int tolerance;
    } cases[] = {
        // Over the checkerboard's squares of 8: (200, 150) is in a dark one (102 grey), (208, 150) a light one.
        {"translucent over a dark square", solidImage(100, 75, QColor(255, 0, 0, 128), QImage::Format_ARGB32),
         {400, 300}, {}, {200, 150}, QColor(179, 51, 51), 1},
        {"translucent over a light square", solidImage(100, 75, QColor(255, 0, 0, 128), QImage::Format_ARGB32),
         {400, 300}, {}, {208, 150}, QColor(204, 76, 76), 1},
        {"margin above", solidImage(100, 75, grey), {400, 400}, {}, {200, 40}, black, 0},
        {"image below it", solidImage(100, 75, grey), {400, 400}, {}, {200, 60}, grey, 0},
        {"margin below", solidImage(100, 75, grey), {400, 400}, {}, {200, 360}, black, 0},
        {"dimmed outside", solidImage(100, 75, grey), {400, 300}, select, {20, 20}, dimmed, 1},
        {"inside as painted", solidImage(100, 75, grey), {400, 300}, select, {200, 160}, grey, 0},
        {"white edge, 2 wide", solidImage(100, 75, grey), {400, 300}, select, {99, 130}, Qt::white, 0},
        {"white edge, inner half", solidImage(100, 75, grey), {400, 300}, select, {100, 130}, Qt::white, 0},
        {"white edge ends", solidImage(100, 75, grey), {400, 300}, select, {97, 130}, dimmed, 1},
        // Handles, 7 points square, on the corners and the middles of the sides.
        {"a handle at a side's middle", solidImage(100, 75, grey), {400, 300}, select, {98, 157}, Qt::white, 0},
        {"a handle on a corner", solidImage(100, 75, grey), {400, 300}, select, {302, 218}, Qt::white, 0},
        {"no handles while dragging", solidImage(100, 75, grey), {400, 300}, selecting, {98, 157},
         over(accentColor(), 0.5, over(Qt::white, 0.5, dimmed)), 3},
        {"dragging: white 3 under blue 6", solidImage(100, 75, grey), {400, 300}, selecting, {99, 160},
         over(accentColor(), 0.5, Qt::white), 1},
        {"dragging: white half over the edge pixel", solidImage(100, 75, grey), {400, 300}, selecting, {101, 160},
         over(accentColor(), 0.5, over(Qt::white, 0.5, grey)), 3},
        {"dragging: blue outside", solidImage(100, 75, grey), {400, 300}, selecting, {97, 160},
         over(accentColor(), 0.5, dimmed), 1},
        {"dragging: blue inside", solidImage(100, 75, grey), {400, 300}, selecting, {102, 160},
         over(accentColor(), 0.5, grey), 1},
        {"dragging: blue ends", solidImage(100, 75, grey), {400, 300}, selecting, {104, 160}, grey, 0},
        {"zero-size selection: no overlay", solidImage(100, 75, grey), {400, 300}, click, {20, 20}, grey, 0},
        // Widths scale with the display: the red line 3 pixels = 6 points
        // (47 to 53), the white halo 10 points (45 to 55) on top.
        {"preview line under halo", solidImage(100, 75, blue), {200, 150}, drawing, {48, 80},
         over(Qt::white, 0.5, Qt::red), 1},
        {"preview halo", solidImage(100, 75, blue), {200, 150}, drawing, {54, 80}, halo, 1},
        {"preview not filled", solidImage(100, 75, blue), {200, 150}, drawing, {56, 80}, blue, 0},
        {"burned in after release", solidImage(100, 75, blue), {200, 150}, drawn, {50, 80}, Qt::red, 1},
        {"no preview after release", solidImage(100, 75, blue), {200, 150}, drawn, {42, 80}, blue, 0},
        {"filled preview tints", solidImage(100, 75, blue), {200, 150}, fillDrawing, {100, 80},
         over(Qt::red, 0.3, blue), 1},
        {"blur preview body, whatever the fill", solidImage(100, 75, blue), {200, 150}, blurDrawing, {100, 80},
         blurBody, 2},
        {"blur preview border 3·s", solidImage(100, 75, blue), {200, 150}, blurDrawing, {50, 80},
         over(Qt::white, 0.8, blurBody), 2},
        // Dashed inner border inset 5·s, 2·s wide: 16 on, 8 off from the corner.
        {"blur preview dash", solidImage(100, 75, blue), {200, 150}, blurDrawing, {64, 60},
         over(Qt::white, 0.5, blurBody), 2},
        {"blur preview gap", solidImage(100, 75, blue), {200, 150}, blurDrawing, {80, 60}, blurBody, 2},
        {"highlight preview multiplies red into blue", solidImage(100, 75, blue), {200, 150}, highlighting,
         {100, 95}, QColor(0, 0, 102), 2},
        {"highlight preview keeps black", solidImage(100, 75, black), {200, 150}, highlighting, {100, 80}, black, 0},
        {"highlight preview ends at its width", solidImage(100, 75, blue), {200, 150}, highlighting, {100, 100},
         blue, 0},
    };
    // clang-format on
    for (const auto &c : cases) {
        EditorDocument document;
        CanvasView canvas{document};
        canvas.resize(c.canvas);
        document.setImage(c.image);
        if (c.act)
            c.act(document, canvas);
        EXPECT_TRUE(colorNear(paint(canvas).pixelColor(c.at), c.expected, c.tolerance)) << c.name;
    }
}

// While dragging, a loupe by the pointer shows the pixels under it at 8
// times, the one under the pointer in its middle; it stays on the canvas.
TEST(CanvasPaint, ALoupeMagnifiesThePixelsUnderTheDraggingPointer)
{
    QImage image = solidImage(100, 75, grey);
    image.setPixelColor(50, 30, Qt::red); // bitmap space
    image.setPixelColor(51, 30, blue);
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        EditorDocument document;
        CanvasView canvas{document};
        canvas.resize(400, 300);
        document.setImage(image);
        const QPoint pointer(50 * 4 + 1, 30 * 4 + 1); // inside pixel (50, 30), near its top left
        QTest::mousePress(&canvas, button, {}, QPoint(20, 20));
        QTest::mouseMove(&canvas, pointer);
        const QImage shown = paint(canvas);
        const QRectF place = Loupe::placeFor(pointer, canvas.rect());
        const QPoint middle = (place.topLeft() + QPointF(7 * 8 + 4, 7 * 8 + 4)).toPoint();
        EXPECT_TRUE(colorNear(shown.pixelColor(middle), Qt::red, 0)) << button;
        EXPECT_TRUE(colorNear(shown.pixelColor(middle + QPoint(8, 0)), blue, 0)) << button;
        EXPECT_TRUE(colorNear(shown.pixelColor(middle + QPoint(0, 16)), grey, 0)) << button;
        // Where it is, counted from the bottom: the pixel a mark starts in,
        // or the corner nearest the pointer a selection takes.
        EXPECT_EQ(canvas.loupeLabel(), button == Qt::RightButton ? QStringLiteral("50, 44") : QStringLiteral("50, 45"))
            << button;
        QTest::mouseRelease(&canvas, button, {}, pointer);
        EXPECT_FALSE(colorNear(paint(canvas).pixelColor(middle), Qt::red, 40)) << "gone after the release";
    }
    // Below right of the pointer, or the other side where the canvas ends.
    EXPECT_EQ(Loupe::placeFor({100, 100}, QRectF(0, 0, 800, 600)).topLeft(), QPointF(124, 124));
    EXPECT_EQ(Loupe::placeFor({790, 590}, QRectF(0, 0, 800, 600)).bottomRight(), QPointF(766, 566 - 20));
}

} // namespace
} // namespace pintora
