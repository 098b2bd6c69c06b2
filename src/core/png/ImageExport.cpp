#include "core/png/ImageExport.h"

#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/png/FileReplace.h"
#include "core/png/PngWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

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

QString imageFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    if (suffix == QLatin1String("webp"))
        return QStringLiteral("webp");
    return QStringLiteral("png");
}

QString withImageSuffix(const QString &path)
{
    return imageFormatOf(path) != QLatin1String("png") ? path : withPngSuffix(path);
}

namespace {

QByteArray encodeWith(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (format == QByteArrayLiteral("jpeg") && image.hasAlphaChannel()) {
        // What is transparent shows as white, as on a page.
        QImage flat(image.size(), QImage::Format_RGB32);
        if (flat.isNull())
            return {};
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        return writer.write(flat) ? bytes : QByteArray();
    }
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace

QString saveImage(const QImage &image, const QString &path)
{
    const QString format = imageFormatOf(path);
    if (format == QLatin1String("png"))
        return saveImageAsPng(image, path);
    QByteArray bytes;
    try {
        // WebP at 100 is lossless: screenshot text stays sharp.
        bytes = format == QLatin1String("jpg") ? encodeWith(image, "jpeg", 90) : encodeWith(image, "webp", 100);
    } catch (const std::bad_alloc &) {
    }
    if (bytes.isEmpty()) {
        console::writeLine(QStringLiteral("❌ Failed to convert image to ") + format.toUpper());
        return QStringLiteral("The image could not be converted to %1.").arg(format.toUpper());
    }
    const QString failure = replaceFile(path, bytes);
    if (!failure.isEmpty()) {
        console::writeLine(QStringLiteral("❌ Failed to save image: ") + failure);
        return failure;
    }
    console::writeLine(QStringLiteral("✅ Image saved to: ") + path);
    return {};
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
