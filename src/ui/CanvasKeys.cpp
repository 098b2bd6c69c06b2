#include "ui/CanvasView.h"

#include "core/document/EditorDocument.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"

#include <QCursor>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>
#include <optional>
#include <utility>

// What the canvas does with the keyboard: Space for panning, the arrows for
// the selection or the picked mark, the picked mark's keys, Escape during a
// drag, and typing a text.
namespace pintora {

namespace {

// A pixel's step in pixel space (y up) for an arrow key; none for others.
std::optional<QPointF> arrowStep(int key)
{
    switch (key) {
    case Qt::Key_Left: return QPointF(-1, 0);
    case Qt::Key_Right: return QPointF(1, 0);
    case Qt::Key_Up: return QPointF(0, 1);
    case Qt::Key_Down: return QPointF(0, -1);
    default: return std::nullopt;
    }
}

} // namespace

bool CanvasView::event(QEvent *event)
{
    // While typing every key is the text's (Return, Escape and the editor's
    // shortcuts too); Escape during a drag cancels the drag, not the window;
    // a picked mark takes its own keys.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (m_document.isTyping() || (m_isDragging && key->key() == Qt::Key_Escape) || takesKey(key)) {
            event->accept();
            return true;
        }
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
    if (editPickByKey(event) || adjustSelectionByKey(event))
        return;
    if (event->key() != Qt::Key_Escape || !m_isDragging)
        return QWidget::keyPressEvent(event);
    m_isDragging = false;
    m_clickFrom.reset();
    if (std::exchange(m_markGrip, MarkGrip{}).kind != MarkGrip::none)
        m_document.cancelMarkDrag();
    else if (m_handle != geometry::Handle::none)
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

bool CanvasView::takesKey(const QKeyEvent *event) const
{
    if (m_document.pickedIndex() < 0 || m_isDragging)
        return false;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return m_document.pickedTool() == &textTool();
    case Qt::Key_Escape:
    case Qt::Key_Delete:
    case Qt::Key_Backspace: return true;
    default: return arrowStep(event->key()).has_value();
    }
}

// A picked mark: arrows move it by a pixel (Shift: ten), Delete or
// Backspace removes it, Return opens a text for typing, Escape lets it go.
bool CanvasView::editPickByKey(const QKeyEvent *event)
{
    if (!takesKey(event))
        return false;
    if (const std::optional<QPointF> step = arrowStep(event->key()))
        m_document.nudgePicked(*step * (event->modifiers().testFlag(Qt::ShiftModifier) ? 10 : 1));
    else if (event->key() == Qt::Key_Escape)
        m_document.pick(-1);
    else if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)
        m_document.deletePicked();
    else
        m_document.retypePicked();
    return true;
}

// Arrows move the selection by a pixel, with Shift by ten; with Alt they
// move its right or bottom edge.
bool CanvasView::adjustSelectionByKey(const QKeyEvent *event)
{
    const std::optional<QPointF> arrow = arrowStep(event->key());
    if (!arrow)
        return false;
    const QPointF step = *arrow;
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
