#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QLineF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>

namespace pintora {
namespace {

// A straight shaft from the press to the release with a filled head at the
// release end, its size following the width.
class ArrowTool final : public PaintedTool
{
public:
    QString id() const override { return QStringLiteral("arrow"); }
    QChar key() const override { return u'A'; }
    bool accepts(const Mark &mark) const override { return QLineF(mark.from, mark.to).length() >= 1; }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        const QPolygonF head = headOf(mark);
        return marks::areaAround(head.boundingRect() | QRectF(mark.from, head.first()).normalized(),
                                 mark.style.lineWidth / 2, imageSize);
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        const QPolygonF head = headOf(mark);
        QPolygonF outline = head;
        outline << head.first();
        return head.containsPoint(point, Qt::OddEvenFill) || marks::distanceTo(outline, point) <= reach
            || marks::distanceTo({mark.from, head.first()}, point) <= reach + mark.style.lineWidth / 2;
    }
    Grips grips() const override { return Grips::ends; }
    std::string describe(const Mark &mark) const override
    {
        return "arrow from " + marks::formatPoint(mark.from) + " to " + marks::formatPoint(marks::endPoint(mark));
    }
    std::string doneLine() const override { return "✅ Arrow drawn on image!"; }

protected:
    void paint(QPainter &painter, const Mark &mark) const override
    {
        const QPolygonF head = headOf(mark);
        // The shaft ends inside the head, so that its cap never shows past it.
        const QPointF base = (head[1] + head[2]) / 2;
        painter.setPen(QPen(mark.style.color, mark.style.lineWidth, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QLineF(mark.from, (base + head[0]) / 2));
        painter.setPen(Qt::NoPen);
        painter.setBrush(mark.style.color);
        painter.drawPolygon(head);
    }

private:
    // Tip, then the two back corners.
    static QPolygonF headOf(const Mark &mark)
    {
        const QPointF tip = marks::endPoint(mark);
        const QLineF shaft(mark.from, tip);
        const double length = std::min(std::max(10.0, 5 * mark.style.lineWidth), shaft.length());
        const QPointF along = (mark.from - tip) / std::max(shaft.length(), 1e-9);
        const QPointF across(-along.y(), along.x());
        const QPointF back = tip + along * length;
        return QPolygonF({tip, back + across * length * 0.5, back - across * length * 0.5});
    }
};

} // namespace

const Tool &arrowTool()
{
    static const ArrowTool tool;
    return tool;
}

} // namespace pintora
