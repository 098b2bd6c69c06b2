#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>

namespace pintora::marks {

// A smooth path through the drag's points, less than 2 px apart ones left
// out: quadratic curves through each point to the next midpoint, so that
// the jitter of a hand-held mouse does not show as corners.
QPainterPath smoothPath(const QList<QPointF> &drag);

// The same path as a polyline.
QPolygonF flattenedPath(const QList<QPointF> &drag);

} // namespace pintora::marks
