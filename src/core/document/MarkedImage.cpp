#include "core/document/MarkedImage.h"

#include "core/document/MarkBurner.h"
#include "core/pixels/BurnIn.h"
#include "core/pixels/PixelCopy.h"

#include <new>
#include <utility>
#include <vector>

namespace pintora {

MarkedImage::MarkedImage(QImage image)
    : m_image(std::move(image))
    , m_marks(m_image.size())
{
    // The first mark's base then finds its memory in place.
    if (!m_image.isNull())
        m_arena.prepare();
}

void MarkedImage::swap(MarkedImage &other) noexcept
{
    m_image.swap(other.m_image);
    std::swap(m_marks, other.m_marks);
    std::swap(m_arena, other.m_arena);
}

bool MarkedImage::makeEditable(QImage *converted)
{
    const QImage::Format format = editableFormat(m_image);
    if (format != m_image.format()) {
        Q_ASSERT(m_marks.isEmpty());
        QImage editable = m_image.convertToFormat(format);
        if (editable.isNull())
            return false;
        *converted = std::exchange(m_image, std::move(editable));
    } else if (!m_image.isDetached()) {
        // Still shared with the clipboard's intake: copied once.
        QImage own = m_image.copy();
        if (own.isNull())
            return false;
        m_image = std::move(own);
    }
    return true;
}

void MarkedImage::exchangeImage(QImage &other)
{
    Q_ASSERT(m_marks.isEmpty() && other.size() == m_image.size());
    m_image.swap(other);
}

std::optional<QRect> MarkedImage::insert(int index, const Tool &tool, const Mark &mark)
{
    PlacedMark placed = m_marks.place(tool, mark);
    return reinsert(index, placed);
}

std::optional<QRect> MarkedImage::reinsert(int index, PlacedMark &placed)
{
    if (goesOnTop(placed, index)) {
        if (!burnOnTop(placed))
            return {};
        const QRect area = placed.area;
        m_marks.insert(index, std::move(placed));
        return area;
    }
    if (placed.base.isNull() && !placed.area.isEmpty()) {
        placed.base = m_marks.baseOf(m_image, placed.area, m_arena);
        if (placed.base.isNull())
            return {};
    }
    m_marks.insert(index, std::move(placed));
    const std::optional<QRect> changed = reburn(touchedBy(m_marks.at(index)), nullptr);
    if (!changed)
        placed = m_marks.take(index);
    return changed;
}

std::optional<QRect> MarkedImage::remove(int index, PlacedMark *removed)
{
    if (liesAlone(index)) {
        *removed = m_marks.take(index);
        if (!removed->area.isEmpty())
            copyPixels(removed->base, removed->base.rect(), m_image, removed->area.topLeft());
        return removed->area;
    }
    const burner::Change touched = touchedBy(m_marks.at(index));
    PlacedMark gone = m_marks.take(index);
    const std::optional<QRect> changed = reburn(touched, &gone);
    if (changed)
        *removed = std::move(gone);
    else
        m_marks.insert(index, std::move(gone));
    return changed;
}

std::optional<QRect> MarkedImage::change(int index, const Mark &mark, Mark *before)
{
    PlacedMark placed = m_marks.place(*m_marks.at(index).tool, mark);
    if (!placed.area.isEmpty()) {
        placed.base = m_marks.baseOf(m_image, placed.area, m_arena);
        if (placed.base.isNull())
            return {};
    }
    burner::Change touched = touchedBy(m_marks.at(index));
    PlacedMark old = m_marks.exchange(index, std::move(placed));
    const burner::Change now = touchedBy(m_marks.at(index));
    touched.pixels += now.pixels;
    touched.boxes += now.boxes;
    const std::optional<QRect> changed = reburn(touched, &old);
    if (changed)
        *before = std::move(old.mark);
    else
        m_marks.exchange(index, std::move(old));
    return changed;
}

burner::Change MarkedImage::touchedBy(const PlacedMark &placed) const
{
    burner::Change change{QRegion(placed.area), {}};
    if (placed.tool->replacesPixels())
        change.boxes = QRegion(m_marks.hiddenAreas().groupBounds(placed.area)) + placed.area;
    return change;
}

bool MarkedImage::goesOnTop(const PlacedMark &placed, int index) const
{
    const HiddenAreas hidden = m_marks.hiddenAreas(&placed);
    const bool isBlur = placed.tool->replacesPixels();
    // What it reads: a blur, around its box; a painted mark, its own pixels.
    const QRect reads = isBlur ? hidden.readArea(placed.area) : placed.area;
    for (int i = 0; i < m_marks.size(); ++i) {
        const PlacedMark &other = m_marks.at(i);
        if (i >= index && other.area.intersects(reads))
            return false; // it would cover this one, or what this one reads
        // A blur reads this one, or (a box of its group) is changed by it.
        if (other.tool->replacesPixels() && (i >= index || isBlur)
            && hidden.readArea(other.area).intersects(placed.area))
            return false;
    }
    return true;
}

bool MarkedImage::liesAlone(int index) const
{
    const PlacedMark &placed = m_marks.at(index);
    const HiddenAreas hidden = m_marks.hiddenAreas();
    for (int i = 0; i < m_marks.size(); ++i) {
        const PlacedMark &other = m_marks.at(i);
        if (i != index
            && (other.area.intersects(placed.area)
                || (other.tool->replacesPixels() && hidden.readArea(other.area).intersects(placed.area))))
            return false;
    }
    return true;
}

bool MarkedImage::burnOnTop(PlacedMark &placed)
{
    const QRect &area = placed.area;
    if (area.isEmpty())
        return true;
    bool onBase = true;
    for (int i = 0; i < m_marks.size() && onBase; ++i)
        onBase = !m_marks.at(i).area.intersects(area);
    if (placed.base.isNull() && !onBase) {
        placed.base = m_marks.baseOf(m_image, area, m_arena);
        if (placed.base.isNull())
            return false;
    }
    const Mark mark = placed.mark.inBitmap(m_image.height());
    QImage pixels;
    if (placed.tool->replacesPixels()) {
        pixels = placed.tool->replacement(m_image, {}, mark, area, m_marks.hiddenAreas(&placed));
    } else {
        pixels = m_arena.image(area.size(), m_image.format());
        if (!pixels.isNull()) {
            copyPixels(m_image, area, pixels, QPoint(0, 0));
            placed.tool->burn(pixels, mark, area);
        }
    }
    if (pixels.isNull())
        return false;
    swapPixels(m_image, area, pixels);
    if (placed.base.isNull())
        placed.base = std::move(pixels);
    return true;
}

std::optional<QRect> MarkedImage::reburn(const burner::Change &change, const PlacedMark *gone)
{
    const QRegion region = burner::changedRegion(m_marks, change) & m_image.rect();
    // What the region holds now, should memory run out half way.
    std::vector<std::pair<QRect, QImage>> saved;
    try {
        for (const QRect &part : region) {
            QImage pixels = hugePageCopy(m_image, part);
            if (pixels.isNull())
                return {};
            saved.emplace_back(part, std::move(pixels));
        }
    } catch (const std::bad_alloc &) {
        return {};
    }
    // Every mark's base holds what its pixels were before any mark; the
    // pixels of the region under no mark, before or after, are so already.
    m_marks.restoreBase(m_image, region);
    if (gone && !gone->area.isEmpty())
        for (const QRect &part : region.intersected(gone->area))
            copyPixels(gone->base, part.translated(-gone->area.topLeft()), m_image, part.topLeft());
    if (!burner::burn(m_image, m_marks, region)) {
        for (const auto &[part, pixels] : saved)
            copyPixels(pixels, pixels.rect(), m_image, part.topLeft());
        return {};
    }
    return region.boundingRect();
}

} // namespace pintora
