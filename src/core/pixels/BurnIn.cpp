#include "core/pixels/BurnIn.h"

#include "core/geometry/Geometry.h"
#include "core/pixels/BorderFill.h"
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
        tint.setAlphaF(0.3f);
        painter.fillRect(rect, tint);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(style.color, style.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawRect(rect);
}

namespace {

// A blur of `source` around `cut` in which `cut` is filled from its border.
QImage hidingBlur(const QImage &source, const QRect &cut, double sigma)
{
    try {
        const BorderFill fill(source, cut, sigma);
        return gaussianBlurCut(source, cut, sigma, &fill);
    } catch (const std::bad_alloc &) {
        return {};
    }
}

} // namespace

QImage blurPatch(const QImage &image, const QRect &cut, double sigma)
{
    QImage patch;
    // Opaque 32-bit pixels are premultiplied ones already.
    if (image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32) {
        patch = hidingBlur(image, cut, sigma);
    } else {
        // Only what the blur reaches is converted; where that stops short
        // of the image's edge the blur never reads past it. It reaches one
        // pixel at least, so every side of `cut` on the image is in it.
        const int radius = blurReach(sigma);
        const QRect reach = cut.adjusted(-radius, -radius, radius, radius) & image.rect();
        const QImage source = image.copy(reach).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (source.isNull())
            return {};
        patch = hidingBlur(source, cut.translated(-reach.topLeft()), sigma);
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
