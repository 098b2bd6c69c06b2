#include "ui/ImageEditorView.h"

#include "core/Background.h"
#include "core/Console.h"
#include "core/document/EditorDocument.h"
#include "core/png/ImageDecode.h"
#include "core/png/ImageFile.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

// Dropping an image on the editor: a file, or image data.
namespace pintora {
namespace {

QString firstLocalFile(const QMimeData &data)
{
    for (const QUrl &url : data.urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

// A drag from our own grip would replace the image by itself.
bool isOurs(const QDropEvent &event, const QWidget &editor)
{
    const auto *source = qobject_cast<const QWidget *>(event.source());
    return source && editor.isAncestorOf(source);
}

} // namespace

void ImageEditorView::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData &data = *event->mimeData();
    if (!isOurs(*event, *this)
        && (data.hasFormat(QStringLiteral("image/png")) || data.hasImage() || !firstLocalFile(data).isEmpty()))
        event->acceptProposedAction();
}

void ImageEditorView::dropEvent(QDropEvent *event)
{
    const QMimeData &data = *event->mimeData();
    if (isOurs(*event, *this))
        return;
    event->acceptProposedAction();
    // Read and decoded on a worker, as a file handed to the app is: a large
    // one holds no paint.
    const QString file = firstLocalFile(data);
    const QByteArray png = file.isEmpty() ? data.data(QStringLiteral("image/png")) : QByteArray();
    if (file.isEmpty() && png.isEmpty()) {
        const QImage image = qvariant_cast<QImage>(data.imageData());
        if (image.isNull())
            console::writeLine("❌ Failed to open the dropped image: not an image");
        else
            m_document->dropImage(image);
        return;
    }
    inBackground(
        this,
        [file, png] {
            if (!file.isEmpty())
                return readImageFile(file);
            ReadFile read;
            try {
                read.image = decodeImage(png, &read.reason);
            } catch (const std::bad_alloc &) {
                read.reason = QStringLiteral("not enough memory");
            }
            return read;
        },
        [this](const ReadFile &read) {
            if (read.image.isNull())
                console::writeLine(QStringLiteral("❌ Failed to open the dropped image: ") + read.reason);
            else
                m_document->dropImage(read.image);
        });
}

} // namespace pintora
