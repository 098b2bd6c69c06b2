#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "canvas/BurnIn.h"
#include "canvas/CanvasView.h"
#include "canvas/GaussianBlur.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QColor blue(0, 0, 255);
const RectangleStyle redOutline{QColor(Qt::red), 3.0, false, false};
const RectangleStyle redFilled{QColor(Qt::red), 3.0, true, false};
const RectangleStyle blur{QColor(Qt::red), 3.0, false, true};

QImage burn(const QImage &source, const QRectF &pixelRect, const RectangleStyle &style)
{
    CanvasView canvas;
    canvas.setImage(source);
    canvas.drawRectangleOnImage(pixelRect, style);
    return canvas.currentImage();
}

// The blur written out directly: a 2D Gaussian of sigma 5 over six sigmas,
// premultiplied, transparent outside, in doubles. Returns premultiplied RGBA.
std::array<double, 4> referenceBlur(const QImage &image, int cx, int cy)
{
    const double sigma = 5.0;
    const int radius = 30;
    std::array<double, 4> sum{};
    double weights = 0;
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const double w = std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
            weights += w;
            const int x = cx + dx, y = cy + dy;
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
                continue;
            const QColor c = image.pixelColor(x, y);
            const double a = c.alphaF();
            sum[0] += w * c.red() * a;
            sum[1] += w * c.green() * a;
            sum[2] += w * c.blue() * a;
            sum[3] += w * 255 * a;
        }
    }
    for (double &channel : sum)
        channel /= weights;
    return sum;
}

} // namespace

TEST(BurnIn, OutlineCoversABandCentredOnTheEdgesWithMitredCorners)
{
    ConsoleCapture console;
    const QImage source = solidImage(200, 100, blue);
    // Pixel space (10, 10, 100, 50) is rows 40 to 90 from the top.
    const QImage result = burn(source, QRectF(10, 10, 100, 50), redOutline);
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"🎨 Drawing ON image: rect=(10.0, 10.0, 100.0, 50.0)",
                                                         "✅ Rectangle drawn on image!"}));

    // Width 3 covers 8.5 to 11.5 across the left edge at x = 10.
    EXPECT_TRUE(colorNear(result.pixelColor(9, 65), Qt::red));
    EXPECT_TRUE(colorNear(result.pixelColor(10, 65), Qt::red));
    EXPECT_TRUE(colorNear(result.pixelColor(8, 65), QColor(128, 0, 127), 12));
    EXPECT_TRUE(colorNear(result.pixelColor(11, 65), QColor(128, 0, 127), 12));
    EXPECT_EQ(result.pixelColor(7, 65), blue);
    EXPECT_TRUE(colorNear(result.pixelColor(110, 65), Qt::red)); // right edge
    EXPECT_TRUE(colorNear(result.pixelColor(60, 40), Qt::red));  // top edge
    EXPECT_TRUE(colorNear(result.pixelColor(60, 89), Qt::red));  // bottom edge
    EXPECT_TRUE(colorNear(result.pixelColor(9, 39), Qt::red));   // a square corner, not a bevel

    for (int y = 42; y < 88; ++y)
        for (int x = 12; x < 108; ++x)
            ASSERT_EQ(result.pixelColor(x, y), blue) << x << "," << y;
    EXPECT_EQ(result.pixelColor(150, 20), blue);
}

TEST(BurnIn, FilledBoxIsATintUnderASolidOutline)
{
    const QImage result = burn(solidImage(200, 100, blue), QRectF(10, 10, 100, 50), redFilled);
    EXPECT_TRUE(colorNear(result.pixelColor(60, 65), over(Qt::red, 0.3, blue)));
    EXPECT_TRUE(colorNear(result.pixelColor(12, 65), over(Qt::red, 0.3, blue)));
    EXPECT_TRUE(colorNear(result.pixelColor(10, 65), Qt::red));
    EXPECT_TRUE(colorNear(result.pixelColor(9, 65), Qt::red));
    EXPECT_EQ(result.pixelColor(7, 65), blue);
}

TEST(BurnIn, OutlineKeepsTheColoursOwnOpacity)
{
    const RectangleStyle halfGreen{QColor(0, 255, 0, 128), 3.0, false, false};
    const QImage result = burn(solidImage(200, 100, blue), QRectF(10, 10, 100, 50), halfGreen);
    EXPECT_TRUE(colorNear(result.pixelColor(10, 65), over(QColor(0, 255, 0), 128 / 255.0, blue), 2));
}

TEST(BurnIn, BlurMatchesADirectGaussianInsideAndChangesNothingOutside)
{
    const QImage source = noiseImage(140, 120);
    const QRectF pixelRect(40, 30, 50, 40); // bitmap rows 50 to 90
    const QImage result = burn(source, pixelRect, blur);

    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 140; ++x) {
            const bool inside = x >= 40 && x < 90 && y >= 50 && y < 90;
            if (!inside) {
                ASSERT_EQ(result.pixel(x, y), source.pixel(x, y)) << x << "," << y;
                continue;
            }
            const std::array<double, 4> expected = referenceBlur(source, x, y);
            const QColor got = result.pixelColor(x, y);
            ASSERT_LE(std::abs(got.red() - expected[0]), 1.0) << x << "," << y;
            ASSERT_LE(std::abs(got.green() - expected[1]), 1.0) << x << "," << y;
            ASSERT_LE(std::abs(got.blue() - expected[2]), 1.0) << x << "," << y;
        }
    }
}

TEST(BurnIn, FilledAndBlurTogetherIsJustTheBlur)
{
    const QImage source = noiseImage(100, 80);
    const RectangleStyle both{QColor(Qt::red), 3.0, true, true};
    EXPECT_EQ(burn(source, QRectF(20, 20, 40, 30), both), burn(source, QRectF(20, 20, 40, 30), blur));
    EXPECT_NE(burn(source, QRectF(20, 20, 40, 30), both), burn(source, QRectF(20, 20, 40, 30), redFilled));
}

TEST(BurnIn, BlurFadesToTransparentAtTheImageEdgeAndTheOldImageShowsThrough)
{
    const QImage source = noiseImage(100, 80);
    QImage premultiplied = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage patch = gaussianBlurCut(premultiplied, QRect(0, 20, 20, 40), 5.0);
    // Half the kernel lies outside the image at the first column.
    EXPECT_LT(qAlpha(patch.pixel(0, 20)), 160);
    EXPECT_GT(qAlpha(patch.pixel(0, 20)), 110);
    EXPECT_EQ(qAlpha(patch.pixel(19, 20)), 255);

    const QImage result = burn(source, QRectF(0, 20, 20, 40), blur); // bitmap rows 20 to 60
    for (int x : {0, 1, 2}) {
        const std::array<double, 4> blurred = referenceBlur(source, x, 40);
        const QColor old = source.pixelColor(x, 40);
        const double showThrough = 1 - blurred[3] / 255;
        const QColor expected(int(std::lround(blurred[0] + showThrough * old.red())),
                              int(std::lround(blurred[1] + showThrough * old.green())),
                              int(std::lround(blurred[2] + showThrough * old.blue())));
        EXPECT_TRUE(colorNear(result.pixelColor(x, 40), expected, 2)) << "column " << x;
    }
}

TEST(BurnIn, FractionalBlurRectangleIsWidenedToPixelsAndSqueezedBack)
{
    const QImage source = noiseImage(100, 80);
    // Bitmap rows 39.25 to 59.75, cut as rows 39 to 60 and drawn back into the fraction.
    const QImage result = burn(source, QRectF(20.5, 20.25, 30.5, 20.5), blur);
    // Well inside, it is the blur of nearly the same place; outside, untouched.
    const std::array<double, 4> expected = referenceBlur(source, 35, 50);
    EXPECT_LE(std::abs(result.pixelColor(35, 50).green() - expected[1]), 3.0);
    EXPECT_EQ(result.pixel(35, 37), source.pixel(35, 37));
    EXPECT_EQ(result.pixel(35, 61), source.pixel(35, 61));
    EXPECT_EQ(result.pixel(18, 50), source.pixel(18, 50));
    EXPECT_EQ(result.pixel(52, 50), source.pixel(52, 50));
}

TEST(BurnIn, ThePreviousImageIsNeverChanged)
{
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGBA8888}) {
        const QImage shown = noiseImage(60, 40).convertToFormat(format);
        const QImage untouched = shown.copy();
        for (const RectangleStyle &style : {redOutline, redFilled, blur}) {
            const QImage result = burn(shown, QRectF(5, 5, 30, 20), style);
            EXPECT_EQ(shown, untouched) << "format " << format;
            EXPECT_NE(result, shown);
            EXPECT_EQ(result.format(), QImage::Format_ARGB32_Premultiplied);
            EXPECT_EQ(result.size(), shown.size());
        }
    }
}

TEST(BurnIn, TwoBurnInsInARowKeepBoth)
{
    CanvasView canvas;
    canvas.setImage(solidImage(200, 100, blue));
    canvas.drawRectangleOnImage(QRectF(10, 10, 50, 50), redOutline);
    canvas.drawRectangleOnImage(QRectF(120, 10, 50, 50), redOutline);
    EXPECT_TRUE(colorNear(canvas.currentImage().pixelColor(10, 60), Qt::red));
    EXPECT_TRUE(colorNear(canvas.currentImage().pixelColor(120, 60), Qt::red));
}

TEST(BurnIn, NewImageHasOnePointPerPixel)
{
    QImage retina = solidImage(200, 100, blue);
    retina.setDevicePixelRatio(2.0);
    const QImage result = burn(retina, QRectF(10, 10, 50, 50), redOutline);
    EXPECT_EQ(result.devicePixelRatio(), 1.0);
    EXPECT_EQ(result.size(), QSize(200, 100));
}

TEST(BurnIn, FailuresLeaveTheImageAsItWas)
{
    ConsoleCapture console;
    CanvasView empty;
    empty.drawRectangleOnImage(QRectF(10, 10, 50, 50), redOutline);
    EXPECT_TRUE(empty.currentImage().isNull());
    EXPECT_EQ(console.lines(), std::vector<std::string>{"❌ No image to draw on"});

    console.clear();
    CanvasView canvas;
    const QImage source = solidImage(100, 50, blue);
    canvas.setImage(source);
    canvas.drawRectangleOnImage(QRectF(300, 10, 20, 20), blur); // nothing of it on the image
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"🎨 Drawing ON image: rect=(300.0, 10.0, 20.0, 20.0)",
                                                         "❌ Cannot crop blurred region"}));
    EXPECT_EQ(canvas.currentImage().cacheKey(), source.cacheKey());
}
