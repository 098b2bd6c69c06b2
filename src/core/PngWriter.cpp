#include "core/PngWriter.h"

#include "core/Parallel.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

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

// The filtered rows of [first, end): a filter byte (2, Up) and the row's
// bytes less the bytes of the row above (nothing above the first row).
bool filterRows(const QImage &image, const Layout &layout, int first, int end, std::vector<unsigned char> &out)
{
    const int width = image.width();
    const std::size_t rowBytes = std::size_t(width) * std::size_t(layout.bytesPerPixel);
    // The rows as PNG stores them, with the row above the stripe first.
    const int from = std::max(0, first - 1);
    const QImage rows = QImage(image.constScanLine(from), width, end - from, image.bytesPerLine(), image.format())
                            .convertToFormat(layout.format);
    if (rows.isNull())
        return false;
    try {
        out.resize(std::size_t(end - first) * (rowBytes + 1));
    } catch (const std::bad_alloc &) {
        return false;
    }
    // A row as PNG stores it: 16-bit samples big-endian.
    const auto load = [&](int y, std::vector<unsigned char> &row) {
        std::memcpy(row.data(), rows.constScanLine(y - from), rowBytes);
        if (layout.bitDepth == 16)
            for (std::size_t i = 0; i < rowBytes; i += 2)
                std::swap(row[i], row[i + 1]);
    };
    std::vector<unsigned char> above(rowBytes, 0), current(rowBytes);
    if (first > 0)
        load(first - 1, above);
    unsigned char *target = out.data();
    for (int y = first; y < end; ++y) {
        load(y, current);
        *target++ = 2;
        for (std::size_t i = 0; i < rowBytes; ++i)
            target[i] = static_cast<unsigned char>(current[i] - above[i]);
        target += rowBytes;
        std::swap(above, current);
    }
    return true;
}

// Raw deflate of one stripe: ending on a byte boundary with more to come,
// or with the final block for the last stripe.
bool deflateStripe(std::vector<unsigned char> &input, bool last, std::vector<unsigned char> &output)
{
    isal_zstream stream;
    isal_deflate_init(&stream);
    std::vector<unsigned char> levelBuffer;
    try {
        levelBuffer.resize(ISAL_DEF_LVL1_DEFAULT);
        output.resize(input.size() + input.size() / 8 + 1024); // deflate's worst case, with room
    } catch (const std::bad_alloc &) {
        return false;
    }
    stream.level = 1;
    stream.level_buf = levelBuffer.data();
    stream.level_buf_size = std::uint32_t(levelBuffer.size());
    stream.next_in = input.data();
    stream.avail_in = std::uint32_t(input.size());
    stream.next_out = output.data();
    stream.avail_out = std::uint32_t(output.size());
    stream.end_of_stream = last ? 1 : 0;
    stream.flush = last ? NO_FLUSH : SYNC_FLUSH;
    if (isal_deflate(&stream) != COMP_OK || stream.avail_in != 0)
        return false;
    output.resize(stream.total_out);
    return true;
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

    struct Stripe {
        std::vector<unsigned char> filtered, deflated;
        std::uint32_t adler = 1;
        bool done = false;
    };
    std::vector<Stripe> parts(static_cast<std::size_t>(stripes));
    runInParallel(threads, [&](int worker) {
        for (int i = worker; i < stripes; i += threads) {
            const int first = int(std::int64_t(image.height()) * i / stripes);
            const int end = int(std::int64_t(image.height()) * (i + 1) / stripes);
            Stripe &part = parts[std::size_t(i)];
            if (!filterRows(image, layout, first, end, part.filtered))
                return;
            part.adler = isal_adler32(1, part.filtered.data(), part.filtered.size());
            part.done = deflateStripe(part.filtered, i == stripes - 1, part.deflated);
            std::vector<unsigned char>().swap(part.filtered);
        }
    });

    QByteArray data;
    std::size_t size = 2 + 4;
    for (const Stripe &part : parts) {
        if (!part.done)
            return {};
        size += part.deflated.size();
    }
    try {
        data.reserve(qsizetype(size));
    } catch (const std::bad_alloc &) {
        return {};
    }
    data.append("\x78\x01", 2); // deflate, 32 KiB window, fastest
    std::uint32_t adler = 1;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        data.append(reinterpret_cast<const char *>(parts[i].deflated.data()), qsizetype(parts[i].deflated.size()));
        const int first = int(std::int64_t(image.height()) * int(i) / stripes);
        const int end = int(std::int64_t(image.height()) * int(i + 1) / stripes);
        adler = i == 0 ? parts[i].adler
                       : combineAdler32(adler, parts[i].adler, std::uint64_t(end - first) * rowBytes);
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
