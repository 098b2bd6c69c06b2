#pragma once

#include "core/pixels/HiddenFill.h"

#include <QImage>
#include <QPoint>
#include <QRect>
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
class HiddenAreas
{
public:
    HiddenAreas() = default;
    explicit HiddenAreas(const std::vector<HiddenCut> &cuts);

    bool isEmpty() const { return m_groups.empty(); }
    // Whether the pixel lies under a box.
    bool hides(int x, int y) const;
    // The deviation the blur of a box with `cut` (one of the boxes) uses.
    double sigmaOf(const QRect &cut) const;
    // Every pixel of an image of `imageSize` that the blur of `cut` reads:
    // those within its reach, and around each group with pixels there.
    QRect readArea(const QRect &cut, const QSize &imageSize) const;
    // The fills of the groups with pixels within `area`, made from `image`.
    std::vector<std::unique_ptr<HiddenFill>> fillsWithin(const QImage &image, const QRect &area) const;
    // The same boxes `offset` pixels further.
    HiddenAreas translated(const QPoint &offset) const;

private:
    struct Group {
        std::vector<QRect> cuts;
        QRect bounds;
        double sigma;
    };
    // What the fill of `group` reads, on an image of `imageSize`.
    static QRect fillReadArea(const Group &group, const QSize &imageSize);
    const Group *groupOf(const QRect &cut) const;

    std::vector<Group> m_groups;
};

} // namespace pintora
