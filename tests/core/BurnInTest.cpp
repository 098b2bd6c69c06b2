#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/BurnIn.h"
#include "core/EditorDocument.h"
#include "core/GaussianBlur.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pintora {

namespace {

const QColor blue(0, 0, 255);
const RectangleStyle redOutline{QColor(Qt::red), 3.0, false, false};
const RectangleStyle redFilled{QColor(Qt::red), 3.0, true, false};
const RectangleStyle blur{QColor(Qt::red), 3.0, false, true};

QImage burn(const QImage &source, const QRectF &pixelRect, const RectangleStyle &style)
{
    EditorDocument document;
    document.setImage(source);
    document.drawRectangleOnImage(pixelRect, style);
    return document.currentImage();
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

TEST(BurnIn, OutlineAndFillCoverTheirBandsWithMitredCorners)
{
    // Pixel space (10, 10, 100, 50) is bitmap rows 40 to 90, columns 10 to 110.
    const RectangleStyle wide{QColor(Qt::red), 5.0, false, false};
    const RectangleStyle halfGreen{QColor(0, 255, 0, 128), 3.0, false, false};
    const QColor edge(128, 0, 127); // half red over blue
    const struct {
        RectangleStyle style;
        QPoint pixel;
        QColor expected;
        int tolerance;
    } cases[] = {
        {redOutline, {9, 65}, Qt::red, 1},       // 8.5 to 11.5 across the left edge
        {redOutline, {10, 65}, Qt::red, 1},
        {redOutline, {8, 65}, edge, 12},         // the antialiased half pixels
        {redOutline, {11, 65}, edge, 12},
        {redOutline, {7, 65}, blue, 0},
        {redOutline, {110, 65}, Qt::red, 1},     // right, top and bottom edges
        {redOutline, {60, 40}, Qt::red, 1},
        {redOutline, {60, 89}, Qt::red, 1},
        {redOutline, {12, 65}, blue, 0},         // the inside keeps its pixels
        {redOutline, {107, 87}, blue, 0},
        {wide, {8, 38}, Qt::red, 0},             // a mitred corner is square, a round one is not
        {redFilled, {60, 65}, over(Qt::red, 0.3, blue), 1},
        {redFilled, {12, 65}, over(Qt::red, 0.3, blue), 1},
        {redFilled, {9, 65}, Qt::red, 1},
        {redFilled, {7, 65}, blue, 0},
        {halfGreen, {10, 65}, over(QColor(0, 255, 0), 128 / 255.0, blue), 2}, // the colour's own opacity
    };
    ConsoleCapture console;
    for (const auto &c : cases) {
        const QImage result = burn(solidImage(200, 100, blue), QRectF(10, 10, 100, 50), c.style);
        EXPECT_TRUE(colorNear(result.pixelColor(c.pixel), c.expected, c.tolerance))
            << c.pixel.x() << "," << c.pixel.y() << " width " << c.style.lineWidth;
    }
    EXPECT_EQ(console.lines()[0], "🎨 Drawing ON image: rect=(10.0, 10.0, 100.0, 50.0)");
    EXPECT_EQ(console.lines()[1], "✅ Rectangle drawn on image!");
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

TEST(BurnIn, AnImageSharedElsewhereIsNeverChangedAndTheResultHasOnePointPerPixel)
{
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGBA8888}) {
        QImage shown = noiseImage(60, 40).convertToFormat(format);
        shown.setDevicePixelRatio(2.0);
        const QImage untouched = shown.copy();
        for (const RectangleStyle &style : {redOutline, redFilled, blur}) {
            const QImage result = burn(shown, QRectF(5, 5, 30, 20), style);
            EXPECT_EQ(shown, untouched) << "format " << format;
            EXPECT_NE(result, shown);
            EXPECT_EQ(result.format(), format);
            EXPECT_EQ(result.devicePixelRatio(), 1.0);
        }
    }
}

TEST(BurnIn, FailuresLeaveTheImageAsItWas)
{
    ConsoleCapture console;
    EditorDocument empty;
    empty.drawRectangleOnImage(QRectF(10, 10, 50, 50), redOutline);
    EXPECT_TRUE(empty.currentImage().isNull());
    EXPECT_EQ(console.lines(), std::vector<std::string>{"❌ No image to draw on"});

    console.clear();
    const QImage source = solidImage(100, 50, blue);
    EXPECT_EQ(burn(source, QRectF(300, 10, 20, 20), blur), source); // nothing of it on the image
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"🎨 Drawing ON image: rect=(300.0, 10.0, 20.0, 20.0)",
                                                         "❌ Cannot crop blurred region"}));
}

} // namespace pintora
