#include "core/geometry/Geometry.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace pintora {

namespace geometry {

double displayScale(const QSizeF &bounds, const QSizeF &imageSize, const Zoom &zoom)
{
    if (!zoom.isFitted())
        return zoom.scale;
    const double sx = bounds.width() / imageSize.width();
    const double sy = bounds.height() / imageSize.height();
    double scale = sy < sx ? sy : sx;
    if (scale > maximumDisplayScale)
        scale = maximumDisplayScale;
    return scale;
}

QRectF fittedImageRect(const QSizeF &bounds, const QSizeF &imageSize)
{
    const double scale = displayScale(bounds, imageSize);
    const double width = scale * imageSize.width();
    const double height = scale * imageSize.height();
    return QRectF((bounds.width() - width) * 0.5, (bounds.height() - height) * 0.5, width, height);
}

namespace {

// Where an image `length` points long starts along an axis of the view:
// with `centre` (points from the image's start) at the view's middle, as far
// as the image's ends allow when it overflows, and as far as it stays whole
// in the view when it fits, so that a zoom about the pointer keeps the point
// under it (a zoom about the middle of a centred image keeps it centred).
double axisStart(double viewLength, double length, double centre)
{
    if (!(length > viewLength))
        return std::clamp(viewLength * 0.5 - centre, 0.0, viewLength - length);
    return std::clamp(viewLength * 0.5 - centre, viewLength - length, 0.0);
}

} // namespace

QRectF imageRect(const QSizeF &bounds, const QSizeF &imageSize, const Zoom &zoom)
{
    if (zoom.isFitted())
        return fittedImageRect(bounds, imageSize);
    const double width = zoom.scale * imageSize.width();
    const double height = zoom.scale * imageSize.height();
    return QRectF(axisStart(bounds.width(), width, zoom.scale * zoom.centre.x()),
                  axisStart(bounds.height(), height, zoom.scale * zoom.centre.y()), width, height);
}

QPointF canvasToPixel(const QPointF &viewPoint, const QSizeF &bounds, const QSizeF &imageSize, const Zoom &zoom)
{
    if (imageSize.isEmpty())
        return {0, 0};
    const QRectF shown = imageRect(bounds, imageSize, zoom);
    const double scale = displayScale(bounds, imageSize, zoom);
    const double w = imageSize.width();
    const double h = imageSize.height();

    // Written as "keep when inside" so that a NaN fails the first test and
    // lands on the far edge.
    double px = (viewPoint.x() - shown.x()) / scale;
    px = px < w ? px : w;
    px = px >= 0 ? px : 0;
    double py = (viewPoint.y() - shown.y()) / scale;
    py = py < h ? py : h;
    py = py >= 0 ? py : 0;
    return {px, py};
}

QRectF pixelToView(const QRectF &pixelRect, const QSizeF &bounds, const QSizeF &imageSize, const Zoom &zoom)
{
    const QRectF shown = imageRect(bounds, imageSize, zoom);
    const double scale = displayScale(bounds, imageSize, zoom);
    return QRectF(shown.x() + scale * pixelRect.x(), shown.y() + scale * pixelRect.y(), scale * pixelRect.width(),
                  scale * pixelRect.height());
}

double zoomStep(double factor, int steps)
{
    static constexpr double stops[] = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1, 1.5,
                                       2,        3,        4,       6,       8,       12,      16,      24,      32};
    constexpr double tolerance = 1e-6;
    for (; steps > 0; --steps) {
        const auto next = std::find_if(std::begin(stops), std::end(stops),
                                       [factor](double stop) { return stop > factor * (1 + tolerance); });
        factor = next == std::end(stops) ? stops[std::size(stops) - 1] : *next;
    }
    for (; steps < 0; ++steps) {
        const auto next = std::find_if(std::rbegin(stops), std::rend(stops),
                                       [factor](double stop) { return stop < factor * (1 - tolerance); });
        factor = next == std::rend(stops) ? stops[0] : *next;
    }
    return factor;
}

namespace {

// The zoom with its centre where the view's middle shows it, so that
// scrolling beyond an edge does not pile up.
Zoom settled(const Zoom &zoom, const QSizeF &bounds, const QSizeF &imageSize)
{
    const QRectF shown = imageRect(bounds, imageSize, zoom);
    const QPointF middle(bounds.width() * 0.5, bounds.height() * 0.5);
    return {zoom.scale, (middle - shown.topLeft()) / zoom.scale};
}

} // namespace

Zoom zoomedAbout(const Zoom &zoom, double scale, const QPointF &viewPoint, const QSizeF &bounds,
                 const QSizeF &imageSize)
{
    if (!(scale > 0) || imageSize.isEmpty())
        return zoom;
    const QRectF shown = imageRect(bounds, imageSize, zoom);
    const QPointF pixel = (viewPoint - shown.topLeft()) / displayScale(bounds, imageSize, zoom);
    const QPointF middle(bounds.width() * 0.5, bounds.height() * 0.5);
    return settled({scale, pixel - (viewPoint - middle) / scale}, bounds, imageSize);
}

Zoom scrolledBy(const Zoom &zoom, const QPointF &viewDelta, const QSizeF &bounds, const QSizeF &imageSize)
{
    if (zoom.isFitted() || imageSize.isEmpty())
        return zoom;
    const Zoom here = settled(zoom, bounds, imageSize);
    // Only along an axis the image overflows: one that fits has nothing to show.
    const QPointF delta(zoom.scale * imageSize.width() > bounds.width() ? viewDelta.x() : 0,
                        zoom.scale * imageSize.height() > bounds.height() ? viewDelta.y() : 0);
    return settled({zoom.scale, here.centre - delta / zoom.scale}, bounds, imageSize);
}

namespace {
constexpr double shortestThumb = 24;
} // namespace

Thumb scrollThumb(double viewLength, double imageStart, double imageLength)
{
    if (!(imageLength > viewLength) || !(viewLength > shortestThumb))
        return {};
    const double length = std::max(shortestThumb, viewLength * viewLength / imageLength);
    const double scrolled = std::clamp(-imageStart / (imageLength - viewLength), 0.0, 1.0);
    return {scrolled * (viewLength - length), length};
}

double imageMoveForThumb(double viewLength, double imageLength, double thumbDelta)
{
    const Thumb thumb = scrollThumb(viewLength, 0, imageLength);
    if (thumb.length == 0)
        return 0;
    return -thumbDelta * (imageLength - viewLength) / (viewLength - thumb.length);
}

double zoomPercent(double scale, double ratio)
{
    return scale * ratio * 100;
}

QPointF viewPointFromWidget(const QPointF &widgetPoint, double height)
{
    return {widgetPoint.x(), height - widgetPoint.y()};
}

QRectF widgetRectFromView(const QRectF &viewRect, double height)
{
    return QRectF(viewRect.x(), height - viewRect.y() - viewRect.height(), viewRect.width(), viewRect.height());
}

QRectF bitmapRectFromPixel(const QRectF &pixelRect, double imageHeight)
{
    return QRectF(pixelRect.x(), imageHeight - pixelRect.y() - pixelRect.height(), pixelRect.width(),
                  pixelRect.height());
}

QRect pixelCut(const QRectF &bitmapRect, const QSize &imageSize)
{
    const double left = std::max(std::floor(bitmapRect.left()), 0.0);
    const double top = std::max(std::floor(bitmapRect.top()), 0.0);
    const double right = std::min(std::ceil(bitmapRect.right()), double(imageSize.width()));
    const double bottom = std::min(std::ceil(bitmapRect.bottom()), double(imageSize.height()));
    if (!(left < right && top < bottom)) // also refuses NaN
        return {};
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

} // namespace geometry

} // namespace pintora
