#include "core/tools/FreehandPath.h"

namespace pintora::marks {

namespace {
constexpr double minimumStep = 4.0;
} // namespace

QPainterPath smoothPath(const QList<QPointF> &drag)
{
    QPainterPath path;
    if (drag.isEmpty())
        return path;
    // A mouse reports a point every pixel or so; closer than that they only
    // add corners for the stroker to join.
    QList<QPointF> points{drag.first()};
    for (qsizetype i = 1; i < drag.size(); ++i) {
        const QPointF step = drag[i] - points.last();
        if (QPointF::dotProduct(step, step) >= minimumStep * minimumStep || i + 1 == drag.size())
            points.append(drag[i]);
    }
    path.moveTo(points.first());
    if (points.size() == 1) {
        path.lineTo(points.first()); // a dot, drawn by the pen's round cap
        return path;
    }
    for (qsizetype i = 1; i + 1 < points.size(); ++i)
        path.quadTo(points[i], (points[i] + points[i + 1]) / 2);
    path.lineTo(points.last());
    return path;
}

QPolygonF flattenedPath(const QList<QPointF> &drag)
{
    QPolygonF line;
    for (const QPolygonF &part : smoothPath(drag).toSubpathPolygons())
        line += part;
    return line;
}

} // namespace pintora::marks
