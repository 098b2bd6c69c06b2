#include "ui/CanvasView.h"

#include "core/EditorDocument.h"
#include "core/Geometry.h"
#include "core/tools/Tool.h"
#include "i18n/Translations.h"
#include "ui/Theme.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <utility>

namespace pintora {

namespace {

// The key that turns a left drag into a rectangle. Qt on macOS reports the
// physical Control key as Meta (and Command as Control).
#ifdef Q_OS_MACOS
constexpr Qt::KeyboardModifier rectangleModifier = Qt::MetaModifier;
#else
constexpr Qt::KeyboardModifier rectangleModifier = Qt::ControlModifier;
#endif

QPen outlinePen(const QColor &color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

// Fills `outer` except `hole` with four bands; cheaper on every drag event
// than a path with a hole.
void fillAround(QPainter &painter, const QRectF &outer, const QRectF &hole, const QColor &color)
{
    const QRectF inner = hole.intersected(outer);
    if (inner.isEmpty()) {
        painter.fillRect(outer, color);
        return;
    }
    painter.fillRect(QRectF(outer.left(), outer.top(), outer.width(), inner.top() - outer.top()), color);
    painter.fillRect(QRectF(outer.left(), inner.bottom(), outer.width(), outer.bottom() - inner.bottom()), color);
    painter.fillRect(QRectF(outer.left(), inner.top(), inner.left() - outer.left(), inner.height()), color);
    painter.fillRect(QRectF(inner.right(), inner.top(), outer.right() - inner.right(), inner.height()), color);
}

} // namespace

CanvasView::CanvasView(EditorDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setCursor(Qt::CrossCursor);
    // Keys choose tools while the canvas has focus.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The image is never mirrored, whichever way the interface runs.
    setLayoutDirection(Qt::LeftToRight);
    connect(&m_document, &EditorDocument::imageChanged, this, &CanvasView::imageChanged);
    connect(&m_document, &EditorDocument::selectionChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &EditorDocument::drawModeChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &EditorDocument::styleChanged, this, qOverload<>(&QWidget::update));
}

void CanvasView::imageChanged(const QRect &area)
{
    if (area.contains(m_document.currentImage().rect()))
        m_scaling.reset(); // replaced: rebuilt whole at the next paint
    else
        m_staleArea |= area;
    update();
}

QPointF CanvasView::canvasToPixel(const QPointF &viewPoint) const
{
    return geometry::canvasToPixel(viewPoint, bounds(), m_document.currentImage().size());
}

// The one place where Qt's y-down event positions enter view space.
QPointF CanvasView::viewPoint(const QMouseEvent *event) const
{
    return geometry::viewPointFromWidget(event->position(), bounds().height());
}

// The one place where view space goes back to Qt's y-down painting.
QRectF CanvasView::widgetRect(const QRectF &viewRect) const
{
    return geometry::widgetRectFromView(viewRect, bounds().height());
}

// ---- mouse

void CanvasView::mousePressEvent(QMouseEvent *event)
{
    DrawMode mode;
    if (event->button() == Qt::RightButton)
        mode = DrawMode::rectangle;
    else if (event->button() == Qt::LeftButton)
        mode = event->modifiers().testFlag(rectangleModifier) ? DrawMode::rectangle : DrawMode::selection;
    else
        return event->ignore();
    // A press while dragging starts afresh.
    m_isDragging = true;
    m_document.press(mode, canvasToPixel(viewPoint(event)));
    update();
}

void CanvasView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_isDragging)
        return;
    m_document.dragTo(canvasToPixel(viewPoint(event)), event->modifiers().testFlag(Qt::ShiftModifier));
    update();
}

void CanvasView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return event->ignore();
    if (!std::exchange(m_isDragging, false))
        return; // cancelled
    m_document.release();
    update();
}

bool CanvasView::event(QEvent *event)
{
    // Escape during a drag cancels the drag, not the window.
    if (event->type() == QEvent::ShortcutOverride && m_isDragging
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CanvasView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape || !m_isDragging)
        return QWidget::keyPressEvent(event);
    m_isDragging = false;
    m_document.cancelDrag();
    update();
}

// ---- painting

void CanvasView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &image = m_document.currentImage();
    if (image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        paintNoImageMessage(painter);
        return;
    }
    // The shown image is opaque (composed on black), so only the margins
    // need the black ground.
    const QRectF imageArea = paintImage(painter);
    fillAround(painter, rect(), imageArea, Qt::black);

    painter.setRenderHint(QPainter::Antialiasing);
    if (m_document.drawMode() == DrawMode::rectangle && m_isDragging)
        paintMarkPreview(painter);
    if (m_document.drawMode() == DrawMode::selection && geometry::hasArea(m_document.selectionRect()))
        paintSelectionOverlay(painter);
}

QRectF CanvasView::paintImage(QPainter &painter)
{
    const QImage &image = m_document.currentImage();
    const QRectF target = widgetRect(geometry::fittedImageRect(bounds(), image.size()));
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize = (target.size() * ratio).toSize();
    if (deviceSize.isEmpty())
        return {};
    if (!m_scaling || m_scaling->imageSize() != image.size() || m_scaling->displaySize() != deviceSize) {
        m_scaling.emplace(image.size(), deviceSize);
        m_displayImage = m_scaling->render(image);
        m_staleArea = {};
    } else if (!m_staleArea.isEmpty()) {
        m_scaling->renderArea(image, m_displayImage, m_scaling->displayArea(m_staleArea));
        m_staleArea = {};
    }
    if (m_displayImage.isNull()) {
        m_scaling.reset(); // out of memory: try again at the next paint
        return {};
    }
    m_displayImage.setDevicePixelRatio(ratio);
    // Whole device pixels keep the image crisp.
    const QPointF origin(std::round(target.x() * ratio) / ratio, std::round(target.y() * ratio) / ratio);
    painter.drawImage(origin, m_displayImage);
    return QRectF(origin, QSizeF(m_displayImage.size()) / ratio);
}

void CanvasView::paintMarkPreview(QPainter &painter)
{
    const QImage &image = m_document.currentImage();
    const Mark mark = m_document.currentMark().inBitmap(image.height());
    const Tool &tool = m_document.currentTool();
    if (!tool.accepts(mark))
        return;
    // The tool paints in bitmap space; this maps it onto the shown image.
    const QRectF target = widgetRect(geometry::fittedImageRect(bounds(), image.size()));
    const double scale = target.width() / image.width();
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    tool.preview(painter, mark, scale);
    painter.restore();
}

void CanvasView::paintSelectionOverlay(QPainter &painter)
{
    const QRectF box = widgetRect(
        geometry::pixelToView(m_document.selectionRect(), bounds(), m_document.currentImage().size()));
    // Dim what lies outside the selection; the selection itself stays as it
    // is. Whole pixels, so the bands meet without seams; the outline covers
    // the edge.
    painter.setRenderHint(QPainter::Antialiasing, false);
    fillAround(painter, rect(), box, withAlpha(Qt::black, 0.5));
    painter.setRenderHint(QPainter::Antialiasing, true);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(outlinePen(Qt::white, m_isDragging ? 3.0 : 2.0));
    painter.drawRect(box);
    if (m_isDragging) {
        painter.setPen(outlinePen(withAlpha(accentColor(), 0.5), 6.0));
        painter.drawRect(box);
    }
}

void CanvasView::paintNoImageMessage(QPainter &painter)
{
    QFont font = this->font();
    font.setPixelSize(18);

    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    document.setPlainText(Translations::noImageMessage());
    QTextBlockFormat lines;
    lines.setAlignment(Qt::AlignHCenter);
    lines.setLineHeight(8, QTextBlockFormat::LineDistanceHeight);
    QTextCursor cursor(&document);
    cursor.select(QTextCursor::Document);
    cursor.mergeBlockFormat(lines);

    const double wrapWidth = width() * 0.8;
    document.setTextWidth(wrapWidth);
    const double textHeight = document.size().height();

    // Lines are centred within the wrap width, which is centred in the view.
    painter.save();
    painter.translate((width() - wrapWidth) * 0.5, (height() - textHeight) * 0.5);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::white);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

} // namespace pintora
