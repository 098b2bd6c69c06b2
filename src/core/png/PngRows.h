#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>

// How the PNG writer turns an image's rows into PNG's bytes: the layout
// that keeps every pixel as it is held, the conversion of a row, and the
// two filters (Up and Sub) chosen row by row.
namespace pintora::png {

// The two filters used, cheap and good on screenshots: Up and Sub, chosen
// per row as libpng does, by the smaller sum of the bytes' magnitudes.
enum Filter : unsigned char { Sub = 1, Up = 2 };

inline unsigned magnitude(unsigned char byte)
{
    return byte < 128 ? byte : 256u - byte;
}

// How the pixels are written.
struct Layout {
    QImage::Format format; // what a row is converted to first: Qt's name for the same samples
    int colourType; // PNG's: 0 grey, 2 RGB, 6 RGBA
    int bitDepth; // 8 or 16
    int bytesPerPixel; // as written
    int samplesKept; // of the converted row's samples per pixel, the first ones
};

// The layout that writes `image` exactly: grey as grey, palettes looked up,
// more than 8 bits a channel at 16, alpha only where some pixel has it.
Layout layoutFor(const QImage &image);

// Writes row `y` of `image` as PNG stores it into `out` (with 4 bytes to
// spare); false when memory runs out.
bool storeRow(const QImage &image, const Layout &layout, int y, unsigned char *out);

// A row of PNG bytes, `pixelBytes` per pixel, filtered against the row
// `above` into `out`, its filter type first.
void filterRow(const unsigned char *row, const unsigned char *above, unsigned char *out, std::size_t bytes,
               std::size_t pixelBytes);

// Whether the PNG bytes of `image`'s rows are its 32-bit pixels' bytes
// reordered, so that filterReorderedRow can take them straight from the image.
bool reordersPixels(const QImage &image, const Layout &layout);

#if defined(__x86_64__) || defined(__i386__)
// Row `row` filtered against `above` into `out` (its type first, then 3 or 4
// bytes a pixel, with 4 to spare at the end), and the Adler-32 `adler`
// carried over the bytes written; with AVX2 only.
void filterReorderedRow(const quint32 *row, const quint32 *above, unsigned char *out, int count, bool alpha,
                        std::uint32_t &adler);
#endif

} // namespace pintora::png
