#include "core/png/PngRows.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace pintora {
namespace png {
namespace {

// Formats whose alpha is the top byte of a 32-bit pixel.
bool hasAlphaByte(QImage::Format format)
{
    return format == QImage::Format_ARGB32 || format == QImage::Format_ARGB32_Premultiplied
        || format == QImage::Format_RGBA8888 || format == QImage::Format_RGBA8888_Premultiplied;
}

bool isOpaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return true;
    // Only alpha decides; a pass over the pixels costs little next to deflate.
    if (!hasAlphaByte(image.format()))
        return false; // the other alpha formats keep their alpha
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

// More than 8 bits in some channel: 10-bit, 16-bit and floating point.
bool isDeep(const QImage &image)
{
    const QPixelFormat pixel = image.pixelFormat();
    return pixel.typeInterpretation() == QPixelFormat::FloatingPoint || pixel.redSize() > 8 || pixel.greenSize() > 8
        || pixel.blueSize() > 8 || pixel.alphaSize() > 8;
}

#if defined(__x86_64__) || defined(__i386__)
const bool hasAvx2 = __builtin_cpu_supports("avx2");
#else
const bool hasAvx2 = false;
#endif

} // namespace

Layout layoutFor(const QImage &image)
{
    // Grey stays grey, a colour table is looked up, more than 8 bits are
    // kept at 16: every pixel is written as it is held.
    if (image.format() == QImage::Format_Grayscale8)
        return {QImage::Format_Grayscale8, 0, 8, 1, 1};
    if (image.format() == QImage::Format_Grayscale16)
        return {QImage::Format_Grayscale16, 0, 16, 2, 1};
    const bool opaque = isOpaque(image);
    if (isDeep(image))
        return opaque ? Layout{QImage::Format_RGBX64, 2, 16, 6, 3} : Layout{QImage::Format_RGBA64, 6, 16, 8, 4};
    return opaque ? Layout{QImage::Format_RGB888, 2, 8, 3, 3} : Layout{QImage::Format_RGBA8888, 6, 8, 4, 4};
}

void filterRow(const unsigned char *row, const unsigned char *above, unsigned char *out, std::size_t bytes,
               std::size_t pixelBytes)
{
    const auto left = [&](std::size_t i) { return i >= pixelBytes ? row[i - pixelBytes] : 0; };
    std::uint64_t up = 0, sub = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        up += magnitude(static_cast<unsigned char>(row[i] - above[i]));
        sub += magnitude(static_cast<unsigned char>(row[i] - left(i)));
    }
    const bool useSub = sub < up;
    *out++ = useSub ? Sub : Up;
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<unsigned char>(row[i] - (useSub ? left(i) : above[i]));
}

// Whether the PNG bytes of `image`'s rows are its 32-bit pixels' bytes
// reordered (B, G, R, A in memory as R, G, B or R, G, B, A): then a filter
// can take the differences of whole pixels before reordering them.
bool reordersPixels(const QImage &image, const Layout &layout)
{
    if (!hasAvx2)
        return false;
    if (layout.format == QImage::Format_RGB888) // opaque: premultiplied or not, the same bytes
        return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
            || image.format() == QImage::Format_ARGB32_Premultiplied;
    return layout.format == QImage::Format_RGBA8888 && image.format() == QImage::Format_ARGB32;
}

bool storeRow(const QImage &image, const Layout &layout, int y, unsigned char *out)
{
    const int width = image.width();
    QImage wrapped(image.constScanLine(y), width, 1, image.bytesPerLine(), image.format());
    wrapped.setColorTable(image.colorTable()); // palette and 1-bit rows mean nothing without it
    const QImage row = wrapped.convertToFormat(layout.format);
    if (row.isNull())
        return false;
    const int sampleBytes = layout.bitDepth / 8;
    const int heldBytes = row.depth() / 8;
    const int keptBytes = layout.samplesKept * sampleBytes;
    const uchar *in = row.constScanLine(0);
    if (keptBytes == heldBytes) {
        std::memcpy(out, in, std::size_t(width) * std::size_t(keptBytes));
    } else { // RGBX64: the padding sample is not written
        for (int x = 0; x < width; ++x)
            std::memcpy(out + std::size_t(x) * std::size_t(keptBytes), in + std::size_t(x) * std::size_t(heldBytes),
                        std::size_t(keptBytes));
    }
    const std::size_t bytes = std::size_t(width) * std::size_t(layout.bytesPerPixel);
    if (layout.bitDepth == 16) // PNG's samples are big-endian
        for (std::size_t i = 0; i < bytes; i += 2)
            std::swap(out[i], out[i + 1]);
    return true;
}

} // namespace png
} // namespace pintora
