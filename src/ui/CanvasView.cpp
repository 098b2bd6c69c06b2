#include "ui/CanvasView.h"

#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "ui/CanvasPaint.h"

#include <QCursor>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace pintora {

CanvasView::CanvasView(EditorDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
    , m_refine(new QTimer(this))
{
    m_refine->setSingleShot(true);
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
    connect(&m_document, &EditorDocument::pickChanged, this, [this] {
        updateCursor(viewPoint(mapFromGlobal(QCursor::pos())));
        update();
    });
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

void CanvasView::releaseDisplay()
{
    m_refine->stop();
    m_displayImage = QImage();
    m_scaling.reset();
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
    canvas::fillAround(painter, rect(), imageArea, Qt::black);

    painter.setRenderHint(QPainter::Antialiasing);
    if (m_document.drawMode() == DrawMode::rectangle && m_isDragging)
        paintMarkPreview(painter, m_document.currentTool(), m_document.currentMark());
    if (m_document.isTyping())
        paintTyping(painter);
    paintPick(painter);
    if (m_document.drawMode() == DrawMode::selection && geometry::hasArea(m_document.selectionRect()))
        paintSelectionOverlay(painter);
    if (m_isDragging)
        paintLoupe(painter);
    paintScrollThumbs(painter);
}

void CanvasView::prepareDisplay()
{
    if (!m_document.currentImage().isNull())
        updateDisplay();
}

QRectF CanvasView::paintImage(QPainter &painter)
{
    const std::optional<QRectF> area = updateDisplay();
    if (!area)
        return {};
    painter.drawImage(area->topLeft(), m_displayImage);
    return *area;
}

std::optional<QRectF> CanvasView::updateDisplay()
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
        // image pixels (several milliseconds) is drawn roughly first, and so
        // is any view that would hold the event loop longer than a frame
        // (a giant image's first): made exact band by band afterwards.
        constexpr double draftAbove = 4e6, draftAlways = 3e7;
        const double taps = m_scaling->tapsPerPixel() * window.width() * window.height();
        m_draft = (m_viewMoved && taps > draftAbove) || taps > draftAlways;
        if (!m_displayImage.isNull())
            m_scaling->renderArea(image, m_displayImage, window, window.topLeft(),
                                  m_draft ? DisplayScaling::Quality::draft : DisplayScaling::Quality::exact);
        if (m_draft) {
            m_refinedRows = 0;
            m_refine->start(80); // once the view rests
        }
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
    return QRectF(QPointF(origin + window.topLeft()) / ratio, QSizeF(window.size()) / ratio);
}

void CanvasView::refineDisplay()
{
    if (!m_draft || !m_scaling || m_displayImage.isNull())
        return;
    // A band of rows at a time, each a few milliseconds of work, so that the
    // event loop answers between them.
    constexpr double tapsPerBand = 5e6;
    const int width = m_displayWindow.width(), height = m_displayWindow.height();
    const int rows = std::clamp(int(tapsPerBand / std::max(1.0, m_scaling->tapsPerPixel() * width)), 1, height);
    const QRect band(m_displayWindow.left(), m_displayWindow.top() + m_refinedRows, width,
                     std::min(rows, height - m_refinedRows));
    m_scaling->renderArea(m_document.currentImage(), m_displayImage, band, m_displayWindow.topLeft());
    m_refinedRows += band.height();
    m_draft = m_refinedRows < height;
    if (m_draft)
        m_refine->start(0);
    update();
}

} // namespace pintora
