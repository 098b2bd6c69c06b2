#include "ImageTestSupport.h"
#include "core/pixels/DisplayScaling.h"

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
        // Over the checkerboard's light square (153 grey): 128 + 153 · 127/255.
        {"translucent, over the checkerboard", halfRed, {4, 4}, QColor(204, 76, 76), QColor(204, 76, 76)},
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

// Transparent pixels show over squares of 8 display pixels, light and dark;
// a window onto the display (as a zoomed-in canvas keeps) is exactly that
// part of the whole display, squares included.
TEST(DisplayScaling, TransparencyShowsOverCheckerboardSquaresAndAWindowIsPartOfTheWhole)
{
    const QImage clear = solidImage(8, 8, Qt::transparent, QImage::Format_ARGB32);
    const QImage squares = DisplayScaling(clear.size(), {32, 32}).render(clear);
    EXPECT_EQ(squares.pixelColor(0, 0), QColor(153, 153, 153));
    EXPECT_EQ(squares.pixelColor(7, 7), QColor(153, 153, 153));
    EXPECT_EQ(squares.pixelColor(8, 0), QColor(102, 102, 102));
    EXPECT_EQ(squares.pixelColor(8, 8), QColor(153, 153, 153));

    QImage image = noiseImage(300, 200).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 200; y += 3)
        for (int x = 0; x < 300; ++x)
            image.setPixelColor(x, y, QColor(0, 0, 255, x % 256)); // translucent rows
    // clang-format off
    const struct {
        QSize display;
        QRect window;
    } cases[] = {
        {{150, 100}, {20, 30, 50, 40}},   // shrunk
        {{2400, 1600}, {1013, 777, 300, 200}}, // enlarged 8 times
        {{300, 200}, {0, 0, 300, 200}},
        {{2400, 1600}, {2300, 1550, 100, 50}}, // at the far corner
    };
    // clang-format on
    for (const auto &c : cases) {
        const DisplayScaling scaling(image.size(), c.display);
        QImage window(c.window.size(), QImage::Format_RGB32);
        scaling.renderArea(image, window, c.window, c.window.topLeft());
        EXPECT_EQ(window, scaling.render(image).copy(c.window)) << c.display.width() << " " << c.window.x();
    }
}

// The display's pixels are those of the plain per-pixel average it was
// first written as, to the bit, whatever vector path the processor takes:
// digests of that version's renders of noise, opaque and translucent, at
// ratios with ragged tap counts, an odd last column and no scaling.
TEST(DisplayScaling, RendersTheSamePixelsAsThePlainAverage)
{
    // clang-format off
    const struct { QSize image, display; QImage::Format format; quint64 digest; } cases[] = {
        {{1000, 700}, {301, 211}, QImage::Format_RGB32, 0x5f22f6112e5cdcd0ull},
        {{1000, 700}, {587, 411}, QImage::Format_ARGB32_Premultiplied, 0xe79e0efd0e547b7ull},
        {{2047, 1023}, {259, 129}, QImage::Format_ARGB32, 0x60722d2268988fc4ull},
        {{640, 480}, {640, 480}, QImage::Format_RGB32, 0xe26819f8fd451383ull},
        {{300, 200}, {299, 7}, QImage::Format_ARGB32_Premultiplied, 0x309239c5321e5504ull},
    };
    // clang-format on
    for (const auto &c : cases) {
        QImage image(c.image, QImage::Format_ARGB32);
        quint32 state = 99;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                state = state * 1664525u + 1013904223u;
                image.setPixel(x, y, state);
            }
        const QImage shown = DisplayScaling(c.image, c.display).render(image.convertToFormat(c.format));
        quint64 digest = 1469598103934665603ull; // FNV-1a over the pixels
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                digest = (digest ^ shown.pixel(x, y)) * 1099511628211ull;
        EXPECT_EQ(digest, c.digest) << c.image.width() << " x " << c.image.height() << " shown at " << c.display.width()
                                    << " x " << c.display.height();
    }
}

} // namespace
} // namespace pintora
