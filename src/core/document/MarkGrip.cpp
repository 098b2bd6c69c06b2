#include "core/document/MarkGrip.h"

#include "core/tools/PaintedTool.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace pintora {

MarkGrip gripAt(const Tool &tool, const Mark &mark, const QSizeF &imageSize, const QPointF &pixel, double reach)
{
    switch (tool.grips()) {
    case Grips::ends:
        // The end first: a short line's ends overlap, and the end is what
        // was placed last.
        if (QLineF(marks::endPoint(mark), pixel).length() <= reach)
            return {MarkGrip::end};
        if (QLineF(mark.from, pixel).length() <= reach)
            return {MarkGrip::start};
        break;
    case Grips::rectangle:
        if (const geometry::Handle handle = geometry::handleAt(mark.rect, pixel, reach);
            handle != geometry::Handle::none)
            return handle == geometry::Handle::inside ? MarkGrip{MarkGrip::whole} : MarkGrip{MarkGrip::edge, handle};
        break;
    case Grips::frame: {
        const QRect area = tool.area(mark.inBitmap(imageSize.height()), imageSize.toSize());
        const QRectF frame(area.x(), imageSize.height() - area.y() - area.height(), area.width(), area.height());
        if (frame.adjusted(-reach, -reach, reach, reach).contains(pixel))
            return {MarkGrip::whole};
        break;
    }
    }
    const QPointF bitmapPoint(pixel.x(), imageSize.height() - pixel.y());
    return tool.hits(mark.inBitmap(imageSize.height()), bitmapPoint, reach) ? MarkGrip{MarkGrip::whole} : MarkGrip{};
}

Mark draggedMark(const Mark &mark, const MarkGrip &grip, const QPointF &delta, bool constrained,
                 const QSizeF &imageSize)
{
    const QPointF step(std::round(delta.x()), std::round(delta.y()));
    const auto onImage = [&](const QPointF &point) {
        return QPointF(std::clamp(point.x(), 0.0, imageSize.width()), std::clamp(point.y(), 0.0, imageSize.height()));
    };
    Mark moved = mark;
    switch (grip.kind) {
    case MarkGrip::none: break;
    case MarkGrip::whole: {
        // As far as every point of it stays on the image.
        const QRectF bounds = mark.anchorBounds();
        const auto within
            = [](double by, double low, double high) { return low > high ? 0.0 : std::clamp(by, low, high); };
        const QPointF by(within(step.x(), -bounds.left(), imageSize.width() - bounds.right()),
                         within(step.y(), -bounds.top(), imageSize.height() - bounds.bottom()));
        moved = mark.translated(by);
        break;
    }
    case MarkGrip::start:
    case MarkGrip::end:
        // The end as shown (snapped) becomes the end as kept.
        moved.to = marks::endPoint(mark);
        moved.constrained = grip.kind == MarkGrip::end && constrained;
        if (grip.kind == MarkGrip::start)
            moved.from = onImage(mark.from + step);
        else
            moved.to = onImage(moved.to + step);
        moved.path = {moved.from, moved.to};
        moved.rect = QRectF(moved.from, moved.to).normalized();
        break;
    case MarkGrip::edge:
        moved.rect = geometry::adjustedSelection(mark.rect, grip.handle, step, imageSize);
        moved.from = moved.rect.topLeft();
        moved.to = moved.rect.bottomRight();
        moved.path = {moved.from, moved.to};
        break;
    }
    return moved;
}

} // namespace pintora
