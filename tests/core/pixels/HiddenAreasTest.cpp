#include "ImageTestSupport.h"
#include "core/pixels/GaussianBlur.h"
#include "core/pixels/HiddenAreas.h"

#include <gtest/gtest.h>

namespace pintora {
namespace {

// Boxes that overlap or share a stretch of edge are one region, with the
// largest deviation among them; a shared corner or a gap keeps them apart.
TEST(HiddenAreas, BoxesThatTouchAreOneRegion)
{
    // clang-format off
    const struct {
        const char *what;
        std::vector<HiddenCut> cuts;
        QRect groupOfFirst;
        double sigmaOfFirst;
    } cases[] = {
        {"alone", {{{10, 10, 20, 10}, 5}}, {10, 10, 20, 10}, 5},
        {"side by side", {{{10, 10, 20, 10}, 5}, {{30, 12, 20, 10}, 7}}, {10, 10, 40, 12}, 7},
        {"overlapping", {{{10, 10, 20, 10}, 5}, {{15, 15, 20, 20}, 9}}, {10, 10, 25, 25}, 9},
        {"one above the other", {{{10, 10, 20, 10}, 5}, {{12, 20, 5, 5}, 6}}, {10, 10, 20, 15}, 6},
        {"corner to corner", {{{10, 10, 20, 10}, 5}, {{30, 20, 10, 10}, 8}}, {10, 10, 20, 10}, 5},
        {"a pixel apart", {{{10, 10, 20, 10}, 5}, {{31, 10, 10, 10}, 8}}, {10, 10, 20, 10}, 5},
        {"a chain through a third", {{{10, 10, 20, 10}, 5}, {{50, 10, 10, 10}, 6}, {{30, 15, 20, 2}, 5}},
         {10, 10, 50, 10}, 6},
    };
    // clang-format on
    for (const auto &c : cases) {
        const HiddenAreas hidden(c.cuts, {200, 100});
        EXPECT_EQ(hidden.groupBounds(c.cuts.front().cut), c.groupOfFirst) << c.what;
        EXPECT_EQ(hidden.sigmaOf(c.cuts.front().cut), c.sigmaOfFirst) << c.what;
        QRegion all;
        for (const HiddenCut &cut : c.cuts)
            all += cut.cut;
        EXPECT_EQ(hidden.region(), all) << c.what;
        // A blur reads within its reach, and around its own region.
        const QRect reads = hidden.readArea(c.cuts.front().cut);
        const int reach = blurReach(c.sigmaOfFirst);
        EXPECT_TRUE(reads.contains(c.cuts.front().cut.adjusted(-reach, -reach, reach, reach) & QRect(0, 0, 200, 100)));
        EXPECT_TRUE(reads.contains(c.groupOfFirst)) << c.what;
    }
}

// A region's fill is made from the pixels around it alone: every pixel of
// an L of two boxes on a flat colour takes that colour, whatever lies under
// the boxes or under another box nearby; with nothing around it, grey.
TEST(HiddenAreas, ARegionIsFilledFromAroundItAlone)
{
    // `other` lies along the line above the foot, within its smoothing, but two pixels off it.
    const QRect upright(40, 20, 20, 60), foot(60, 60, 50, 20), other(112, 55, 10, 10);
    const HiddenAreas hidden({{upright, 5}, {foot, 5}, {other, 5}}, {160, 100});
    for (const QColor &flat : {QColor(30, 200, 90), QColor(250, 250, 250)}) {
        QImage image = solidImage(160, 100, flat, QImage::Format_ARGB32_Premultiplied);
        for (const QRect &box : {upright, foot, other})
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    image.setPixel(x, y, 0xff000000u | uint(x * 7919 + y * 104729));
        const std::vector<const HiddenFill *> fills = hidden.fillsWithin(image, {}, upright);
        ASSERT_EQ(fills.size(), 1u);
        const QRect bounds = fills.front()->bounds();
        EXPECT_EQ(bounds, upright | foot);
        std::vector<std::uint32_t> row(std::size_t(bounds.width()));
        int hiddenPixels = 0;
        for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
            fills.front()->row(y, row.data());
            for (const Span &span : fills.front()->spans(y))
                for (int x = span.first; x <= span.last; ++x, ++hiddenPixels)
                    ASSERT_TRUE(colorNear(QColor(row[std::size_t(x - bounds.left())]), flat)) << x << "," << y;
        }
        EXPECT_EQ(hiddenPixels, 20 * 60 + 50 * 20);
        hidden.forget(QRect(0, 0, 160, 100)); // the next colour's fill is made afresh
    }
    // Nothing around it: the whole image under one region.
    const HiddenAreas everything({{{0, 0, 100, 60}, 5}, {{0, 60, 50, 40}, 5}, {{50, 60, 50, 40}, 5}}, {100, 100});
    const QImage image = noiseImage(100, 100).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const HiddenFill &fill = *everything.fillsWithin(image, {}, image.rect()).front();
    std::vector<std::uint32_t> row(100);
    fill.row(70, row.data());
    EXPECT_EQ(row[20], 0xff808080u);
}

} // namespace
} // namespace pintora
