#include "core/png/PngDeflate.h"

#include <sys/mman.h>

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <vector>

namespace pintora {
namespace png {

// Asks for 2 MiB pages for the compressed bytes: taking them page by 4 KiB
// page costs a fault each, a tenth of the writer's time.
void preferLargePages(void *start, std::size_t size)
{
    constexpr std::uintptr_t large = std::uintptr_t(2) << 20;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(start) + large - 1) & ~(large - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(start) + size) & ~(large - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE); // a hint: failing changes nothing
}

// Deflate's worst case for `input` bytes, with room.
std::size_t deflateRoom(std::size_t input)
{
    return input + input / 8 + 4096;
}

// Rows [first, end) filtered and deflated, a few rows at a time so that they
// stay in the cache. The stripe's deflate ends on a byte boundary with more
// to come, or with the final block for the last stripe.
void deflateStripe(const QImage &image, const Layout &layout, int first, int end, bool last, Stripe &stripe)
{
    const std::size_t rowBytes = std::size_t(image.width()) * std::size_t(layout.bytesPerPixel);
    const int rowsPerChunk = int(std::clamp<std::size_t>((256 << 10) / (rowBytes + 1), 1, 1024));
    const std::size_t input = std::size_t(end - first) * (rowBytes + 1);
    const std::size_t room = deflateRoom(input);
    const bool reordered = png::reordersPixels(image, layout);
    std::unique_ptr<unsigned char[]> above, current, chunk, level;
    std::vector<quint32> zeros; // above the first row PNG counts zeros
    try {
        zeros.resize(reordered && first == 0 ? std::size_t(image.width()) : 0);
        above.reset(new unsigned char[rowBytes + 4]());
        current.reset(new unsigned char[rowBytes + 4]);
        chunk.reset(new unsigned char[std::size_t(rowsPerChunk) * (rowBytes + 1) + 4]); // the shuffle's spare bytes
        level.reset(new unsigned char[ISAL_DEF_LVL1_DEFAULT]);
        if (!stripe.out) {
            stripe.own.reset(new unsigned char[room]); // only the pages written are taken
            stripe.out = stripe.own.get();
            preferLargePages(stripe.out, room);
        }
    } catch (const std::bad_alloc &) {
        return;
    }
    isal_zstream stream;
    isal_deflate_init(&stream);
    stream.level = 1;
    stream.level_buf = level.get();
    stream.level_buf_size = ISAL_DEF_LVL1_DEFAULT;
    stream.next_out = stripe.out;
    stream.avail_out = std::uint32_t(std::min<std::size_t>(room, UINT32_MAX));
    if (first > 0 && !reordered && !png::storeRow(image, layout, first - 1, above.get()))
        return;

    for (int top = first; top < end; top += rowsPerChunk) {
        const int rows = std::min(rowsPerChunk, end - top);
        unsigned char *target = chunk.get();
        for (int y = top; y < top + rows; ++y) {
#if defined(__x86_64__) || defined(__i386__)
            if (reordered) {
                const auto *row = reinterpret_cast<const quint32 *>(image.constScanLine(y));
                const auto *rowAbove
                    = y > 0 ? reinterpret_cast<const quint32 *>(image.constScanLine(y - 1)) : zeros.data();
                png::filterReorderedRow(row, rowAbove, target, image.width(), layout.bytesPerPixel == 4, stripe.adler);
                target += rowBytes + 1;
                continue;
            }
#endif
            if (!png::storeRow(image, layout, y, current.get()))
                return;
            png::filterRow(current.get(), above.get(), target, rowBytes, std::size_t(layout.bytesPerPixel));
            std::swap(above, current);
            stripe.adler = isal_adler32(stripe.adler, target, rowBytes + 1);
            target += rowBytes + 1;
        }
        const std::size_t bytes = std::size_t(target - chunk.get());
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

} // namespace png

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

} // namespace pintora
