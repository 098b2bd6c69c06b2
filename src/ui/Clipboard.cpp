#include "ui/Clipboard.h"

#include "core/Console.h"
#include "core/ImageDecode.h"
#include "core/ImageExport.h"
#include "core/Parallel.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

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

// The image, and its bytes of one type once they exist.
class PendingImageMimeData : public QMimeData
{
    Q_OBJECT

public:
    explicit PendingImageMimeData(ClipboardImage offer)
        : m_offer(std::move(offer))
    {
    }

    const ClipboardImage &offer() const { return m_offer; }

    QStringList formats() const override { return {m_offer.type, imageType()}; }
    bool hasFormat(const QString &type) const override { return formats().contains(type); }

protected:
    QVariant retrieveData(const QString &type, QMetaType metaType) const override
    {
        if (type == m_offer.type)
            return m_offer.bytes.get(); // waits for the encoder if it is not done
        if (type == imageType())
            return m_offer.image;
        return QMimeData::retrieveData(type, metaType);
    }

private:
    const ClipboardImage m_offer;
};

// Puts `offer` back after the encode of what replaced it failed, unless the
// clipboard has moved on since.
void restoreAfterFailure(const QPointer<PendingImageMimeData> &failed, const ClipboardImage &offer)
{
    console::writeLine("❌ Failed to convert image to PNG");
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!failed || clipboard->mimeData() != failed.data())
        return;
    if (offer.image.isNull())
        clipboard->clear();
    else
        clipboard->setMimeData(new PendingImageMimeData(offer));
}

} // namespace

PendingPng readyPng(const QByteArray &bytes)
{
    std::promise<QByteArray> known;
    known.set_value(bytes);
    return known.get_future().share();
}

PendingPng putImageOnClipboard(const QImage &image, const ClipboardImage &previous, CopyReport *report)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto *ours = qobject_cast<const PendingImageMimeData *>(clipboard->mimeData());
    const ClipboardImage before = ours ? ours->offer() : previous;

    // The worker tells the GUI thread how the encode ended; the application
    // object outlives every worker (its clipboard waits for them). Both
    // pointers are read only on the GUI thread.
    auto failed = std::make_shared<QPointer<PendingImageMimeData>>();
    const QPointer<CopyReport> listener(report);
    const PendingPng png = startWork([image, failed, before, listener]() {
        QByteArray bytes;
        try {
            bytes = encodePng(image);
        } catch (const std::bad_alloc &) {
        }
        if (QCoreApplication::instance()) {
            const bool encoded = !bytes.isEmpty();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [failed, before, listener, image, encoded] {
                    if (!encoded)
                        restoreAfterFailure(*failed, before);
                    if (listener)
                        emit listener->finished(image, encoded);
                },
                Qt::QueuedConnection);
        }
        return bytes;
    });
    auto *data = new PendingImageMimeData(ClipboardImage{image, png, pngType()});
    *failed = data; // read only on the GUI thread, after this
    clipboard->clear();
    clipboard->setMimeData(data); // the clipboard owns it now
    return png;
}

QImage imageFromClipboard()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return {};
    // Our own offer's pixels are at hand; another program's are read from
    // its bytes, PNG first, by our reader.
    if (qobject_cast<const PendingImageMimeData *>(data) && data->hasImage())
        return qvariant_cast<QImage>(data->imageData());
    QStringList formats = data->formats();
    formats.removeAll(pngType());
    formats.prepend(pngType());
    for (const QString &format : std::as_const(formats)) {
        if (!format.startsWith(QLatin1String("image/")) || !data->hasFormat(format))
            continue;
        const QImage image = decodeImage(data->data(format));
        if (!image.isNull())
            return image;
    }
    return data->hasImage() ? qvariant_cast<QImage>(data->imageData()) : QImage();
}

} // namespace pintora

#include "Clipboard.moc"
