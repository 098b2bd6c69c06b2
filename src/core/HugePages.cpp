#include "core/HugePages.h"

#include <sys/mman.h>

#include <cstdlib>
#include <limits>

namespace pintora {

QImage hugePageImage(const QSize &size, QImage::Format format)
{
    constexpr std::size_t page = std::size_t(2) << 20;
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (size.isEmpty() || depth <= 0)
        return {};
    const qint64 rowBytes = (qint64(size.width()) * depth + 31) / 32 * 4;
    const qint64 bytes = rowBytes * size.height();
    if (bytes < qint64(page) || rowBytes > std::numeric_limits<qsizetype>::max() / size.height())
        return QImage(size, format);
    const std::size_t rounded = (std::size_t(bytes) + page - 1) / page * page;
    void *pixels = std::aligned_alloc(page, rounded);
    if (!pixels)
        return QImage(size, format);
    madvise(pixels, rounded, MADV_HUGEPAGE); // a hint: refused, the pages are small
    return QImage(
        static_cast<uchar *>(pixels), size.width(), size.height(), qsizetype(rowBytes), format,
        [](void *memory) { std::free(memory); }, pixels);
}

} // namespace pintora
