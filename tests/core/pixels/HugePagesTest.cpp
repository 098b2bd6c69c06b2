#include "core/pixels/HugePages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

namespace pintora {
namespace {

// Large images start on a 2 MiB boundary; each, large or small, is an
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
        // (A small one may sit on a boundary by chance, as under TSan's allocator.)
        if (c.large) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(image.constBits()) % (2u << 20), 0u) << c.size.width();
        }
        std::memset(image.bits(), 0x12, std::size_t(image.sizeInBytes()));
        const QImage copy = image.copy();
        image = QImage(); // the buffer goes; the copy keeps its own pixels
        EXPECT_EQ(copy.constBits()[copy.sizeInBytes() - 1], 0x12);
    }
    EXPECT_TRUE(hugePageImage({0, 10}, QImage::Format_RGB32).isNull());
}

// A copy of a part is that part, pixels, colours and ratio, at any depth.
TEST(HugePages, ACopyOfAPartIsThatPart)
{
    QImage noise(2100, 1300, QImage::Format_ARGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgba(x % 251, y % 241, (x * y) % 239, (x + y) % 256));
    noise.setDevicePixelRatio(2);
    const QRect area(7, 9, 1900, 1200);
    for (const QImage::Format format : {QImage::Format_ARGB32, QImage::Format_RGB888, QImage::Format_Indexed8,
                                        QImage::Format_RGBA64, QImage::Format_Mono}) {
        const QImage image = noise.convertToFormat(format);
        const QImage copy = hugePageCopy(image, area);
        EXPECT_EQ(copy, image.copy(area)) << format;
        EXPECT_EQ(copy.devicePixelRatio(), 2.0) << format;
    }
    EXPECT_EQ(hugePageCopy(noise, QRect(2000, 1200, 500, 500)).size(), QSize(100, 100)); // clipped
}

// The memory of a large image freed is the next one's of the same size,
// and of no other size.
TEST(HugePages, TheNextImageOfTheSameSizeTakesTheLastOnesMemory)
{
    const uchar *first = nullptr;
    {
        QImage image = hugePageImage({1920, 1080}, QImage::Format_RGB32);
        first = image.constBits();
    }
    QImage again = hugePageImage({1920, 1080}, QImage::Format_ARGB32);
    EXPECT_EQ(again.constBits(), first);
    again.fill(Qt::red); // writable, as fresh memory is
    EXPECT_EQ(again.pixel(1919, 1079), qRgb(255, 0, 0));
    const uchar *second = again.constBits();
    again = QImage();
    EXPECT_NE(hugePageImage({1920, 2080}, QImage::Format_RGB32).constBits(), second);
}

// Resident memory, in MiB.
double residentMiB()
{
    long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Kept for the next image a little while only, then given back for good: the
// tray program holds no image nobody shows.
TEST(HugePages, TheMemoryOfAnImageGoneIsGivenBackAfterAFewSeconds)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine";
#endif
    {
        QImage image = hugePageImage({4096, 4096}, QImage::Format_RGB32); // 64 MiB
        image.fill(Qt::blue); // resident
    }
    const double parked = residentMiB();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(15); // generous: a busy machine
    while (residentMiB() > parked - 48 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_LT(residentMiB(), parked - 48) << "of " << parked << " MiB";
}

// An arena's images are ordinary, writable images side by side in one
// block, none overlapping another, each living on after the arena and the
// others are gone; a large one gets pages of its own.
TEST(PixelArena, CarvesOrdinaryImagesThatOutliveIt)
{
    std::vector<QImage> images;
    {
        PixelArena arena;
        arena.prepare();
        // clang-format off
        const std::pair<QSize, QImage::Format> asked[] = {
            {{400, 300}, QImage::Format_RGB32}, {{3, 1}, QImage::Format_ARGB32}, {{17, 5}, QImage::Format_RGBA64},
            {{1, 1}, QImage::Format_RGB32}, {{500, 400}, QImage::Format_ARGB32}, {{700, 700}, QImage::Format_RGB32},
            {{2000, 2000}, QImage::Format_ARGB32},
        };
        // clang-format on
        for (const auto &[size, format] : asked) {
            QImage image = arena.image(size, format);
            ASSERT_EQ(image.size(), size);
            ASSERT_EQ(image.format(), format);
            images.push_back(image);
        }
    }
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(images.back().constBits()) % (2u << 20), 0u); // the large one
    // Each filled with a value of its own, all of every image written: an
    // overlap would show in an earlier one's last row.
    const auto value = [](std::size_t i) { return quint8(0x10 + i); };
    for (std::size_t i = 0; i < images.size(); ++i)
        for (int y = 0; y < images[i].height(); ++y)
            std::memset(images[i].scanLine(y), value(i), std::size_t(images[i].bytesPerLine()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const QImage &image = images[i];
        EXPECT_EQ(image.constBits()[0], value(i)) << i;
        EXPECT_EQ(image.constScanLine(image.height() - 1)[image.bytesPerLine() - 1], value(i)) << i;
    }
    // Freed in turn, the others keep their pixels (sanitizers would see a
    // block freed too early).
    while (!images.empty()) {
        images.erase(images.begin());
        for (const QImage &image : images)
            EXPECT_EQ(image.constScanLine(image.height() - 1)[0], image.constBits()[0]);
    }
}

// The room of an image that went is carved again, joined with the room
// beside it: an arena that keeps a document's marks does not grow with
// every edit that replaces one.
TEST(PixelArena, TheRoomOfAnImageThatWentIsCarvedAgain)
{
    PixelArena arena;
    QImage first = arena.image({100, 100}, QImage::Format_RGB32);
    QImage second = arena.image({100, 100}, QImage::Format_RGB32);
    const QImage third = arena.image({100, 100}, QImage::Format_RGB32);
    const uchar *firstPixels = first.constBits();
    first = QImage();
    second = QImage();
    // Both rooms as one: an image twice the size fits where they were.
    const QImage larger = arena.image({100, 200}, QImage::Format_RGB32);
    EXPECT_EQ(larger.constBits(), firstPixels);
    const QImage next = arena.image({100, 100}, QImage::Format_RGB32);
    EXPECT_EQ(next.constBits(), third.constBits() + third.sizeInBytes()); // the free end
    for (int i = 0; i < 200; ++i) { // replaced again and again, in the same place
        QImage replaced = arena.image({300, 200}, QImage::Format_ARGB32);
        ASSERT_EQ(replaced.constBits(), next.constBits() + next.sizeInBytes()) << i;
    }
}

} // namespace
} // namespace pintora
