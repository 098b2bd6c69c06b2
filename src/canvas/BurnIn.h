#pragma once

#include "canvas/Annotation.h"

#include <QImage>
#include <QRectF>

// Pixel work of burning a rectangle into an image. Rectangles here are in
// bitmap space (origin top-left), fractional.

// The blur's standard deviation in pixels.
inline constexpr double blurSigma = 5.0;

// A new image with the pixels of `image` as 8-bit premultiplied ARGB, one
// point per pixel, that can be painted on without touching `image`. Null when
// it cannot be allocated.
QImage paintableCopy(const QImage &image);

// An outline centred on the rectangle's edges with mitred corners, after a
// 30 % tint of the colour inside it when the style is filled.
void paintBox(QImage &canvas, const QRectF &rect, const RectangleStyle &style);

// Draws `patch` scaled to fill `rect` exactly, over what is there.
void paintPatch(QImage &canvas, const QImage &patch, const QRectF &rect);
