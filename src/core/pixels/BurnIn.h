#pragma once

#include "core/document/Annotation.h"
#include "core/pixels/HiddenAreas.h"

#include <QImage>
#include <QRect>
#include <QRectF>

// Pixel work of burning a rectangle into an image, in place. Rectangles here
// are in bitmap space (origin top-left), fractional.
namespace pintora {

// The format an image is edited in: its own, unless that cannot hold a
// coloured drawing (indexed, one-bit, alpha-only and grey images); those
// become a colour format that holds each of their pixels exactly: straight
// alpha for translucent ones, 16 bits for 16-bit grey.
QImage::Format editableFormat(const QImage &image);

// The whole pixels of an image of `imageSize` that burning `rect` in `style`
// may change: the outline's outer half and the antialiasing fringe included.
QRect burnInArea(const QRectF &rect, const RectangleStyle &style, const QSize &imageSize);

// An outline centred on the rectangle's edges with mitred corners, after a
// 30 % tint of the colour inside it when the style is filled. Changes no
// pixel outside `area`.
void paintBox(QImage &image, const QRectF &rect, const RectangleStyle &style, const QRect &area);

// The pixels that hide `cut` (inside the image, one of `hidden`'s boxes): a
// blur of the image in which every box of `hidden` is filled from the
// pixels around its group, so that they depend on nothing under any box.
// In the image's own format and opaque where the image is, ready to replace
// `cut` outright; null when memory runs out.
// `image` holds the whole image's pixels from `origin` on, every pixel the
// blur reads among them; `cut` and the boxes are in the whole image.
QImage blurPatch(const QImage &image, const QPoint &origin, const QRect &cut, const HiddenAreas &hidden);
// The same for a lone box blurred with `sigma`.
QImage blurPatch(const QImage &image, const QRect &cut, double sigma);

} // namespace pintora
