#pragma once

#include "core/pixels/HiddenAreas.h"
#include "core/tools/Tool.h"

#include <QImage>
#include <QRegion>
#include <QSize>

#include <vector>

namespace pintora {

class PixelArena;

// A mark burned into the image that stays editable: its tool and geometry
// (pixel space), the pixels its burn-in may change (bitmap space), and what
// those held before any mark, which a removal or a move brings back.
struct PlacedMark {
    const Tool *tool = nullptr;
    Mark mark;
    QRect area;
    QImage base;
};

// The marks burned into an image since it was last replaced, in the order
// they are burned: where each lies, which one a click takes, what the blurs
// among them hide, and the image as it was before any of them. Keeps no
// pixels but those bases; MarkedImage keeps the image equal to the marks
// burned on it.
class MarkList
{
public:
    explicit MarkList(const QSize &imageSize = {});

    QSize imageSize() const { return m_imageSize; }
    int size() const { return int(m_marks.size()); }
    bool isEmpty() const { return m_marks.empty(); }
    const PlacedMark &at(int index) const { return m_marks[std::size_t(index)]; }
    // The mark in bitmap space, as its tool burns it.
    Mark bitmapMark(int index) const;

    // `mark` of `tool` placed on this list's image, its base not yet taken.
    PlacedMark place(const Tool &tool, const Mark &mark) const;
    void insert(int index, PlacedMark placed);
    PlacedMark take(int index);
    // Puts `placed` where the mark at `index` is and returns that one.
    PlacedMark exchange(int index, PlacedMark placed);

    // The topmost mark that shows within `reach` pixels of `pixel` (pixel
    // space); -1 when none does.
    int topmostAt(const QPointF &pixel, double reach) const;
    // Every blur box of the list (and of `also`, a mark about to join it),
    // hidden from every blur.
    HiddenAreas hiddenAreas(const PlacedMark *also = nullptr) const;

    // `area` of the image as it was before any mark, from the bases where
    // marks lie and from `image` elsewhere; null when memory runs out.
    QImage baseOf(const QImage &image, const QRect &area, PixelArena &arena) const;
    // Puts the bases back over `region` into `image`, whose pixel (0, 0)
    // is the whole image's `origin`.
    void restoreBase(QImage &image, const QRegion &region, const QPoint &origin = {}) const;

private:
    QSize m_imageSize;
    std::vector<PlacedMark> m_marks;
};

} // namespace pintora
