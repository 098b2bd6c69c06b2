#include "core/HugePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace pintora {
namespace {

// Large images start on a 2 MiB boundary, small ones are plain; each is an
// ordinary image of its size and format that lives on when copied.
TEST(HugePages, ImagesOfEverySizeAreOrdinaryImages)
{
    // clang-format off
    const struct {
        QSize size;
        QImage::Format format;
        bool large;
    } cases[] = {
        {{5120, 2880}, QImage::Format_ARGB32, true}, {{1920, 1080}, QImage::Format_RGB32, true},
        {{4096, 2048}, QImage::Format_RGBA64, true}, {{333, 17}, QImage::Format_Grayscale8, false},
        {{2001, 3}, QImage::Format_Indexed8, false}, {{1, 1}, QImage::Format_RGB32, false},
    };
    // clang-format on
    for (const auto &c : cases) {
        QImage image = hugePageImage(c.size, c.format);
        ASSERT_FALSE(image.isNull()) << c.size.width();
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.format(), c.format);
        EXPECT_EQ(image.bytesPerLine(), QImage(c.size, c.format).bytesPerLine());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(image.constBits()) % (2u << 20) == 0, c.large) << c.size.width();
        std::memset(image.bits(), 0x12, std::size_t(image.sizeInBytes()));
        const QImage copy = image.copy();
        image = QImage(); // the buffer goes; the copy keeps its own pixels
        EXPECT_EQ(copy.constBits()[copy.sizeInBytes() - 1], 0x12);
    }
    EXPECT_TRUE(hugePageImage({0, 10}, QImage::Format_RGB32).isNull());
}

} // namespace
} // namespace pintora
