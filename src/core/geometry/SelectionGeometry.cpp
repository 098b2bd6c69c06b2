#include "core/geometry/SelectionGeometry.h"

#include <algorithm>
#include <cmath>

namespace pintora::geometry {

QPointF snapToPixelCorner(const QPointF &pixel, const QSizeF &imageSize, double reach)
{
    const auto snap = [reach](double value, double length) {
        if (value <= reach)
            return 0.0;
        if (value >= length - reach)
            return length;
        return std::clamp(std::round(value), 0.0, length);
    };
    return {snap(pixel.x(), imageSize.width()), snap(pixel.y(), imageSize.height())};
}

namespace {

// Along one axis: -1 near the low edge, 1 near the high one, 0 near neither.
// Inside, an edge reaches a third of the way at most, so that a small
// selection keeps an inside to move it by.
int nearEdge(double at, double low, double high, double reach)
{
    if (at >= low && at <= high)
        reach = std::min(reach, (high - low) / 3);
    const double toLow = std::abs(at - low), toHigh = std::abs(at - high);
    if (toLow <= reach && toLow <= toHigh)
        return -1;
    if (toHigh <= reach)
        return 1;
    return 0;
}

} // namespace

Handle handleAt(const QRectF &viewRect, const QPointF &viewPoint, double reach)
{
    const QRectF rect = viewRect.normalized();
    if (rect.isEmpty() || !rect.adjusted(-reach, -reach, reach, reach).contains(viewPoint))
        return Handle::none;
    const int x = nearEdge(viewPoint.x(), rect.left(), rect.right(), reach);
    const int y = nearEdge(viewPoint.y(), rect.top(), rect.bottom(), reach); // view space: top() is the lower edge
    constexpr Handle table[3][3] = {
        {Handle::bottomLeft, Handle::left, Handle::topLeft},
        {Handle::bottom, Handle::inside, Handle::top},
        {Handle::bottomRight, Handle::right, Handle::topRight},
    };
    const Handle handle = table[x + 1][y + 1];
    return handle == Handle::inside && !rect.contains(viewPoint) ? Handle::none : handle;
}

QRectF adjustedSelection(const QRectF &selection, Handle handle, const QPointF &delta, const QSizeF &imageSize)
{
    const double width = imageSize.width(), height = imageSize.height();
    double left = selection.left(), right = selection.right(), bottom = selection.top(), top = selection.bottom();
    const double dx = std::round(delta.x()), dy = std::round(delta.y());
    if (handle == Handle::inside) {
        const double mx = std::clamp(dx, -left, width - right), my = std::clamp(dy, -bottom, height - top);
        return QRectF(left + mx, bottom + my, right - left, top - bottom);
    }
    const auto moved = [](double edge, double by, double length) { return std::clamp(edge + by, 0.0, length); };
    if (handle == Handle::left || handle == Handle::bottomLeft || handle == Handle::topLeft)
        left = moved(left, dx, width);
    if (handle == Handle::right || handle == Handle::bottomRight || handle == Handle::topRight)
        right = moved(right, dx, width);
    if (handle == Handle::bottom || handle == Handle::bottomLeft || handle == Handle::bottomRight)
        bottom = moved(bottom, dy, height);
    if (handle == Handle::top || handle == Handle::topLeft || handle == Handle::topRight)
        top = moved(top, dy, height);
    return QRectF(QPointF(std::min(left, right), std::min(bottom, top)),
                  QPointF(std::max(left, right), std::max(bottom, top)));
}

} // namespace pintora::geometry
