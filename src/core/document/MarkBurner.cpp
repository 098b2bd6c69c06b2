#include "core/document/MarkBurner.h"

#include "core/document/MarkList.h"
#include "core/pixels/PixelCopy.h"

#include <new>

namespace pintora::burner {

QRegion affectedRegion(const MarkList &marks, const QRegion &changed)
{
    const HiddenAreas hidden = marks.hiddenAreas();
    QRegion region = changed;
    // A blur made again may read pixels that another blur reads: grow
    // until no blur reads the region in part.
    for (bool grown = true; grown;) {
        grown = false;
        for (int i = 0; i < marks.size(); ++i) {
            if (!marks.at(i).tool->replacesPixels())
                continue;
            const QRect reads = hidden.readArea(marks.at(i).area, marks.imageSize());
            if (region.intersects(reads) && !QRegion(reads).subtracted(region).isEmpty()) {
                region += reads;
                grown = true;
            }
        }
    }
    return region;
}

bool burn(QImage &image, const MarkList &marks, const QRegion &region)
{
    const HiddenAreas hidden = marks.hiddenAreas();
    for (int i = 0; i < marks.size(); ++i) {
        const PlacedMark &placed = marks.at(i);
        const QRegion parts = region.intersected(placed.area);
        if (parts.isEmpty())
            continue;
        QImage pixels;
        if (placed.tool->replacesPixels()) {
            pixels = placed.tool->replacement(image, marks.bitmapMark(i), placed.area, hidden);
        } else {
            try {
                pixels = image.copy(placed.area);
            } catch (const std::bad_alloc &) {
                return false;
            }
            if (!pixels.isNull())
                placed.tool->burn(pixels, marks.bitmapMark(i), placed.area);
        }
        if (pixels.isNull())
            return false;
        for (const QRect &part : parts)
            copyPixels(pixels, part.translated(-placed.area.topLeft()), image, part.topLeft());
    }
    return true;
}

} // namespace pintora::burner
