#include "editor/ImageExport.h"

#include "app/Console.h"
#include "canvas/CanvasGeometry.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QSaveFile>

namespace {

QString pngType()
{
    return QStringLiteral("image/png");
}

} // namespace

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

QByteArray encodePng(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // zlib's fastest level: screenshots come out about as small as with the
    // default level, in half the time, and a copy should feel instant.
    writer.setQuality(80);
    if (image.isNull() || !writer.write(image))
        return {};
    return bytes;
}

void saveImageAsPng(const QImage &image, const QString &path)
{
    const QByteArray png = encodePng(image);
    if (png.isEmpty()) {
        console::writeLine("❌ Failed to convert image to PNG");
        return;
    }
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(png) == png.size() && file.commit();
    if (!written) {
        console::writeLine(QStringLiteral("❌ Failed to save image: ") + file.errorString());
        return; // QSaveFile drops its temporary file unless committed
    }
    console::writeLine(QStringLiteral("✅ Image saved to: ") + path);
}

QByteArray putImageOnClipboard(const QImage &image)
{
    const QByteArray png = encodePng(image);
    auto *data = new QMimeData;
    if (!png.isEmpty())
        data->setData(pngType(), png);
    data->setImageData(image);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(data); // the clipboard owns it now
    return png;
}

QImage imageFromClipboard()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return {};
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull())
            return image;
    }
    // Bytes of any image type Qt can read, PNG first.
    QStringList formats = data->formats();
    formats.removeAll(pngType());
    formats.prepend(pngType());
    for (const QString &format : std::as_const(formats)) {
        if (!format.startsWith(QLatin1String("image/")) || !data->hasFormat(format))
            continue;
        const QImage image = QImage::fromData(data->data(format));
        if (!image.isNull())
            return image;
    }
    return {};
}
