#include "core/Geometry.h"

#include <algorithm>
#include <cmath>

namespace pintora {

namespace geometry {

double displayScale(const QSizeF &bounds, const QSizeF &imageSize)
{
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

QPointF canvasToPixel(const QPointF &viewPoint, const QSizeF &bounds, const QSizeF &imageSize)
{
    if (imageSize.isEmpty())
        return {0, 0};
    const QRectF fitted = fittedImageRect(bounds, imageSize);
    const double scale = displayScale(bounds, imageSize);
    const double w = imageSize.width();
    const double h = imageSize.height();

    // Written as "keep when inside" so that a NaN fails the first test and
    // lands on the far edge.
    double px = (viewPoint.x() - fitted.x()) / scale;
    px = px < w ? px : w;
    px = px >= 0 ? px : 0;
    double py = (viewPoint.y() - fitted.y()) / scale;
    py = py < h ? py : h;
    py = py >= 0 ? py : 0;
    return {px, py};
}

QRectF pixelToView(const QRectF &pixelRect, const QSizeF &bounds, const QSizeF &imageSize)
{
    const QRectF fitted = fittedImageRect(bounds, imageSize);
    const double scale = displayScale(bounds, imageSize);
    return QRectF(fitted.x() + scale * pixelRect.x(), fitted.y() + scale * pixelRect.y(), scale * pixelRect.width(),
                  scale * pixelRect.height());
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
