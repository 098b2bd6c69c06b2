#include "core/png/ImageExport.h"

#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/png/FileReplace.h"
#include "core/png/PngWriter.h"

namespace pintora {

QImage cutOut(const QImage &image, const QRectF &bitmapRect)
{
    // QImage::copy pads what lies outside the image; clip first.
    const QRect pixels = geometry::pixelCut(bitmapRect, image.size());
    if (pixels.isEmpty())
        return {};
    QImage piece = image.copy(pixels);
    piece.setDevicePixelRatio(1.0);
    return piece;
}

QImage regionView(const QImage &image, const QRect &area)
{
    const QRect inside = area & image.rect();
    if (inside.isEmpty())
        return {};
    if (image.depth() < 8)
        return image.copy(inside);
    const qsizetype bytesPerPixel = image.depth() / 8;
    const uchar *first = image.constBits() + qsizetype(inside.y()) * image.bytesPerLine() + inside.x() * bytesPerPixel;
    QImage view(first, inside.width(), inside.height(), image.bytesPerLine(), image.format());
    view.setColorTable(image.colorTable());
    return view;
}

QByteArray encodePng(const QImage &image)
{
    return writePng(image);
}

QString withPngSuffix(const QString &path)
{
    return path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ? path : path + QLatin1String(".png");
}

QString saveImageAsPng(const QImage &image, const QString &path)
{
    const QByteArray png = encodePng(image);
    if (png.isEmpty()) {
        console::writeLine("❌ Failed to convert image to PNG");
        return QStringLiteral("The image could not be converted to PNG.");
    }
    const QString failure = replaceFile(path, png);
    if (!failure.isEmpty()) {
        console::writeLine(QStringLiteral("❌ Failed to save image: ") + failure);
        return failure;
    }
    console::writeLine(QStringLiteral("✅ Image saved to: ") + path);
    return {};
}

} // namespace pintora
