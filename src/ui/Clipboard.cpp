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

QString imageType()
{
    return QStringLiteral("application/x-qt-image");
}

// The image, and its PNG bytes once the encoder has them.
class PendingPngMimeData : public QMimeData
{
    Q_OBJECT

public:
    PendingPngMimeData(const QImage &image, PendingPng png)
        : m_image(image)
        , m_png(std::move(png))
    {
    }

    QStringList formats() const override { return {pngType(), imageType()}; }
    bool hasFormat(const QString &type) const override { return formats().contains(type); }

protected:
    QVariant retrieveData(const QString &type, QMetaType metaType) const override
    {
        if (type == pngType())
            return m_png.get(); // waits for the encoder if it is not done
        if (type == imageType())
            return m_image;
        return QMimeData::retrieveData(type, metaType);
    }

private:
    const QImage m_image;
    const PendingPng m_png;
};

} // namespace

PendingPng readyPng(const QByteArray &bytes)
{
    std::promise<QByteArray> known;
    known.set_value(bytes);
    return known.get_future().share();
}

PendingPng putImageOnClipboard(const QImage &image)
{
    const PendingPng png = std::async(std::launch::async, [image] { return encodePng(image); }).share();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(new PendingPngMimeData(image, png)); // the clipboard owns it now
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

#include "Clipboard.moc"
