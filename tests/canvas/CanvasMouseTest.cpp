#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "canvas/CanvasView.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A canvas of 800 x 600 points showing a 200 x 150 image at 4 points per
// pixel, with every callback written down in order.
class CanvasMouseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        canvas.resize(800, 600);
        canvas.setImage(solidImage(200, 150, Qt::darkGray));
        canvas.onSelectionChanged = [this](const QRectF &r) { calls.push_back("selection " + console::formatRect(r)); };
        canvas.onModeChanged = [this](DrawMode mode) {
            calls.push_back(mode == DrawMode::rectangle ? "mode rectangle" : "mode selection");
        };
        canvas.saveStateForUndo = [this] { calls.push_back("save"); };
    }

    // The widget point over image pixel (px, py), y up from the bottom.
    static QPoint at(double px, double py) { return QPoint(int(px * 4), int(600 - py * 4)); }

    void press(QPoint point, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {})
    {
        QTest::mousePress(&canvas, button, keys, point);
    }
    void move(QPoint point) { QTest::mouseMove(&canvas, point); }
    void release(QPoint point, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(&canvas, button, {}, point);
    }
    void dragFrom(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {})
    {
        press(from, button, keys);
        move(to);
        release(to, button);
    }
    // A move as it arrives with nothing pressed, straight to the widget.
    void hover(QPoint point)
    {
        QMouseEvent event(QEvent::MouseMove, point, canvas.mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&canvas, &event);
    }

    CanvasView canvas;
    std::vector<std::string> calls;
    ConsoleCapture console;
};

using Calls = std::vector<std::string>;

} // namespace

TEST_F(CanvasMouseTest, LeftDragSelectsInPixelSpaceAndLogsTheReleasedSelection)
{
    calls.clear();
    press(at(12, 30.5));
    EXPECT_EQ(calls, Calls{"selection (12.0, 30.5, 0.0, 0.0)"});
    EXPECT_TRUE(canvas.isDragging());
    move(at(50, 60));
    move(at(112, 110.75));
    release(at(112, 110.75));

    EXPECT_EQ(calls, (Calls{"selection (12.0, 30.5, 0.0, 0.0)", "selection (12.0, 30.5, 38.0, 29.5)",
                            "selection (12.0, 30.5, 100.0, 80.25)"}));
    EXPECT_EQ(console.lines(), Calls{"✅ Selection (pixels): (12.0, 30.5, 100.0, 80.25)"});
    EXPECT_EQ(canvas.selectionRect(), QRectF(12, 30.5, 100, 80.25));
    EXPECT_EQ(canvas.drawMode(), DrawMode::selection);
    EXPECT_FALSE(canvas.isDragging());
}

TEST_F(CanvasMouseTest, SelectionIsNormalisedWhicheverWayTheDragGoes)
{
    const QRectF expected(20, 30, 60, 40);
    const std::pair<QPoint, QPoint> drags[] = {
        {at(20, 30), at(80, 70)},
        {at(80, 70), at(20, 30)},
        {at(20, 70), at(80, 30)},
        {at(80, 30), at(20, 70)},
    };
    for (const auto &[from, to] : drags) {
        dragFrom(from, to);
        EXPECT_EQ(canvas.selectionRect(), expected);
    }
}

TEST_F(CanvasMouseTest, DragsAreClippedToTheImage)
{
    // 100 x 50 pixels in 400 x 400 points: 4 points a pixel, margins above and below.
    canvas.resize(400, 400);
    canvas.setImage(solidImage(100, 50, Qt::darkGray));
    dragFrom(QPoint(200, 200), QPoint(1000, -500)); // out past the right and the top
    EXPECT_EQ(canvas.selectionRect(), QRectF(50, 25, 50, 25));

    dragFrom(QPoint(-40, 390), QPoint(40, 250)); // from the lower margin and beyond the left
    EXPECT_EQ(canvas.selectionRect(), QRectF(0, 0, 10, 12.5));
}

TEST_F(CanvasMouseTest, ClickWithoutMovingLeavesAZeroSelectionAtThePoint)
{
    calls.clear();
    press(at(25, 25));
    release(at(25, 25));
    EXPECT_EQ(calls, Calls{"selection (25.0, 25.0, 0.0, 0.0)"});
    EXPECT_EQ(console.lines(), Calls{"✅ Selection (pixels): (25.0, 25.0, 0.0, 0.0)"});
}

TEST_F(CanvasMouseTest, CallbacksComeInTheirFixedOrderForEachAction)
{
    calls.clear();
    press(at(10, 10), Qt::RightButton); // right press after selection mode
    EXPECT_EQ(calls, (Calls{"save", "mode rectangle"}));
    EXPECT_EQ(canvas.selectionRect(), QRectF()); // kept as it was

    calls.clear();
    move(at(30, 40)); // each drag event
    EXPECT_EQ(calls, Calls{"selection (10.0, 10.0, 20.0, 30.0)"});

    calls.clear();
    console.clear();
    release(at(30, 40), Qt::RightButton); // release with a box: burn-in
    EXPECT_EQ(calls, (Calls{"save", "selection (0.0, 0.0, 0.0, 0.0)"}));
    EXPECT_EQ(console.lines(),
              (Calls{"🎨 Drawing ON image: rect=(10.0, 10.0, 20.0, 30.0)", "✅ Rectangle drawn on image!"}));

    calls.clear();
    console.clear();
    press(at(50, 50), Qt::RightButton); // right press, mode unchanged
    release(at(50, 50), Qt::RightButton); // release with an empty box
    EXPECT_EQ(calls, Calls{});
    EXPECT_EQ(console.lines(), Calls{"✅ Selection (pixels): (0.0, 0.0, 0.0, 0.0)"});

    calls.clear();
    press(at(5, 6)); // left press after rectangle mode
    EXPECT_EQ(calls, (Calls{"save", "mode selection", "selection (5.0, 6.0, 0.0, 0.0)"}));
    release(at(5, 6));

    calls.clear();
    press(at(5, 6), Qt::LeftButton, Qt::ControlModifier); // Control-left press after selection mode
    EXPECT_EQ(calls, (Calls{"save", "mode rectangle"}));
    EXPECT_EQ(canvas.drawMode(), DrawMode::rectangle);
}

TEST_F(CanvasMouseTest, TheModeIsChosenOnlyAtThePress)
{
    press(at(10, 10));
    QMouseEvent controlMove(QEvent::MouseMove, at(40, 40), canvas.mapToGlobal(at(40, 40)), Qt::NoButton,
                            Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(&canvas, &controlMove);
    QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::ControlModifier, at(40, 40));
    EXPECT_EQ(canvas.drawMode(), DrawMode::selection);
    EXPECT_EQ(canvas.selectionRect(), QRectF(10, 10, 30, 30));
    EXPECT_EQ(canvas.currentImage().pixelColor(40, 110), QColor(Qt::darkGray)); // nothing burned
}

TEST_F(CanvasMouseTest, RightClickAfterASelectionBurnsTheSelectedRegion)
{
    dragFrom(at(20, 30), at(80, 70));
    calls.clear();
    console.clear();
    press(at(50, 50), Qt::RightButton);
    release(at(50, 50), Qt::RightButton);

    EXPECT_EQ(calls, (Calls{"save", "mode rectangle", "save", "selection (0.0, 0.0, 0.0, 0.0)"}));
    EXPECT_EQ(console.lines(),
              (Calls{"🎨 Drawing ON image: rect=(20.0, 30.0, 60.0, 40.0)", "✅ Rectangle drawn on image!"}));
    // The red outline runs along the selection's left edge: column 20, rows 150-70 to 150-30.
    const QImage &image = canvas.currentImage();
    EXPECT_TRUE(colorNear(image.pixelColor(20, 100), QColor(Qt::red)));
    EXPECT_TRUE(colorNear(image.pixelColor(50, 100), QColor(Qt::darkGray), 0));
}

TEST_F(CanvasMouseTest, MovesWithoutAPressAndOtherButtonsChangeNothing)
{
    dragFrom(at(20, 30), at(80, 70));
    calls.clear();
    console.clear();
    hover(at(90, 90));
    press(at(10, 10), Qt::MiddleButton);
    move(at(100, 100));
    release(at(100, 100), Qt::MiddleButton);
    EXPECT_EQ(calls, Calls{});
    EXPECT_EQ(console.lines(), Calls{});
    EXPECT_EQ(canvas.selectionRect(), QRectF(20, 30, 60, 40));
    EXPECT_FALSE(canvas.isDragging());
}

TEST_F(CanvasMouseTest, AnEmptyCanvasSelectsNothingAndBurnsNothing)
{
    CanvasView empty;
    empty.resize(400, 300);
    ConsoleCapture lines;
    QTest::mousePress(&empty, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(&empty, QPoint(300, 200));
    QTest::mouseRelease(&empty, Qt::RightButton, {}, QPoint(300, 200));
    EXPECT_EQ(empty.selectionRect(), QRectF());
    EXPECT_EQ(lines.lines(), Calls{"✅ Selection (pixels): (0.0, 0.0, 0.0, 0.0)"});
}
