#include "core/Geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace pintora {

using namespace geometry;

TEST(CanvasGeometry, FitsWithTheSmallerRatioAndCentres)
{
    // 100 x 50 in 400 x 400: ratios 4 and 8.
    EXPECT_EQ(displayScale({400, 400}, {100, 50}), 4.0);
    EXPECT_EQ(fittedImageRect({400, 400}, {100, 50}), QRectF(0, 100, 400, 200));
    EXPECT_EQ(canvasToPixel({200, 200}, {400, 400}, {100, 50}), QPointF(50, 25));
    EXPECT_EQ(canvasToPixel({10, 50}, {400, 400}, {100, 50}), QPointF(2.5, 0)); // y clamped from -12.5

    // 10 x 10 in 400 x 300: ratios 40 and 30, capped at 16.
    EXPECT_EQ(displayScale({400, 300}, {10, 10}), 16.0);
    EXPECT_EQ(fittedImageRect({400, 300}, {10, 10}), QRectF(120, 70, 160, 160));

    // 4000 x 3000 in 800 x 600: shrunk to a fifth, no margins.
    EXPECT_DOUBLE_EQ(displayScale({800, 600}, {4000, 3000}), 0.2);
    const QRectF fitted = fittedImageRect({800, 600}, {4000, 3000});
    EXPECT_DOUBLE_EQ(fitted.x(), 0);
    EXPECT_DOUBLE_EQ(fitted.y(), 0);
    EXPECT_DOUBLE_EQ(fitted.width(), 800);
    EXPECT_DOUBLE_EQ(fitted.height(), 600);
    EXPECT_EQ(canvasToPixel({400, 300}, {800, 600}, {4000, 3000}), QPointF(2000, 1500));
}

TEST(CanvasGeometry, ClampsEachCoordinateToTheFarEdgesExactly)
{
    const QSizeF bounds(400, 400), image(100, 50);
    EXPECT_EQ(canvasToPixel({400, 300}, bounds, image), QPointF(100, 50));
    EXPECT_EQ(canvasToPixel({1e9, 1e9}, bounds, image), QPointF(100, 50));
    EXPECT_EQ(canvasToPixel({-5, 1e9}, bounds, image), QPointF(0, 50));
    EXPECT_EQ(canvasToPixel({399.9, 299.9}, bounds, image).x(), 99.975);
    EXPECT_EQ(canvasToPixel({-1e9, -1e9}, bounds, image), QPointF(0, 0));
}

TEST(CanvasGeometry, NoImageAndNotANumber)
{
    EXPECT_EQ(canvasToPixel({200, 200}, {400, 400}, {0, 0}), QPointF(0, 0));
    EXPECT_EQ(canvasToPixel({200, 200}, {400, 400}, QSizeF()), QPointF(0, 0));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(canvasToPixel({nan, 200}, {400, 400}, {100, 50}), QPointF(100, 25));
    EXPECT_EQ(canvasToPixel({200, nan}, {400, 400}, {100, 50}), QPointF(50, 50));
    // A canvas not laid out yet has no scale; the points still land on the image.
    const QPointF unlaid = canvasToPixel({0, 0}, {0, 0}, {100, 50});
    EXPECT_TRUE(unlaid.x() >= 0 && unlaid.x() <= 100 && unlaid.y() >= 0 && unlaid.y() <= 50);
}

// The flips between widget, view and bitmap space and the way back from
// pixels to the view are shown by the canvas's mouse and paint tests and the
// crop's console lines.
TEST(CanvasGeometry, PixelCutWidensToWholePixelsAndStaysInside)
{
    const QSize image(800, 600);
    EXPECT_EQ(pixelCut(QRectF(100, 400, 200, 150), image), QRect(100, 400, 200, 150));
    EXPECT_EQ(pixelCut(QRectF(10.4, 0, 100.2, 1), image).width(), 101); // columns 10 to 110
    EXPECT_EQ(pixelCut(QRectF(10.4, 0.5, 100.2, 1), image), QRect(10, 0, 101, 2));
    EXPECT_EQ(pixelCut(QRectF(-5, -5, 10, 10), image), QRect(0, 0, 5, 5));
    EXPECT_EQ(pixelCut(QRectF(795.5, 590, 100, 100), image), QRect(795, 590, 5, 10));
    EXPECT_TRUE(pixelCut(QRectF(800, 0, 10, 10), image).isEmpty());
    EXPECT_TRUE(pixelCut(QRectF(-20, 0, 10, 10), image).isEmpty());
    EXPECT_TRUE(pixelCut(QRectF(5, 5, 0, 0), image).isEmpty());
    EXPECT_TRUE(pixelCut(QRectF(std::numeric_limits<double>::quiet_NaN(), 0, 10, 10), image).isEmpty());
}

} // namespace pintora
