#include "ImageTestSupport.h"
#include "core/pixels/HugePages.h"
#include "core/png/ImageDecode.h"

#include <QColorSpace>

#include <gtest/gtest.h>

namespace pintora {
namespace {

// Qt's BMP reader calls a file cut short read and leaves the rest of the
// image as it found it: zeros there, never the image before of that size.
TEST(ImageDecode, AFileCutShortShowsNoEarlierImage)
{
    const QImage large = noiseImage(1000, 700);
    QByteArray bmp = encoded(large, "BMP");
    bmp.truncate(bmp.size() / 2);
    {
        QImage earlier = hugePageImage(large.size(), QImage::Format_RGB32);
        earlier.fill(Qt::white); // parked when it goes, for the next of its size
    }
    const QImage read = decodeImage(bmp);
    ASSERT_EQ(read.size(), large.size());
    // BMP rows run bottom up: the upper half never came.
    EXPECT_EQ(read.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(read.pixel(999, 340), qRgb(0, 0, 0));
    EXPECT_EQ(read.pixel(500, 699), large.pixel(500, 699));

    // Qt's PNG reader, which may be given the parked memory, refuses such a file.
    QImage profiled = large;
    profiled.setColorSpace(QColorSpace::DisplayP3);
    QByteArray png = encoded(profiled, "PNG");
    png.truncate(png.size() / 2);
    EXPECT_TRUE(decodeImage(png).isNull());
}

} // namespace
} // namespace pintora
