#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// The selection's own geometry, in pixel space (y up) unless said: its
// corners on whole pixels, and the handles that adjust it.
namespace pintora::geometry {

// The pixel corner nearest `pixel`; an image edge within `reach` pixels of
// it wins, so that a drag reaching the edge of the shown image takes the
// last row or column.
QPointF snapToPixelCorner(const QPointF &pixel, const QSizeF &imageSize, double reach);

// What a press on a selection takes.
enum class Handle { none, inside, left, right, bottom, top, bottomLeft, bottomRight, topLeft, topRight };

// The part of a selection shown at `viewRect` (view space) that a press at
// `viewPoint` takes: a corner or side within `reach` points of it (inside a
// small selection, within a third of its size), else the inside, else none.
Handle handleAt(const QRectF &viewRect, const QPointF &viewPoint, double reach);

// `selection` with `handle` moved by `delta` pixels: the inside moves the
// whole selection, kept in the image; a side or corner moves those edges,
// kept in the image, and a side pulled across the opposite one turns the
// selection over. Corners stay on whole pixels.
QRectF adjustedSelection(const QRectF &selection, Handle handle, const QPointF &delta, const QSizeF &imageSize);

} // namespace pintora::geometry
