#include "core/pixels/BurnIn.h"

#include "core/geometry/Geometry.h"
#include "core/pixels/GaussianBlur.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <new>

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
    case QImage::Format_Grayscale16: return QImage::Format_RGBX64;
    default: return image.format();
    }
}

QRect burnInArea(const QRectF &rect, const RectangleStyle &style, const QSize &imageSize)
{
    // A blur replaces every pixel the rectangle touches, wholly: a pixel
    // partly kept would let a little of the secret through.
    if (style.isBlur)
        return geometry::pixelCut(rect, imageSize);
    // Half the outline lies outside the rectangle; antialiasing may touch
    // one pixel more.
    const double margin = std::max(style.lineWidth, 0.0) / 2 + 1.0;
    return geometry::pixelCut(rect.adjusted(-margin, -margin, margin, margin), imageSize);
}

void paintBox(QImage &image, const QRectF &rect, const RectangleStyle &style, const QRect &area)
{
    QPainter painter(&image);
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing);
    if (style.filled) {
        QColor tint = style.color;
        tint.setAlphaF(style.solid ? 1.0f : 0.3f);
        painter.fillRect(rect, tint);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(style.color, style.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawRect(rect);
}

QImage blurPatch(const QImage &image, const QRect &cut, double sigma)
{
    return blurPatch(image, {}, cut, HiddenAreas({HiddenCut{cut, sigma}}, image.size()));
}

QImage blurPatch(const QImage &image, const QPoint &origin, const QRect &cut, const HiddenAreas &hidden)
{
    const QRect reads = hidden.readArea(cut);
    QImage patch;
    try {
        // Opaque 32-bit pixels are premultiplied ones already.
        if (image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32) {
            const std::vector<const HiddenFill *> fills = hidden.fillsWithin(image, origin, hidden.reachOf(cut));
            patch = gaussianBlurCut(image, cut.translated(-origin), hidden.sigmaOf(cut), fills, origin);
        } else {
            // Only what the blur and the fills read is converted; where that
            // stops short of the image's edge they never read past it. It
            // reaches one pixel at least, so every side of `cut` on the image
            // is in it.
            const QImage source
                = image.copy(reads.translated(-origin)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            if (source.isNull())
                return {};
            const std::vector<const HiddenFill *> fills
                = hidden.fillsWithin(source, reads.topLeft(), hidden.reachOf(cut));
            patch = gaussianBlurCut(source, cut.translated(-reads.topLeft()), hidden.sigmaOf(cut), fills,
                                    reads.topLeft());
        }
    } catch (const std::bad_alloc &) {
        return {};
    }
    if (patch.isNull() || image.format() == QImage::Format_ARGB32_Premultiplied)
        return patch;
    if (image.format() == QImage::Format_RGB32) {
        patch.reinterpretAsFormat(QImage::Format_RGB32); // a blur of opaque pixels is opaque
        return patch;
    }
    return patch.convertToFormat(image.format());
}

} // namespace pintora
