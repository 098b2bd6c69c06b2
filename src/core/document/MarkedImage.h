#pragma once

#include "core/document/MarkBurner.h"
#include "core/document/MarkList.h"
#include "core/pixels/HugePages.h"

#include <QImage>
#include <QRect>

#include <optional>

namespace pintora {

// The image shown and exported: the image as it was last replaced (opened,
// pasted, cropped) with the marks of its list burned in, in order. Every
// change of the list burns again what it touches, so that the pixels always
// equal the whole list burned afresh; the pixels outside never change.
//
// Each change returns the area whose pixels changed (bitmap space), or
// nothing, with nothing changed, when memory runs out.
class MarkedImage
{
public:
    MarkedImage() = default;
    // `image` with no marks.
    explicit MarkedImage(QImage image);

    const QImage &image() const { return m_image; }
    const MarkList &marks() const { return m_marks; }
    void swap(MarkedImage &other) noexcept;

    // Pixels of its own, in a format that can hold a coloured mark: an image
    // shared elsewhere is copied, one that cannot hold colours converted
    // (only while there are no marks). The image it was converted from, for
    // undo, goes into `converted`. False, with nothing changed, when memory
    // runs out.
    bool makeEditable(QImage *converted);
    // Exchanges the image for `other`, of the same size, while there are no
    // marks: a conversion undone and done again.
    void exchangeImage(QImage &other);

    // A new mark at `index`.
    std::optional<QRect> insert(int index, const Tool &tool, const Mark &mark);
    // A mark taken out before, its base kept, put back at `index` (or one
    // placed, its base yet to take); taken from `placed` only when done.
    std::optional<QRect> reinsert(int index, PlacedMark &placed);
    // Takes the mark at `index` out, with its base, into `removed`.
    std::optional<QRect> remove(int index, PlacedMark *removed);
    // The mark at `index` becomes `mark` (moved, reshaped, restyled, retyped),
    // burned where it was in the order; what it was goes into `before`.
    std::optional<QRect> change(int index, const Mark &mark, Mark *before);

private:
    // After the list changed from what it was (`gone` the mark it lost, if
    // any): the base put back over what `changed` affects, and the list
    // burned there again. False, with the pixels as they were, when memory
    // runs out; the caller then undoes its change of the list.
    std::optional<QRect> reburn(const burner::Change &change, const PlacedMark *gone);
    // What `placed` coming or going changes, as the list is now: its area,
    // and for a blur box the boxes it groups with.
    burner::Change touchedBy(const PlacedMark &placed) const;
    // Whether `placed`, put in at `index`, changes no pixel another mark
    // leaves or reads: no mark after it covers what it changes or reads, no
    // blur reads it, and what lies under it is final, so that burning it on
    // top is burning it in its place.
    bool goesOnTop(const PlacedMark &placed, int index) const;
    // Whether the mark at `index` lies alone: no other mark covers its area
    // nor other blur reads it (a blur box it touched would), so that taking
    // it out puts its base back and no more.
    bool liesAlone(int index) const;
    // Burns `placed` on top, reading the image as it is; false when memory
    // runs out. Without a base yet, it takes what the burn-in replaced where
    // no other mark lies, so that one copy of the area serves both.
    bool burnOnTop(PlacedMark &placed);

    QImage m_image;
    MarkList m_marks;
    // Where the bases are kept: carving them costs no page faults.
    PixelArena m_arena;
};

} // namespace pintora
