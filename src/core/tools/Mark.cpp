#include "core/geometry/Geometry.h"
#include "core/tools/Tool.h"

#include <algorithm>

namespace pintora {

Mark Mark::inBitmap(double imageHeight) const
{
    const auto flip = [imageHeight](const QPointF &point) { return QPointF(point.x(), imageHeight - point.y()); };
    Mark flipped = *this;
    flipped.from = flip(from);
    flipped.to = flip(to);
    for (QPointF &point : flipped.path)
        point = flip(point);
    flipped.rect = geometry::bitmapRectFromPixel(rect, imageHeight);
    return flipped;
}

Mark Mark::translated(const QPointF &delta) const
{
    Mark moved = *this;
    moved.from += delta;
    moved.to += delta;
    for (QPointF &point : moved.path)
        point += delta;
    moved.rect.translate(delta);
    return moved;
}

QRectF Mark::anchorBounds() const
{
    // By hand: Qt's union passes over rectangles without area.
    double left = std::min(from.x(), to.x()), right = std::max(from.x(), to.x());
    double top = std::min(from.y(), to.y()), bottom = std::max(from.y(), to.y());
    const auto include = [&](const QPointF &point) {
        left = std::min(left, point.x());
        right = std::max(right, point.x());
        top = std::min(top, point.y());
        bottom = std::max(bottom, point.y());
    };
    for (const QPointF &point : path)
        include(point);
    if (!rect.isNull()) {
        include(rect.topLeft());
        include(rect.bottomRight());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

Mark Tool::restyled(const Mark &mark, const RectangleStyle &style, const QSize &) const
{
    Mark changed = mark;
    changed.style.color = style.color;
    changed.style.lineWidth = style.lineWidth;
    if (isFillable()) {
        changed.style.filled = style.filled;
        changed.style.solid = style.solid;
    }
    return changed;
}

} // namespace pintora
