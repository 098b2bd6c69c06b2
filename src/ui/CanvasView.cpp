#include "ui/CanvasView.h"

#include "core/EditorDocument.h"
#include "core/Geometry.h"
#include "i18n/Translations.h"
#include "ui/Theme.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace pintora {

namespace {

// The key that turns a left drag into a rectangle. Qt on macOS reports the
// physical Control key as Meta (and Command as Control).
#ifdef Q_OS_MACOS
constexpr Qt::KeyboardModifier rectangleModifier = Qt::MetaModifier;
#else
constexpr Qt::KeyboardModifier rectangleModifier = Qt::ControlModifier;
#endif

QPen pen(const QColor &color, double width)
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
    m_dragStart = viewPoint(event);
    m_document.press(mode, canvasToPixel(m_dragStart));
    update();
}

void CanvasView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_isDragging)
        return;
    // Both ends are mapped afresh, so the box follows a resize mid-drag.
    const QPointF a = canvasToPixel(m_dragStart);
    const QPointF b = canvasToPixel(viewPoint(event));
    const double minX = std::min(a.x(), b.x());
    const double minY = std::min(a.y(), b.y());
    const double maxX = std::max(a.x(), b.x());
    const double maxY = std::max(a.y(), b.y());
    m_document.setSelectionRect(QRectF(minX, minY, maxX - minX, maxY - minY));
    update();
}

void CanvasView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return event->ignore();
    m_isDragging = false;
    m_document.release();
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
    const bool hasArea = geometry::hasArea(m_document.selectionRect());
    if (m_document.drawMode() == DrawMode::rectangle && m_isDragging && hasArea)
        paintRectanglePreview(painter, geometry::displayScale(bounds(), image.size()));
    if (m_document.drawMode() == DrawMode::selection && hasArea)
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

void CanvasView::paintRectanglePreview(QPainter &painter, double scale)
{
    const QRectF box = widgetRect(
        geometry::pixelToView(m_document.selectionRect(), bounds(), m_document.currentImage().size()));
    const RectangleStyle &style = m_document.rectangleStyle();
    painter.setBrush(Qt::NoBrush);
    if (style.isBlur) {
        painter.fillRect(box, withAlpha(neutralGrey(), 0.6));
        painter.setPen(pen(withAlpha(Qt::white, 0.8), 3 * scale));
        painter.drawRect(box);
        const QRectF inner = box.adjusted(5 * scale, 5 * scale, -5 * scale, -5 * scale);
        if (geometry::hasArea(inner)) {
            QPen dashed = pen(withAlpha(Qt::white, 0.5), 2 * scale);
            // Qt measures dashes in line widths: 8·s on, 4·s off at 2·s wide.
            dashed.setDashPattern({4.0, 2.0});
            painter.setPen(dashed);
            painter.drawRect(inner);
        }
        return;
    }
    if (style.filled)
        painter.fillRect(box, withAlpha(style.color, 0.3));
    painter.setPen(pen(style.color, scale * style.lineWidth));
    painter.drawRect(box);
    painter.setPen(pen(withAlpha(Qt::white, 0.5), scale * (style.lineWidth + 2)));
    painter.drawRect(box);
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
    painter.setPen(pen(Qt::white, m_isDragging ? 3.0 : 2.0));
    painter.drawRect(box);
    if (m_isDragging) {
        painter.setPen(pen(withAlpha(accentColor(), 0.5), 6.0));
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
