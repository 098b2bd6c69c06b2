#include "core/BurnIn.h"

#include "core/GaussianBlur.h"
#include "core/Geometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pintora {

QImage::Format editableFormat(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
    case QImage::Format_Alpha8:
    case QImage::Format_Grayscale8:
        // Straight alpha: premultiplying would round translucent pixels
        // far from the edit.
        return image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    case QImage::Format_Grayscale16:
        return QImage::Format_RGBX64;
    default:
        return image.format();
    }
}

QRect burnInArea(const QRectF &rect, const RectangleStyle &style, const QSize &imageSize)
{
    // Half the outline lies outside the rectangle; antialiasing and the smooth
    // scaling of a blur patch may touch one pixel more.
    const double margin = (style.isBlur ? 0.0 : std::max(style.lineWidth, 0.0) / 2) + 1.0;
    return geometry::pixelCut(rect.adjusted(-margin, -margin, margin, margin), imageSize);
}

void paintBox(QImage &image, const QRectF &rect, const RectangleStyle &style, const QRect &area)
{
    QPainter painter(&image);
    painter.setClipRect(area);
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

QImage blurPatch(const QImage &image, const QRect &cut, double sigma)
{
    // Opaque 32-bit pixels are premultiplied ones already.
    if (image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32)
        return gaussianBlurCut(image, cut, sigma);
    // Only what the blur reaches is converted; where that stops short of the
    // image's edge the blur never reads past it.
    const int radius = blurReach(sigma);
    const QRect reach = cut.adjusted(-radius, -radius, radius, radius) & image.rect();
    const QImage source = image.copy(reach).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.isNull())
        return {};
    return gaussianBlurCut(source, cut.translated(-reach.topLeft()), sigma);
}

bool canSwapIn(const QImage &image, const QImage &patch)
{
    Q_ASSERT(patch.format() == QImage::Format_ARGB32_Premultiplied);
    if (image.format() == QImage::Format_RGB32)
        return true; // a blur of opaque pixels is opaque
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    for (int y = 0; y < patch.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(patch.constScanLine(y));
        if (!std::all_of(line, line + patch.width(), [](quint32 pixel) { return pixel >= 0xff000000u; }))
            return false;
    }
    return true;
}

void swapIn(QImage &image, QImage &patch, const QPoint &at)
{
    for (int y = 0; y < patch.height(); ++y) {
        auto *inImage = reinterpret_cast<quint32 *>(image.scanLine(at.y() + y)) + at.x();
        auto *inPatch = reinterpret_cast<quint32 *>(patch.scanLine(y));
        std::swap_ranges(inPatch, inPatch + patch.width(), inImage);
    }
    if (image.format() == QImage::Format_RGB32)
        patch.reinterpretAsFormat(QImage::Format_RGB32);
}

void paintPatch(QImage &image, const QImage &patch, const QRectF &rect, const QRect &area)
{
    QPainter painter(&image);
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, patch);
}

} // namespace pintora
