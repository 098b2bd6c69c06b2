#include "ui/CanvasView.h"

#include "core/document/EditorDocument.h"

#include <QCursor>
#include <QLineF>
#include <QMouseEvent>
#include <QWheelEvent>

#include <utility>

// What the canvas does with the mouse and the wheel.
namespace pintora {

namespace {

// The key that turns a left drag into a rectangle. Qt on macOS reports the
// physical Control key as Meta (and Command as Control).
#ifdef Q_OS_MACOS
constexpr Qt::KeyboardModifier rectangleModifier = Qt::MetaModifier;
#else
constexpr Qt::KeyboardModifier rectangleModifier = Qt::ControlModifier;
#endif

// How near a selection's edge, in points, a press takes the edge; and how
// near a mark or its grip a press takes it.
constexpr double handleReach = 6;
constexpr double markReach = 5;
// How far, in points, the pointer may go between press and release of a
// click: a hand's jitter.
constexpr double clickSlack = 3;

Qt::CursorShape cursorFor(geometry::Handle handle)
{
    using geometry::Handle;
    switch (handle) {
    case Handle::inside: return Qt::SizeAllCursor;
    case Handle::left:
    case Handle::right: return Qt::SizeHorCursor;
    case Handle::bottom:
    case Handle::top: return Qt::SizeVerCursor;
    // View space runs up: its top-left corner is the screen's top-left.
    case Handle::topLeft:
    case Handle::bottomRight: return Qt::SizeFDiagCursor;
    case Handle::topRight:
    case Handle::bottomLeft: return Qt::SizeBDiagCursor;
    case Handle::none: break;
    }
    return Qt::CrossCursor;
}

Qt::CursorShape cursorFor(const MarkGrip &grip)
{
    switch (grip.kind) {
    case MarkGrip::whole: return Qt::SizeAllCursor;
    case MarkGrip::start:
    case MarkGrip::end: return Qt::PointingHandCursor;
    case MarkGrip::edge: return cursorFor(grip.handle);
    case MarkGrip::none: break;
    }
    return Qt::CrossCursor;
}

} // namespace

QPointF CanvasView::selectionCorner(const QPointF &viewPoint) const
{
    // Within a view point of an edge is on it: the last row of a shrunk
    // image is narrower than the pointer's step.
    const double reach = 1 / geometry::displayScale(bounds(), imageSize(), m_zoom);
    return geometry::snapToPixelCorner(canvasToPixel(viewPoint), imageSize(), reach);
}

geometry::Handle CanvasView::handleUnder(const QPointF &viewPoint) const
{
    const QRectF selection = m_document.selectionRect();
    if (m_document.drawMode() != DrawMode::selection || !geometry::hasArea(selection))
        return geometry::Handle::none;
    const QRectF shown = geometry::pixelToView(selection, bounds(), imageSize(), m_zoom);
    const geometry::Handle handle = geometry::handleAt(shown, viewPoint, handleReach);
    // A selection of the whole image cannot move: a drag inside it starts a
    // new one.
    if (handle == geometry::Handle::inside && selection == QRectF(QPointF(0, 0), imageSize()))
        return geometry::Handle::none;
    return handle;
}

double CanvasView::pickReach() const
{
    return markReach / geometry::displayScale(bounds(), imageSize(), m_zoom);
}

void CanvasView::updateCursor(const QPointF &viewPoint)
{
    if (m_panning)
        return setCursor(Qt::ClosedHandCursor);
    if (m_spaceHeld)
        return setCursor(Qt::OpenHandCursor);
    if (m_isDragging)
        return setCursor(m_markGrip.kind != MarkGrip::none ? cursorFor(m_markGrip) : cursorFor(m_handle));
    const QPointF pixel = canvasToPixel(viewPoint);
    if (const MarkGrip grip = m_document.gripAt(pixel, pickReach()); grip.kind != MarkGrip::none)
        return setCursor(cursorFor(grip));
    if (const geometry::Handle handle = handleUnder(viewPoint); handle != geometry::Handle::none)
        return setCursor(cursorFor(handle));
    // A mark a click would pick.
    setCursor(!m_document.isTyping() && m_document.markAt(pixel, pickReach()) >= 0 ? Qt::PointingHandCursor
                                                                                   : Qt::CrossCursor);
}

void CanvasView::mousePressEvent(QMouseEvent *event)
{
    m_pointer = event->position();
    if (event->button() == Qt::LeftButton && !m_isDragging) {
        for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical})
            if (scrollThumb(orientation).adjusted(-4, -4, 4, 4).contains(event->position())) {
                m_thumbDragged = orientation;
                return;
            }
    }
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && m_spaceHeld)) {
        m_panning = true;
        return updateCursor({});
    }
    DrawMode mode;
    if (event->button() == Qt::RightButton)
        mode = DrawMode::rectangle;
    else if (event->button() == Qt::LeftButton)
        mode = event->modifiers().testFlag(rectangleModifier) ? DrawMode::rectangle : DrawMode::selection;
    else
        return event->ignore();
    const QPointF at = viewPoint(event->position());
    const bool fresh = !m_isDragging;
    m_isDragging = true;
    m_clickFrom.reset();
    // A press on the picked mark drags it by what it takes.
    m_markGrip = mode == DrawMode::selection && fresh ? m_document.gripAt(canvasToPixel(at), pickReach()) : MarkGrip{};
    if (m_markGrip.kind != MarkGrip::none) {
        m_document.grabMark(m_markGrip, canvasToPixel(at));
        return updateCursor(at);
    }
    // A press on the selection or its edges adjusts it; elsewhere, and a
    // press while dragging, starts afresh.
    m_handle = mode == DrawMode::selection && fresh ? handleUnder(at) : geometry::Handle::none;
    if (m_handle != geometry::Handle::none) {
        m_handleFrom = canvasToPixel(at);
        m_handleStart = m_document.selectionRect();
    } else {
        if (mode == DrawMode::selection && fresh)
            m_clickFrom = event->position();
        m_document.press(mode, mode == DrawMode::selection ? selectionCorner(at) : canvasToPixel(at));
    }
    updateCursor(at);
    update();
}

void CanvasView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF moved = event->position() - std::exchange(m_pointer, event->position());
    const QPointF at = viewPoint(event->position());
    if (m_thumbDragged) {
        const QRectF shown = widgetRect(geometry::imageRect(bounds(), imageSize(), m_zoom));
        // Widget y runs down, view y up.
        const QPointF image = *m_thumbDragged == Qt::Horizontal
            ? QPointF(geometry::imageMoveForThumb(width(), shown.width(), moved.x()), 0)
            : QPointF(0, -geometry::imageMoveForThumb(height(), shown.height(), moved.y()));
        return setZoom(geometry::scrolledBy(m_zoom, image, bounds(), imageSize()));
    }
    if (m_panning)
        return setZoom(geometry::scrolledBy(m_zoom, QPointF(moved.x(), -moved.y()), bounds(), imageSize()));
    if (!m_isDragging)
        return updateCursor(at);
    dragTo(at, event->modifiers().testFlag(Qt::ShiftModifier));
}

void CanvasView::dragTo(const QPointF &at, bool shift)
{
    if (m_markGrip.kind != MarkGrip::none)
        m_document.dragMarkTo(canvasToPixel(at), shift);
    else if (m_handle != geometry::Handle::none)
        m_document.setSelectionRect(
            geometry::adjustedSelection(m_handleStart, m_handle, canvasToPixel(at) - m_handleFrom, imageSize()));
    else if (m_document.drawMode() == DrawMode::selection)
        m_document.dragTo(selectionCorner(at), shift);
    else
        m_document.dragTo(canvasToPixel(at), shift);
    update();
}

void CanvasView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_thumbDragged && event->button() == Qt::LeftButton) {
        m_thumbDragged.reset();
        return;
    }
    if (m_panning && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
        m_panning = false;
        return updateCursor(viewPoint(event->position()));
    }
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return event->ignore();
    if (!m_isDragging)
        return; // cancelled
    // Where the button came up counts: the last move may have been short of it.
    if (event->position() != std::exchange(m_pointer, event->position()))
        dragTo(viewPoint(event->position()), event->modifiers().testFlag(Qt::ShiftModifier));
    m_isDragging = false;
    const std::optional<QPointF> clickFrom = std::exchange(m_clickFrom, std::nullopt);
    if (std::exchange(m_markGrip, MarkGrip{}).kind != MarkGrip::none) {
        m_document.releaseMark();
    } else if (std::exchange(m_handle, geometry::Handle::none) != geometry::Handle::none) {
        m_document.finishSelection(m_document.selectionRect());
    } else if (clickFrom && QLineF(*clickFrom, event->position()).length() <= clickSlack
               && m_document.markAt(canvasToPixel(viewPoint(*clickFrom)), pickReach()) >= 0) {
        // A click on a mark picks it instead of selecting nothing.
        const int index = m_document.markAt(canvasToPixel(viewPoint(*clickFrom)), pickReach());
        m_document.cancelDrag();
        m_document.pick(index);
    } else {
        m_document.release();
    }
    updateCursor(viewPoint(event->position()));
    update();
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click on a text opens it for typing; the first click picked it.
    const QPointF pixel = canvasToPixel(viewPoint(event->position()));
    if (event->button() == Qt::LeftButton && !m_isDragging && m_document.pickedIndex() >= 0
        && m_document.gripAt(pixel, pickReach()).kind != MarkGrip::none && m_document.retypePicked())
        return;
    mousePressEvent(event);
}

void CanvasView::wheelEvent(QWheelEvent *event)
{
    if (m_document.currentImage().isNull())
        return event->ignore();
    // A notch is 120; smooth wheels and touchpads send less at a time.
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        m_wheelSteps += event->angleDelta().y() / 120.0;
        const int steps = int(m_wheelSteps);
        m_wheelSteps -= steps;
        if (steps != 0)
            zoomBy(steps, event->position());
        return event->accept();
    }
    QPointF moved = event->pixelDelta().isNull() ? QPointF(event->angleDelta()) / 2.0 : QPointF(event->pixelDelta());
    if (event->modifiers().testFlag(Qt::ShiftModifier) && moved.x() == 0)
        moved = QPointF(moved.y(), 0);
    // Turning the wheel away shows what is above: the image moves down, up in view space.
    setZoom(geometry::scrolledBy(m_zoom, QPointF(moved.x(), -moved.y()), bounds(), imageSize()));
    event->accept();
}

} // namespace pintora
