#include "ui/DragGrip.h"

#include "core/Console.h"
#include "core/document/EditorDocument.h"
#include "core/png/FileReplace.h"
#include "core/png/ImageExport.h"
#include "i18n/Translations.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QUrl>

namespace pintora {

DragGrip::DragGrip(EditorDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setObjectName(QStringLiteral("dragGrip"));
    setToolTip(Translations::dragImage());
    setAccessibleName(Translations::dragImage());
    setCursor(Qt::OpenHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&document, &EditorDocument::imageChanged, this, [this] {
        m_thumbnail = QImage();
        update();
    });
}

DragGrip::~DragGrip() = default;

void DragGrip::paintEvent(QPaintEvent *)
{
    const QImage &image = m_document.currentImage();
    if (image.isNull())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize room = (QSizeF(size() - QSize(4, 4)) * ratio).toSize();
    if (m_thumbnail.isNull() || m_thumbnail.devicePixelRatio() != ratio) {
        // Nearest pixels: a glance at the picture, made in a moment even from a giant one.
        m_thumbnail = image.scaled(room, Qt::KeepAspectRatio, Qt::FastTransformation);
        m_thumbnail.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    const QSizeF shown = QSizeF(m_thumbnail.size()) / ratio;
    const QRectF at(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
    painter.drawImage(at, m_thumbnail);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawRect(at.adjusted(-0.5, -0.5, 0.5, 0.5));
}

void DragGrip::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    m_pressedAt = event->position().toPoint();
}

void DragGrip::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || (event->position().toPoint() - m_pressedAt).manhattanLength() < QApplication::startDragDistance())
        return;
    m_pressed = false;
    QMimeData *data = dragData();
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    if (!m_thumbnail.isNull())
        drag->setPixmap(QPixmap::fromImage(m_thumbnail));
    if (drag->exec(Qt::CopyAction) == Qt::CopyAction)
        console::writeLine("🖱️ Image dragged out");
}

QMimeData *DragGrip::dragData()
{
    const QImage image = m_document.canCrop() ? m_document.cutOutSelection() : m_document.currentImage();
    if (image.isNull())
        return nullptr;
    const QByteArray png = encodePng(image);
    if (png.isEmpty()) {
        console::writeLine("❌ Failed to convert image to PNG");
        return nullptr;
    }
    if (!m_folder)
        m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/pintora-drag-XXXXXX"));
    // A name of its own for each drag: a program may still be reading the last.
    const QString path = m_folder->filePath(QStringLiteral("pintora-%1.png").arg(++m_drags));
    const QString failure = m_folder->isValid() ? replaceFile(path, png) : m_folder->errorString();
    auto *data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    if (failure.isEmpty())
        data->setUrls({QUrl::fromLocalFile(path)});
    else // the bytes still go
        console::writeLine(QStringLiteral("❌ Failed to save image: ") + failure);
    return data;
}

} // namespace pintora
