#include "ImageTestSupport.h"
#include "PngTestSupport.h"
#include "core/png/PngDeflate.h"
#include "core/png/PngWriter.h"

#include <gtest/gtest.h>

#include <random>

namespace pintora {
namespace {

QImage translucentNoise(int width, int height, int alphaFrom)
{
    QImage image(width, height, QImage::Format_ARGB32);
    std::mt19937 random(uint32_t(width * 7 + height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgba(int(random() % 256), int(random() % 256), int(random() % 256),
                                 alphaFrom + int(random() % unsigned(256 - alphaFrom))));
    return image;
}

} // namespace

TEST(PngWriter, EveryImageReadsBackExactlyWithQtAndLibpng)
{
    QImage deep(33, 17, QImage::Format_RGBA64);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x)
            deep.setPixelColor(x, y, QColor::fromRgba64(x * 1987, y * 3851, quint16(x * y * 131), quint16(40000 + x)));
    // clang-format off
    const struct {
        const char *name;
        QImage image;
        int colourType; // in the IHDR: 2 RGB, 6 RGBA
    } cases[] = {
        {"opaque, odd width", noiseImage(101, 37), 2},
        {"opaque in an alpha format", noiseImage(64, 9).convertToFormat(QImage::Format_ARGB32), 2},
        {"transparent", solidImage(20, 10, QColor(0, 0, 0, 0), QImage::Format_ARGB32), 6},
        {"semi-transparent", translucentNoise(57, 31, 1), 6},
        {"premultiplied", translucentNoise(40, 20, 0).convertToFormat(QImage::Format_ARGB32_Premultiplied), 6},
        {"1 x 1", solidImage(1, 1, Qt::red), 2},
        {"16384 x 2", noiseImage(16384, 2), 2},
        {"2 x 16384", noiseImage(2, 16384), 2},
        {"16-bit", deep, 6},
    };
    // clang-format on
    for (const auto &c : cases) {
        // One stripe, and as many stripes as rows allow, on four threads: the
        // readers check the joined stream's checksum.
        for (std::size_t stripeBytes : {std::size_t(1) << 30, std::size_t(64)}) {
            const QByteArray png = writePng(c.image, 4, stripeBytes);
            ASSERT_FALSE(png.isEmpty()) << c.name;
            EXPECT_EQ(int(png[25]), c.colourType) << c.name;
            const QImage byQt = QImage::fromData(png, "PNG");
            ASSERT_FALSE(byQt.isNull()) << c.name << " in " << stripeBytes << "-byte stripes";
            const QImage::Format straight = c.image.depth() == 64 ? QImage::Format_RGBA64 : QImage::Format_RGBA8888;
            EXPECT_EQ(byQt.convertToFormat(straight), c.image.convertToFormat(straight)) << c.name;
            EXPECT_EQ(readWithLibpng(png), c.image.convertToFormat(straight)) << c.name;
        }
    }
}

} // namespace pintora
