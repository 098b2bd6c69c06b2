#pragma once

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

namespace pintora {

// PNG bytes of `image`, made fast: each row filtered with Up or Sub,
// whichever suits it, compressed in horizontal stripes at once on `workers`
// threads (0: all cores, one stripe each) with ISA-L's deflate, and the
// stripes joined into one zlib stream. Opaque images are written as RGB,
// others as straight RGBA, 16-bit ones at 16 bits.
// Empty when the image is null or memory runs out.
// `stripeBytes` sets how much filtered data each stripe holds at least.
QByteArray writePng(const QImage &image, int workers = 0, std::size_t stripeBytes = std::size_t(1) << 20);

} // namespace pintora
