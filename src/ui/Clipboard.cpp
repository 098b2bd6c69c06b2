#include "ui/Clipboard.h"

#include "core/Console.h"
#include "core/Parallel.h"
#include "core/png/ImageDecode.h"
#include "core/png/ImageExport.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

#include <memory>
#include <optional>

#include <sys/resource.h>
#include <unistd.h>

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

// KDE's clipboard manager keeps an image only when its data carries this
// type, empty; without it the copy is gone when Pintora quits.
QString keepImageOnKde()
{
    return QStringLiteral("x-kde-force-image-copy");
}

// What the clipboard is offered: bytes of one type, and the pixels they are
// being made from (those of `area`, all when it is null) until they exist.
struct Offer {
    ClipboardImage bytes;
    QImage pixels;
    QRect area;
};

class PendingImageMimeData : public QMimeData
{
    Q_OBJECT

public:
    explicit PendingImageMimeData(Offer offer, CopyReport *listener = nullptr)
        : m_offer(std::move(offer))
        , m_listener(listener)
    {
    }

    // From now on a question for the offer comes from another program: Qt
    // asks for the types itself while it puts the offer up.
    void placed() { m_placed = true; }

    const Offer &offer() const { return m_offer; }
    // Once the bytes are made they are the image: the pixels, often the
    // editor's whole image, need not be held any longer.
    void bytesMade() { m_offer.pixels = QImage(); }

    QStringList formats() const override
    {
        tellAsked();
        return {m_offer.bytes.type, imageType(), keepImageOnKde()};
    }
    bool hasFormat(const QString &type) const override { return formats().contains(type); }

protected:
    QVariant retrieveData(const QString &type, QMetaType metaType) const override
    {
        tellAsked();
        const PendingPng &bytes = m_offer.bytes.bytes;
        if (type == m_offer.bytes.type)
            return bytes.get(); // waits for the encoder if it is not done
        if (type == imageType()) {
            if (!m_offer.pixels.isNull())
                return m_offer.area.isNull() ? m_offer.pixels : m_offer.pixels.copy(m_offer.area);
            return bytes.valid() ? decodeImage(bytes.get()) : QImage();
        }
        if (type == keepImageOnKde())
            return QByteArray();
        return QMimeData::retrieveData(type, metaType);
    }

private:
    void tellAsked() const
    {
        if (m_placed && m_listener)
            emit m_listener->asked();
    }

    Offer m_offer;
    QPointer<CopyReport> m_listener;
    bool m_placed = false;
};

// One Copy's encode, shared by the worker and the GUI thread.
struct EncodeJob {
    // The worker's, dropped once encoded. The rows it reads in place stay
    // alive with it when the editor goes.
    QImage image;
    QRect area;
    // The GUI thread's.
    QPointer<PendingImageMimeData> offer;
    std::optional<Offer> before; // what goes back should the encode fail
    QPointer<CopyReport> listener;
    QSize size;
};

// Tells of the encode's end; puts `job.before` back after a failure, unless
// the clipboard has moved on since.
void finishEncode(EncodeJob &job, bool encoded)
{
    if (encoded) {
        if (job.offer)
            job.offer->bytesMade();
    } else {
        console::writeLine("❌ Failed to convert image to PNG");
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (job.offer && clipboard->mimeData() == job.offer.data()) {
            if (job.before)
                clipboard->setMimeData(new PendingImageMimeData(*std::move(job.before)));
            else
                clipboard->clear();
        }
    }
    job.before.reset();
    if (job.listener)
        emit job.listener->finished(job.size, encoded);
}

} // namespace

PendingPng readyPng(const QByteArray &bytes)
{
    std::promise<QByteArray> known;
    known.set_value(bytes);
    return known.get_future().share();
}

PendingPng putImageOnClipboard(const QImage &image, const QRect &area, const ClipboardImage &previous,
                               CopyReport *report)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto *ours = qobject_cast<const PendingImageMimeData *>(clipboard->mimeData());
    auto job = std::make_shared<EncodeJob>();
    job->image = image;
    job->area = area;
    if (ours)
        job->before = ours->offer();
    else if (previous.bytes.valid())
        job->before = Offer{previous, {}, {}};
    job->listener = report;
    job->size = area.isNull() ? image.size() : (area & image.rect()).size();

    // The application object outlives every worker (its clipboard waits for
    // them); the worker's end is told on the GUI thread.
    const PendingPng png = startWork([job]() {
        // Behind the X server and the compositor, which are to take the
        // window off the screen first; its helper threads inherit this.
        setpriority(PRIO_PROCESS, id_t(gettid()), 5);
        QByteArray bytes;
        try {
            bytes = encodePng(job->area.isNull() ? job->image : regionView(job->image, job->area));
        } catch (const std::bad_alloc &) {
        }
        job->image = QImage(); // the editor may change its pixels now without a copy
        if (QCoreApplication::instance()) {
            const bool encoded = !bytes.isEmpty();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [job, encoded] { finishEncode(*job, encoded); }, Qt::QueuedConnection);
        }
        return bytes;
    });
    auto *data = new PendingImageMimeData(Offer{ClipboardImage{png, pngType()}, image, area}, report);
    job->offer = data; // read only on the GUI thread, after this
    // Straight over the last offer: a clipboard left empty for a moment is
    // what a clipboard manager fills with its own last item, over ours.
    clipboard->setMimeData(data); // the clipboard owns it now
    if (job->offer) // Qt may have let it go already
        job->offer->placed();
    return png;
}

ClipboardImage ownImageOnClipboard()
{
    const auto *ours = qobject_cast<const PendingImageMimeData *>(QGuiApplication::clipboard()->mimeData());
    return ours ? ours->offer().bytes : ClipboardImage{};
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
