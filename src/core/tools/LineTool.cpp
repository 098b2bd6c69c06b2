#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QLineF>
#include <QPainter>

namespace pintora {
namespace {

// A straight line from the press to the release with round ends; Shift
// snaps its angle to steps of 15°.
class LineTool final : public PaintedTool
{
public:
    QString id() const override { return QStringLiteral("line"); }
    QChar key() const override { return u'L'; }
    bool accepts(const Mark &mark) const override { return QLineF(mark.from, mark.to).length() >= 1; }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        return marks::areaAround(QRectF(mark.from, marks::endPoint(mark)), mark.style.lineWidth / 2, imageSize);
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        return marks::distanceTo({mark.from, marks::endPoint(mark)}, point) <= reach + mark.style.lineWidth / 2;
    }
    Grips grips() const override { return Grips::ends; }
    std::string describe(const Mark &mark) const override
    {
        return "line from " + marks::formatPoint(mark.from) + " to " + marks::formatPoint(marks::endPoint(mark));
    }
    std::string doneLine() const override { return "✅ Line drawn on image!"; }

protected:
    void paint(QPainter &painter, const Mark &mark) const override
    {
        painter.setPen(marks::roundPen(mark, mark.style.lineWidth));
        painter.drawLine(QLineF(mark.from, marks::endPoint(mark)));
    }
};

} // namespace

const Tool &lineTool()
{
    static const LineTool tool;
    return tool;
}

} // namespace pintora
