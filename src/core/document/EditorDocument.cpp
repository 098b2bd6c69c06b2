#include "core/document/EditorDocument.h"

#include "core/Console.h"
#include "core/document/MarkSteps.h"
#include "core/geometry/Geometry.h"
#include "core/pixels/HugePages.h"
#include "core/png/ImageExport.h"
#include "core/tools/Tools.h"

#include <string>
#include <utility>

// The document's image, selection, history, crop and paste, and style; the
// drags are in DocumentDrag.cpp, the marks once drawn in DocumentMarks.cpp.
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
    QImage shown = image;
    // The document counts in pixels; a painter would scale by the ratio.
    shown.setDevicePixelRatio(1.0);
    settle();
    pick(-1);
    MarkedImage fresh(std::move(shown));
    m_image.swap(fresh);
    emit imageChanged(currentImage().rect());
    setSelectionRect(QRectF());
}

void EditorDocument::setSelectionRect(const QRectF &pixelRect)
{
    m_selectionRect = pixelRect;
    emit selectionChanged(m_selectionRect);
}

// ---- history

bool EditorDocument::announce(EditHistory::Kept kept)
{
    // Said as a snapshot has always been said, for each step of its own.
    if (kept == EditHistory::Kept::asStep)
        console::writeLine("💾 State saved for undo (stack size: " + std::to_string(undoCount()) + ")");
    return kept != EditHistory::Kept::failed;
}

void EditorDocument::saveStateForUndo(bool keepRedo)
{
    if (currentImage().isNull())
        return;
    announce(m_history.push(std::make_unique<EditStep>(), keepRedo));
}

void EditorDocument::performUndo()
{
    settle();
    pick(-1);
    if (undoCount() == 0)
        return;
    if (const EditStep *undone = m_history.undo())
        afterHistoryStep(undone->changedArea(), "↶ Undo performed");
    else
        console::writeLine("❌ Undo failed: not enough memory");
}

void EditorDocument::performRedo()
{
    settle();
    pick(-1);
    if (redoCount() == 0)
        return;
    if (const EditStep *redone = m_history.redo())
        afterHistoryStep(redone->changedArea(), "↷ Redo performed");
    else
        console::writeLine("❌ Redo failed: not enough memory");
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
    if (currentImage().isNull() || !geometry::hasArea(m_selectionRect))
        return {};
    return cutOut(currentImage(), geometry::bitmapRectFromPixel(m_selectionRect, currentImage().height()));
}

QRect EditorDocument::reportCrop(bool cutMade) const
{
    const QImage &image = currentImage();
    if (image.isNull() || !geometry::hasArea(m_selectionRect))
        return {};
    const QRectF cropRect = geometry::bitmapRectFromPixel(m_selectionRect, image.height());
    console::writeLine("📐 Image: " + console::formatPixelSize(image.size()) + " px");
    console::writeLine("📐 Selection: " + console::formatRect(m_selectionRect));
    console::writeLine("📐 Crop rect (flipped Y): " + console::formatRect(cropRect));
    const QRect area = geometry::pixelCut(cropRect, image.size());
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
    QImage cropped = hugePageCopy(currentImage(), area);
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
    // Like every other change of the image, a crop can be undone. What it
    // keeps of the marks is their pixels.
    replaceImage(cropped);
    console::writeLine("🔄 New image on canvas");
}

void EditorDocument::replaceImage(QImage image)
{
    settle();
    pick(-1);
    image.setDevicePixelRatio(1.0);
    // The old image and its marks are kept whole by the step: replacing
    // costs no copy.
    announce(m_history.push(std::make_unique<ImageReplaced>(m_image, MarkedImage(std::move(image)))));
    emit imageChanged(currentImage().rect());
    setSelectionRect(QRectF());
}

void EditorDocument::paste(const QImage &image)
{
    if (image.isNull()) {
        console::writeLine("⚠️ No image on clipboard");
        return;
    }
    // One step like any other: Undo brings back the image it replaced,
    // with its marks, and the history before it stays.
    replaceImage(image);
    console::writeLine("✅ New image pasted from clipboard");
}

void EditorDocument::dropImage(const QImage &image)
{
    if (image.isNull())
        return;
    replaceImage(image);
    console::writeLine("✅ New image dropped on the editor");
}

// ---- style

void EditorDocument::chooseColor(const QColor &color)
{
    m_rectangleStyle.color = color;
    m_rectangleStyle.isBlur = false;
    emit styleChanged();
    restylePicked([&color](RectangleStyle &style) { style.color = color; });
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
    const bool same = width == m_rectangleStyle.lineWidth;
    m_rectangleStyle.lineWidth = width;
    if (!same)
        emit styleChanged();
    restylePicked([width](RectangleStyle &style) { style.lineWidth = width; });
}

void EditorDocument::chooseFill(bool filled, bool solid)
{
    solid = filled && solid;
    const bool same = filled == m_rectangleStyle.filled && solid == m_rectangleStyle.solid;
    m_rectangleStyle.filled = filled;
    m_rectangleStyle.solid = solid;
    if (!same)
        emit styleChanged();
    restylePicked([filled, solid](RectangleStyle &style) {
        style.filled = filled;
        style.solid = solid;
    });
}

} // namespace pintora
