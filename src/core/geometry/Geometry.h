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

// How the image is shown: fitted into the view (the default), or at a zoom
// and scrolled.
struct Zoom {
    double scale = 0; // view points per image pixel; 0: fitted
    QPointF centre; // the pixel-space point shown at the view's centre, where the image overflows the view

    bool isFitted() const { return !(scale > 0); }
    friend bool operator==(const Zoom &, const Zoom &) = default;
};

// Whether a rectangle encloses anything: width and height both above zero.
// A selection without area cannot be cropped or burned in.
inline bool hasArea(const QRectF &rect)
{
    return rect.width() > 0 && rect.height() > 0;
}

// View points per image pixel: fitted, the smaller of the two fitting ratios,
// at most 16; zoomed, the zoom's.
double displayScale(const QSizeF &bounds, const QSizeF &imageSize, const Zoom &zoom = {});

// Where the image shows in view space when fitted: scaled by the display
// scale, centred.
QRectF fittedImageRect(const QSizeF &bounds, const QSizeF &imageSize);

// Where the image shows in view space: fitted, or zoomed and centred along
// each axis it does not fill, scrolled to the zoom's centre along each axis
// it overflows (never showing beyond its edges there).
QRectF imageRect(const QSizeF &bounds, const QSizeF &imageSize, const Zoom &zoom = {});

// The pixel under a view-space point, each coordinate clamped to [0, W] and
// [0, H] on its own. A NaN becomes the far edge. No image maps all to (0, 0).
QPointF canvasToPixel(const QPointF &viewPoint, const QSizeF &bounds, const QSizeF &imageSize, const Zoom &zoom = {});

// Where a pixel-space rectangle shows in view space.
QRectF pixelToView(const QRectF &pixelRect, const QSizeF &bounds, const QSizeF &imageSize, const Zoom &zoom = {});

// ---- zooming and scrolling; `ratio` is the screen's device pixels a point

// The zoom `steps` steps in (positive) or out from `factor` device pixels an
// image pixel, along 1/16, 1/12, 1/8, 1/6, 1/4, 1/3, 1/2, 2/3, 1, 3/2, 2, 3,
// 4, 6, 8, 12, 16, 24 and 32: from a factor between steps, the first step
// counts as the next one in that direction.
double zoomStep(double factor, int steps);

// `zoom` at `scale` points a pixel, keeping the pixel under `viewPoint`
// where it is (as far as the image's edges allow).
Zoom zoomedAbout(const Zoom &zoom, double scale, const QPointF &viewPoint, const QSizeF &bounds,
                 const QSizeF &imageSize);

// `zoom` with the image moved by `viewDelta` points (a pan or a scroll).
Zoom scrolledBy(const Zoom &zoom, const QPointF &viewDelta, const QSizeF &bounds, const QSizeF &imageSize);

// The thumb of a scroll bar along a view `viewLength` long that shows an
// image `imageLength` long starting at `imageStart` (negative: scrolled
// in): where it starts and how long it is; length 0 when the image fits.
struct Thumb {
    double start = 0;
    double length = 0;
};
Thumb scrollThumb(double viewLength, double imageStart, double imageLength);
// How far the image moves when the thumb is dragged by `thumbDelta`.
double imageMoveForThumb(double viewLength, double imageLength, double thumbDelta);

// Percent of device pixels an image pixel: 100 shows each image pixel on one.
double zoomPercent(double scale, double ratio);

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
