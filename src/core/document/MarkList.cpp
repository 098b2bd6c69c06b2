#include "core/document/MarkList.h"

#include "core/pixels/HugePages.h"
#include "core/pixels/PixelCopy.h"

#include <utility>

namespace pintora {

MarkList::MarkList(const QSize &imageSize)
    : m_imageSize(imageSize)
{
}

Mark MarkList::bitmapMark(int index) const
{
    return at(index).mark.inBitmap(m_imageSize.height());
}

PlacedMark MarkList::place(const Tool &tool, const Mark &mark) const
{
    PlacedMark placed;
    placed.tool = &tool;
    placed.mark = mark;
    placed.area = tool.area(mark.inBitmap(m_imageSize.height()), m_imageSize);
    return placed;
}

void MarkList::insert(int index, PlacedMark placed)
{
    m_marks.insert(m_marks.begin() + index, std::move(placed));
}

PlacedMark MarkList::take(int index)
{
    PlacedMark taken = std::move(m_marks[std::size_t(index)]);
    m_marks.erase(m_marks.begin() + index);
    return taken;
}

PlacedMark MarkList::exchange(int index, PlacedMark placed)
{
    return std::exchange(m_marks[std::size_t(index)], std::move(placed));
}

int MarkList::topmostAt(const QPointF &pixel, double reach) const
{
    const QPointF point(pixel.x(), m_imageSize.height() - pixel.y());
    for (int i = size() - 1; i >= 0; --i) {
        // Its area holds all it shows: far from it, no need to look closer
        // (a freehand stroke's is a long look, and the pointer asks at
        // every move).
        if (!QRectF(at(i).area).adjusted(-reach, -reach, reach, reach).contains(point))
            continue;
        if (at(i).tool->hits(bitmapMark(i), point, reach))
            return i;
    }
    return -1;
}

HiddenAreas MarkList::hiddenAreas(const PlacedMark *also) const
{
    std::vector<HiddenCut> cuts;
    const auto add = [&](const PlacedMark &placed) {
        const Mark mark = placed.mark.inBitmap(m_imageSize.height());
        if (const std::optional<HiddenCut> cut = placed.tool->hiddenCut(mark, m_imageSize))
            cuts.push_back(*cut);
    };
    for (const PlacedMark &placed : m_marks)
        add(placed);
    if (also)
        add(*also);
    return HiddenAreas(cuts, m_imageSize);
}

QImage MarkList::baseOf(const QImage &image, const QRect &area, PixelArena &arena) const
{
    QImage base = arena.image(area.size(), image.format());
    if (base.isNull())
        return base;
    copyPixels(image, area, base, QPoint(0, 0));
    // Any base of a mark over a pixel holds what it was before every mark.
    for (const PlacedMark &placed : m_marks) {
        const QRect shared = placed.area & area;
        if (!shared.isEmpty())
            copyPixels(placed.base, shared.translated(-placed.area.topLeft()), base, shared.topLeft() - area.topLeft());
    }
    return base;
}

void MarkList::restoreBase(QImage &image, const QRegion &region, const QPoint &origin) const
{
    for (const PlacedMark &placed : m_marks)
        for (const QRect &part : region.intersected(placed.area))
            copyPixels(placed.base, part.translated(-placed.area.topLeft()), image, part.topLeft() - origin);
}

} // namespace pintora
