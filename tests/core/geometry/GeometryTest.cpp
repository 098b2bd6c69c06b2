#include "core/geometry/Geometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

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

namespace pintora {
namespace {

using namespace geometry;

// At every zoom, scrolled anywhere: a pixel maps to the view and back to
// itself; the image never shows beyond its edges where it overflows the
// view, and is centred where it does not fill it.
TEST(ZoomGeometry, ViewAndImageRoundTripAtEveryZoomAndScroll)
{
    const QSizeF bounds(800, 600);
    const struct {
        QSizeF image;
        double scale;
        QPointF centre;
    } cases[] = {
        {{5120, 2880}, 1.0 / 16, {0, 0}}, {{5120, 2880}, 0.5, {2560, 1440}},
        {{5120, 2880}, 1, {0, 0}},        {{5120, 2880}, 1, {5120, 2880}},
        {{5120, 2880}, 2, {100, 2800}},   {{5120, 2880}, 32, {4000, 10}},
        {{100, 50}, 32, {50, 25}},        {{100, 50}, 4, {0, 0}},
        {{9000, 600}, 0.25, {4500, 300}}, {{16384, 4096}, 1.5, {16384, 4096}},
        {{3, 2}, 32, {-100, 1e6}},
    };
    for (const auto &c : cases) {
        const Zoom zoom{c.scale, c.centre};
        const QRectF shown = imageRect(bounds, c.image, zoom);
        EXPECT_DOUBLE_EQ(shown.width(), c.scale * c.image.width());
        for (const auto &[along, length, start, extent] :
             {std::tuple{'x', bounds.width(), shown.x(), shown.width()},
              std::tuple{'y', bounds.height(), shown.y(), shown.height()}}) {
            if (extent > length) {
                EXPECT_LE(start, 0) << along << " scale " << c.scale;
                EXPECT_GE(start + extent, length) << along << " scale " << c.scale;
            } else { // whole in the view
                EXPECT_GE(start, 0) << along << " scale " << c.scale;
                EXPECT_LE(start + extent, length) << along << " scale " << c.scale;
            }
        }
        for (const QPointF pixel : {QPointF(0, 0), QPointF(c.image.width(), c.image.height()), QPointF(1.5, 1),
                                    QPointF(c.image.width() / 2, c.image.height() / 3)}) {
            const QPointF inView = pixelToView(QRectF(pixel, QSizeF()), bounds, c.image, zoom).topLeft();
            const QPointF back = canvasToPixel(inView, bounds, c.image, zoom);
            EXPECT_NEAR(back.x(), pixel.x(), 1e-9) << "scale " << c.scale;
            EXPECT_NEAR(back.y(), pixel.y(), 1e-9) << "scale " << c.scale;
        }
    }
    // A zoom about the middle of an image that fits leaves it centred.
    EXPECT_EQ(imageRect(bounds, {100, 50}, Zoom{4, {50, 25}}), QRectF(200, 200, 400, 200));
    // Fitted is the geometry of old.
    EXPECT_EQ(imageRect(bounds, {4000, 3000}, Zoom{}), fittedImageRect(bounds, {4000, 3000}));
}

// Zooming about a point keeps the pixel under it there, unless the image's
// edges stop it; scrolling moves the image with the pointer and stops at
// its edges.
TEST(ZoomGeometry, ZoomKeepsThePixelUnderThePointerAndScrollingStopsAtTheEdges)
{
    const QSizeF bounds(800, 600), image(5120, 2880);
    const Zoom fitted{};
    const QPointF pointer(300, 200);
    const QPointF under = canvasToPixel(pointer, bounds, image, fitted);
    for (const double scale : {0.25, 1.0, 8.0, 32.0}) {
        const Zoom zoom = zoomedAbout(fitted, scale, pointer, bounds, image);
        const QPointF now = canvasToPixel(pointer, bounds, image, zoom);
        EXPECT_NEAR(now.x(), under.x(), 1e-6) << scale;
        EXPECT_NEAR(now.y(), under.y(), 1e-6) << scale;
    }
    // From a fitted view that leaves room on one side, to a scale at which
    // the image still fits that way (the first step at scale 2 often does):
    // the pixel stays, the image stays whole in the view.
    const QSizeF wide(1536, 798), shot(1920, 1080);
    for (const QPointF at : {QPointF(200, 100), QPointF(768, 399), QPointF(1400, 700)}) {
        const QPointF before = canvasToPixel(at, wide, shot, fitted);
        const Zoom step = zoomedAbout(fitted, 0.75, at, wide, shot);
        const QPointF after = canvasToPixel(at, wide, shot, step);
        EXPECT_NEAR(after.x(), before.x(), 1e-6) << at.x();
        EXPECT_NEAR(after.y(), before.y(), 1e-6) << at.x();
        const QRectF shown = imageRect(wide, shot, step);
        EXPECT_GE(shown.left(), 0);
        EXPECT_LE(shown.right(), wide.width() + 1e-9);
    }
    // About the view's lower-left corner at 100 %: the corner pixel stays put.
    const Zoom corner = zoomedAbout(fitted, 1, {0, 0}, bounds, image);
    EXPECT_EQ(canvasToPixel({0, 0}, bounds, image, corner), QPointF(0, 0));

    Zoom zoom{1, {2560, 1440}};
    zoom = scrolledBy(zoom, {100, -50}, bounds, image);
    EXPECT_EQ(zoom.centre, QPointF(2460, 1490));
    zoom = scrolledBy(zoom, {1e6, 1e6}, bounds, image); // far beyond the lower-left corner
    EXPECT_EQ(imageRect(bounds, image, zoom).topLeft(), QPointF(0, 0));
    zoom = scrolledBy(zoom, {-10, -10}, bounds, image); // moves at once: nothing piled up
    EXPECT_EQ(imageRect(bounds, image, zoom).topLeft(), QPointF(-10, -10));
    EXPECT_EQ(scrolledBy(fitted, {10, 10}, bounds, image), fitted);
}

TEST(ZoomGeometry, StepsRunFromASixteenthTo32)
{
    const struct {
        double from;
        int steps;
        double expected;
    } cases[] = {
        {1, 1, 1.5},         {1, -1, 2.0 / 3}, {0.35, 1, 0.5},
        {0.35, -1, 1.0 / 3}, {32, 1, 32},      {1.0 / 16, -1, 1.0 / 16},
        {0.01, 1, 1.0 / 16}, {1, 8, 16},       {1, 10, 32},
        {1.5, -1, 1},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(zoomStep(c.from, c.steps), c.expected) << c.from << " by " << c.steps;
    EXPECT_DOUBLE_EQ(zoomPercent(0.5, 2), 100);
}

} // namespace
} // namespace pintora
