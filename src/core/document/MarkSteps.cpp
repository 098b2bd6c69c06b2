#include "core/document/MarkSteps.h"

#include <utility>

namespace pintora {

MarkAdded::MarkAdded(MarkedImage &image, const Tool &tool, const Mark &mark)
    : m_image(image)
    , m_tool(&tool)
    , m_mark(mark)
{
}

bool MarkAdded::redo()
{
    const bool first = m_index < 0;
    QImage converted;
    if (first) {
        if (!m_image.makeEditable(&converted))
            return false;
    } else if (!m_other.isNull()) {
        m_image.exchangeImage(m_other); // converted again
    }
    const int index = first ? m_image.marks().size() : m_index;
    const std::optional<QRect> area = first ? m_image.insert(index, *m_tool, m_mark) : m_image.reinsert(index, m_kept);
    const bool wasConverted = first ? !converted.isNull() : !m_other.isNull();
    if (!area) {
        if (first && wasConverted)
            m_image.exchangeImage(converted);
        else if (!first && wasConverted)
            m_image.exchangeImage(m_other);
        return false;
    }
    if (first) {
        m_index = index;
        m_other = std::move(converted);
    }
    m_changed = wasConverted ? m_image.image().rect() : *area;
    return true;
}

bool MarkAdded::undo()
{
    const std::optional<QRect> area = m_image.remove(m_index, &m_kept);
    if (!area)
        return false;
    if (!m_other.isNull())
        m_image.exchangeImage(m_other); // the image as it was before
    m_changed = m_other.isNull() ? *area : m_image.image().rect();
    return true;
}

MarkRemoved::MarkRemoved(MarkedImage &image, int index)
    : m_image(image)
    , m_index(index)
{
}

MarkRemoved::MarkRemoved(MarkedImage &image, int index, PlacedMark removed, const QRect &area)
    : m_image(image)
    , m_index(index)
    , m_kept(std::move(removed))
{
    m_changed = area;
}

bool MarkRemoved::redo()
{
    const std::optional<QRect> area = m_image.remove(m_index, &m_kept);
    if (area)
        m_changed = *area;
    return area.has_value();
}

bool MarkRemoved::undo()
{
    const std::optional<QRect> area = m_image.reinsert(m_index, m_kept);
    if (area)
        m_changed = *area;
    return area.has_value();
}

MarkChanged::MarkChanged(MarkedImage &image, int index, const Mark &before, const Mark &after, bool isNudge)
    : m_image(image)
    , m_index(index)
    , m_before(before)
    , m_after(after)
    , m_isNudge(isNudge)
{
}

bool MarkChanged::become(const Mark &mark)
{
    Mark was;
    const std::optional<QRect> area = m_image.change(m_index, mark, &was);
    if (area)
        m_changed = *area;
    return area.has_value();
}

bool MarkChanged::redo()
{
    return become(m_after);
}

bool MarkChanged::undo()
{
    return become(m_before);
}

bool MarkChanged::absorb(EditStep &next)
{
    auto *nudge = dynamic_cast<MarkChanged *>(&next);
    if (!m_isNudge || !nudge || !nudge->m_isNudge || nudge->m_index != m_index)
        return false;
    m_after = nudge->m_after;
    return true;
}

ImageReplaced::ImageReplaced(MarkedImage &image, MarkedImage other)
    : m_image(image)
    , m_other(std::move(other))
{
}

bool ImageReplaced::redo()
{
    // Both sides kept whole: swapping costs no copy.
    m_image.swap(m_other);
    m_changed = m_image.image().rect();
    return true;
}

} // namespace pintora
