#include "core/png/PngWriter.h"

#include "core/Parallel.h"
#include "core/png/PngDeflate.h"
#include "core/png/PngRows.h"

#include <QtEndian>

#include <isa-l/crc.h>

#include <algorithm>
#include <new>
#include <vector>

namespace pintora {
namespace {

void putBigEndian(QByteArray &bytes, std::uint32_t value)
{
    const char big[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    bytes.append(big, 4);
}

// Ends the chunk whose type starts at `start` with its CRC.
void endChunk(QByteArray &png, qsizetype start)
{
    const auto *checked = reinterpret_cast<const unsigned char *>(png.constData() + start);
    putBigEndian(png, crc32_gzip_refl(0, checked, std::uint64_t(png.size() - start)));
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    putBigEndian(png, std::uint32_t(data.size()));
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    endChunk(png, start);
}

} // namespace

QByteArray writePng(const QImage &image, int workers, std::size_t stripeBytes)
{
    if (image.isNull())
        return {};
    const png::Layout layout = png::layoutFor(image);
    const std::size_t rowBytes = std::size_t(image.width()) * std::size_t(layout.bytesPerPixel) + 1;
    // One stripe per thread, each big, so that what a compressor starts anew
    // costs nothing.
    const int wanted = workers > 0 ? workers : workerCount();
    const int stripes
        = int(std::clamp<std::size_t>(rowBytes * std::size_t(image.height()) / std::max<std::size_t>(stripeBytes, 1), 1,
                                      std::size_t(std::min(wanted, image.height()))));
    const auto rowOf = [&](int stripe) { return int(std::int64_t(image.height()) * stripe / stripes); };

    QByteArray header;
    putBigEndian(header, std::uint32_t(image.width()));
    putBigEndian(header, std::uint32_t(image.height()));
    header.append(char(layout.bitDepth));
    header.append(char(layout.colourType));
    header.append(3, '\0'); // deflate, adaptive filtering, no interlace
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    const qsizetype idat = png.size() + 4;
    png.append("\0\0\0\0IDAT\x78\x01", 10); // the length comes later; deflate, 32 KiB window, fastest
    const qsizetype front = png.size();

    // The first stripe is deflated straight into the file (when there is one
    // stripe, the only copy), the others next to it and appended.
    std::vector<png::Stripe> parts(static_cast<std::size_t>(stripes));
    try {
        png.resize(front + qsizetype(png::deflateRoom(std::size_t(rowOf(1)) * rowBytes))); // pages are taken as written
    } catch (const std::bad_alloc &) {
        return {};
    }
    parts[0].out = reinterpret_cast<unsigned char *>(png.data()) + front;
    png::preferLargePages(png.data(), std::size_t(png.size()));
    runInParallel(stripes, [&](int i) {
        png::deflateStripe(image, layout, rowOf(i), rowOf(i + 1), i == stripes - 1, parts[std::size_t(i)]);
    });

    std::uint32_t adler = 1;
    try {
        png.resize(front + qsizetype(parts[0].size));
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (!parts[i].done)
                return {};
            if (i > 0)
                png.append(reinterpret_cast<const char *>(parts[i].out), qsizetype(parts[i].size));
            const int rows = rowOf(int(i) + 1) - rowOf(int(i));
            adler = i == 0 ? parts[i].adler : combineAdler32(adler, parts[i].adler, std::uint64_t(rows) * rowBytes);
        }
        putBigEndian(png, adler);
        qToBigEndian(std::uint32_t(png.size() - idat - 4), png.data() + idat - 4);
        endChunk(png, idat);
        appendChunk(png, "IEND", {});
        png.squeeze();
    } catch (const std::bad_alloc &) {
        return {};
    }
    return png;
}

} // namespace pintora
