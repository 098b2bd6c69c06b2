#pragma once

#include "core/pixels/FillPixels.h"
#include "core/pixels/HiddenFill.h"

#include <QImage>

#include <vector>

namespace pintora {

// The fill of hidden rectangles that touch or overlap, as one region: each
// hidden pixel is a blend of the nearest pixels outside the region to its
// left and right and above and below, nearer ones weighing more, each of
// them first smoothed along its edge of the region so that text beside it
// leaves no streaks. Nothing inside the region, nor any pixel hidden
// elsewhere, is read. Without a pixel around, the fill is a neutral grey.
class RegionFill final : public HiddenFill
{
public:
    // `image` holds premultiplied or opaque 32-bit pixels, its pixel (0, 0)
    // at `origin` of the whole image, and every pixel the fill reads where
    // the whole image has them; the rectangles (in the whole image) lie
    // inside it, and `hiddenElsewhere` holds the other hidden ones nearby.
    // Edges are smoothed over about `sigma` pixels.
    RegionFill(const QImage &image, const QPoint &origin, const std::vector<QRect> &rects, double sigma,
               const std::vector<QRect> &hiddenElsewhere);

    QRect bounds() const override { return m_bounds; }
    std::span<const Span> spans(int y) const override;
    void row(int y, std::uint32_t *out) const override;

private:
    // A stretch of hidden pixels along a row or a column, with the smoothed
    // pixels just before and after it; a missing one weighs nothing.
    struct Run {
        Span span;
        fill::Pixel before, after;
        bool hasBefore, hasAfter;
    };
    using Runs = std::vector<Run>;

    QRect m_bounds;
    std::vector<std::vector<Span>> m_rowSpans; // per row of bounds
    std::vector<Runs> m_rows; // the same spans, with their ends
    std::vector<Runs> m_columns; // per column of bounds
};

} // namespace pintora
