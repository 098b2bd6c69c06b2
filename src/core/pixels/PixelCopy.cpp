#include "core/pixels/PixelCopy.h"

#include <algorithm>
#include <cstring>

namespace pintora {

void copyPixels(const QImage &source, const QRect &from, QImage &target, const QPoint &at)
{
    Q_ASSERT(source.format() == target.format() && source.depth() % 8 == 0);
    Q_ASSERT(source.rect().contains(from) && target.rect().contains(QRect(at, from.size())));
    const qsizetype pixelBytes = source.depth() / 8;
    const auto rowBytes = std::size_t(qsizetype(from.width()) * pixelBytes);
    for (int y = 0; y < from.height(); ++y)
        std::memcpy(target.scanLine(at.y() + y) + at.x() * pixelBytes,
                    source.constScanLine(from.y() + y) + from.x() * pixelBytes, rowBytes);
}

void swapPixels(QImage &image, const QRect &area, QImage &pixels)
{
    Q_ASSERT(image.format() == pixels.format() && pixels.size() == area.size() && image.depth() % 8 == 0);
    const qsizetype pixelBytes = image.depth() / 8;
    const qsizetype rowBytes = area.width() * pixelBytes;
    for (int y = 0; y < area.height(); ++y) {
        uchar *inImage = image.scanLine(area.y() + y) + area.x() * pixelBytes;
        std::swap_ranges(inImage, inImage + rowBytes, pixels.scanLine(y));
    }
}

} // namespace pintora
