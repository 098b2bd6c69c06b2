#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/EditorDocument.h"
#include "ui/CanvasView.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace pintora {

namespace {

// A canvas of 800 x 600 points showing a 200 x 150 image at 4 points per
// pixel, with every callback written down in order.
class CanvasMouseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        canvas.resize(800, 600);
        document.setImage(solidImage(200, 150, Qt::darkGray));
        QObject::connect(&document, &EditorDocument::selectionChanged,
                         [this](const QRectF &r) { calls.push_back("selection " + console::formatRect(r)); });
        QObject::connect(&document, &EditorDocument::drawModeChanged, [this](DrawMode mode) {
            calls.push_back(mode == DrawMode::rectangle ? "mode rectangle" : "mode selection");
        });
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

    EditorDocument document;
    CanvasView canvas{document};
    std::vector<std::string> calls;
    // Snapshots show as their console line, in order with the signals.
    ConsoleCapture console{[this](std::string_view line) {
        calls.push_back(line.starts_with("💾") ? "save" : std::string(line));
    }};
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
                            "selection (12.0, 30.5, 100.0, 80.25)",
                            "✅ Selection (pixels): (12.0, 30.5, 100.0, 80.25)"}));
    EXPECT_EQ(document.drawMode(), DrawMode::selection);
    EXPECT_FALSE(canvas.isDragging());
}

TEST_F(CanvasMouseTest, DragsAreNormalisedAndClippedToTheImage)
{
    const struct {
        QPoint from, to;
        QRectF selection;
    } drags[] = {
        {at(20, 30), at(80, 70), {20, 30, 60, 40}},
        {at(80, 70), at(20, 30), {20, 30, 60, 40}},
        {at(20, 70), at(80, 30), {20, 30, 60, 40}},
        {at(80, 30), at(20, 70), {20, 30, 60, 40}},
        {at(100, 100), QPoint(1000, -500), {100, 100, 100, 50}}, // out past the right and the top
        {QPoint(-40, 650), at(10, 12.5), {0, 0, 10, 12.5}},      // from below and beyond the left
    };
    for (const auto &d : drags) {
        dragFrom(d.from, d.to);
        EXPECT_EQ(document.selectionRect(), d.selection);
    }
}

TEST_F(CanvasMouseTest, TheModeIsChosenOnlyAtThePress)
{
    press(at(10, 10));
    QMouseEvent controlMove(QEvent::MouseMove, at(40, 40), canvas.mapToGlobal(at(40, 40)), Qt::NoButton,
                            Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(&canvas, &controlMove);
    QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::ControlModifier, at(40, 40));
    EXPECT_EQ(document.drawMode(), DrawMode::selection);
    EXPECT_EQ(document.selectionRect(), QRectF(10, 10, 30, 30));
    EXPECT_EQ(document.currentImage().pixelColor(40, 110), QColor(Qt::darkGray)); // nothing burned
}

TEST_F(CanvasMouseTest, RightClickAfterASelectionBurnsTheSelectedRegion)
{
    dragFrom(at(20, 30), at(80, 70));
    calls.clear();
    press(at(50, 50), Qt::RightButton);
    release(at(50, 50), Qt::RightButton);

    EXPECT_EQ(calls, (Calls{"save", "mode rectangle", "save", "🎨 Drawing ON image: rect=(20.0, 30.0, 60.0, 40.0)",
                            "✅ Rectangle drawn on image!", "selection (0.0, 0.0, 0.0, 0.0)"}));
    // The red outline runs along the selection's left edge: column 20, rows 150-70 to 150-30.
    const QImage &image = document.currentImage();
    EXPECT_TRUE(colorNear(image.pixelColor(20, 100), QColor(Qt::red)));
    EXPECT_TRUE(colorNear(image.pixelColor(50, 100), QColor(Qt::darkGray), 0));
}

TEST_F(CanvasMouseTest, MovesWithoutAPressAndOtherButtonsChangeNothing)
{
    dragFrom(at(20, 30), at(80, 70));
    calls.clear();
    hover(at(90, 90));
    press(at(10, 10), Qt::MiddleButton);
    move(at(100, 100));
    release(at(100, 100), Qt::MiddleButton);
    EXPECT_EQ(calls, Calls{});
    EXPECT_EQ(document.selectionRect(), QRectF(20, 30, 60, 40));
    EXPECT_FALSE(canvas.isDragging());
}

TEST_F(CanvasMouseTest, AnEmptyCanvasSelectsNothingAndBurnsNothing)
{
    EditorDocument nothing;
    CanvasView empty(nothing);
    empty.resize(400, 300);
    calls.clear();
    QTest::mousePress(&empty, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(&empty, QPoint(300, 200));
    QTest::mouseRelease(&empty, Qt::RightButton, {}, QPoint(300, 200));
    EXPECT_EQ(nothing.selectionRect(), QRectF());
    EXPECT_EQ(calls, Calls{"✅ Selection (pixels): (0.0, 0.0, 0.0, 0.0)"});
}

} // namespace pintora
