#include "ui/Loupe.h"

#include "ui/Theme.h"

#include <QPainter>

namespace pintora {

QRectF Loupe::placeFor(const QPointF &pointer, const QRectF &bounds)
{
    constexpr double gap = 24; // clear of the cursor
    const double height = size + 20; // and its label
    double x = pointer.x() + gap, y = pointer.y() + gap;
    if (x + size > bounds.right())
        x = pointer.x() - gap - size;
    if (y + height > bounds.bottom())
        y = pointer.y() - gap - height;
    return QRectF(x, y, size, size);
}

void Loupe::paint(QPainter &painter, const QRectF &place, const QImage &image, const QPoint &pixel,
                  const QString &label)
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Beyond the image and under transparent pixels: the canvas's grey.
    painter.fillRect(place, QColor(128, 128, 128));
    const QRect around(pixel - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1));
    const QRect inside = around & image.rect();
    if (!inside.isEmpty()) {
        const QRectF target(place.topLeft() + QPointF(inside.topLeft() - around.topLeft()) * zoom,
                            QSizeF(inside.size()) * zoom);
        painter.drawImage(target, image, inside);
    }
    // The middle pixel, outlined in black and white to show on anything.
    const QRectF middle(place.topLeft() + QPointF(reach, reach) * zoom, QSizeF(zoom, zoom));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(middle.adjusted(-1, -1, 0, 0));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(middle.adjusted(-2, -2, 1, 1));
    painter.setPen(QPen(accentColor(), 2));
    painter.drawRect(place);

    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    const QRectF text(place.left(), place.bottom() + 2, place.width(), 16);
    painter.fillRect(text, withAlpha(Qt::black, 0.7));
    painter.setPen(Qt::white);
    painter.drawText(text, Qt::AlignCenter, label);
    painter.restore();
}

} // namespace pintora
