#include "EditorTestSupport.h"
#include "core/tools/Tools.h"
#include "ui/ToolbarWidgets.h"

#include <QApplication>

namespace pintora {
namespace {

// Marks once drawn, picked by a click and changed by their handles, keys and
// the toolbar, on the editor's 800 x 600 image at one point a pixel.
class PickTest : public EditorTest
{
protected:
    // Draws with `tool` by a right drag, then picks the mark by a click.
    void drawAndPick(const Tool &tool, QPointF from, QPointF to, QPointF click)
    {
        doc().chooseTool(tool);
        drag(from.x(), from.y(), to.x(), to.y(), Qt::RightButton);
        ASSERT_EQ(doc().marks().size(), 1) << tool.id().toStdString();
        console.clear();
        QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(click.x(), click.y()));
        ASSERT_EQ(doc().pickedIndex(), 0) << tool.id().toStdString();
        // After the switch from drawing to selecting, a step of its own.
        ASSERT_EQ(console.lines().size(), 2u);
        EXPECT_EQ(console.lines().back(), "🎯 Picked mark 1 of 1 (" + tool.id().toStdString() + ")");
        console.clear();
    }
    // The snapshot line of the next step.
    std::string nextStep()
    {
        return "💾 State saved for undo (stack size: " + std::to_string(doc().undoCount() + 1) + ")";
    }
    Mark mark() { return doc().marks().at(0).mark; }
    std::string lastLine() { return console.lines().empty() ? std::string() : console.lines().back(); }
};

TEST_F(PickTest, AClickPicksAMarkWhoseGripsThenMoveOrReshapeIt)
{
    // clang-format off
    const struct {
        const Tool &tool;
        QPointF from, to, click; // the drawing and the click that picks
        QPointF grab, drop; // a drag of the picked mark
        const char *line;
    } cases[] = {
        {arrowTool(), {100, 100}, {300, 100}, {200, 101}, {200, 100}, {250, 150},
         "✋ Moved mark 1 (arrow) by (50.0, 50.0)"},
        {arrowTool(), {100, 100}, {300, 100}, {200, 100}, {300, 100}, {350, 200},
         "📏 Reshaped mark 1 (arrow): arrow from (100.0, 100.0) to (350.0, 200.0)"},
        {lineTool(), {100, 100}, {300, 200}, {200, 150}, {100, 100}, {150, 80},
         "📏 Reshaped mark 1 (line): line from (150.0, 80.0) to (300.0, 200.0)"},
        {boxTool(), {100, 100}, {300, 200}, {100, 150}, {300, 150}, {400, 150},
         "📏 Reshaped mark 1 (box): rect=(100.0, 100.0, 300.0, 100.0)"},
        {boxTool(), {100, 100}, {300, 200}, {300, 120}, {200, 150}, {210, 140},
         "✋ Moved mark 1 (box) by (10.0, -10.0)"},
        {ellipseTool(), {100, 100}, {300, 200}, {200, 200}, {100, 100}, {50, 60},
         "📏 Reshaped mark 1 (ellipse): ellipse in (50.0, 60.0, 250.0, 140.0)"},
        {blurTool(), {100, 100}, {300, 200}, {200, 150}, {300, 200}, {320, 250},
         "📏 Reshaped mark 1 (blur): rect=(100.0, 100.0, 220.0, 150.0)"},
        {penTool(), {100, 100}, {300, 300}, {200, 200}, {200, 200}, {200, 150},
         "✋ Moved mark 1 (pen) by (0.0, -50.0)"},
        {highlighterTool(), {100, 100}, {300, 300}, {205, 200}, {200, 200}, {100, 200},
         "✋ Moved mark 1 (highlighter) by (-100.0, 0.0)"},
        {stepTool(), {400, 300}, {400, 300}, {405, 300}, {400, 300}, {420, 310},
         "✋ Moved mark 1 (step) by (20.0, 10.0)"},
    };
    // clang-format on
    for (const auto &c : cases) {
        doc().setImage(source);
        drawAndPick(c.tool, c.from, c.to, c.click);
        const Lines expected{nextStep(), c.line};
        drag(c.grab.x(), c.grab.y(), c.drop.x(), c.drop.y());
        EXPECT_EQ(console.lines(), expected);
        EXPECT_EQ(doc().pickedIndex(), 0) << c.line; // still picked
        EXPECT_EQ(doc().selectionRect(), QRectF()) << c.line; // nothing selected on the way
        // One step: undo puts it back where it was drawn.
        const Mark changed = mark();
        doc().performUndo();
        EXPECT_EQ(mark().from, c.tool.grips() == Grips::rectangle ? mark().from : c.from) << c.line;
        EXPECT_NE(mark(), changed);
        doc().performRedo();
        EXPECT_EQ(mark(), changed);
    }
}

TEST_F(PickTest, AClickElsewhereOrEscapeDropsThePickAndADragElsewhereSelects)
{
    drawAndPick(boxTool(), {100, 100}, {300, 200}, {100, 150});
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(500, 500));
    EXPECT_EQ(console.lines(), (Lines{"🎯 Pick dropped", "✅ Selection (pixels): (500.0, 500.0, 0.0, 0.0)"}));
    EXPECT_EQ(doc().pickedIndex(), -1);
    // A drag that starts on a mark not picked selects, as it always did.
    drag(100, 150, 200, 250);
    EXPECT_EQ(doc().selectionRect(), QRectF(100, 150, 100, 100));
    // Escape: the pick goes, then the window.
    QApplication::setActiveWindow(&editor);
    canvas().setFocus();
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(300, 180));
    ASSERT_EQ(doc().pickedIndex(), 0);
    console.clear();
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    EXPECT_EQ(console.lines(), Lines{"🎯 Pick dropped"});
    EXPECT_TRUE(editor.isVisible());
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
}

TEST_F(PickTest, KeysNudgeDeleteAndRetypeThePickedMark)
{
    QApplication::setActiveWindow(&editor);
    canvas().setFocus();
    drawAndPick(lineTool(), {100, 100}, {300, 100}, {200, 100});
    const Lines nudged{nextStep(), "✋ Moved mark 1 (line) by (1.0, 0.0)", "✋ Moved mark 1 (line) by (0.0, 10.0)"};
    QTest::keyClick(&canvas(), Qt::Key_Right);
    QTest::keyClick(&canvas(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(console.lines(), nudged);
    EXPECT_EQ(mark().from, QPointF(101, 110));
    doc().performUndo(); // the nudges in a row are one step
    EXPECT_EQ(mark().from, QPointF(100, 100));
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(200, 100));
    console.clear();
    const Lines deleted{nextStep(), "🗑️ Deleted mark 1 (line)"};
    QTest::keyClick(&canvas(), Qt::Key_Delete);
    EXPECT_EQ(console.lines(), deleted);
    EXPECT_TRUE(doc().marks().isEmpty());
    EXPECT_EQ(doc().currentImage(), source); // nothing of it left

    // A text: Return, or a double click, opens it; typing changes its words.
    doc().chooseTool(textTool());
    QTest::mouseClick(&canvas(), Qt::RightButton, {}, at(100, 300));
    QTest::keyClicks(&canvas(), QStringLiteral("Hi"));
    QTest::keyClick(&canvas(), Qt::Key_Return);
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(105, 290));
    ASSERT_EQ(doc().pickedIndex(), 0);
    console.clear();
    const Lines retyped{nextStep(), "✏️ Retyped mark 1 (text): text \"Hi!\" at (100.0, 300.0)"};
    QTest::keyClick(&canvas(), Qt::Key_Return);
    ASSERT_TRUE(doc().isTyping());
    QTest::keyClicks(&canvas(), QStringLiteral("!"));
    QTest::keyClick(&canvas(), Qt::Key_Return);
    EXPECT_EQ(console.lines(), retyped);
    QTest::mouseDClick(&canvas(), Qt::LeftButton, {}, at(105, 290));
    ASSERT_TRUE(doc().isTyping());
    QTest::keyClick(&canvas(), Qt::Key_Escape); // as it was
    EXPECT_EQ(mark().text, QStringLiteral("Hi!"));
    EXPECT_FALSE(doc().isTyping());
}

// A step that comes while a mark is out of the pixels (being typed again or
// dragged) finds it back in its place first: nothing is lost or undone twice.
TEST_F(PickTest, AStepMidEditFindsTheMarkBackInItsPlace)
{
    const QImage before = doc().currentImage();
    doc().chooseTool(textTool());
    QTest::mouseClick(&canvas(), Qt::RightButton, {}, at(100, 300));
    QTest::keyClicks(&canvas(), QStringLiteral("Hi"));
    QTest::keyClick(&canvas(), Qt::Key_Return);
    const QImage withText = doc().currentImage();
    doc().pick(0);
    ASSERT_TRUE(doc().retypePicked());
    doc().paste(noiseImage(50, 40)); // the text back, then a new image
    EXPECT_FALSE(doc().isTyping());
    doc().performUndo();
    EXPECT_EQ(doc().currentImage(), withText);
    doc().pick(0);
    doc().grabMark(MarkGrip{MarkGrip::whole}, {105, 290});
    doc().dragMarkTo({205, 190});
    ASSERT_TRUE(doc().isMarkLifted());
    doc().performUndo(); // the drag undone first, then the text
    EXPECT_TRUE(doc().marks().isEmpty());
    EXPECT_EQ(doc().currentImage(), before);
    doc().performRedo();
    EXPECT_EQ(doc().currentImage(), withText);
}

TEST_F(PickTest, TheToolbarShowsAndRestylesThePickedMark)
{
    drawAndPick(ellipseTool(), {100, 100}, {300, 200}, {200, 200});
    auto *blue = editor.findChild<DiscButton *>(QStringLiteral("colorSwatch2"));
    auto *red = editor.findChild<DiscButton *>(QStringLiteral("colorSwatch0"));
    EXPECT_TRUE(red->isChosen());
    const Lines restyled{nextStep(), "🖌️ Restyled mark 1 (ellipse): colour #0000ff, width 3.0, fill off"};
    blue->click();
    EXPECT_EQ(console.lines(), restyled);
    EXPECT_EQ(mark().style.color, QColor(Qt::blue));
    EXPECT_TRUE(blue->isChosen());
    // The picked mark's style shows, not only what is drawn next.
    doc().pick(-1);
    doc().chooseColor(Qt::red);
    EXPECT_TRUE(red->isChosen());
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(200, 200));
    EXPECT_TRUE(blue->isChosen());
}

} // namespace
} // namespace pintora
