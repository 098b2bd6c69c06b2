#include "core/document/EditorDocument.h"

#include "core/Console.h"
#include "core/document/MarkSteps.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <string>
#include <utility>

// The document's marks: a new one burned in, and those once drawn picked
// and edited.
namespace pintora {

namespace {

std::string onOff(bool on)
{
    return on ? "on" : "off";
}

} // namespace

bool EditorDocument::drawRectangleOnImage(const QRectF &pixelRect, const RectangleStyle &style)
{
    Mark mark;
    mark.rect = pixelRect;
    mark.style = style;
    return drawMark(style.isBlur ? blurTool() : boxTool(), mark);
}

bool EditorDocument::drawMark(const Tool &tool, const Mark &mark)
{
    // A burn-in that cannot be done takes no step.
    const QImage &image = currentImage();
    if (image.isNull()) {
        console::writeLine("❌ No image to draw on");
        return false;
    }
    if (tool.replacesPixels() && tool.area(mark.inBitmap(image.height()), image.size()).isEmpty()) {
        console::writeLine(tool.drawingLine(mark));
        console::writeLine("❌ Cannot crop blurred region");
        return false;
    }
    auto step = std::make_unique<MarkAdded>(m_image, tool, mark);
    const EditStep &added = *step;
    if (!announce(m_history.push(std::move(step)))) {
        if (tool.replacesPixels())
            console::writeLine(tool.drawingLine(mark));
        console::writeLine(tool.replacesPixels() ? "❌ Cannot convert blurred image" : "❌ Failed to create context");
        return false;
    }
    console::writeLine(tool.drawingLine(mark));
    if (!added.changedArea().isEmpty())
        emit imageChanged(added.changedArea());
    console::writeLine(tool.doneLine());
    return true;
}

// ---- picking

std::string EditorDocument::markName(int index) const
{
    // A mark out of the pixels (dragged or typed again) is out of the list.
    const Tool *tool = m_lift && m_lift->index == index ? m_lift->placed.tool : marks().at(index).tool;
    return "mark " + std::to_string(index + 1) + " (" + tool->id().toStdString() + ")";
}

int EditorDocument::markAt(const QPointF &pixel, double reach) const
{
    return marks().topmostAt(pixel, reach);
}

void EditorDocument::pick(int index)
{
    if (index == m_picked)
        return;
    cancelMarkDrag();
    const bool hadOne = m_picked >= 0;
    m_picked = index;
    if (index >= 0)
        console::writeLine("🎯 Picked mark " + std::to_string(index + 1) + " of " + std::to_string(marks().size()) + " ("
                           + marks().at(index).tool->id().toStdString() + ")");
    else if (hadOne)
        console::writeLine("🎯 Pick dropped");
    emit pickChanged();
}

const Tool *EditorDocument::pickedTool() const
{
    if (m_lift)
        return m_lift->placed.tool;
    return m_picked >= 0 ? marks().at(m_picked).tool : nullptr;
}

Mark EditorDocument::pickedMark() const
{
    if (m_markDrag)
        return m_markDrag->now;
    if (m_lift)
        return m_lift->placed.mark;
    return m_picked >= 0 ? marks().at(m_picked).mark : Mark{};
}

MarkGrip EditorDocument::gripAt(const QPointF &pixel, double reach) const
{
    if (m_picked < 0 || m_typing)
        return {};
    return pintora::gripAt(*pickedTool(), pickedMark(), QSizeF(currentImage().size()), pixel, reach);
}

// ---- dragging a picked mark

void EditorDocument::grabMark(const MarkGrip &grip, const QPointF &pixel)
{
    if (m_picked < 0 || grip.kind == MarkGrip::none || m_lift)
        return;
    m_markDrag = MarkDrag{grip, pixel, pickedMark()};
}

void EditorDocument::dragMarkTo(const QPointF &pixel, bool constrained)
{
    if (!m_markDrag)
        return;
    const Mark start = m_lift ? m_lift->placed.mark : marks().at(m_picked).mark;
    m_markDrag->now
        = draggedMark(start, m_markDrag->grip, pixel - m_markDrag->from, constrained, QSizeF(currentImage().size()));
    // Out of the pixels once it moves: its preview then shows it, and each
    // step of the drag costs a repaint, not a burn-in.
    if (!m_lift && m_markDrag->now != start) {
        PlacedMark placed;
        if (const std::optional<QRect> area = m_image.remove(m_picked, &placed)) {
            m_lift = Lift{m_picked, std::move(placed)};
            emit imageChanged(*area);
        }
    }
    emit pickChanged();
}

void EditorDocument::releaseMark()
{
    if (!m_markDrag)
        return;
    const MarkDrag drag = *std::exchange(m_markDrag, std::nullopt);
    if (!m_lift) {
        // Never moved, or could not leave the pixels: changed in place.
        const Mark &before = marks().at(m_picked).mark;
        if (drag.now != before)
            changePicked(drag.now, false, changeLine(before, drag.now, drag.grip.kind == MarkGrip::whole));
        emit pickChanged();
        return;
    }
    const Mark before = m_lift->placed.mark;
    if (drag.now == before)
        return putBack();
    const std::optional<QRect> area = m_image.insert(m_lift->index, *m_lift->placed.tool, drag.now);
    if (!area) {
        console::writeLine("❌ Not enough memory to change the mark");
        return putBack();
    }
    m_lift.reset();
    announce(m_history.keepDone(std::make_unique<MarkChanged>(m_image, m_picked, before, drag.now)));
    emit imageChanged(*area);
    console::writeLine(changeLine(before, drag.now, drag.grip.kind == MarkGrip::whole));
    emit pickChanged();
}

void EditorDocument::cancelMarkDrag()
{
    if (!m_markDrag)
        return;
    m_markDrag.reset();
    if (m_lift && !m_typing)
        putBack();
    emit pickChanged();
}

void EditorDocument::settle()
{
    cancelMarkDrag();
    if (m_lift && m_typing)
        cancelText();
}

void EditorDocument::putBack()
{
    if (!m_lift)
        return;
    const std::optional<QRect> area = m_image.reinsert(m_lift->index, m_lift->placed);
    if (!area) {
        // Kept out, and shown so: the next step tries again.
        console::writeLine("❌ Not enough memory to put the mark back");
        return;
    }
    m_lift.reset();
    emit imageChanged(*area);
    emit pickChanged();
}

// ---- edits of a picked mark

std::string EditorDocument::changeLine(const Mark &before, const Mark &after, bool moved) const
{
    if (moved) {
        const QPointF by = after.anchorBounds().topLeft() - before.anchorBounds().topLeft();
        return "✋ Moved " + markName(m_picked) + " by " + marks::formatPoint(by);
    }
    return "📏 Reshaped " + markName(m_picked) + ": " + pickedTool()->describe(after);
}

void EditorDocument::changePicked(const Mark &mark, bool isNudge, const std::string &line)
{
    Mark before;
    const std::optional<QRect> area = m_image.change(m_picked, mark, &before);
    if (!area) {
        console::writeLine("❌ Not enough memory to change the mark");
        return;
    }
    auto step = std::make_unique<MarkChanged>(m_image, m_picked, before, mark, isNudge);
    step->setChangedArea(*area);
    announce(m_history.keepDone(std::move(step)));
    emit imageChanged(*area);
    console::writeLine(line);
    emit pickChanged();
}

void EditorDocument::nudgePicked(const QPointF &by)
{
    if (m_picked < 0 || m_lift || m_markDrag)
        return;
    const Mark mark = marks().at(m_picked).mark;
    const Mark moved = draggedMark(mark, MarkGrip{MarkGrip::whole}, by, false, QSizeF(currentImage().size()));
    if (moved != mark)
        changePicked(moved, true, changeLine(mark, moved, true));
}

void EditorDocument::restylePicked(const std::function<void(RectangleStyle &)> &choice)
{
    if (m_picked < 0 || m_markDrag)
        return;
    if (m_lift) {
        // A text being typed again takes the choice as it is typed.
        if (m_typing) {
            RectangleStyle style = m_typed.style;
            choice(style);
            m_typed = textTool().restyled(m_typed, style, currentImage().size());
            emit typingChanged();
        }
        return;
    }
    const PlacedMark &placed = marks().at(m_picked);
    RectangleStyle style = placed.mark.style;
    choice(style);
    const Mark restyled = placed.tool->restyled(placed.mark, style, currentImage().size());
    if (restyled == placed.mark)
        return;
    const RectangleStyle &now = restyled.style;
    changePicked(restyled, false,
                 "🖌️ Restyled " + markName(m_picked) + ": colour " + now.color.name().toStdString() + ", width "
                     + console::formatDouble(now.lineWidth) + ", fill "
                     + (now.filled && now.solid ? std::string("solid") : onOff(now.filled)));
}

void EditorDocument::deletePicked()
{
    if (m_picked < 0 || m_lift || m_markDrag)
        return;
    const std::string name = markName(m_picked);
    PlacedMark removed;
    const std::optional<QRect> area = m_image.remove(m_picked, &removed);
    if (!area) {
        console::writeLine("❌ Not enough memory to change the mark");
        return;
    }
    announce(m_history.keepDone(std::make_unique<MarkRemoved>(m_image, m_picked, std::move(removed), *area)));
    m_picked = -1;
    emit imageChanged(*area);
    console::writeLine("🗑️ Deleted " + name);
    emit pickChanged();
}

bool EditorDocument::retypePicked()
{
    if (m_picked < 0 || m_lift || m_markDrag || pickedTool() != &textTool())
        return false;
    PlacedMark placed;
    const std::optional<QRect> area = m_image.remove(m_picked, &placed);
    if (!area)
        return false;
    m_typed = placed.mark;
    m_lift = Lift{m_picked, std::move(placed)};
    m_typing = true;
    emit imageChanged(*area);
    emit typingChanged();
    emit pickChanged();
    return true;
}

void EditorDocument::finishRetyping(const Mark &mark)
{
    const Mark before = m_lift->placed.mark;
    const int index = m_lift->index;
    if (mark == before)
        return putBack();
    if (!textTool().accepts(mark)) {
        // Emptied: the text goes, as a deletion.
        const std::string name = markName(index);
        PlacedMark removed = std::move(m_lift->placed);
        m_lift.reset();
        announce(m_history.keepDone(std::make_unique<MarkRemoved>(m_image, index, std::move(removed), QRect())));
        console::writeLine("🗑️ Deleted " + name);
        m_picked = -1;
        emit pickChanged();
        return;
    }
    const std::optional<QRect> area = m_image.insert(index, textTool(), mark);
    if (!area) {
        console::writeLine("❌ Not enough memory to change the mark");
        return putBack();
    }
    m_lift.reset();
    announce(m_history.keepDone(std::make_unique<MarkChanged>(m_image, index, before, mark)));
    emit imageChanged(*area);
    console::writeLine("✏️ Retyped " + markName(index) + ": " + textTool().describe(mark));
    emit pickChanged();
}

} // namespace pintora
