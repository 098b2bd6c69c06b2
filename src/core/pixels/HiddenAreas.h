#pragma once

#include "core/pixels/HiddenFill.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <memory>
#include <vector>

namespace pintora {

// A rectangle of whole pixels whose contents no blur may read, with the
// standard deviation of its own blur.
struct HiddenCut {
    QRect cut;
    double sigma;
};

// Every blur box of an image at once (bitmap space). Boxes that overlap or
// share an edge form a group, hidden and blurred as one region with the
// largest deviation among them; a blur reads, in place of any hidden pixel
// within its reach, its group's fill, made from the pixels around the group.
// So what one box hides leaks neither into another box's blur nor through
// their seam.
//
// The fills are made when first asked for and kept until forget() says the
// pixels they were made from changed: the boxes of one region share one.
class HiddenAreas
{
public:
    HiddenAreas() = default;
    HiddenAreas(const std::vector<HiddenCut> &cuts, const QSize &imageSize);

    bool isEmpty() const { return m_groups.empty(); }
    // Every pixel under a box.
    QRegion region() const;
    // The smallest rectangle holding the group of the box with `cut`.
    QRect groupBounds(const QRect &cut) const;
    // The deviation the blur of a box with `cut` (one of the boxes) uses.
    double sigmaOf(const QRect &cut) const;
    // The pixels within the reach of the blur of `cut`.
    QRect reachOf(const QRect &cut) const;
    // Every pixel the blur of `cut` reads: those within its reach, and
    // around each group with pixels there.
    QRect readArea(const QRect &cut) const;
    // The fills of the groups with pixels within `area`, made from `image`
    // (which holds the whole image's pixels from `origin` on, all those the
    // fills read among them) unless kept from before.
    std::vector<const HiddenFill *> fillsWithin(const QImage &image, const QPoint &origin, const QRect &area) const;
    // Whether the fills of every group with pixels within `area` are kept.
    bool keepsFillsWithin(const QRect &area) const;
    // Forgets the fills made from any pixel of `changed`.
    void forget(const QRect &changed) const;

private:
    struct Group {
        std::vector<QRect> cuts;
        QRect bounds;
        double sigma;
    };
    // What the fill of `group` reads.
    QRect fillReadArea(const Group &group) const;
    const Group *groupOf(const QRect &cut) const;
    // The boxes with pixels within `area`, but those of `except`.
    std::vector<QRect> cutsNear(const QRect &area, const Group *except) const;

    QSize m_imageSize;
    std::vector<Group> m_groups;
    // Each group's fill once made, by the group's place, with the pixels
    // it was made from.
    struct Made {
        std::shared_ptr<const HiddenFill> fill;
        QRegion from;
    };
    mutable std::vector<Made> m_fills;
};

} // namespace pintora
