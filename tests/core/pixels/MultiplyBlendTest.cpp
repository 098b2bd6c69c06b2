#include "ImageTestSupport.h"
#include "core/pixels/MultiplyBlend.h"
#include "core/pixels/StrokeCoverage.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <random>

namespace pintora {
namespace {

// The blend done by table gives QPainter's Multiply at the same opacity, on
// every format, translucent pixels included.
TEST(MultiplyBlend, MatchesQPaintersMultiply)
{
    std::mt19937 random(3);
    const auto byte = [&] { return int(std::uniform_int_distribution<>(0, 255)(random)); };
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
                                        QImage::Format_ARGB32, QImage::Format_RGBA64, QImage::Format_RGB888}) {
        for (const QColor &color : {QColor(Qt::yellow), QColor(40, 200, 90), QColor(Qt::black)}) {
            QImage pixels(64, 48, QImage::Format_ARGB32);
            QImage coverage(pixels.size(), QImage::Format_Alpha8);
            for (int y = 0; y < pixels.height(); ++y)
                for (int x = 0; x < pixels.width(); ++x) {
                    pixels.setPixel(x, y, qRgba(byte(), byte(), byte(), y < 24 ? 255 : byte()));
                    coverage.scanLine(y)[x] = uchar(x % 4 == 0 ? 0 : x % 4 == 1 ? 255 : byte());
                }
            pixels = pixels.convertToFormat(format);
            QImage expected = pixels.copy();
            {
                QPainter painter(&expected);
                painter.setCompositionMode(QPainter::CompositionMode_Multiply);
                painter.setOpacity(0.6);
                painter.drawImage(0, 0, coloredCoverage(coverage, color));
            }
            multiplyCoverage(pixels, coverage, color, 0.6);
            ASSERT_EQ(pixels.format(), format);
            // Compared premultiplied: a faint pixel's colour is its rounding magnified.
            const QImage ours = pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage theirs = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < pixels.height(); ++y)
                for (int x = 0; x < pixels.width(); ++x)
                    ASSERT_TRUE(colorNear(QColor::fromRgba(ours.pixel(x, y)), QColor::fromRgba(theirs.pixel(x, y)), 2))
                        << "format " << format << " colour " << color.name().toStdString() << " at " << x << "," << y
                        << " coverage " << int(coverage.scanLine(y)[x]);
        }
    }
}

// A stroke's coverage agrees with QPainter's antialiased stroke of the same
// line (round caps and joins): full where it is full, empty where it is
// empty, a pixel's fringe apart at most; and it never leaves its bounds.
TEST(StrokeCoverage, AgreesWithQPaintersRoundStroke)
{
    std::mt19937 random(11);
    const auto uniform = [&](double from, double to) { return std::uniform_real_distribution<>(from, to)(random); };
    for (int trial = 0; trial < 30; ++trial) {
        const QRect bounds(int(uniform(-20, 20)), int(uniform(-20, 20)), 90, 70);
        QPolygonF line;
        const int points = trial % 5 == 0 ? 1 : 2 + trial % 6;
        for (int i = 0; i < points; ++i)
            line << QPointF(uniform(-30, 130), uniform(-30, 110));
        const double width = trial % 3 == 0 ? 1.5 : uniform(2, 30);

        QImage reference(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        reference.fill(Qt::transparent);
        {
            QPainter painter(&reference);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.translate(-bounds.topLeft());
            painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            if (points == 1)
                painter.drawPoint(line[0]);
            else
                painter.drawPolyline(line);
        }
        const QImage coverage = strokeCoverage(line, width, bounds);
        ASSERT_EQ(coverage.size(), bounds.size());
        int differing = 0;
        for (int y = 0; y < bounds.height(); ++y)
            for (int x = 0; x < bounds.width(); ++x) {
                const int ours = coverage.constScanLine(y)[x], theirs = qAlpha(reference.pixel(x, y));
                if (theirs == 255 || theirs == 0) {
                    ASSERT_LE(std::abs(ours - theirs), 200) << "trial " << trial << " at " << x << "," << y;
                }
                differing += std::abs(ours - theirs) > 64 ? 1 : 0;
            }
        // The two antialias differently along the edges only.
        EXPECT_LE(differing, 40 + 4 * int(width) * points) << "trial " << trial;
    }
}

} // namespace
} // namespace pintora
