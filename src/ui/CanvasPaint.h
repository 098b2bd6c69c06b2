#pragma once

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QRectF>

// Small painting helpers of the canvas's files.
namespace pintora::canvas {

inline QPen outlinePen(const QColor &color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

// Fills `outer` except `hole` with four bands; cheaper on every drag event
// than a path with a hole.
inline void fillAround(QPainter &painter, const QRectF &outer, const QRectF &hole, const QColor &color)
{
    const QRectF inner = hole.intersected(outer);
    if (inner.isEmpty()) {
        painter.fillRect(outer, color);
        return;
    }
    painter.fillRect(QRectF(outer.left(), outer.top(), outer.width(), inner.top() - outer.top()), color);
    painter.fillRect(QRectF(outer.left(), inner.bottom(), outer.width(), outer.bottom() - inner.bottom()), color);
    painter.fillRect(QRectF(outer.left(), inner.top(), inner.left() - outer.left(), inner.height()), color);
    painter.fillRect(QRectF(inner.right(), inner.top(), outer.right() - inner.right(), inner.height()), color);
}

// A handle: a small white square with a dark rim, centred on `at`.
inline void paintHandle(QPainter &painter, const QPointF &at)
{
    painter.setPen(QPen(QColor(0, 0, 0, 153), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(at - QPointF(3.5, 3.5), QSizeF(7, 7)));
}

} // namespace pintora::canvas
