#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/pixels/BurnIn.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QPainter>

namespace pintora {
namespace {

QPen flatPen(const QColor &color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

// An outline with mitred corners, after a 30 % tint inside when filled.
class BoxTool final : public Tool
{
public:
    QString id() const override { return QStringLiteral("box"); }
    QChar key() const override { return u'B'; }
    bool accepts(const Mark &mark) const override { return geometry::hasArea(mark.rect); }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        return burnInArea(mark.rect, mark.style, imageSize);
    }
    void burn(QImage &pixels, const Mark &mark, const QRect &area) const override
    {
        paintBox(pixels, mark.rect.translated(-area.topLeft()), mark.style, QRect(QPoint(0, 0), area.size()));
    }
    void preview(QPainter &painter, const Mark &mark, double) const override
    {
        // A white halo keeps the outline visible on any image.
        const RectangleStyle &style = mark.style;
        painter.setBrush(Qt::NoBrush);
        if (style.filled)
            painter.fillRect(mark.rect, withAlpha(style.color, style.solid ? 1.0 : 0.3));
        painter.setPen(flatPen(style.color, style.lineWidth));
        painter.drawRect(mark.rect);
        painter.setPen(flatPen(withAlpha(Qt::white, 0.5), style.lineWidth + 2));
        painter.drawRect(mark.rect);
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        const QRectF &r = mark.rect;
        if (mark.style.filled && r.contains(point))
            return true;
        return marks::distanceTo({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft(), r.topLeft()}, point)
            <= reach + mark.style.lineWidth / 2;
    }
    Grips grips() const override { return Grips::rectangle; }
    bool isFillable() const override { return true; }
    std::string describe(const Mark &mark) const override { return "rect=" + console::formatRect(mark.rect); }
    std::string doneLine() const override { return "✅ Rectangle drawn on image!"; }

private:
    static QColor withAlpha(QColor color, double alpha)
    {
        color.setAlphaF(float(alpha));
        return color;
    }
};

} // namespace

const Tool &boxTool()
{
    static const BoxTool tool;
    return tool;
}

} // namespace pintora
