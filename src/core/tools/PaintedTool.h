#pragma once

#include "core/tools/Tool.h"

#include <QPen>
#include <QPolygonF>

namespace pintora {

// A tool whose burn-in and preview paint the same picture: the burn-in on
// the image, clipped to its area, the preview on the screen.
class PaintedTool : public Tool
{
public:
    void burn(QImage &image, const Mark &mark, const QRect &area) const override;
    void preview(QPainter &painter, const Mark &mark, double scale) const override;

protected:
    // Paints `mark` (bitmap space) with antialiasing on.
    virtual void paint(QPainter &painter, const Mark &mark) const = 0;
};

// Shared geometry of the tools, in bitmap space.
namespace marks {

// The whole pixels within `halfWidth` and one more pixel of `bounds`.
QRect areaAround(const QRectF &bounds, double halfWidth, const QSize &imageSize);

// `to`, moved onto the nearest of the directions 15° apart from `from`
// when `constrained`.
QPointF endPoint(const Mark &mark);

// A pen of the mark's colour and width with round caps and joins.
QPen roundPen(const Mark &mark, double width);

// How far `point` lies from the polyline `line` (infinitely, when empty).
double distanceTo(const QPolygonF &line, const QPointF &point);

// "(x, y)".
std::string formatPoint(const QPointF &point);

} // namespace marks

} // namespace pintora
