#include "core/tools/FreehandPath.h"

namespace pintora::marks {

QPainterPath smoothPath(const QList<QPointF> &points)
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
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

} // namespace pintora::marks
