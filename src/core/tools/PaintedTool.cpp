#include "core/tools/PaintedTool.h"

#include "core/Console.h"
#include "core/geometry/Geometry.h"

#include <QImage>
#include <QLineF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace pintora {

void PaintedTool::burn(QImage &pixels, const Mark &mark, const QRect &area) const
{
    QPainter painter(&pixels);
    // Moving the painter rather than the mark draws every pixel as on the
    // whole image.
    painter.translate(-area.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, mark);
}

void PaintedTool::preview(QPainter &painter, const Mark &mark, double) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, mark);
    painter.restore();
}

namespace marks {

QRect areaAround(const QRectF &bounds, double halfWidth, const QSize &imageSize)
{
    const double margin = std::max(halfWidth, 0.0) + 1.0;
    return geometry::pixelCut(bounds.normalized().adjusted(-margin, -margin, margin, margin), imageSize);
}

QPointF endPoint(const Mark &mark)
{
    const QPointF delta = mark.to - mark.from;
    if (!mark.constrained || delta.isNull())
        return mark.to;
    constexpr double step = std::numbers::pi / 12; // 15°
    const double angle = std::round(std::atan2(delta.y(), delta.x()) / step) * step;
    const double length = std::hypot(delta.x(), delta.y());
    return mark.from + QPointF(std::cos(angle), std::sin(angle)) * length;
}

QPen roundPen(const Mark &mark, double width)
{
    return QPen(mark.style.color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

double distanceTo(const QPolygonF &line, const QPointF &point)
{
    if (line.isEmpty())
        return std::numeric_limits<double>::infinity();
    double nearest = QLineF(line.first(), point).length();
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], ab = line[i] - a;
        const double squared = QPointF::dotProduct(ab, ab);
        const double t = squared > 0 ? std::clamp(QPointF::dotProduct(point - a, ab) / squared, 0.0, 1.0) : 0.0;
        nearest = std::min(nearest, QLineF(a + t * ab, point).length());
    }
    return nearest;
}

std::string formatPoint(const QPointF &point)
{
    // Appended piece by piece: GCC 12 at -O3 takes "(" + string for an
    // overlapping copy (-Wrestrict).
    std::string text("(");
    text += console::formatDouble(point.x());
    text += ", ";
    text += console::formatDouble(point.y());
    text += ')';
    return text;
}

} // namespace marks

} // namespace pintora
