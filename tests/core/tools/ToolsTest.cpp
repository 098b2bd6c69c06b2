#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/document/EditorDocument.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

namespace pintora {
namespace {

using Lines = std::vector<std::string>;

Mark drag(QPointF from, QPointF to, const QColor &color = Qt::red, double width = 5)
{
    Mark mark;
    mark.from = from;
    mark.to = to;
    mark.path = {from, (from + to) / 2, to};
    mark.rect = QRectF(from, to).normalized();
    mark.style = RectangleStyle{color, width, false, false};
    return mark;
}

// One bitmap-space pixel (y down; the images are 150 rows, so pixel-space y
// is 150 - y) and the colour the mark leaves there.
struct Probe {
    QPoint at;
    QColor expected;
};

// The pixels a tool burns into a white (or half black) 200 x 150 image.
TEST(Tools, EachBurnsItsShapeInItsColourAndWidth)
{
    const QColor red(Qt::red), white(Qt::white), black(Qt::black), yellow(Qt::yellow);
    const QColor tint = over(red, 0.3, white);
    // A highlight multiplies: white takes 60 % of the colour, black stays black.
    const QColor highlighted(255, 255, 102);
    const auto with = [](Mark mark, const std::function<void(Mark &)> &change) {
        change(mark);
        return mark;
    };
    // clang-format off
    const struct {
        const char *what;
        QString tool;
        Mark mark;
        std::vector<Probe> probes;
        bool halfBlack = false;
    } cases[] = {
        {"arrow: a 5 px shaft, a head 25 px long at the release end", "arrow", drag({20, 75}, {180, 75}),
         {{{60, 75}, red}, {{60, 79}, white}, {{165, 80}, red}, {{176, 75}, red}, {{183, 75}, white},
          {{22, 83}, white}}},
        {"line", "line", drag({20, 20}, {180, 30}), {{{100, 125}, red}, {{100, 130}, white}}},
        {"line with Shift snaps to 0°", "line", with(drag({20, 20}, {180, 30}), [](Mark &m) { m.constrained = true; }),
         {{{100, 130}, red}, {{100, 125}, white}}},
        {"ellipse outline", "ellipse", drag({40, 40}, {160, 120}),
         {{{41, 70}, red}, {{100, 31}, red}, {{100, 70}, white}, {{43, 33}, white}}},
        {"ellipse filled", "ellipse", with(drag({40, 40}, {160, 120}), [](Mark &m) { m.style.filled = true; }),
         {{{100, 70}, tint}, {{43, 33}, white}}},
        {"pen along its points, round ends", "pen",
         with(drag({20, 75}, {180, 75}), [](Mark &m) { m.path = {{20, 75}, {100, 120}, {180, 75}}; }),
         {{{20, 75}, red}, {{18, 75}, red}, {{90, 46}, red}, {{100, 100}, white}}},
        {"highlighter: wide, multiplied, once where it crosses itself", "highlighter",
         with(drag({20, 75}, {180, 75}, yellow, 3),
              [](Mark &m) { m.path = {{20, 75}, {180, 75}, {100, 40}, {100, 110}}; }),
         {{{60, 75}, highlighted}, {{60, 83}, highlighted}, {{100, 75}, highlighted}, {{60, 90}, white},
          {{150, 75}, black}},
         true},
        {"numbered step: white on red", "step", with(drag({100, 75}, {100, 75}), [](Mark &m) { m.number = 1; }),
         {{{100 - 21, 75}, red}, {{100, 75 - 21}, red}, {{100 - 25, 75}, white}}},
    };
    // clang-format on
    for (const auto &c : cases) {
        QImage image = solidImage(200, 150, white);
        if (c.halfBlack)
            for (int y = 0; y < 150; ++y)
                for (int x = 140; x < 200; ++x)
                    image.setPixelColor(x, y, black);
        ConsoleCapture quiet;
        EditorDocument document;
        document.setImage(image);
        ASSERT_TRUE(document.drawMark(*toolById(c.tool), c.mark)) << c.what;
        for (const Probe &probe : c.probes)
            EXPECT_TRUE(colorNear(document.currentImage().pixelColor(probe.at), probe.expected, 3))
                << c.what << " at " << probe.at.x() << "," << probe.at.y();
    }
}

// A tool's area holds everything its burn-in paints: burned unclipped on the
// whole image, no pixel outside it changes.
TEST(Tools, NothingIsPaintedOutsideTheArea)
{
    std::mt19937 random(7);
    const auto uniform = [&](double from, double to) { return std::uniform_real_distribution<>(from, to)(random); };
    const QImage source = noiseImage(160, 120).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (const Tool *tool : allTools()) {
        if (tool->replacesPixels())
            continue; // its pixels are made for its area alone
        for (int trial = 0; trial < 40; ++trial) {
            Mark mark = drag({uniform(-20, 180), uniform(-20, 140)}, {uniform(-20, 180), uniform(-20, 140)},
                             QColor::fromHsv(trial * 9, 255, 255), trial % 3 ? 5 : 1);
            mark.path = {mark.from, {uniform(0, 160), uniform(0, 120)}, {uniform(0, 160), uniform(0, 120)}, mark.to};
            mark.constrained = trial % 2;
            mark.style.filled = trial % 4 == 0;
            mark.number = 1 + trial * 3;
            mark.text = trial % 2 ? QStringLiteral("Grüße 日本\nÅg|") : QStringLiteral("W");
            mark.textSize = 8 + trial;
            QImage whole = source.copy();
            tool->burn(whole, mark, whole.rect());
            const QRect area = tool->area(mark, whole.size());
            for (int y = 0; y < whole.height(); ++y)
                for (int x = 0; x < whole.width(); ++x)
                    if (!area.contains(x, y)) {
                        ASSERT_EQ(whole.pixel(x, y), source.pixel(x, y))
                            << tool->id().toStdString() << " trial " << trial << " at " << x << "," << y;
                    }
        }
    }
}

// The number on a marker stands out: white on dark colours, black on light ones.
TEST(Tools, AMarkersNumberContrastsWithItsDisc)
{
    for (const auto &[color, ink] :
         {std::pair{QColor(Qt::blue), QColor(Qt::white)}, std::pair{QColor(Qt::yellow), QColor(Qt::black)},
          std::pair{QColor(Qt::white), QColor(Qt::black)}}) {
        ConsoleCapture quiet;
        EditorDocument document;
        document.setImage(solidImage(100, 100, Qt::gray));
        Mark mark = drag({50, 50}, {50, 50}, color);
        mark.number = 8;
        document.drawMark(stepTool(), mark);
        int inked = 0;
        for (int y = 40; y < 60; ++y)
            for (int x = 40; x < 60; ++x)
                inked += colorNear(document.currentImage().pixelColor(x, y), ink, 40) ? 1 : 0;
        EXPECT_GT(inked, 15) << color.name().toStdString();
    }
}

// Markers count up; undoing one gives its number back.
TEST(Tools, MarkersAreNumberedInTurnAndUndoGivesTheNumberBack)
{
    ConsoleCapture console;
    EditorDocument document;
    document.setImage(solidImage(200, 150, Qt::white));
    document.chooseTool(stepTool());
    const auto click = [&document](QPointF at) {
        document.press(DrawMode::rectangle, at);
        document.release();
    };
    click({20, 20});
    click({60, 20});
    EXPECT_EQ(console.lines().back(), "✅ Step marker drawn on image!");
    EXPECT_EQ(document.currentMark().number, 3);
    document.performUndo();
    EXPECT_EQ(document.currentMark().number, 2);
    document.performRedo();
    EXPECT_EQ(document.currentMark().number, 3);
    EXPECT_TRUE(std::count(console.lines().begin(), console.lines().end(),
                           std::string("🎨 Drawing ON image: step 2 at (60.0, 20.0)"))
                == 1);
}

// Shift makes the dragged rectangle (box, ellipse, blur) a square, on the
// side of the drag.
TEST(Tools, ShiftMakesTheDraggedRectangleASquare)
{
    // clang-format off
    const struct {
        QPointF to;
        bool shift;
        QRectF expected;
    } cases[] = {
        {{50, 30}, false, {10, 10, 40, 20}},
        {{50, 30}, true, {10, 10, 20, 20}},
        {{-20, 0}, true, {0, 0, 10, 10}},
    };
    // clang-format on
    for (const auto &c : cases) {
        EditorDocument document;
        document.setImage(solidImage(100, 100, Qt::white));
        ConsoleCapture quiet;
        document.press(DrawMode::rectangle, {10, 10});
        document.dragTo(c.to, c.shift);
        EXPECT_EQ(document.selectionRect(), c.expected) << c.to.x() << "," << c.to.y() << " " << c.shift;
    }
}

// The registry is what the toolbar and the keys read: ids and keys are
// unique, the box first and the blur last.
TEST(Tools, TheRegistryNamesEachToolOnceWithAKeyOfItsOwn)
{
    std::set<QString> ids;
    std::set<QChar> keys;
    for (const Tool *tool : allTools()) {
        ids.insert(tool->id());
        keys.insert(tool->key());
        EXPECT_EQ(toolById(tool->id()), tool);
        EXPECT_TRUE(tool->key().isUpper());
    }
    EXPECT_EQ(ids.size(), allTools().size());
    EXPECT_EQ(keys.size(), allTools().size());
    EXPECT_EQ(allTools().front(), &boxTool());
    EXPECT_EQ(allTools().back(), &blurTool());
    EXPECT_EQ(toolById(QStringLiteral("nothing")), nullptr);
}

// Text grows with the image's shorter side past 1080 pixels: a wide
// panorama's text is no larger than a screen's.
TEST(Tools, TextIsSizedByTheWidthAndTheImagesShorterSide)
{
    const struct {
        double width;
        QSize image;
        double size;
    } cases[] = {
        {1, {1920, 1080}, 14}, {3, {1920, 1080}, 20}, {5, {1920, 1080}, 30}, {3, {800, 600}, 20},
        {3, {3840, 2160}, 40}, {3, {2160, 3840}, 40}, {3, {8000, 1080}, 20}, {3, {1080, 8000}, 20},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(TextLayout::sizeFor(c.width, c.image), c.size) << c.image.width() << "x" << c.image.height();
}

} // namespace
} // namespace pintora
