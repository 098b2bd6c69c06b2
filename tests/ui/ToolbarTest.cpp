#include "EditorTestSupport.h"
#include "ImageTestSupport.h"
#include "core/tools/Tools.h"
#include "ui/EditorWindow.h"
#include "ui/Theme.h"
#include "ui/ToolbarWidgets.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace pintora {

namespace {

class ToolbarTest : public EditorTest
{
protected:
    template <typename T = QAbstractButton>
    T *control(const char *name)
    {
        T *found = editor.findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    bool enabled(const char *name) { return control<QWidget>(name)->isEnabled(); }
    ModeBadge *badge(const char *name) { return control<ModeBadge>(name); }
    DiscButton *disc(const char *name) { return control<DiscButton>(name); }
    QLabel *readout() { return control<QLabel>("sizeReadout"); }
    bool cropButtonsEnabled()
    {
        const bool crop = enabled("cropButton");
        EXPECT_EQ(enabled("cropAndCopyButton"), crop);
        EXPECT_EQ(enabled("saveButton"), crop);
        return crop;
    }
};

} // namespace

TEST_F(ToolbarTest, OpensInSelectionModeWithRedWidth3AndNothingToUndo)
{
    EXPECT_TRUE(badge("selectBadge")->isActive());
    EXPECT_FALSE(badge("boxBadge")->isActive());
    EXPECT_TRUE(disc("colorSwatch0")->isChosen());
    for (int i = 1; i < 8; ++i)
        EXPECT_FALSE(disc(QStringLiteral("colorSwatch%1").arg(i).toLatin1().constData())->isChosen());
    EXPECT_FALSE(disc("blurButton")->isChosen());
    // Greys are a neutral 50 %: the blur disc, and the badge's border (at 30 %, here over black).
    EXPECT_EQ(disc("blurButton")->color(), withAlpha(QColor(128, 128, 128), 0.5));
    QImage border(badge("boxBadge")->size(), QImage::Format_RGB32);
    border.fill(Qt::black);
    badge("boxBadge")->render(&border, {}, {}, QWidget::DrawChildren);
    EXPECT_TRUE(colorNear(border.pixelColor(border.width() / 2, 0), QColor(38, 38, 38), 2));
    EXPECT_EQ(control<SegmentedPicker>("lineWidthPicker")->value(), 3.0);
    EXPECT_FALSE(control("fillSwitch")->isChecked());
    EXPECT_FALSE(enabled("undoButton"));
    EXPECT_FALSE(enabled("redoButton"));
    EXPECT_FALSE(cropButtonsEnabled());
    EXPECT_TRUE(enabled("copyButton"));
    EXPECT_TRUE(enabled("pasteButton"));
    EXPECT_FALSE(readout()->isVisibleTo(&editor));
    // Every control says what it is, buttons with their key.
    // clang-format off
    const std::pair<const char *, const char *> tips[] = {
        {"saveButton", "Select an area first; Save Image As… saves the whole image"},
        {"saveAsButton", "Save Image As… (Ctrl+Shift+S)"}, {"undoButton", "Undo (Ctrl+Z)"},    {"redoButton", "Redo (Ctrl+Shift+Z)"},
        {"copyButton", "Copy (Ctrl+C)"},      {"pasteButton", "Paste (Ctrl+V)"},  {"cropAndCopyButton", "Crop & Copy (Return)"},
        {"colorSwatch0", "Red"},              {"colorSwatch5", "Purple"},         {"blurButton", "Blur"},
        {"fillSwitch", "Fill"},               {"solidSwitch", "Solid"},
        {"selectBadge", "Left drag: select. Drag the selection's edges or inside to adjust it."},
        {"boxBadge", "Right drag, or Ctrl and left drag: draw with the chosen tool."},
    };
    // clang-format on
    for (const auto &[name, tip] : tips)
        EXPECT_EQ(control<QWidget>(name)->toolTip(), QString::fromUtf8(tip)) << name;
    EXPECT_EQ(control<SegmentedPicker>("lineWidthPicker")->segment(1)->toolTip(), QStringLiteral("Line width: 3 px"));
    // Undo and Redo show their symbols alone; the others their text.
    EXPECT_EQ(control<QToolButton>("undoButton")->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_FALSE(control<QToolButton>("undoButton")->icon().isNull());
    EXPECT_EQ(control<QToolButton>("cropAndCopyButton")->toolButtonStyle(), Qt::ToolButtonTextOnly);
    EXPECT_EQ(control<QToolButton>("cropAndCopyButton")->text(), QStringLiteral("Crop && Copy"));
}

TEST_F(ToolbarTest, ASelectionShowsItsSizeAndReturnCropsAndCopiesIt)
{
    QTest::keyClick(&editor, Qt::Key_Return); // nothing selected: nothing happens
    EXPECT_EQ(cropCalls, 0);

    drag(0, 0, 640, 480);
    EXPECT_TRUE(readout()->isVisibleTo(&editor));
    EXPECT_EQ(readout()->text(), QStringLiteral("640×480px @ 0,120")); // its top left counted from the top
    EXPECT_TRUE(cropButtonsEnabled());

    doc().setSelectionRect(QRectF(10, 10, 50, 0)); // no area, nothing to cut
    EXPECT_FALSE(cropButtonsEnabled());
    doc().setSelectionRect(QRectF(0, 0, 99.9, 50.5));
    EXPECT_EQ(readout()->text(), QStringLiteral("99×50px @ 0,549")); // truncated
    QTest::keyClick(&editor, Qt::Key_Return);
    EXPECT_EQ(cropCalls, 1);
    EXPECT_EQ(cropped.size(), QSize(100, 51));
    QTest::keyClick(&editor, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(cropCalls, 2);
}

TEST_F(ToolbarTest, ARectangleDragShowsItsSizeInBoxMode)
{
    QTest::mousePress(&canvas(), Qt::RightButton, {}, at(100, 100));
    QTest::mouseMove(&canvas(), at(300, 250));
    EXPECT_TRUE(badge("boxBadge")->isActive());
    EXPECT_FALSE(badge("selectBadge")->isActive());
    EXPECT_EQ(readout()->text(), QStringLiteral("200×150px @ 100,350"));
    EXPECT_FALSE(cropButtonsEnabled());
    QTest::keyClick(&editor, Qt::Key_Return);
    EXPECT_EQ(cropCalls, 0);

    QTest::mouseRelease(&canvas(), Qt::RightButton, {}, at(300, 250));
    EXPECT_FALSE(readout()->isVisibleTo(&editor));
    EXPECT_TRUE(enabled("undoButton"));
    EXPECT_FALSE(enabled("redoButton"));
    control("undoButton")->click();
    EXPECT_TRUE(enabled("redoButton"));
    EXPECT_FALSE(cropButtonsEnabled());
}

TEST_F(ToolbarTest, ColoursBlurAndWidthsReachTheDocumentAndBlurExcludesColours)
{
    disc("blurButton")->click();
    EXPECT_TRUE(style().isBlur);
    EXPECT_TRUE(disc("blurButton")->isChosen());
    EXPECT_FALSE(disc("colorSwatch0")->isChosen());
    disc("blurButton")->click(); // again: nothing changes
    EXPECT_TRUE(disc("blurButton")->isChosen());

    control("fillSwitch")->click(); // fill while blurring: recorded, blur still wins
    EXPECT_TRUE(style().filled);
    EXPECT_TRUE(style().isBlur);

    disc("colorSwatch1")->click(); // green
    EXPECT_FALSE(style().isBlur);
    EXPECT_EQ(style().color, QColor::fromRgbF(0, 1, 0));
    EXPECT_TRUE(disc("colorSwatch1")->isChosen());
    EXPECT_FALSE(disc("blurButton")->isChosen());

    auto *picker = control<SegmentedPicker>("lineWidthPicker");
    picker->segment(2)->click();
    EXPECT_EQ(style().lineWidth, 5.0);
    picker->segment(0)->click();
    EXPECT_EQ(style().lineWidth, 1.0);
    EXPECT_TRUE(picker->segment(0)->isChecked());
    EXPECT_FALSE(picker->segment(2)->isChecked());
}

TEST_F(ToolbarTest, GroupsWrapInANarrowWindowAndRunFromTheRightInArabic)
{
    const auto group = [this](const char *name) { return control<QWidget>(name)->geometry(); };
    EXPECT_EQ(group("leftGroup").y(), group("rightGroup").y()); // one row at 1200 points
    EXPECT_LT(group("leftGroup").x(), group("actionsGroup").x());

    editor.resize(520, 700);
    QCoreApplication::processEvents();
    EXPECT_LT(group("leftGroup").bottom(), group("rightGroup").top()); // a row of its own
    EXPECT_LE(editor.minimumSizeHint().width(), 520);

    editor.resize(1200, 700);
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    QCoreApplication::processEvents();
    const QRect left = group("leftGroup"), actions = group("actionsGroup");
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    EXPECT_GT(left.x(), actions.x());
    EXPECT_GT(left.right(), 1100); // starting at the right edge
}

TEST_F(ToolbarTest, BadgesAreIndicatorsOnly)
{
    QTest::mouseClick(badge("boxBadge"), Qt::LeftButton);
    EXPECT_EQ(doc().drawMode(), DrawMode::selection);
    EXPECT_EQ(doc().undoCount(), 0);
}

} // namespace pintora

namespace pintora {

// Tools are chosen by their discs or their keys; the badge names the tool
// a right drag draws with, the blur too.
TEST_F(ToolbarTest, ToolDiscsAndKeysChooseTheToolAndTheBadgeNamesIt)
{
    EXPECT_EQ(badge("boxBadge")->text(), QStringLiteral("Box"));
    EXPECT_EQ(disc("tool.arrow")->toolTip(), QStringLiteral("Arrow (A)"));
    EXPECT_EQ(disc("tool.step")->toolTip(), QStringLiteral("Numbered step (N)"));
    EXPECT_TRUE(disc("tool.box")->isChosen());

    disc("tool.arrow")->click();
    EXPECT_EQ(&doc().currentTool(), &arrowTool());
    EXPECT_TRUE(disc("tool.arrow")->isChosen());
    EXPECT_FALSE(disc("tool.box")->isChosen());
    EXPECT_EQ(badge("boxBadge")->text(), QStringLiteral("Arrow"));

    disc("blurButton")->click();
    EXPECT_EQ(&doc().currentTool(), &blurTool());
    EXPECT_FALSE(disc("tool.arrow")->isChosen());
    EXPECT_TRUE(disc("blurButton")->isChosen());
    EXPECT_EQ(badge("boxBadge")->text(), QStringLiteral("Blur"));

    canvas().setFocus();
    QTest::keyClick(&canvas(), Qt::Key_A);
    EXPECT_EQ(badge("boxBadge")->text(), QStringLiteral("Arrow"));
    QTest::keyClick(&canvas(), Qt::Key_U);
    EXPECT_EQ(badge("boxBadge")->text(), QStringLiteral("Blur"));
    QTest::keyClick(&canvas(), Qt::Key_E);
    EXPECT_EQ(&doc().currentTool(), &ellipseTool());
    EXPECT_EQ(badge("boxBadge")->text(), QStringLiteral("Ellipse"));
    QTest::keyClick(&canvas(), Qt::Key_A);
    drag(100, 100, 300, 200, Qt::RightButton);
    EXPECT_EQ(console.lines().back(), "✅ Arrow drawn on image!");
}

// Escape during a drag drops the drag; the window stays.
TEST_F(ToolbarTest, EscapeDuringADragCancelsIt)
{
    canvas().setFocus();
    QTest::mousePress(&canvas(), Qt::RightButton, {}, at(100, 100));
    QTest::mouseMove(&canvas(), at(300, 200));
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    console.clear();
    QTest::mouseRelease(&canvas(), Qt::RightButton, {}, at(300, 200));
    EXPECT_EQ(console.lines(), Lines{});
    EXPECT_EQ(doc().currentImage(), source);
    EXPECT_TRUE(editor.isVisible());
}

} // namespace pintora

namespace pintora {

// Typed text: a click places it, keys (and input methods) write it, Return
// burns it in, Shift+Return breaks the line; while typing, the editor's keys
// are the text's.
TEST_F(ToolbarTest, TextIsTypedWhereClickedAndTheEditorsKeysWaitMeanwhile)
{
    canvas().setFocus();
    QTest::keyClick(&canvas(), Qt::Key_T);
    EXPECT_EQ(&doc().currentTool(), &textTool());
    QTest::mouseClick(&canvas(), Qt::RightButton, {}, at(100, 500));
    ASSERT_TRUE(doc().isTyping());
    console.clear();
    QTest::keyClicks(&canvas(), QStringLiteral("Hi"));
    QTest::keyClick(&canvas(), Qt::Key_Z, Qt::ControlModifier); // not Undo, not a letter
    QTest::keyClick(&canvas(), Qt::Key_Return, Qt::ShiftModifier);
    QInputMethodEvent composed(QStringLiteral("に"), {});
    QCoreApplication::sendEvent(&canvas(), &composed); // still being composed: shown, not typed
    EXPECT_EQ(doc().typedMark().text, QStringLiteral("Hi\n"));
    QInputMethodEvent committed;
    committed.setCommitString(QStringLiteral("日本"));
    QCoreApplication::sendEvent(&canvas(), &committed);
    QTest::keyClick(&canvas(), Qt::Key_A); // a letter, not the arrow
    QTest::keyClick(&canvas(), Qt::Key_Backspace);
    EXPECT_EQ(doc().typedMark().text, QStringLiteral("Hi\n日本"));
    EXPECT_EQ(console.lines(), Lines{});
    EXPECT_EQ(doc().currentImage(), source); // shown, not yet burned in

    QTest::keyClick(&canvas(), Qt::Key_Return);
    EXPECT_FALSE(doc().isTyping());
    EXPECT_EQ(cropCalls, 0); // Return was the text's, not Crop & Copy's
    EXPECT_EQ(console.lines(),
              (Lines{"💾 State saved for undo (stack size: 2)", "🎨 Drawing ON image: text \"Hi⏎日本\" at (100.0, 500.0)",
                     "✅ Text drawn on image!"}));
    EXPECT_NE(doc().currentImage(), source);

    // Escape drops a text; the window stays. A click elsewhere burns one in.
    QTest::mouseClick(&canvas(), Qt::RightButton, {}, at(300, 300));
    QTest::keyClicks(&canvas(), QStringLiteral("gone"));
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    EXPECT_FALSE(doc().isTyping());
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(doc().undoCount(), 2);
    QTest::mouseClick(&canvas(), Qt::RightButton, {}, at(300, 300));
    QTest::keyClicks(&canvas(), QStringLiteral("kept"));
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, at(10, 10));
    EXPECT_EQ(doc().undoCount(), 4); // the text, then the switch to selecting
}

} // namespace pintora

namespace pintora {
namespace {

// F1 or ? lists every mouse action and key; any key or click puts the list
// away, Escape too, without closing the window.
TEST_F(ToolbarTest, F1ListsTheMouseAndTheKeys)
{
    QApplication::setActiveWindow(&editor);
    auto *overlay = editor.findChild<QWidget *>(QStringLiteral("keysOverlay"));
    ASSERT_NE(overlay, nullptr);
    EXPECT_FALSE(overlay->isVisible());
    QTest::keyClick(&canvas(), Qt::Key_F1);
    ASSERT_TRUE(overlay->isVisible());
    const QString text = editor.findChild<QLabel *>(QStringLiteral("keysList"))->text();
    for (const char *shown :
         {"Mouse and keys", "Ctrl+A", "Ctrl+=", "Ctrl+0", "Ctrl+1", "Return", "Ctrl+Shift+Z", "B A L E P H N T U",
          "Box (B)", "Numbered step (N)", "Blur (U)", "Esc", "F1", "Middle drag", "Select the whole image",
          "Left click on a mark", "Del", "Edit the picked text"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown;
    QTest::keyClick(overlay, Qt::Key_Escape);
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_TRUE(editor.isVisible());
    QTest::keyClick(&canvas(), Qt::Key_Question, Qt::ShiftModifier);
    EXPECT_TRUE(overlay->isVisible());
    editor.resize(editor.width() + 40, editor.height() + 30);
    EXPECT_EQ(overlay->geometry(), editor.rect()); // it covers the editor at every size
    // Whole in a large window; in a small one, within it, scrolling.
    auto *scroll = overlay->findChild<QScrollArea *>();
    ASSERT_NE(scroll, nullptr);
    QCoreApplication::processEvents();
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    const QSize large = editor.size();
    editor.resize(420, 300);
    QCoreApplication::processEvents();
    EXPECT_TRUE(overlay->rect().contains(scroll->geometry()));
    EXPECT_TRUE(scroll->verticalScrollBar()->isVisible());
    editor.resize(large);
    QTest::mouseClick(overlay, Qt::LeftButton);
    EXPECT_FALSE(overlay->isVisible());
}

// At every window width the toolbar keeps its height when a selection's
// size appears in it, so the picture does not move under the mouse.
TEST_F(ToolbarTest, TheToolbarKeepsItsHeightWhenTheReadOutAppearsAtEveryWidth)
{
    for (int width = 500; width <= 1600; width += 7) {
        doc().setSelectionRect({});
        editor.resize(width, 700);
        QCoreApplication::processEvents();
        const int before = canvas().y();
        doc().setSelectionRect(QRectF(10, 10, 16383, 16383)); // the widest read-out
        QCoreApplication::processEvents();
        ASSERT_TRUE(readout()->isVisible());
        EXPECT_EQ(canvas().y(), before) << "at width " << width;
    }
}

} // namespace
} // namespace pintora
