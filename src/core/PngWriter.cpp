#include "core/PngWriter.h"

#include "core/Parallel.h"

#include <isa-l/crc.h>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>
#include <climits>

namespace pintora {
namespace {

// How the pixels are written.
struct Layout {
    QImage::Format format; // Qt's name for the same bytes (before 16-bit swapping)
    int colourType;        // PNG's: 2 RGB, 6 RGBA
    int bitDepth;          // 8 or 16
    int bytesPerPixel;
};

bool isOpaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return true;
    // Only alpha decides; a pass over the pixels costs little next to deflate.
    const QImage argb = image.depth() == 32 ? image : QImage();
    if (argb.isNull())
        return false; // 16-bit and other alpha formats: keep the alpha
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

Layout layoutFor(const QImage &image)
{
    const bool deep = image.depth() == 64 || image.format() == QImage::Format_Grayscale16;
    const bool opaque = isOpaque(image);
    if (deep)
        return opaque ? Layout{QImage::Format_RGBX64, 2, 16, 6} : Layout{QImage::Format_RGBA64, 6, 16, 8};
    return opaque ? Layout{QImage::Format_RGB888, 2, 8, 3} : Layout{QImage::Format_RGBA8888, 6, 8, 4};
}

void putBigEndian(QByteArray &bytes, std::uint32_t value)
{
    const char big[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    bytes.append(big, 4);
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    putBigEndian(png, std::uint32_t(data.size()));
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    const auto *checked = reinterpret_cast<const unsigned char *>(png.constData() + start);
    putBigEndian(png, crc32_gzip_refl(0, checked, std::uint64_t(png.size() - start)));
}

// Opaque 32-bit pixels (B, G, R, A in memory) as R, G, B bytes; `out` has
// 4 bytes to spare at its end.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("ssse3"))) void rgbFromXrgbShuffled(const quint32 *in, unsigned char *out, int count)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    int x = 0;
    for (; x + 4 <= count; x += 4) // four pixels, twelve bytes; the next store covers the spare four
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 3 * x),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in + x)), order));
    for (; x < count; ++x) {
        out[3 * x] = static_cast<unsigned char>(in[x] >> 16);
        out[3 * x + 1] = static_cast<unsigned char>(in[x] >> 8);
        out[3 * x + 2] = static_cast<unsigned char>(in[x]);
    }
}
#endif

void rgbFromXrgb(const quint32 *in, unsigned char *out, int count)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles)
        return rgbFromXrgbShuffled(in, out, count);
#endif
    for (int x = 0; x < count; ++x) {
        out[3 * x] = static_cast<unsigned char>(in[x] >> 16);
        out[3 * x + 1] = static_cast<unsigned char>(in[x] >> 8);
        out[3 * x + 2] = static_cast<unsigned char>(in[x]);
    }
}

// Writes row `y` of `image` as PNG stores it into `out` (with 4 bytes to spare).
void storeRow(const QImage &image, const Layout &layout, int y, unsigned char *out)
{
    const int width = image.width();
    const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
    // The usual screenshot formats by hand; anything else through Qt, a row at a time.
    if (layout.format == QImage::Format_RGB888 && image.depth() == 32
        && (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
            || image.format() == QImage::Format_ARGB32_Premultiplied)) {
        rgbFromXrgb(line, out, width); // opaque: premultiplied or not, the same bytes
        return;
    }
    if (layout.format == QImage::Format_RGBA8888 && image.format() == QImage::Format_ARGB32) {
        for (int x = 0; x < width; ++x) {
            const quint32 pixel = line[x];
            out[4 * x] = static_cast<unsigned char>(pixel >> 16);
            out[4 * x + 1] = static_cast<unsigned char>(pixel >> 8);
            out[4 * x + 2] = static_cast<unsigned char>(pixel);
            out[4 * x + 3] = static_cast<unsigned char>(pixel >> 24);
        }
        return;
    }
    const QImage row = QImage(image.constScanLine(y), width, 1, image.bytesPerLine(), image.format())
                           .convertToFormat(layout.format);
    const std::size_t bytes = std::size_t(width) * std::size_t(layout.bytesPerPixel);
    std::memcpy(out, row.constScanLine(0), bytes);
    if (layout.bitDepth == 16) // PNG's samples are big-endian
        for (std::size_t i = 0; i < bytes; i += 2)
            std::swap(out[i], out[i + 1]);
}

// Rows [first, end) filtered (Up: each byte less the byte above) and
// deflated, a few rows at a time so that they stay in the cache. The
// stripe's deflate ends on a byte boundary with more to come, or with the
// final block for the last stripe.
struct Stripe {
    std::unique_ptr<unsigned char[]> deflated;
    std::size_t size = 0;
    std::uint32_t adler = 1;
    bool done = false;
};

void writeStripe(const QImage &image, const Layout &layout, int first, int end, bool last, Stripe &stripe)
{
    const std::size_t rowBytes = std::size_t(image.width()) * std::size_t(layout.bytesPerPixel);
    const int rowsPerChunk = int(std::clamp<std::size_t>((256 << 10) / (rowBytes + 1), 1, 1024));
    const std::size_t input = std::size_t(end - first) * (rowBytes + 1);
    const std::size_t room = input + input / 8 + 4096; // deflate's worst case, with room
    std::unique_ptr<unsigned char[]> above, current, chunk, level;
    try {
        above.reset(new unsigned char[rowBytes + 4]());
        current.reset(new unsigned char[rowBytes + 4]);
        chunk.reset(new unsigned char[std::size_t(rowsPerChunk) * (rowBytes + 1)]);
        level.reset(new unsigned char[ISAL_DEF_LVL1_DEFAULT]);
        stripe.deflated.reset(new unsigned char[room]); // only the pages written are taken
    } catch (const std::bad_alloc &) {
        return;
    }
    isal_zstream stream;
    isal_deflate_init(&stream);
    stream.level = 1;
    stream.level_buf = level.get();
    stream.level_buf_size = ISAL_DEF_LVL1_DEFAULT;
    stream.next_out = stripe.deflated.get();
    stream.avail_out = std::uint32_t(std::min<std::size_t>(room, UINT32_MAX));
    if (first > 0)
        storeRow(image, layout, first - 1, above.get());

    for (int top = first; top < end; top += rowsPerChunk) {
        const int rows = std::min(rowsPerChunk, end - top);
        unsigned char *target = chunk.get();
        for (int y = top; y < top + rows; ++y) {
            storeRow(image, layout, y, current.get());
            *target++ = 2;
            for (std::size_t i = 0; i < rowBytes; ++i)
                target[i] = static_cast<unsigned char>(current[i] - above[i]);
            target += rowBytes;
            std::swap(above, current);
        }
        const std::size_t bytes = std::size_t(target - chunk.get());
        stripe.adler = isal_adler32(stripe.adler, chunk.get(), bytes);
        const bool final = top + rows >= end;
        stream.next_in = chunk.get();
        stream.avail_in = std::uint32_t(bytes);
        stream.end_of_stream = final && last;
        stream.flush = final && !last ? SYNC_FLUSH : NO_FLUSH;
        if (isal_deflate(&stream) != COMP_OK || stream.avail_in != 0)
            return;
    }
    stripe.size = stream.total_out;
    stripe.done = true;
}

} // namespace

std::uint32_t combineAdler32(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength)
{
    // As zlib's adler32_combine: the first run's A and B carried over the second.
    constexpr std::uint64_t base = 65521;
    const std::uint64_t remainder = secondLength % base;
    std::uint64_t a = first & 0xffff;
    std::uint64_t b = (remainder * a) % base;
    a += (second & 0xffff) + base - 1;
    b += (first >> 16) + (second >> 16) + base - remainder;
    a %= base;
    b %= base;
    return std::uint32_t(b << 16 | a);
}

QByteArray writePng(const QImage &image, int workers, std::size_t stripeBytes)
{
    if (image.isNull())
        return {};
    const Layout layout = layoutFor(image);
    const std::size_t rowBytes = std::size_t(image.width()) * std::size_t(layout.bytesPerPixel) + 1;
    // Big stripes, so that what each compressor starts anew costs nothing.
    const int wanted = workers > 0 ? workers : workerCount();
    const int stripes = int(std::clamp<std::size_t>(rowBytes * std::size_t(image.height()) / std::max<std::size_t>(stripeBytes, 1), 1,
                                                    std::size_t(std::min(wanted * 2, image.height()))));
    const int threads = std::min(stripes, wanted);

    std::vector<Stripe> parts(static_cast<std::size_t>(stripes));
    const auto rowOf = [&](int stripe) { return int(std::int64_t(image.height()) * stripe / stripes); };
    runInParallel(threads, [&](int worker) {
        for (int i = worker; i < stripes; i += threads)
            writeStripe(image, layout, rowOf(i), rowOf(i + 1), i == stripes - 1, parts[std::size_t(i)]);
    });

    QByteArray data;
    std::size_t size = 2 + 4;
    for (const Stripe &part : parts) {
        if (!part.done)
            return {};
        size += part.size;
    }
    try {
        data.reserve(qsizetype(size));
    } catch (const std::bad_alloc &) {
        return {};
    }
    data.append("\x78\x01", 2); // deflate, 32 KiB window, fastest
    std::uint32_t adler = 1;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        data.append(reinterpret_cast<const char *>(parts[i].deflated.get()), qsizetype(parts[i].size));
        const int rows = rowOf(int(i) + 1) - rowOf(int(i));
        adler = i == 0 ? parts[i].adler : combineAdler32(adler, parts[i].adler, std::uint64_t(rows) * rowBytes);
    }
    putBigEndian(data, adler);

    QByteArray header;
    putBigEndian(header, std::uint32_t(image.width()));
    putBigEndian(header, std::uint32_t(image.height()));
    header.append(char(layout.bitDepth));
    header.append(char(layout.colourType));
    header.append(3, '\0'); // deflate, adaptive filtering, no interlace

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", data);
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace pintora
