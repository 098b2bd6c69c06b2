#pragma once

#include "core/Annotation.h"

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

// The blurred pixels of `cut` (inside the image) as a premultiplied patch of
// its size, from an image of any format; null when memory runs out.
QImage blurPatch(const QImage &image, const QRect &cut, double sigma);

// Whether drawing an opaque-to-be `patch` 1:1 over `image` gives the patch's
// own bytes: the image stores them alike and the patch covers completely.
bool canSwapIn(const QImage &image, const QImage &patch);

// Exchanges `patch` with the pixels of `image` at `at`, row by row: the
// patch is then in the image, and what it replaced in `patch`.
void swapIn(QImage &image, QImage &patch, const QPoint &at);

// Draws `patch` scaled to fill `rect` exactly, over what is there. Changes no
// pixel outside `area`.
void paintPatch(QImage &image, const QImage &patch, const QRectF &rect, const QRect &area);

} // namespace pintora
