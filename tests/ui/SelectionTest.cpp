#include "EditorTestSupport.h"

#include <QLabel>

#include <random>

namespace pintora {
namespace {

// The editor's canvas shows its 800 x 600 image at one point a pixel.
class SelectionTest : public EditorTest
{
protected:
    void selectBox() // pixels (100, 100) to (300, 200)
    {
        doc().setSelectionRect({}); // else the drag would take the last one's handle
        drag(100, 100, 300, 200);
        ASSERT_EQ(doc().selectionRect(), QRectF(100, 100, 200, 100));
    }
    std::string lastLine() { return console.lines().empty() ? std::string() : console.lines().back(); }
};

TEST_F(SelectionTest, HandlesResizeTheInsideMovesAndElsewhereStartsAnew)
{
    // clang-format off
    const struct {
        const char *what;
        QPointF from, to;
        QRectF expected;
    } cases[] = {
        {"the right side", {300, 150}, {350, 170}, {100, 100, 250, 100}},
        {"the left side, past the right one", {100, 150}, {400, 150}, {300, 100, 100, 100}},
        {"the top side", {200, 200}, {200, 260}, {100, 100, 200, 160}},
        {"the lower-left corner", {100, 100}, {80, 90}, {80, 90, 220, 110}},
        {"the inside moves it", {200, 150}, {230, 140}, {130, 90, 200, 100}},
        {"the inside stops at the image's edge", {200, 150}, {-500, 150}, {0, 100, 200, 100}},
        {"elsewhere starts anew", {500, 300}, {550, 400}, {500, 300, 50, 100}},
    };
    // clang-format on
    for (const auto &c : cases) {
        selectBox();
        drag(c.from.x(), c.from.y(), c.to.x(), c.to.y());
        EXPECT_EQ(doc().selectionRect(), c.expected) << c.what;
        EXPECT_EQ(lastLine(), "✅ Selection (pixels): " + console::formatRect(c.expected)) << c.what;
    }
}

TEST_F(SelectionTest, TheCursorShowsWhatAPressWouldDoAndEscapePutsTheSelectionBack)
{
    selectBox();
    // clang-format off
    const struct {
        QPointF at;
        Qt::CursorShape cursor;
    } cases[] = {
        {{300, 150}, Qt::SizeHorCursor}, {{200, 100}, Qt::SizeVerCursor}, {{300, 200}, Qt::SizeBDiagCursor},
        {{100, 200}, Qt::SizeFDiagCursor}, {{200, 150}, Qt::SizeAllCursor}, {{500, 500}, Qt::CrossCursor},
    };
    // clang-format on
    for (const auto &c : cases) {
        QTest::mouseMove(&canvas(), at(c.at.x(), c.at.y()));
        EXPECT_EQ(canvas().cursor().shape(), c.cursor) << c.at.x() << "," << c.at.y();
    }
    QTest::mousePress(&canvas(), Qt::LeftButton, {}, at(300, 150));
    QTest::mouseMove(&canvas(), at(400, 150));
    EXPECT_EQ(doc().selectionRect(), QRectF(100, 100, 300, 100));
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, at(400, 150));
    EXPECT_EQ(doc().selectionRect(), QRectF(100, 100, 200, 100));
    EXPECT_TRUE(editor.isVisible()); // Escape dropped the drag, not the window
}

TEST_F(SelectionTest, ArrowsMoveTheSelectionAndAltMovesItsFarEdges)
{
    // clang-format off
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QRectF expected;
    } cases[] = {
        {Qt::Key_Left, {}, {99, 100, 200, 100}},
        {Qt::Key_Up, {}, {100, 101, 200, 100}},
        {Qt::Key_Down, Qt::ShiftModifier, {100, 90, 200, 100}},
        {Qt::Key_Right, Qt::AltModifier, {100, 100, 201, 100}},
        {Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier, {100, 100, 190, 100}},
        {Qt::Key_Down, Qt::AltModifier, {100, 99, 200, 101}}, // the bottom edge goes down
    };
    // clang-format on
    for (const auto &c : cases) {
        selectBox();
        QTest::keyClick(&canvas(), c.key, c.modifiers);
        EXPECT_EQ(doc().selectionRect(), c.expected) << c.key << " " << c.modifiers;
        EXPECT_EQ(lastLine(), "✅ Selection (pixels): " + console::formatRect(c.expected));
    }
    // Without a selection the arrows do nothing.
    doc().setSelectionRect({});
    QTest::keyClick(&canvas(), Qt::Key_Left);
    EXPECT_FALSE(geometry::hasArea(doc().selectionRect()));
}

TEST_F(SelectionTest, ControlASelectsTheWholeImageFromEitherMode)
{
    drag(10, 10, 50, 50, Qt::RightButton); // a box: drawing mode
    ASSERT_EQ(doc().drawMode(), DrawMode::rectangle);
    QTest::keyClick(&canvas(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(doc().drawMode(), DrawMode::selection);
    EXPECT_EQ(doc().selectionRect(), QRectF(0, 0, 800, 600));
    EXPECT_EQ(lastLine(), "✅ Selection (pixels): (0.0, 0.0, 800.0, 600.0)");
    // That selection cannot move: a drag inside it selects anew, while its
    // edges still resize it.
    QTest::mouseMove(&canvas(), at(400, 300));
    EXPECT_EQ(canvas().cursor().shape(), Qt::CrossCursor);
    drag(100, 100, 300, 200);
    EXPECT_EQ(doc().selectionRect(), QRectF(100, 100, 200, 100));
    QTest::keyClick(&canvas(), Qt::Key_A, Qt::ControlModifier);
    drag(800, 300, 700, 300);
    EXPECT_EQ(doc().selectionRect(), QRectF(0, 0, 700, 600));
}

// Whatever the zoom and however the drag goes, the read-out says the size
// the crop then has; a drag that reaches an edge of the shown image takes
// the last row or column.
TEST_F(SelectionTest, TheReadOutIsTheSizeOfTheCrop)
{
    const auto readout = [this] { return editor.findChild<QLabel *>(QStringLiteral("sizeReadout"))->text(); };
    std::mt19937 random(5);
    const auto uniform = [&](double from, double to) { return std::uniform_real_distribution<>(from, to)(random); };
    for (int trial = 0; trial < 40; ++trial) {
        doc().setImage(source);
        canvas().zoomToFit();
        if (trial % 3 == 1)
            canvas().zoomBy(-2);
        if (trial % 3 == 2)
            canvas().zoomBy(3);
        const QPoint from(int(uniform(0, 1200)), int(uniform(0, 600)));
        const QPoint to(int(uniform(-50, 1250)), int(uniform(-50, 650)));
        QTest::mousePress(&canvas(), Qt::LeftButton, {}, from);
        QTest::mouseMove(&canvas(), to);
        QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, to);
        if (!geometry::hasArea(doc().selectionRect()))
            continue;
        const QString shown = readout();
        cropCalls = 0;
        editor.performCrop(false);
        ASSERT_EQ(cropCalls, 0) << "in place";
        EXPECT_TRUE(shown.startsWith(
            QStringLiteral("%1×%2px @ ").arg(doc().currentImage().width()).arg(doc().currentImage().height())))
            << "trial " << trial;
    }
}

} // namespace
} // namespace pintora
