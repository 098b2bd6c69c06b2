#include "ui/CanvasView.h"

#include "core/document/EditorDocument.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"

#include <QCursor>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

// What the canvas does with the mouse, the wheel and the keyboard.
namespace pintora {

// ---- mouse

namespace {

// The key that turns a left drag into a rectangle. Qt on macOS reports the
// physical Control key as Meta (and Command as Control).
#ifdef Q_OS_MACOS
constexpr Qt::KeyboardModifier rectangleModifier = Qt::MetaModifier;
#else
constexpr Qt::KeyboardModifier rectangleModifier = Qt::ControlModifier;
#endif

// How near a selection's edge, in points, a press takes the edge.
constexpr double handleReach = 6;

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
    if (m_document.drawMode() != DrawMode::selection || !geometry::hasArea(m_document.selectionRect()))
        return geometry::Handle::none;
    const QRectF shown = geometry::pixelToView(m_document.selectionRect(), bounds(), imageSize(), m_zoom);
    return geometry::handleAt(shown, viewPoint, handleReach);
}

void CanvasView::updateCursor(const QPointF &viewPoint)
{
    if (m_panning)
        return setCursor(Qt::ClosedHandCursor);
    if (m_spaceHeld)
        return setCursor(Qt::OpenHandCursor);
    setCursor(cursorFor(m_isDragging ? m_handle : handleUnder(viewPoint)));
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
    // A press on the selection or its edges adjusts it; elsewhere, and a
    // press while dragging, starts afresh.
    m_handle = mode == DrawMode::selection && !m_isDragging ? handleUnder(at) : geometry::Handle::none;
    m_isDragging = true;
    if (m_handle != geometry::Handle::none) {
        m_handleFrom = canvasToPixel(at);
        m_handleStart = m_document.selectionRect();
    } else {
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
    if (m_handle != geometry::Handle::none)
        m_document.setSelectionRect(
            geometry::adjustedSelection(m_handleStart, m_handle, canvasToPixel(at) - m_handleFrom, imageSize()));
    else if (m_document.drawMode() == DrawMode::selection)
        m_document.dragTo(selectionCorner(at), event->modifiers().testFlag(Qt::ShiftModifier));
    else
        m_document.dragTo(canvasToPixel(at), event->modifiers().testFlag(Qt::ShiftModifier));
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
    if (!std::exchange(m_isDragging, false))
        return; // cancelled
    if (std::exchange(m_handle, geometry::Handle::none) != geometry::Handle::none)
        m_document.finishSelection(m_document.selectionRect());
    else
        m_document.release();
    updateCursor(viewPoint(event->position()));
    update();
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

bool CanvasView::event(QEvent *event)
{
    // While typing every key is the text's (Return, Escape and the editor's
    // shortcuts too); Escape during a drag cancels the drag, not the window.
    if (event->type() == QEvent::ShortcutOverride
        && (m_document.isTyping() || (m_isDragging && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CanvasView::keyPressEvent(QKeyEvent *event)
{
    if (m_document.isTyping())
        return typeKey(event);
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_spaceHeld = true;
        return updateCursor(viewPoint(mapFromGlobal(QCursor::pos())));
    }
    if (adjustSelectionByKey(event))
        return;
    if (event->key() != Qt::Key_Escape || !m_isDragging)
        return QWidget::keyPressEvent(event);
    m_isDragging = false;
    if (m_handle != geometry::Handle::none)
        m_document.setSelectionRect(std::exchange(m_handleStart, {})); // as it was
    else
        m_document.cancelDrag();
    m_handle = geometry::Handle::none;
    update();
}

void CanvasView::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space || event->isAutoRepeat())
        return QWidget::keyReleaseEvent(event);
    m_spaceHeld = false;
    updateCursor(viewPoint(mapFromGlobal(QCursor::pos())));
}

void CanvasView::focusOutEvent(QFocusEvent *event)
{
    // Space let go elsewhere never reaches here.
    m_spaceHeld = false;
    QWidget::focusOutEvent(event);
}

// Arrows move the selection by a pixel, with Shift by ten; with Alt they
// move its right or bottom edge.
bool CanvasView::adjustSelectionByKey(const QKeyEvent *event)
{
    QPointF step;
    switch (event->key()) {
    case Qt::Key_Left: step = {-1, 0}; break;
    case Qt::Key_Right: step = {1, 0}; break;
    case Qt::Key_Up: step = {0, 1}; break; // pixel space runs up
    case Qt::Key_Down: step = {0, -1}; break;
    default: return false;
    }
    const QRectF selection = m_document.selectionRect();
    if (m_isDragging || m_document.drawMode() != DrawMode::selection || !geometry::hasArea(selection))
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const double by = modifiers.testFlag(Qt::ShiftModifier) ? 10 : 1;
    geometry::Handle handle = geometry::Handle::inside;
    if (modifiers.testFlag(Qt::AltModifier))
        handle = step.x() != 0 ? geometry::Handle::right : geometry::Handle::bottom;
    m_document.finishSelection(geometry::adjustedSelection(selection, handle, step * by, imageSize()));
    return true;
}

void CanvasView::typeKey(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers().testFlag(Qt::ShiftModifier))
            m_document.typeText(QStringLiteral("\n"));
        else
            m_document.commitText();
        break;
    case Qt::Key_Escape: m_document.cancelText(); break;
    case Qt::Key_Backspace: m_document.eraseText(); break;
    default: {
        // Printable text only: combinations with Control, Alt or Meta are
        // commands, which while typing do nothing.
        const QString text = event->text();
        const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!command && !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); }))
            m_document.typeText(text);
    }
    }
}

void CanvasView::inputMethodEvent(QInputMethodEvent *event)
{
    if (!m_document.isTyping())
        return event->ignore();
    m_preedit = event->preeditString();
    m_document.typeText(event->commitString());
    update();
}

QVariant CanvasView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled: return m_document.isTyping();
    case Qt::ImCursorRectangle: {
        // Where the candidate window of an input method goes.
        const Mark mark = m_document.typedMark().inBitmap(m_document.currentImage().height());
        const QLineF caret = bitmapToWidget().map(TextLayout(mark).caret(m_preedit));
        return QRectF(caret.p1(), caret.p2()).normalized().adjusted(-1, 0, 1, 0).toAlignedRect();
    }
    default: return QWidget::inputMethodQuery(query);
    }
}

void CanvasView::typingChanged()
{
    if (!m_document.isTyping())
        m_preedit.clear();
    setAttribute(Qt::WA_InputMethodEnabled, m_document.isTyping());
    if (QInputMethod *method = QGuiApplication::inputMethod())
        method->update(Qt::ImEnabled | Qt::ImCursorRectangle);
    update();
}

} // namespace pintora
