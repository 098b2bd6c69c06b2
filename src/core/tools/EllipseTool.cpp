#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QPainter>

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
    std::string drawingLine(const Mark &mark) const override
    {
        return "🎨 Drawing ON image: ellipse in " + console::formatRect(mark.rect);
    }
    std::string doneLine() const override { return "✅ Ellipse drawn on image!"; }

protected:
    void paint(QPainter &painter, const Mark &mark) const override
    {
        QColor tint = mark.style.color;
        tint.setAlphaF(0.3f);
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
