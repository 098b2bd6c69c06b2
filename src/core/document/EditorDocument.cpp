#include "core/document/EditorDocument.h"

#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/pixels/BurnIn.h"
#include "core/pixels/GaussianBlur.h"
#include "core/png/ImageExport.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"

#include <cmath>
#include <string>
#include <utility>

namespace pintora {

EditorDocument::EditorDocument(QObject *parent)
    : QObject(parent)
    , m_shapeTool(&boxTool())
{
}

QList<EditorDocument::Swatch> EditorDocument::palette()
{
    return {
        {QColor::fromRgbF(1, 0, 0), "red"},      {QColor::fromRgbF(0, 1, 0), "green"},
        {QColor::fromRgbF(0, 0, 1), "blue"},     {QColor::fromRgbF(1, 1, 0), "yellow"},
        {QColor::fromRgbF(1, 0.5, 0), "orange"}, {QColor::fromRgbF(0.5, 0, 0.5), "purple"},
        {QColor::fromRgbF(0, 1, 1), "cyan"},     {QColor::fromRgbF(1, 1, 1), "white"},
    };
}

QList<QColor> EditorDocument::availableColors()
{
    QList<QColor> colors;
    for (const Swatch &swatch : palette())
        colors.append(swatch.color);
    return colors;
}

QList<double> EditorDocument::availableLineWidths()
{
    return {1.0, 3.0, 5.0};
}

bool EditorDocument::canCrop() const
{
    return m_drawMode == DrawMode::selection && geometry::hasArea(m_selectionRect);
}

void EditorDocument::setImage(const QImage &image)
{
    m_currentImage = image;
    // The document counts in pixels; a painter would scale by the ratio.
    m_currentImage.setDevicePixelRatio(1.0);
    // The first burn-in's undo pixels then find their memory in place.
    if (!m_currentImage.isNull())
        m_patches.prepare();
    emit imageChanged(m_currentImage.rect());
    setSelectionRect(QRectF());
}

void EditorDocument::setSelectionRect(const QRectF &pixelRect)
{
    m_selectionRect = pixelRect;
    emit selectionChanged(m_selectionRect);
}

// ---- dragging

void EditorDocument::press(DrawMode mode, const QPointF &pixel)
{
    // A click elsewhere ends the typing.
    commitText();
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
    if (m_drawMode == DrawMode::rectangle && &tool == &textTool() && !m_currentImage.isNull()) {
        m_typed = mark;
        m_typing = true;
        setSelectionRect(QRectF());
        emit typingChanged();
    } else if (m_drawMode == DrawMode::rectangle && tool.accepts(mark.inBitmap(m_currentImage.height()))) {
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
    if (m_currentImage.isNull())
        return;
    commitText();
    enterMode(DrawMode::selection);
    finishSelection(QRectF(QPointF(0, 0), QSizeF(m_currentImage.size())));
}

void EditorDocument::cancelDrag()
{
    m_drag = Mark{};
    setSelectionRect(QRectF());
}

Mark EditorDocument::typedMark() const
{
    Mark mark = m_typed;
    mark.style = m_rectangleStyle;
    mark.textSize = TextLayout::sizeFor(m_rectangleStyle.lineWidth, m_currentImage.size());
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
    if (textTool().accepts(mark))
        drawMark(textTool(), mark);
    emit typingChanged();
}

void EditorDocument::cancelText()
{
    if (!std::exchange(m_typing, false))
        return;
    m_typed = Mark{};
    emit typingChanged();
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

// ---- history

void EditorDocument::saveStateForUndo(bool keepRedo)
{
    if (m_currentImage.isNull())
        return;
    m_history.push(std::make_unique<EditStep>(m_currentImage), keepRedo);
    console::writeLine("💾 State saved for undo (stack size: " + std::to_string(undoCount()) + ")");
}

void EditorDocument::announceStep()
{
    // Said as a snapshot has always been said, before the change it keeps.
    console::writeLine("💾 State saved for undo (stack size: " + std::to_string(undoCount() + 1) + ")");
}

void EditorDocument::commit(std::unique_ptr<EditStep> step)
{
    EditStep &done = *step;
    m_history.push(std::move(step));
    const QRect area = done.changedArea();
    if (!area.isEmpty())
        emit imageChanged(area);
}

void EditorDocument::performUndo()
{
    if (const EditStep *undone = m_history.undo())
        afterHistoryStep(undone->changedArea(), "↶ Undo performed");
}

void EditorDocument::performRedo()
{
    if (const EditStep *redone = m_history.redo())
        afterHistoryStep(redone->changedArea(), "↷ Redo performed");
}

void EditorDocument::afterHistoryStep(const QRect &area, const char *line)
{
    if (!area.isEmpty())
        emit imageChanged(area);
    setSelectionRect(QRectF());
    console::writeLine(std::string(line) + " (undo stack: " + std::to_string(undoCount())
                       + ", redo stack: " + std::to_string(redoCount()) + ")");
}

// ---- crop and paste

QImage EditorDocument::cutOutSelection() const
{
    if (m_currentImage.isNull() || !geometry::hasArea(m_selectionRect))
        return {};
    return cutOut(m_currentImage, geometry::bitmapRectFromPixel(m_selectionRect, m_currentImage.height()));
}

QRect EditorDocument::reportCrop(bool cutMade) const
{
    if (m_currentImage.isNull() || !geometry::hasArea(m_selectionRect))
        return {};
    const QRectF cropRect = geometry::bitmapRectFromPixel(m_selectionRect, m_currentImage.height());
    console::writeLine("📐 Image: " + console::formatPixelSize(m_currentImage.size()) + " px");
    console::writeLine("📐 Selection: " + console::formatRect(m_selectionRect));
    console::writeLine("📐 Crop rect (flipped Y): " + console::formatRect(cropRect));
    const QRect area = geometry::pixelCut(cropRect, m_currentImage.size());
    if (cutMade && !area.isEmpty())
        console::writeLine("✅ Cropped to: " + console::formatPixelSize(area.size()) + " px");
    return area;
}

QRect EditorDocument::cropArea() const
{
    return reportCrop(true);
}

QImage EditorDocument::cropSelection(bool &outOfMemory)
{
    outOfMemory = false;
    const QRect area = reportCrop(false);
    if (area.isEmpty())
        return {};
    QImage cropped = hugePageCopy(m_currentImage, area);
    // Nothing of the selection on the image is no failure; a cut that could
    // not be allocated is.
    if (cropped.isNull()) {
        outOfMemory = true;
        console::writeLine("❌ Failed to crop image: not enough memory");
        return {};
    }
    cropped.setDevicePixelRatio(1.0);
    console::writeLine("✅ Cropped to: " + console::formatPixelSize(cropped.size()) + " px");
    return cropped;
}

void EditorDocument::crop()
{
    bool outOfMemory = false;
    const QImage cropped = cropSelection(outOfMemory);
    if (cropped.isNull())
        return;
    // Like every other change of the image, a crop can be undone.
    replaceImage(cropped);
    console::writeLine("🔄 New image on canvas");
}

void EditorDocument::replaceImage(QImage image)
{
    // The old image is kept by reference: replacing costs no copy.
    announceStep();
    image.setDevicePixelRatio(1.0);
    auto step = std::make_unique<EditStep>(m_currentImage);
    step->add(ImageEdit{QRect(), std::move(image)});
    commit(std::move(step));
    setSelectionRect(QRectF());
}

void EditorDocument::paste(const QImage &image)
{
    if (image.isNull()) {
        console::writeLine("⚠️ No image on clipboard");
        return;
    }
    // One step like any other: Undo brings back the image it replaced,
    // with its boxes, and the history before it stays.
    replaceImage(image);
    console::writeLine("✅ New image pasted from clipboard");
}

// ---- style

void EditorDocument::chooseColor(const QColor &color)
{
    m_rectangleStyle.color = color;
    m_rectangleStyle.isBlur = false;
    emit styleChanged();
}

void EditorDocument::chooseBlur()
{
    m_rectangleStyle.isBlur = true;
    emit styleChanged();
}

void EditorDocument::chooseTool(const Tool &tool)
{
    if (&tool == &blurTool())
        return chooseBlur();
    m_shapeTool = &tool;
    m_rectangleStyle.isBlur = false;
    emit styleChanged();
}

void EditorDocument::chooseLineWidth(double width)
{
    if (width == m_rectangleStyle.lineWidth)
        return;
    m_rectangleStyle.lineWidth = width;
    emit styleChanged();
}

void EditorDocument::chooseFilled(bool filled)
{
    if (filled == m_rectangleStyle.filled)
        return;
    m_rectangleStyle.filled = filled;
    emit styleChanged();
}

} // namespace pintora
