#include "ui/CanvasView.h"

#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"
#include "i18n/Translations.h"
#include "ui/Loupe.h"
#include "ui/Theme.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <utility>

namespace pintora {

namespace {

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
    , m_refine(new QTimer(this))
{
    m_refine->setSingleShot(true);
    m_refine->setInterval(80);
    connect(m_refine, &QTimer::timeout, this, &CanvasView::refineDisplay);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true); // the cursor shows what a press would do
    // Keys choose tools while the canvas has focus.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The image is never mirrored, whichever way the interface runs.
    setLayoutDirection(Qt::LeftToRight);
    connect(&m_document, &EditorDocument::imageChanged, this, &CanvasView::imageChanged);
    connect(&m_document, &EditorDocument::selectionChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &EditorDocument::drawModeChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &EditorDocument::styleChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &EditorDocument::typingChanged, this, &CanvasView::typingChanged);
}

void CanvasView::imageChanged(const QRect &area)
{
    if (area.contains(m_document.currentImage().rect())) {
        // Replaced: rebuilt whole at the next paint; a new size is fitted.
        if (!m_scaling || m_scaling->imageSize() != m_document.currentImage().size()) {
            m_zoom = {};
            emit zoomChanged(); // fitted to another size
        }
        m_scaling.reset();
    } else {
        m_staleArea |= area;
    }
    update();
}

QSizeF CanvasView::imageSize() const
{
    return QSizeF(m_document.currentImage().size());
}

QPointF CanvasView::canvasToPixel(const QPointF &viewPoint) const
{
    return geometry::canvasToPixel(viewPoint, bounds(), imageSize(), m_zoom);
}

// The one place where Qt's y-down event positions enter view space.
QPointF CanvasView::viewPoint(const QPointF &widgetPoint) const
{
    return geometry::viewPointFromWidget(widgetPoint, bounds().height());
}

// The one place where view space goes back to Qt's y-down painting.
QRectF CanvasView::widgetRect(const QRectF &viewRect) const
{
    return geometry::widgetRectFromView(viewRect, bounds().height());
}

// ---- painting

QTransform CanvasView::bitmapToWidget() const
{
    const QImage &image = m_document.currentImage();
    const QRectF target = widgetRect(geometry::imageRect(bounds(), image.size(), m_zoom));
    const double scale = image.isNull() ? 1.0 : target.width() / image.width();
    return QTransform::fromTranslate(target.x(), target.y()).scale(scale, scale);
}

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
        paintMarkPreview(painter, m_document.currentTool(), m_document.currentMark());
    if (m_document.isTyping())
        paintTyping(painter);
    if (m_document.drawMode() == DrawMode::selection && geometry::hasArea(m_document.selectionRect()))
        paintSelectionOverlay(painter);
    if (m_isDragging)
        paintLoupe(painter);
    paintScrollThumbs(painter);
}

// While dragging: the pixels under the pointer at 8 times, and where it is
// in pixels (the corner a selection takes, or the pixel a mark starts in).
void CanvasView::paintLoupe(QPainter &painter)
{
    const QImage &image = m_document.currentImage();
    const QPointF at = viewPoint(m_pointer);
    const QPointF pixel = canvasToPixel(at);
    const QPoint bitmapPixel(std::clamp(int(std::floor(pixel.x())), 0, image.width() - 1),
                             std::clamp(int(std::floor(image.height() - pixel.y())), 0, image.height() - 1));
    const bool selecting = m_document.drawMode() == DrawMode::selection && m_handle == geometry::Handle::none;
    const QPointF shown
        = selecting ? selectionCorner(at) : QPointF(bitmapPixel.x(), image.height() - 1 - bitmapPixel.y());
    const QString label = QStringLiteral("%1, %2").arg(qRound(shown.x())).arg(qRound(shown.y()));
    Loupe::paint(painter, Loupe::placeFor(m_pointer, rect()), image, bitmapPixel, label);
}

QRectF CanvasView::paintImage(QPainter &painter)
{
    const QImage &image = m_document.currentImage();
    const QRectF target = widgetRect(geometry::imageRect(bounds(), image.size(), m_zoom));
    const qreal ratio = devicePixelRatioF();
    const QSize displaySize = (target.size() * ratio).toSize();
    if (displaySize.isEmpty())
        return {};
    // Whole device pixels keep the image crisp.
    const QPoint origin(int(std::lround(target.x() * ratio)), int(std::lround(target.y() * ratio)));
    // Only the part on screen is kept: zoomed in, the whole would not fit in memory.
    const QRect window = QRect(QPoint(0, 0), size() * ratio).translated(-origin) & QRect(QPoint(0, 0), displaySize);
    if (window.isEmpty())
        return {};
    if (!m_scaling || m_scaling->imageSize() != image.size() || m_scaling->displaySize() != displaySize) {
        m_scaling.emplace(image.size(), displaySize);
        m_displayImage = QImage();
    }
    if (m_displayImage.isNull() || m_displayWindow != window) {
        m_displayImage = QImage(window.size(), QImage::Format_RGB32);
        m_displayWindow = window;
        // A zoom step or a scroll that would read more than about 4 million
        // image pixels (several milliseconds) is drawn roughly first.
        constexpr double draftAbove = 4e6;
        m_draft = m_viewMoved && m_scaling->tapsPerPixel() * window.width() * window.height() > draftAbove;
        if (!m_displayImage.isNull())
            m_scaling->renderArea(image, m_displayImage, window, window.topLeft(),
                                  m_draft ? DisplayScaling::Quality::draft : DisplayScaling::Quality::exact);
        if (m_draft)
            m_refine->start();
        m_staleArea = {};
    } else if (!m_staleArea.isEmpty()) {
        m_scaling->renderArea(image, m_displayImage, m_scaling->displayArea(m_staleArea), window.topLeft());
        m_staleArea = {};
    }
    if (m_displayImage.isNull()) {
        m_scaling.reset(); // out of memory: try again at the next paint
        return {};
    }
    m_viewMoved = false;
    m_displayImage.setDevicePixelRatio(ratio);
    const QPointF at = QPointF(origin + window.topLeft()) / ratio;
    painter.drawImage(at, m_displayImage);
    return QRectF(at, QSizeF(window.size()) / ratio);
}

void CanvasView::refineDisplay()
{
    if (!std::exchange(m_draft, false) || !m_scaling || m_displayImage.isNull())
        return;
    m_scaling->renderArea(m_document.currentImage(), m_displayImage, m_displayWindow, m_displayWindow.topLeft());
    update();
}

void CanvasView::paintMarkPreview(QPainter &painter, const Tool &tool, const Mark &pixelMark)
{
    const Mark mark = pixelMark.inBitmap(m_document.currentImage().height());
    if (!tool.accepts(mark))
        return;
    // The tool paints in bitmap space; this maps it onto the shown image.
    const QTransform toWidget = bitmapToWidget();
    painter.save();
    painter.setTransform(toWidget, true);
    tool.preview(painter, mark, toWidget.m11());
    painter.restore();
}

void CanvasView::paintTyping(QPainter &painter)
{
    Mark typed = m_document.typedMark();
    typed.text += m_preedit;
    paintMarkPreview(painter, textTool(), typed);
    // The caret, in the text's colour with a dark rim to show on any image.
    const QLineF caret = bitmapToWidget().map(
        TextLayout(m_document.typedMark().inBitmap(m_document.currentImage().height())).caret(m_preedit));
    painter.setPen(QPen(withAlpha(Qt::black, 0.6), 3));
    painter.drawLine(caret);
    painter.setPen(QPen(typed.style.color, 1.5));
    painter.drawLine(caret);
}

void CanvasView::paintSelectionOverlay(QPainter &painter)
{
    const QRectF box = widgetRect(geometry::pixelToView(m_document.selectionRect(), bounds(), imageSize(), m_zoom));
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
        return;
    }
    // The handles: its corners and the middles of its sides.
    painter.setPen(QPen(withAlpha(Qt::black, 0.6), 1));
    painter.setBrush(Qt::white);
    const QPointF centre = box.center();
    for (const QPointF &at :
         {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight(), QPointF(centre.x(), box.top()),
          QPointF(centre.x(), box.bottom()), QPointF(box.left(), centre.y()), QPointF(box.right(), centre.y())})
        painter.drawRect(QRectF(at - QPointF(3.5, 3.5), QSizeF(7, 7)));
}

void CanvasView::paintNoImageMessage(QPainter &painter)
{
    QFont font = this->font();
    font.setPixelSize(18);

    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    document.setPlainText(Translations::noImageMessage() + QStringLiteral("\n\n") + Translations::pasteHint());
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
