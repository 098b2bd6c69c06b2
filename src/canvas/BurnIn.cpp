#include "canvas/BurnIn.h"

#include <QPainter>

QImage paintableCopy(const QImage &image)
{
    QImage copy = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (copy.isNull())
        return copy;
    // The conversion shares the pixels when the format already fits; writing
    // through bits() makes this image its own, in one copy.
    if (copy.bits() == nullptr)
        return {};
    copy.setDevicePixelRatio(1.0);
    return copy;
}

void paintBox(QImage &canvas, const QRectF &rect, const RectangleStyle &style)
{
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    if (style.filled) {
        QColor tint = style.color;
        tint.setAlphaF(0.3f);
        painter.fillRect(rect, tint);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(style.color, style.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawRect(rect);
}

void paintPatch(QImage &canvas, const QImage &patch, const QRectF &rect)
{
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, patch);
}
