#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>

namespace pintora {

// The canvas's geometry, free of widgets.
//
// View space: the canvas in logical points, origin at its lower-left corner,
// y up. Pixel space: the image's pixel grid, origin at the image's lower-left
// corner, y up, fractional. Bitmap space: the image's rows as stored, origin
// at the top-left corner, y down.
namespace geometry {

inline constexpr double maximumDisplayScale = 16.0;

// Whether a rectangle encloses anything: width and height both above zero.
// A selection without area cannot be cropped or burned in.
inline bool hasArea(const QRectF &rect)
{
    return rect.width() > 0 && rect.height() > 0;
}

// Image pixels per view point: the smaller of the two fitting ratios, at most 16.
double displayScale(const QSizeF &bounds, const QSizeF &imageSize);

// Where the image shows in view space: scaled by the display scale, centred.
QRectF fittedImageRect(const QSizeF &bounds, const QSizeF &imageSize);

// The pixel under a view-space point, each coordinate clamped to [0, W] and
// [0, H] on its own. A NaN becomes the far edge. No image maps all to (0, 0).
QPointF canvasToPixel(const QPointF &viewPoint, const QSizeF &bounds, const QSizeF &imageSize);

// Where a pixel-space rectangle shows in view space.
QRectF pixelToView(const QRectF &pixelRect, const QSizeF &bounds, const QSizeF &imageSize);

// Between view space (y up) and a widget's coordinates (y down), for a
// canvas `height` points tall.
QPointF viewPointFromWidget(const QPointF &widgetPoint, double height);
QRectF widgetRectFromView(const QRectF &viewRect, double height);

// A pixel-space rectangle in bitmap space: (x, H - y - h, w, h).
QRectF bitmapRectFromPixel(const QRectF &pixelRect, double imageHeight);

// The whole pixels a bitmap-space rectangle touches (origin floored, far edges
// ceiled), intersected with the image; empty when they do not meet.
QRect pixelCut(const QRectF &bitmapRect, const QSize &imageSize);

} // namespace geometry

} // namespace pintora
