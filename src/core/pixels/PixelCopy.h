#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

namespace pintora {

// Copies the pixels of `from` (within `source`) into `target` with their
// top-left pixel at `at`, row by row; both images have the same format, of
// whole bytes a pixel, and the rectangle fits in both.
void copyPixels(const QImage &source, const QRect &from, QImage &target, const QPoint &at);

// Exchanges the pixels of `area` of `image` with those of `pixels` (the
// area's size and the image's format).
void swapPixels(QImage &image, const QRect &area, QImage &pixels);

} // namespace pintora
