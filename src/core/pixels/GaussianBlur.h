#pragma once

#include <QImage>
#include <QRect>
#include <QSizeF>

#include <array>
#include <span>

namespace pintora {

class HiddenFill;

// The standard deviation a blur rectangle of `size` image pixels gets: 5 px
// for small boxes, a quarter of the shorter side for larger ones, at most
// blurSigmaCap. Text that fits in the box is then smeared over its own height.
inline constexpr double blurSigmaFloor = 5.0;
inline constexpr double blurSigmaCap = 100.0;
double blurSigmaFor(const QSizeF &size);

// The radii of three box filters that, run one after the other, blur like a
// Gaussian of standard deviation `sigma`.
std::array<int, 3> boxRadii(double sigma);

// How far from a pixel the blur reads: the sum of the box radii.
int blurReach(double sigma);

// A Gaussian blur (three box passes; the cost per pixel does not depend on
// `sigma`) of the pixels of `cut` in `source`, which holds premultiplied or
// opaque 32-bit pixels; `cut` lies inside it. Beyond the image's edges the
// nearest edge pixels repeat, so an opaque image gives an opaque patch.
// Reads no more of the image than `cut` grown by blurReach(sigma) and works
// in about 4 bytes a pixel of that area. The result is `cut`'s size,
// premultiplied; null when memory runs out.
//
// The hidden pixels of each of `hidden` are read as its fill instead: the
// result then depends on nothing under them. The fills place them in a
// whole image of which `source` holds the pixels from `origin` on.
QImage gaussianBlurCut(const QImage &source, const QRect &cut, double sigma,
                       std::span<const HiddenFill *const> hidden = {}, const QPoint &origin = {});

} // namespace pintora
