#include "core/document/MarkBurner.h"

#include "core/document/MarkList.h"
#include "core/pixels/PixelCopy.h"

#include <new>
#include <utility>
#include <vector>

namespace pintora::burner {

QRegion changedRegion(const MarkList &marks, const Change &change)
{
    const HiddenAreas hidden = marks.hiddenAreas();
    // What a blur could read of the change: pixels outside every box, and
    // the boxes that moved or regrouped.
    const QRegion read = change.pixels.subtracted(hidden.region()) + change.boxes;
    QRegion region = change.pixels;
    for (int i = 0; i < marks.size(); ++i) {
        const PlacedMark &placed = marks.at(i);
        if (placed.tool->replacesPixels() && read.intersects(hidden.readArea(placed.area)))
            region += placed.area;
    }
    return region;
}

namespace {

// `mark` (bitmap space) burned on its area; the area's pixels taken from
// `image`, whose pixel (0, 0) is the whole image's `origin`, where it has
// them. Null when memory runs out.
QImage painted(const QImage &image, const QPoint &origin, const PlacedMark &placed, const Mark &mark)
{
    QImage pixels;
    try {
        pixels = QImage(placed.area.size(), image.format());
    } catch (const std::bad_alloc &) {
        return {};
    }
    if (pixels.isNull())
        return pixels;
    const QRect inside = placed.area.translated(-origin) & image.rect();
    if (!inside.isEmpty())
        copyPixels(image, inside, pixels, inside.topLeft() + origin - placed.area.topLeft());
    placed.tool->burn(pixels, mark, placed.area);
    return pixels;
}

// The pixels a blur at `index` reads made, in `image`, as they were just
// before it, outside every box; the pixels they replaced go into `saved`.
// Pixels of `region` are so already (they are being burned in order);
// elsewhere only those a later painted mark covers differ, which are made
// again from the bases. False when memory runs out (nothing then changed).
bool rewind(QImage &image, const MarkList &marks, int index, const QRect &reads, const QRegion &region,
            const QRegion &boxes, std::vector<std::pair<QRect, QImage>> &saved)
{
    QRegion later;
    for (int i = index + 1; i < marks.size(); ++i)
        if (!marks.at(i).tool->replacesPixels())
            later += marks.at(i).area;
    const QRegion redo = QRegion(reads).intersected(later).subtracted(region).subtracted(boxes);
    try {
        for (const QRect &part : redo) {
            saved.emplace_back(part, image.copy(part));
            if (saved.back().second.isNull())
                return false;
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (redo.isEmpty())
        return true;
    marks.restoreBase(image, redo);
    for (int i = 0; i < index; ++i) {
        const PlacedMark &placed = marks.at(i);
        const QRegion parts = redo.intersected(placed.area);
        if (parts.isEmpty() || placed.tool->replacesPixels())
            continue;
        const QImage pixels = painted(image, {}, placed, marks.bitmapMark(i));
        if (pixels.isNull())
            return false;
        for (const QRect &part : parts)
            copyPixels(pixels, part.translated(-placed.area.topLeft()), image, part.topLeft());
    }
    return true;
}

} // namespace

bool burn(QImage &image, const MarkList &marks, const QRegion &region)
{
    const HiddenAreas hidden = marks.hiddenAreas();
    const QRegion boxes = hidden.region();
    for (int i = 0; i < marks.size(); ++i) {
        const PlacedMark &placed = marks.at(i);
        // The fills of the boxes are shared by the blurs while the pixels
        // around them stay as they were.
        if (!placed.tool->replacesPixels())
            hidden.forget(placed.area);
        const QRegion parts = region.intersected(placed.area);
        if (parts.isEmpty())
            continue;
        QImage pixels;
        if (placed.tool->replacesPixels()) {
            // What it reads: within its reach, and around the groups there
            // whose fills are yet to be made.
            const QRect reach = hidden.reachOf(placed.area);
            const QRect reads = hidden.keepsFillsWithin(reach) ? reach : hidden.readArea(placed.area);
            std::vector<std::pair<QRect, QImage>> saved;
            const bool rewound = rewind(image, marks, i, reads, region, boxes, saved);
            if (rewound)
                pixels = placed.tool->replacement(image, {}, marks.bitmapMark(i), placed.area, hidden);
            for (const auto &[part, kept] : saved)
                copyPixels(kept, kept.rect(), image, part.topLeft());
        } else {
            pixels = painted(image, {}, placed, marks.bitmapMark(i));
        }
        if (pixels.isNull())
            return false;
        for (const QRect &part : parts)
            copyPixels(pixels, part.translated(-placed.area.topLeft()), image, part.topLeft());
    }
    return true;
}

} // namespace pintora::burner
