#pragma once

#include <QImage>
#include <QRect>

#include <vector>

namespace pintora {

// The weights of a Gaussian of standard deviation `sigma` from -radius to
// +radius, summing to one; the radius is at least three sigmas.
std::vector<float> gaussianKernel(double sigma);

// The Gaussian blur of `source` (Format_ARGB32_Premultiplied), with everything
// outside the image taken as transparent, computed only for the pixels of
// `cut` (which must lie inside the image). Reads no more of the image than
// `cut` grown by the kernel's radius. The result is `cut`'s size, in the same
// format; null when it cannot be allocated.
QImage gaussianBlurCut(const QImage &source, const QRect &cut, double sigma);

} // namespace pintora
