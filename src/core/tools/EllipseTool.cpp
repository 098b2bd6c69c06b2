#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QPainter>
#include <QPainterPath>

namespace pintora {
namespace {

// The ellipse inside the dragged rectangle, outlined, after a 30 % tint
// inside when filled, as the box is.
class EllipseTool final : public PaintedTool
{
public:
    QString id() const override { return QStringLiteral("ellipse"); }
    QChar key() const override { return u'E'; }
    bool accepts(const Mark &mark) const override { return geometry::hasArea(mark.rect); }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        return marks::areaAround(mark.rect, mark.style.lineWidth / 2, imageSize);
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        QPainterPath outline;
        outline.addEllipse(mark.rect);
        if (mark.style.filled && outline.contains(point))
            return true;
        const QPolygonF ring = outline.toFillPolygon();
        return marks::distanceTo(ring, point) <= reach + mark.style.lineWidth / 2;
    }
    Grips grips() const override { return Grips::rectangle; }
    bool isFillable() const override { return true; }
    std::string describe(const Mark &mark) const override { return "ellipse in " + console::formatRect(mark.rect); }
    std::string doneLine() const override { return "✅ Ellipse drawn on image!"; }

protected:
    void paint(QPainter &painter, const Mark &mark) const override
    {
        QColor tint = mark.style.color;
        tint.setAlphaF(mark.style.solid ? 1.0f : 0.3f);
        painter.setBrush(mark.style.filled ? QBrush(tint) : QBrush(Qt::NoBrush));
        painter.setPen(QPen(mark.style.color, mark.style.lineWidth));
        painter.drawEllipse(mark.rect);
    }
};

} // namespace

const Tool &ellipseTool()
{
    static const EllipseTool tool;
    return tool;
}

} // namespace pintora
