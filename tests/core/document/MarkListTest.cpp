#include "ImageTestSupport.h"
#include "core/document/MarkList.h"
#include "core/pixels/HugePages.h"
#include "core/tools/Tools.h"

#include <gtest/gtest.h>

namespace pintora {
namespace {

// Pixel space, y up, on a 400 x 300 image.
Mark markFrom(QPointF from, QPointF to, double width = 3, bool filled = false)
{
    Mark mark;
    mark.from = from;
    mark.to = to;
    mark.rect = QRectF(from, to).normalized();
    mark.path = {from, (from + to) / 2, to};
    mark.style = RectangleStyle{Qt::red, width, filled, false};
    mark.number = 1;
    mark.text = QStringLiteral("Note");
    mark.textSize = 20;
    return mark;
}

// A click takes the topmost mark whose stroke, outline, disc or text box is
// within reach; the inside of an outline only when it is filled.
TEST(MarkList, AClickTakesTheTopmostMarkWhereItShows)
{
    MarkList marks({400, 300});
    // clang-format off
    const std::pair<const Tool &, Mark> drawn[] = {
        {boxTool(), markFrom({20, 20}, {120, 100})},                      // 0
        {boxTool(), markFrom({150, 20}, {250, 100}, 3, true)},            // 1: filled
        {ellipseTool(), markFrom({270, 20}, {390, 100})},                 // 2
        {arrowTool(), markFrom({20, 150}, {200, 150}, 5)},                // 3
        {lineTool(), markFrom({20, 200}, {200, 280})},                    // 4
        {highlighterTool(), markFrom({220, 150}, {380, 150})},            // 5: 18 px wide
        {stepTool(), markFrom({300, 250}, {300, 250})},                   // 6: radius 17
        {textTool(), markFrom({220, 280}, {220, 280})},                   // 7: top left at (220, 280)
        {blurTool(), markFrom({60, 60}, {180, 120})},                     // 8: over 0 and 1
    };
    const struct {
        QPointF at;
        double reach;
        int expected;
    } clicks[] = {
        {{20, 60}, 2, 0},      // the box's left side
        {{70, 40}, 2, -1},     // inside it: nothing shows there
        {{200, 40}, 2, 1},     // inside the filled one
        {{330, 60}, 2, -1},    // the middle of the ellipse
        {{270, 60}, 2, 2},     // its left end
        {{100, 152}, 1, 3},    // the arrow's shaft, within its half width
        {{100, 156}, 1, -1},   // just beyond it
        {{198, 150}, 0, 3},    // inside its head
        {{110, 240}, 2, 4},    // along the line
        {{300, 158}, 0, 5},    // within the highlight's half width
        {{300, 170}, 0, -1},
        {{312, 250}, 0, 6},    // inside the disc
        {{230, 270}, 0, 7},    // in the text's box (it runs down from its corner)
        {{100, 100}, 0, 8},    // the blur, drawn last, over the box's top side
        {{120, 60}, 2, 8},     // the box's right side, under the blur
    };
    // clang-format on
    for (const auto &[tool, mark] : drawn)
        marks.insert(marks.size(), marks.place(tool, mark));
    for (const auto &click : clicks)
        EXPECT_EQ(marks.topmostAt(click.at, click.reach), click.expected) << click.at.x() << "," << click.at.y();
}

// The image before any mark: the bases where marks lie, the image
// elsewhere; each new mark's base is made so, over marks burned before it.
TEST(MarkList, BasesGiveTheImageAsItWasBeforeAnyMark)
{
    const QImage before = noiseImage(200, 150);
    QImage image = before.copy();
    MarkList marks(image.size());
    PixelArena arena;
    const QRectF boxes[] = {{10, 10, 80, 60}, {50, 40, 100, 80}, {120, 5, 60, 30}, {0, 0, 200, 20}};
    for (const QRectF &box : boxes) {
        PlacedMark placed = marks.place(boxTool(), markFrom(box.topLeft(), box.bottomRight(), 5, true));
        placed.base = marks.baseOf(image, placed.area, arena);
        ASSERT_EQ(placed.base, before.copy(placed.area)) << box.x();
        // Burned: its pixels are no longer what they were.
        for (int y = placed.area.top(); y <= placed.area.bottom(); ++y)
            for (int x = placed.area.left(); x <= placed.area.right(); ++x)
                image.setPixelColor(x, y, Qt::magenta);
        marks.insert(marks.size(), std::move(placed));
    }
    // Put back over part of the image: that part as it was, the rest as it is.
    image.fill(Qt::magenta);
    const QRegion part = QRegion(image.rect()).subtracted(QRect(60, 50, 30, 30));
    marks.restoreBase(image, part);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            bool under = false;
            for (int i = 0; i < marks.size(); ++i)
                under = under || marks.at(i).area.contains(x, y);
            const bool restored = under && part.contains(QPoint(x, y));
            ASSERT_EQ(image.pixel(x, y), restored ? before.pixel(x, y) : QColor(Qt::magenta).rgb()) << x << "," << y;
        }
}

} // namespace
} // namespace pintora
