#pragma once

#include "core/png/PngRows.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <memory>

// The PNG writer's compression: horizontal stripes of rows, each filtered
// and deflated on its own (one a thread), ending on byte boundaries so that
// they join into one zlib stream.
namespace pintora {
namespace png {

// One stripe's deflated bytes and the Adler-32 of its filtered rows.
struct Stripe {
    unsigned char *out = nullptr; // where the deflate goes; when null, into `own`
    std::unique_ptr<unsigned char[]> own;
    std::size_t size = 0;
    std::uint32_t adler = 1;
    bool done = false;
};

// Deflate's worst case for `input` bytes, with room.
std::size_t deflateRoom(std::size_t input);

// Asks for 2 MiB pages for [start, start + size); a hint only.
void preferLargePages(void *start, std::size_t size);

// Rows [first, end) of `image` filtered and deflated into `stripe`, which
// is done when everything went well. The last stripe ends the stream.
void deflateStripe(const QImage &image, const Layout &layout, int first, int end, bool last, Stripe &stripe);

} // namespace png

// The Adler-32 of two byte runs one after the other, from their own sums
// and the second's length.
std::uint32_t combineAdler32(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength);

} // namespace pintora
