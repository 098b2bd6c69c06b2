#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/pixels/BurnIn.h"
#include "core/pixels/GaussianBlur.h"
#include "core/tools/Tools.h"

#include <QPainter>

namespace pintora {
namespace {

QPen flatPen(const QColor &color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

QColor whiteAt(double alpha)
{
    return QColor::fromRgbF(1, 1, 1, float(alpha));
}

// Replaces every pixel the rectangle touches by a blur made from the pixels
// around it (see blurPatch): nothing under it can be read back.
class BlurTool final : public Tool
{
public:
    QString id() const override { return QStringLiteral("blur"); }
    QChar key() const override { return u'U'; }
    bool replacesPixels() const override { return true; }
    bool accepts(const Mark &mark) const override { return geometry::hasArea(mark.rect); }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        return geometry::pixelCut(mark.rect, imageSize);
    }
    QImage replacement(const QImage &image, const QPoint &origin, const Mark &, const QRect &area,
                       const HiddenAreas &hidden) const override
    {
        return blurPatch(image, origin, area, hidden);
    }
    std::optional<HiddenCut> hiddenCut(const Mark &mark, const QSize &imageSize) const override
    {
        return HiddenCut{area(mark, imageSize), blurSigmaFor(mark.rect.size())};
    }
    void burn(QImage &pixels, const Mark &, const QRect &) const override
    {
        // Its pixels come from the whole image, through replacement().
        Q_ASSERT_X(false, "BlurTool::burn", "replaces its pixels instead");
        Q_UNUSED(pixels);
    }
    void preview(QPainter &painter, const Mark &mark, double) const override
    {
        // A grey body, a solid border and a dashed one inside it.
        painter.setBrush(Qt::NoBrush);
        painter.fillRect(mark.rect, QColor::fromRgbF(0.5, 0.5, 0.5, 0.6f));
        painter.setPen(flatPen(whiteAt(0.8), 3));
        painter.drawRect(mark.rect);
        const QRectF inner = mark.rect.adjusted(5, 5, -5, -5);
        if (geometry::hasArea(inner)) {
            QPen dashed = flatPen(whiteAt(0.5), 2);
            // Qt measures dashes in line widths: 8 on, 4 off at 2 wide.
            dashed.setDashPattern({4.0, 2.0});
            painter.setPen(dashed);
            painter.drawRect(inner);
        }
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        return mark.rect.adjusted(-reach, -reach, reach, reach).contains(point);
    }
    Grips grips() const override { return Grips::rectangle; }
    Mark restyled(const Mark &mark, const RectangleStyle &, const QSize &) const override { return mark; }
    std::string describe(const Mark &mark) const override { return "rect=" + console::formatRect(mark.rect); }
    std::string doneLine() const override { return "✅ Rectangle drawn on image!"; }
};

} // namespace

const Tool &blurTool()
{
    static const BlurTool tool;
    return tool;
}

} // namespace pintora
