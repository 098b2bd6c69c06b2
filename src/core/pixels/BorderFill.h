#pragma once

#include "core/pixels/HiddenFill.h"

#include <QImage>
#include <QRect>

#include <array>
#include <cstdint>
#include <vector>

namespace pintora {

// What the pixels of a rectangle become before a blur that must not give
// them away: a smooth blend of the lines of pixels just outside its sides,
// each smoothed along its length. Nothing inside the rectangle is read, so
// every secret under it gives the same fill. Sides that lie beyond the image
// have no say; with none left the fill is a neutral grey.
class BorderFill final : public HiddenFill
{
public:
    static constexpr std::uint32_t neutral = 0xff808080u;

    // `image` holds premultiplied or opaque 32-bit pixels, its pixel (0, 0)
    // at `origin` of the whole image, and every pixel of it the fill reads
    // (those just outside the cut) where the whole image has them; `cut`
    // (in the whole image) lies inside it. The sides are smoothed like a
    // Gaussian of `sigma`.
    BorderFill(const QImage &image, const QPoint &origin, const QRect &cut, double sigma);

    const QRect &cut() const { return m_cut; }

    QRect bounds() const override { return m_cut; }
    std::span<const Span> spans(int) const override { return {&m_span, 1}; }
    // The fill of image row `y` (within the cut): cut().width() pixels.
    void row(int y, std::uint32_t *out) const override;

private:
    using Pixel = std::array<float, 4>;
    // The pixels of a side, in order; empty when the side lies off the image.
    using Side = std::vector<Pixel>;

    QRect m_cut;
    Span m_span;
    Side m_left, m_right, m_top, m_bottom;
    // The pull of the left and right sides on each column: the inverse of
    // the distance to them, nothing for a missing side.
    std::vector<float> m_leftWeight, m_rightWeight;
};

} // namespace pintora
