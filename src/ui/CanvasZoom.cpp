#include "ui/CanvasView.h"

#include "core/document/EditorDocument.h"

#include <QPainter>

// The canvas's zoom, scroll and scroll bars.
namespace pintora {

double CanvasView::zoomPercent() const
{
    if (m_document.currentImage().isNull())
        return 100;
    return geometry::zoomPercent(geometry::displayScale(bounds(), imageSize(), m_zoom), devicePixelRatioF());
}

void CanvasView::zoomBy(int steps, std::optional<QPointF> widgetPoint)
{
    if (m_document.currentImage().isNull())
        return;
    const double ratio = devicePixelRatioF();
    const double factor = geometry::displayScale(bounds(), imageSize(), m_zoom) * ratio;
    const QPointF anchor = viewPoint(widgetPoint.value_or(QPointF(width() * 0.5, height() * 0.5)));
    setZoom(geometry::zoomedAbout(m_zoom, geometry::zoomStep(factor, steps) / ratio, anchor, bounds(), imageSize()));
}

void CanvasView::zoomToFit()
{
    setZoom({});
}

void CanvasView::zoomToActualSize()
{
    if (m_document.currentImage().isNull())
        return;
    const QPointF middle(width() * 0.5, height() * 0.5);
    setZoom(geometry::zoomedAbout(m_zoom, 1 / devicePixelRatioF(), middle, bounds(), imageSize()));
}

void CanvasView::setZoom(const geometry::Zoom &zoom)
{
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    m_viewMoved = true;
    update();
    emit zoomChanged();
}

void CanvasView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_zoom.isFitted())
        emit zoomChanged(); // the fitting scale follows the size
}

// Thin bars drawn over the canvas's edges, not widgets: a widget over the
// canvas would be repainted with it at every step of a drag.
QRectF CanvasView::scrollThumb(Qt::Orientation orientation) const
{
    if (m_document.currentImage().isNull())
        return {};
    constexpr double thickness = 8, inset = 3;
    const QRectF shown = widgetRect(geometry::imageRect(bounds(), imageSize(), m_zoom));
    if (orientation == Qt::Horizontal) {
        const geometry::Thumb thumb = geometry::scrollThumb(width(), shown.left(), shown.width());
        return thumb.length == 0 ? QRectF()
                                 : QRectF(thumb.start, height() - inset - thickness, thumb.length, thickness);
    }
    const geometry::Thumb thumb = geometry::scrollThumb(height(), shown.top(), shown.height());
    return thumb.length == 0 ? QRectF() : QRectF(width() - inset - thickness, thumb.start, thickness, thumb.length);
}

void CanvasView::paintScrollThumbs(QPainter &painter)
{
    // Opaque plain fills: a translucent or rounded bar this long costs Qt
    // more than the rest of a repaint.
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical})
        if (const QRect thumb = scrollThumb(orientation).toAlignedRect(); !thumb.isEmpty()) {
            painter.fillRect(thumb, QColor(32, 32, 32));
            painter.fillRect(thumb.adjusted(1, 1, -1, -1), QColor(200, 200, 200));
        }
}

} // namespace pintora
