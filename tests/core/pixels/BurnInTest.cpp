#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "core/pixels/BurnIn.h"
#include "core/pixels/GaussianBlur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

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

// A true Gaussian of `sigma` over six sigmas, edges repeated, in doubles:
// the green channel of an opaque image around `cut`.
std::vector<double> referenceBlur(const QImage &image, const QRect &cut, double sigma)
{
    const int radius = int(std::ceil(6 * sigma));
    std::vector<double> kernel;
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += kernel.emplace_back(std::exp(-0.5 * i * i / (sigma * sigma)));
    const auto green = [&](int x, int y) {
        return double(qGreen(image.pixel(std::clamp(x, 0, image.width() - 1), std::clamp(y, 0, image.height() - 1))));
    };
    // Across first, over every row the second pass reads.
    std::vector<double> across(size_t(cut.width()) * size_t(cut.height() + 2 * radius));
    for (int r = 0; r < cut.height() + 2 * radius; ++r)
        for (int x = 0; x < cut.width(); ++x) {
            double sum = 0;
            for (int k = -radius; k <= radius; ++k)
                sum += kernel[size_t(k + radius)] * green(cut.left() + x + k, cut.top() - radius + r);
            across[size_t(r) * size_t(cut.width()) + size_t(x)] = sum / total;
        }
    std::vector<double> result(size_t(cut.width()) * size_t(cut.height()));
    for (int y = 0; y < cut.height(); ++y)
        for (int x = 0; x < cut.width(); ++x) {
            double sum = 0;
            for (int k = -radius; k <= radius; ++k)
                sum += kernel[size_t(k + radius)] * across[size_t(y + radius + k) * size_t(cut.width()) + size_t(x)];
            result[size_t(y) * size_t(cut.width()) + size_t(x)] = sum / total;
        }
    return result;
}

} // namespace

TEST(BurnIn, OutlineAndFillCoverTheirBandsWithMitredCorners)
{
    // Pixel space (10, 10, 100, 50) is bitmap rows 40 to 90, columns 10 to 110.
    const RectangleStyle wide{QColor(Qt::red), 5.0, false, false};
    const RectangleStyle halfGreen{QColor(0, 255, 0, 128), 3.0, false, false};
    const QColor edge(128, 0, 127); // half red over blue
    // clang-format off
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
    // clang-format on
    ConsoleCapture console;
    for (const auto &c : cases) {
        const QImage result = burn(solidImage(200, 100, blue), QRectF(10, 10, 100, 50), c.style);
        EXPECT_TRUE(colorNear(result.pixelColor(c.pixel), c.expected, c.tolerance))
            << c.pixel.x() << "," << c.pixel.y() << " width " << c.style.lineWidth;
    }
    EXPECT_EQ(console.lines()[0], "💾 State saved for undo (stack size: 1)"); // each burn-in is a step
    EXPECT_EQ(console.lines()[1], "🎨 Drawing ON image: rect=(10.0, 10.0, 100.0, 50.0)");
    EXPECT_EQ(console.lines()[2], "✅ Rectangle drawn on image!");
}

TEST(Blur, LooksLikeAGaussianAndRepeatsTheEdgeInsteadOfFading)
{
    // Sharp edges and fine stripes, like text; a cut in the middle and cuts
    // along the edges, where a blur that fades lets the stripes through.
    QImage image(200, 150, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            image.setPixel(x, y, (x / 2 + y / 7) % 2 || x > 150 ? 0xff202020 : 0xfff0f0f0);
    // Noise up to the right and bottom edges: each edge pixel must be the one
    // repeated, not its neighbour.
    const QImage noise = noiseImage(200, 150).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // clang-format off
    const struct {
        const QImage &image;
        QRect cut;
        double sigma;
    } cases[] = {
        {image, {60, 40, 80, 60}, 5.0}, {image, {60, 40, 80, 60}, 20.0}, {image, {0, 0, 30, 150}, 12.0},
        {image, {150, 100, 50, 50}, 40.0}, {noise, {170, 120, 30, 30}, 5.0}, {noise, {0, 130, 200, 20}, 5.0},
        {noise, {185, 0, 15, 150}, 5.0},
    };
    // clang-format on
    for (const auto &c : cases) {
        const QImage patch = gaussianBlurCut(c.image, c.cut, c.sigma);
        const std::vector<double> expected = referenceBlur(c.image, c.cut, c.sigma);
        double worst = 0, total = 0;
        for (int y = 0; y < c.cut.height(); ++y)
            for (int x = 0; x < c.cut.width(); ++x) {
                ASSERT_EQ(qAlpha(patch.pixel(x, y)), 255) << x << "," << y;
                const double error = std::abs(qGreen(patch.pixel(x, y)) - expected[size_t(y * c.cut.width() + x)]);
                worst = std::max(worst, error);
                total += error;
            }
        // Three boxes are a Gaussian to the eye: within a few levels.
        EXPECT_LT(worst, 3.0) << c.sigma;
        EXPECT_LT(total / (c.cut.width() * c.cut.height()), 1.0) << c.sigma;
    }
}

// What a blur leaves outside its box and its likeness to a Gaussian are
// shown by the document's and the Gaussian's tests.
TEST(Blur, StrengthFollowsTheBoxUpToACap)
{
    EXPECT_EQ(blurSigmaFor({10, 40}), 5.0);
    EXPECT_EQ(blurSigmaFor({400, 300}), 75.0);
    EXPECT_EQ(blurSigmaFor({300, 4000}), 75.0);
    EXPECT_EQ(blurSigmaFor({4000, 3000}), blurSigmaCap);
    // Strokes 10 px wide that cross the box's edges are smoothed away along
    // it (deviation 25); a fixed 5 px blur would leave them standing.
    QImage stripes(300, 200, QImage::Format_RGB32);
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 200; ++y)
            stripes.setPixel(x, y, x / 10 % 2 ? 0xffffffff : 0xff000000);
    const QImage flat = burn(stripes, QRectF(50, 50, 200, 100), blur);
    for (int y : {52, 100, 147}) {
        int steepest = 0;
        for (int x = 60; x < 240; ++x)
            steepest = std::max(steepest, std::abs(qGreen(flat.pixel(x + 1, y)) - qGreen(flat.pixel(x, y))));
        EXPECT_LE(steepest, 2) << "row " << y;
    }
}

// Whatever lies under a blur, the result is the same: every candidate
// secret gives the same patch, so none can be matched back.
TEST(Blur, TheResultDependsOnNothingUnderTheBox)
{
    std::mt19937 random(20261207);
    const auto below = [&](int n) { return int(random() % unsigned(n)); };
    const auto noise
        = [&](QImage &image, const QRect &area, bool translucent) { fillWithNoise(image, area, translucent, random); };
    enum Place { inside, acrossAnEdge, overEverything };
    const struct {
        QImage::Format format;
        bool translucent;
    } kinds[] = {{QImage::Format_RGB32, false},  {QImage::Format_ARGB32_Premultiplied, true},
                 {QImage::Format_ARGB32, true},  {QImage::Format_RGBA64, true},
                 {QImage::Format_RGB888, false}, {QImage::Format_Grayscale8, false}};
    for (const auto &kind : kinds) {
        for (int trial = 0; trial < 30; ++trial) {
            const Place place = Place(trial % 3);
            QImage first(10 + below(150), 10 + below(150), QImage::Format_ARGB32_Premultiplied);
            noise(first, first.rect(), kind.translucent);
            const double w = first.width(), h = first.height(), fraction = below(100) / 100.0;
            QRectF box; // pixel space
            if (place == inside)
                box = QRectF(1 + below(int(w) / 2) + fraction, 1 + below(int(h) / 2) + fraction, 2 + below(int(w) / 2),
                             2 + below(int(h) / 2))
                    & QRectF(1, 1, w - 2, h - 2);
            else if (place == acrossAnEdge)
                box = QRectF(below(int(w)) - w / 2 + fraction, below(int(h)) - h / 2, w / 2 + below(int(w)),
                             5 + below(20));
            else
                box = QRectF(-fraction, -3, w + 7, h + 3 + fraction);
            const QRect under = geometry::pixelCut(geometry::bitmapRectFromPixel(box, int(h)), first.size());
            if (under.isEmpty())
                continue;
            QImage second = first.copy();
            noise(second, under, kind.translucent);
            const QImage one = burn(first.convertToFormat(kind.format), box, blur);
            const QImage other = burn(second.convertToFormat(kind.format), box, blur);
            ASSERT_EQ(one, other) << "format " << kind.format << ", trial " << trial << ", box " << box.x() << ","
                                  << box.y() << " " << box.width() << "x" << box.height();
            EXPECT_NE(one, first.convertToFormat(kind.format));
            // With nothing around it, a blur is a neutral grey.
            if (place == overEverything && !kind.translucent) {
                EXPECT_EQ(one.convertToFormat(QImage::Format_RGB32), solidImage(int(w), int(h), QColor(0x808080)));
            }
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
    EXPECT_EQ(console.lines(),
              (std::vector<std::string>{"🎨 Drawing ON image: rect=(300.0, 10.0, 20.0, 20.0)",
                                        "❌ Cannot crop blurred region"}));
}

} // namespace pintora
