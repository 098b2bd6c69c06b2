#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>

namespace pintora::marks {

// A smooth path through the drag's points: straight to the first midpoint,
// then quadratic curves through each point to the next midpoint, so that
// the jitter of a hand-held mouse does not show as corners.
QPainterPath smoothPath(const QList<QPointF> &points);

} // namespace pintora::marks
