#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/document/EditorDocument.h"
#include "core/tools/Tools.h"
#include "ui/CanvasView.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

namespace pintora {
namespace {

using Lines = std::vector<std::string>;

// Plays `script` on a canvas of 800 x 600 points showing a 200 x 150 image at
// 4 points a pixel, and returns the document's signals and console lines in
// order (snapshots as "save"). Steps, at image pixel x,y (y up):
//   L R C S M   press left, right, Control-left, Shift-Alt-left, middle
//   m c h       move holding the button, holding it with Control, hovering
//   u           release the button pressed last
//   U           release it elsewhere than the last move
Lines play(EditorDocument &document, CanvasView &canvas, const std::string &script)
{
    Lines log;
    QObject::connect(&document, &EditorDocument::selectionChanged,
                     [&](const QRectF &r) { log.push_back("selection " + console::formatRect(r)); });
    QObject::connect(&document, &EditorDocument::drawModeChanged, [&](DrawMode m) {
        log.push_back(m == DrawMode::rectangle ? "mode rectangle" : "mode selection");
    });
    ConsoleCapture console(
        [&](std::string_view line) { log.push_back(line.starts_with("💾") ? "save" : std::string(line)); });

    std::istringstream steps(script);
    std::string step;
    Qt::MouseButton held = Qt::NoButton;
    QPoint point;
    while (steps >> step) {
        double x = 0, y = 0;
        std::sscanf(step.c_str() + 1, "%lf,%lf", &x, &y);
        if (step[0] != 'u')
            point = QPoint(int(x * 4), int(600 - y * 4));

        const auto send = [&](Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
            QMouseEvent event(QEvent::MouseMove, point, canvas.mapToGlobal(point), Qt::NoButton, buttons, keys);
            QCoreApplication::sendEvent(&canvas, &event);
        };
        switch (step[0]) {
        case 'L': QTest::mousePress(&canvas, held = Qt::LeftButton, {}, point); break;
        case 'R': QTest::mousePress(&canvas, held = Qt::RightButton, {}, point); break;
        case 'C': QTest::mousePress(&canvas, held = Qt::LeftButton, Qt::ControlModifier, point); break;
        case 'S': QTest::mousePress(&canvas, held = Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier, point); break;
        case 'M': QTest::mousePress(&canvas, held = Qt::MiddleButton, {}, point); break;
        case 'm': send(held, {}); break;
        case 'c': send(held, Qt::ControlModifier); break;
        case 'h': send(Qt::NoButton, {}); break;
        case 'u':
        case 'U': QTest::mouseRelease(&canvas, held, {}, point); break;
        }
    }
    return log;
}

TEST(CanvasMouse, PressesDragsAndReleasesBecomeRequestsInPixelSpace)
{
    // clang-format off
    const struct {
        const char *script;
        std::optional<Lines> log; // unchecked when absent
        QRectF selection;
        DrawMode mode;
    } cases[] = {
        // Corners go to whole pixels.
        {"L12,30.5 m50,60 m112,110.75 u", {}, {12, 31, 100, 80}, DrawMode::selection},
        // Normalised whichever way the drag goes, and clipped to the image.
        {"L80,70 m20,30 u", {}, {20, 30, 60, 40}, DrawMode::selection},
        {"L20,70 m80,30 u", {}, {20, 30, 60, 40}, DrawMode::selection},
        {"L80,30 m20,70 u", {}, {20, 30, 60, 40}, DrawMode::selection},
        {"L100,100 m250,275 u", {}, {100, 100, 100, 50}, DrawMode::selection},
        {"L-10,-12.5 m10,12.25 u", {}, {0, 0, 10, 12}, DrawMode::selection},
        // The mode comes from the button and Control at the press only.
        {"R10,10 u", Lines{"save", "mode rectangle", "✅ Selection (pixels): (0.0, 0.0, 0.0, 0.0)"}, {},
         DrawMode::rectangle},
        {"C10,10 u", Lines{"save", "mode rectangle", "✅ Selection (pixels): (0.0, 0.0, 0.0, 0.0)"}, {},
         DrawMode::rectangle},
        {"S10,10 u", {}, {10, 10, 0, 0}, DrawMode::selection},
        {"L10,10 c40,40 u", {}, {10, 10, 30, 30}, DrawMode::selection},
        // The release ends the drag where it is, past the last move.
        {"L10,10 m30,30 U50,45", {}, {10, 10, 40, 35}, DrawMode::selection},
        // A right press on the selection draws rather than move it.
        {"L20,20 m80,80 u R50,50 m60,60 u", {}, {}, DrawMode::rectangle},
        // Hovering and the middle button change nothing.
        {"h90,90 M10,10 m100,100 u", Lines{}, {}, DrawMode::selection},
    };
    // clang-format on
    for (const auto &c : cases) {
        EditorDocument document;
        CanvasView canvas{document};
        canvas.resize(800, 600);
        document.setImage(solidImage(200, 150, Qt::darkGray));
        const Lines log = play(document, canvas, c.script);
        if (c.log) {
            EXPECT_EQ(log, *c.log) << c.script;
        }
        EXPECT_EQ(document.selectionRect(), c.selection) << c.script;
        EXPECT_EQ(document.drawMode(), c.mode) << c.script;
        EXPECT_FALSE(canvas.isDragging()) << c.script;
    }
}

// A pen stroke reaches the point the button came up at.
TEST(CanvasMouse, AStrokeEndsWhereTheButtonComesUp)
{
    EditorDocument document;
    CanvasView canvas{document};
    canvas.resize(800, 600);
    document.setImage(solidImage(200, 150, Qt::darkGray));
    document.chooseTool(penTool());
    play(document, canvas, "R10,10 m20,10 U60,10");
    const QImage &burned = document.currentImage();
    EXPECT_NE(burned.pixelColor(58, 150 - 1 - 10), QColor(Qt::darkGray));
    EXPECT_EQ(burned.pixelColor(70, 150 - 1 - 10), QColor(Qt::darkGray));
}

TEST(CanvasMouse, AnEmptyCanvasSelectsNothingAndBurnsNothing)
{
    EditorDocument nothing;
    CanvasView empty(nothing);
    empty.resize(800, 600);
    EXPECT_EQ(
        play(nothing, empty, "R2,2 m75,50 u"),
        (Lines{"mode rectangle", "selection (0.0, 0.0, 0.0, 0.0)", "✅ Selection (pixels): (0.0, 0.0, 0.0, 0.0)"}));
}

} // namespace
} // namespace pintora
