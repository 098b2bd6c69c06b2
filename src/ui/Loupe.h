#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

namespace pintora {

// A magnifier by the pointer: the image's pixels around one of them, each
// a square of `zoom` points, the one in the middle outlined, and a label
// under them.
struct Loupe {
    static constexpr int reach = 7; // pixels each side of the middle one
    static constexpr int zoom = 8;
    static constexpr double size = (2 * reach + 1) * zoom;

    // Where it goes for a pointer at `pointer` on a canvas `bounds` (widget
    // coordinates): below right of it, flipped to the other side of the
    // pointer where it would leave the canvas.
    static QRectF placeFor(const QPointF &pointer, const QRectF &bounds);

    // Paints it at `place` around `pixel` of `image` (bitmap space).
    static void paint(QPainter &painter, const QRectF &place, const QImage &image, const QPoint &pixel,
                      const QString &label);
};

} // namespace pintora
