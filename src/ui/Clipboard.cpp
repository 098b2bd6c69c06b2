#include "ui/Clipboard.h"

#include "core/ImageExport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace pintora {
namespace {

QString pngType()
{
    return QStringLiteral("image/png");
}

} // namespace

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

} // namespace pintora
