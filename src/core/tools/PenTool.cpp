#include "core/tools/FreehandPath.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QPainter>

namespace pintora {
namespace {

// A freehand stroke along the drag, smoothed, with round caps and joins.
class PenTool final : public PaintedTool
{
public:
    QString id() const override { return QStringLiteral("pen"); }
    QChar key() const override { return u'P'; }
    bool accepts(const Mark &mark) const override { return mark.path.size() >= 2; }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        return marks::areaAround(marks::smoothPath(mark.path).controlPointRect(), mark.style.lineWidth / 2, imageSize);
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        return marks::distanceTo(marks::flattenedPath(mark.path), point) <= reach + mark.style.lineWidth / 2;
    }
    std::string describe(const Mark &mark) const override
    {
        return "pen stroke of " + std::to_string(mark.path.size()) + " points";
    }
    std::string doneLine() const override { return "✅ Pen stroke drawn on image!"; }

protected:
    void paint(QPainter &painter, const Mark &mark) const override
    {
        painter.setPen(marks::roundPen(mark, mark.style.lineWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(marks::smoothPath(mark.path));
    }
};

} // namespace

const Tool &penTool()
{
    static const PenTool tool;
    return tool;
}

} // namespace pintora
