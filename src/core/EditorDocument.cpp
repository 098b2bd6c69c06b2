#include "core/EditorDocument.h"

#include "core/BurnIn.h"
#include "core/Console.h"
#include "core/Geometry.h"
#include "core/ImageExport.h"

#include <string>
#include <utility>

namespace pintora {

EditorDocument::EditorDocument(QObject *parent)
    : QObject(parent)
{
}

QList<QColor> EditorDocument::availableColors()
{
    return {
        QColor::fromRgbF(1, 0, 0),     QColor::fromRgbF(0, 1, 0),   QColor::fromRgbF(0, 0, 1),
        QColor::fromRgbF(1, 1, 0),     QColor::fromRgbF(1, 0.5, 0), QColor::fromRgbF(0.5, 0, 0.5),
        QColor::fromRgbF(0, 1, 1),     QColor::fromRgbF(1, 1, 1),
    };
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
    if (mode != m_drawMode) {
        saveStateForUndo();
        m_drawMode = mode;
        emit drawModeChanged(mode);
    }
    if (m_drawMode == DrawMode::selection)
        setSelectionRect(QRectF(pixel, QSizeF(0, 0)));
}

void EditorDocument::release()
{
    if (m_drawMode == DrawMode::rectangle && geometry::hasArea(m_selectionRect)) {
        saveStateForUndo();
        drawRectangleOnImage(m_selectionRect, m_rectangleStyle);
        setSelectionRect(QRectF());
    } else {
        console::writeLine("✅ Selection (pixels): " + console::formatRect(m_selectionRect));
    }
}

// ---- history

EditStep *EditorDocument::step(int index)
{
    // The stack hands out its commands read-only; they are ours, and all EditSteps.
    return static_cast<EditStep *>(const_cast<QUndoCommand *>(m_history.command(index)));
}

void EditorDocument::saveStateForUndo()
{
    if (m_currentImage.isNull())
        return;
    // Drops the steps that could be redone, as a new snapshot always has.
    m_history.push(new EditStep(m_currentImage));
    console::writeLine("💾 State saved for undo (stack size: " + std::to_string(undoCount()) + ")");
}

void EditorDocument::recordChange(const ImageEdit &edit)
{
    const int index = m_history.index();
    // Undoing the newest step also takes this change back ...
    if (index > 0)
        step(index - 1)->add(edit);
    // ... and redoing the next one starts from the image as it is now.
    if (index < m_history.count())
        step(index)->addFirst(edit);
}

void EditorDocument::performUndo()
{
    if (!m_history.canUndo())
        return;
    m_history.undo();
    afterHistoryStep(step(m_history.index())->changedArea(), "↶ Undo performed");
}

void EditorDocument::performRedo()
{
    if (!m_history.canRedo())
        return;
    m_history.redo();
    afterHistoryStep(step(m_history.index() - 1)->changedArea(), "↷ Redo performed");
}

void EditorDocument::afterHistoryStep(const QRect &area, const char *line)
{
    if (!area.isEmpty())
        emit imageChanged(area);
    setSelectionRect(QRectF());
    console::writeLine(std::string(line) + " (undo stack: " + std::to_string(undoCount())
                       + ", redo stack: " + std::to_string(redoCount()) + ")");
}

// ---- burn-in

void EditorDocument::drawRectangleOnImage(const QRectF &pixelRect, const RectangleStyle &style)
{
    if (m_currentImage.isNull()) {
        console::writeLine("❌ No image to draw on");
        return;
    }
    // Pixels of its own, in a format that can hold the colours: a conversion
    // replaces the image (and is undone as a whole); an image still shared
    // with the clipboard intake is copied once.
    QImage unconverted;
    const QImage::Format format = editableFormat(m_currentImage);
    if (format != m_currentImage.format() || !m_currentImage.isDetached()) {
        QImage own = format != m_currentImage.format() ? m_currentImage.convertToFormat(format) : m_currentImage.copy();
        if (own.isNull()) {
            console::writeLine("❌ Failed to create context");
            return;
        }
        if (format != m_currentImage.format())
            unconverted = m_currentImage;
        m_currentImage = std::move(own);
    }
    const auto restore = [&] {
        if (!unconverted.isNull())
            m_currentImage = std::move(unconverted);
    };

    const QRectF rect = geometry::bitmapRectFromPixel(pixelRect, m_currentImage.height());
    const QRect area = burnInArea(rect, style, m_currentImage.size());
    ImageEdit edit{area, m_currentImage.copy(area)};
    if (edit.pixels.isNull() && !area.isEmpty()) {
        restore();
        console::writeLine("❌ Failed to create context");
        return;
    }
    console::writeLine("🎨 Drawing ON image: rect=" + console::formatRect(pixelRect));

    if (style.isBlur) {
        const QRect cut = geometry::pixelCut(rect, m_currentImage.size());
        if (cut.isEmpty()) {
            restore();
            console::writeLine("❌ Cannot crop blurred region");
            return;
        }
        // Taken before painting: the patch is made from the untouched image.
        const QImage patch = blurPatch(m_currentImage, cut, blurSigma);
        if (patch.isNull()) {
            restore();
            console::writeLine("❌ Cannot convert blurred image");
            return;
        }
        paintPatch(m_currentImage, patch, rect, area);
    } else {
        paintBox(m_currentImage, rect, style, area);
    }

    if (!unconverted.isNull())
        recordChange(ImageEdit{QRect(), unconverted});
    recordChange(edit);
    emit imageChanged(unconverted.isNull() ? area : m_currentImage.rect());
    console::writeLine("✅ Rectangle drawn on image!");
}

// ---- crop and paste

QImage EditorDocument::cutOutSelection() const
{
    if (m_currentImage.isNull() || !geometry::hasArea(m_selectionRect))
        return {};
    return cutOut(m_currentImage, geometry::bitmapRectFromPixel(m_selectionRect, m_currentImage.height()));
}

QImage EditorDocument::cropSelection()
{
    if (m_currentImage.isNull() || !geometry::hasArea(m_selectionRect))
        return {};
    const QRectF cropRect = geometry::bitmapRectFromPixel(m_selectionRect, m_currentImage.height());
    console::writeLine("📐 Image: " + console::formatPixelSize(m_currentImage.size()) + " px");
    console::writeLine("📐 Selection: " + console::formatRect(m_selectionRect));
    console::writeLine("📐 Crop rect (flipped Y): " + console::formatRect(cropRect));
    const QImage cropped = cutOut(m_currentImage, cropRect);
    if (!cropped.isNull())
        console::writeLine("✅ Cropped to: " + console::formatPixelSize(cropped.size()) + " px");
    return cropped;
}

void EditorDocument::crop()
{
    const QImage cropped = cropSelection();
    if (cropped.isNull())
        return;
    replaceImage(cropped);
    console::writeLine("🔄 New image on canvas");
}

void EditorDocument::replaceImage(const QImage &image)
{
    // The old image is kept by reference: replacing costs no copy.
    recordChange(ImageEdit{QRect(), m_currentImage});
    setImage(image);
}

void EditorDocument::paste(const QImage &image)
{
    if (image.isNull()) {
        console::writeLine("⚠️ No image on clipboard");
        return;
    }
    setImage(image);
    setSelectionRect(QRectF());
    m_history.clear();
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
