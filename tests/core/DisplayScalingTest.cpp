#include "ImageTestSupport.h"
#include "core/DisplayScaling.h"

#include <gtest/gtest.h>

namespace pintora {
namespace {

TEST(DisplayScaling, ShrinkingAveragesAndEnlargingRepeatsPixels)
{
    QImage checkerboard(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            checkerboard.setPixel(x, y, (x + y) % 2 ? 0xffffffff : 0xff000000);
    const QImage halfRed = solidImage(4, 4, QColor(255, 0, 0, 128), QImage::Format_ARGB32);

    // clang-format off
    const struct {
        const char *name;
        QImage image;
        QSize display;
        QColor topLeft, next; // display pixels (0, 0) and (1, 0)
    } cases[] = {
        {"shrunk, lines of text turn grey", checkerboard, {4, 4}, QColor(128, 128, 128), QColor(128, 128, 128)},
        {"enlarged, pixels stay sharp", checkerboard, {16, 16}, Qt::black, Qt::black},
        {"translucent, on black", halfRed, {4, 4}, QColor(128, 0, 0), QColor(128, 0, 0)},
        // Each display pixel takes a part of the pixels it only partly
        // covers: a flat image stays flat at any ratio.
        {"shrunk by a ratio that is not whole", solidImage(1000, 1000, QColor(200, 100, 50)), {333, 333},
         QColor(200, 100, 50), QColor(200, 100, 50)},
    };
    // clang-format on
    for (const auto &c : cases) {
        const QImage display = DisplayScaling(c.image.size(), c.display).render(c.image);
        ASSERT_EQ(display.size(), c.display) << c.name;
        EXPECT_TRUE(colorNear(display.pixelColor(0, 0), c.topLeft)) << c.name;
        EXPECT_TRUE(colorNear(display.pixelColor(1, 0), c.next)) << c.name;
        EXPECT_TRUE(colorNear(display.pixelColor(c.display.width() - 1, c.display.height() - 1), c.topLeft)) << c.name;
    }
}

TEST(DisplayScaling, AnUpdatedAreaIsExactlyWhatARebuildMakes)
{
    // clang-format off
    const struct {
        QSize image, display;
        QRect changed;
    } cases[] = {
        {{1000, 700}, {333, 233}, {400, 300, 37, 21}},
        {{1000, 700}, {333, 233}, {0, 690, 1000, 10}}, // along the bottom edge
        {{150, 100}, {400, 267}, {149, 0, 1, 100}},    // enlarged, the last column
        {{640, 480}, {640, 480}, {10, 10, 1, 1}},
    };
    // clang-format on
    for (const auto &c : cases) {
        const DisplayScaling scaling(c.image, c.display);
        QImage image = noiseImage(c.image.width(), c.image.height());
        QImage display = scaling.render(image);
        for (int y = c.changed.top(); y <= c.changed.bottom(); ++y)
            for (int x = c.changed.left(); x <= c.changed.right(); ++x)
                image.setPixel(x, y, 0xffffffff);
        scaling.renderArea(image, display, scaling.displayArea(c.changed));
        EXPECT_EQ(display, scaling.render(image)) << c.display.width();
    }
}

} // namespace
} // namespace pintora
