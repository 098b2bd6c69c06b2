#include "core/document/EditorDocument.h"

#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"

#include <cmath>
#include <utility>

// The document's drags: selecting, drawing a new mark and typing a text.
namespace pintora {

void EditorDocument::press(DrawMode mode, const QPointF &pixel)
{
    // A click elsewhere ends the typing, and the pick.
    commitText();
    pick(-1);
    enterMode(mode);
    m_drag = Mark{};
    m_drag.from = m_drag.to = pixel;
    m_drag.path = {pixel};
    m_drag.rect = QRectF(pixel, QSizeF(0, 0));
    if (m_drawMode == DrawMode::selection)
        setSelectionRect(m_drag.rect);
}

void EditorDocument::enterMode(DrawMode mode)
{
    if (mode == m_drawMode)
        return;
    // Nothing changes yet: what could be redone still can.
    saveStateForUndo(true);
    m_drawMode = mode;
    emit drawModeChanged(mode);
}

void EditorDocument::dragTo(const QPointF &pixel, bool constrained)
{
    m_drag.to = pixel;
    m_drag.constrained = constrained;
    if (m_drag.path.isEmpty() || m_drag.path.last() != pixel)
        m_drag.path.append(pixel);
    QPointF corner = pixel;
    if (constrained && m_drawMode == DrawMode::rectangle) {
        // A square, as far as the shorter side reaches.
        const QPointF delta = pixel - m_drag.from;
        const double side = std::min(std::abs(delta.x()), std::abs(delta.y()));
        corner = m_drag.from + QPointF(std::copysign(side, delta.x()), std::copysign(side, delta.y()));
    }
    setSelectionRect(QRectF(m_drag.from, corner).normalized());
}

void EditorDocument::release()
{
    const Tool &tool = currentTool();
    const Mark mark = currentMark();
    if (m_drawMode == DrawMode::rectangle && &tool == &textTool() && !currentImage().isNull()) {
        m_typed = mark;
        m_typing = true;
        setSelectionRect(QRectF());
        emit typingChanged();
    } else if (m_drawMode == DrawMode::rectangle && tool.accepts(mark.inBitmap(currentImage().height()))) {
        drawMark(tool, mark);
        setSelectionRect(QRectF());
    } else {
        console::writeLine("✅ Selection (pixels): " + console::formatRect(m_selectionRect));
    }
    m_drag = Mark{};
}

void EditorDocument::finishSelection(const QRectF &pixelRect)
{
    setSelectionRect(pixelRect);
    console::writeLine("✅ Selection (pixels): " + console::formatRect(m_selectionRect));
}

void EditorDocument::selectAll()
{
    if (currentImage().isNull())
        return;
    commitText();
    pick(-1);
    enterMode(DrawMode::selection);
    finishSelection(QRectF(QPointF(0, 0), QSizeF(currentImage().size())));
}

void EditorDocument::dropSelection()
{
    if (m_selectionRect.isNull())
        return;
    setSelectionRect(QRectF());
    console::writeLine("📐 Selection cleared");
}

void EditorDocument::cancelDrag()
{
    m_drag = Mark{};
    setSelectionRect(QRectF());
}

const Tool &EditorDocument::currentTool() const
{
    return m_rectangleStyle.isBlur ? blurTool() : *m_shapeTool;
}

Mark EditorDocument::currentMark() const
{
    Mark mark = m_drag;
    mark.rect = m_selectionRect;
    mark.style = m_rectangleStyle;
    if (currentTool().isNumbered())
        mark.number = m_history.markersToUndo() + 1;
    return mark;
}

// ---- typing

Mark EditorDocument::typedMark() const
{
    Mark mark = m_typed;
    // A text opened again keeps its own style, a new one takes the chosen.
    if (!m_lift) {
        mark.style = m_rectangleStyle;
        mark.textSize = TextLayout::sizeFor(m_rectangleStyle.lineWidth, currentImage().size());
    }
    return mark;
}

void EditorDocument::typeText(const QString &text)
{
    if (!m_typing || text.isEmpty())
        return;
    m_typed.text += text;
    emit typingChanged();
}

void EditorDocument::eraseText()
{
    if (!m_typing || m_typed.text.isEmpty())
        return;
    // A surrogate pair is one character.
    const qsizetype last = m_typed.text.size() >= 2 && m_typed.text.back().isLowSurrogate() ? 2 : 1;
    m_typed.text.chop(last);
    emit typingChanged();
}

void EditorDocument::commitText()
{
    if (!m_typing)
        return;
    const Mark mark = typedMark();
    m_typing = false;
    m_typed = Mark{};
    if (m_lift)
        finishRetyping(mark);
    else if (textTool().accepts(mark))
        drawMark(textTool(), mark);
    emit typingChanged();
}

void EditorDocument::cancelText()
{
    if (!std::exchange(m_typing, false))
        return;
    m_typed = Mark{};
    if (m_lift)
        putBack();
    emit typingChanged();
}

} // namespace pintora
