#pragma once

#include "core/document/Annotation.h"
#include "core/document/EditHistory.h"
#include "core/pixels/HugePages.h"
#include "core/tools/Tool.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>

namespace pintora {

// What the editor works on: the image, the selection, the drag mode, the
// rectangle style and the undo history. Everything that changes them goes
// through here, and every change is announced, so that widgets only show the
// document and send it requests.
//
// Rectangles are in pixel space (y up from the image's lower-left corner),
// except the areas of imageChanged(), which are in bitmap space.
class EditorDocument : public QObject
{
    Q_OBJECT

public:
    explicit EditorDocument(QObject *parent = nullptr);

    // The swatches' colours, each with the id its name goes by ("red", …),
    // in toolbar order.
    struct Swatch {
        QColor color;
        const char *id;
    };
    static QList<Swatch> palette();
    static QList<QColor> availableColors();
    static QList<double> availableLineWidths();

    const QImage &currentImage() const { return m_currentImage; }
    QRectF selectionRect() const { return m_selectionRect; }
    DrawMode drawMode() const { return m_drawMode; }
    const RectangleStyle &rectangleStyle() const { return m_rectangleStyle; }

    // The undo and redo steps; the editor follows their count.
    EditHistory *history() { return &m_history; }
    int undoCount() const { return m_history.undoCount(); }
    int redoCount() const { return m_history.redoCount(); }

    // Crop, Crop & Copy and Save need a selection with area in selection mode.
    bool canCrop() const;

    // Shows `image` with no selection; the history is left as it is.
    void setImage(const QImage &image);
    // Every assignment is announced, changed or not.
    void setSelectionRect(const QRectF &pixelRect);

    // A drag on the canvas, with positions already mapped onto the image.
    // `constrained` (Shift) snaps lines to 15° steps and makes boxes square.
    void press(DrawMode mode, const QPointF &pixel);
    void dragTo(const QPointF &pixel, bool constrained = false);
    void release();
    // Ends a drag without drawing or selecting anything.
    void cancelDrag();

    // The selection set by other means than a drag (a handle, a key, Select
    // All): each says its console line, as a drag's release does.
    void finishSelection(const QRectF &pixelRect);
    // The whole image, in selection mode.
    void selectAll();

    // The tool a right drag draws with: the blur while blurring, else the
    // shape tool chosen last.
    const Tool &currentTool() const;
    const Tool &shapeTool() const { return *m_shapeTool; }
    // What the drag under way would draw (pixel space): the tool's mark
    // with the current selection, style and next number.
    Mark currentMark() const;

    // Text being typed, placed by a click with the text tool: shown, not yet
    // in the pixels. A click anywhere or commitText() burns it in, as one
    // step; cancelText() drops it.
    bool isTyping() const { return m_typing; }
    Mark typedMark() const; // pixel space, in the current style
    void typeText(const QString &text);
    void eraseText(); // the last character
    void commitText();
    void cancelText();

    // A step that changes nothing (a mode switch). The steps to redo go,
    // unless `keepRedo`.
    void saveStateForUndo(bool keepRedo = false);
    void performUndo();
    void performRedo();

    // Burns `pixelRect` into the image in `style`, in place, as one undoable
    // step that keeps the pixels it overwrites. False, with the reason on
    // the console and nothing changed, when it cannot be done.
    bool drawRectangleOnImage(const QRectF &pixelRect, const RectangleStyle &style);
    // The same for any tool's mark (pixel space).
    bool drawMark(const Tool &tool, const Mark &mark);

    // The selected pixels as a new image, quietly; null without a selection
    // with area.
    QImage cutOutSelection() const;
    // The same, reporting the image, selection and crop rectangle before
    // the cut and the cut-out's size after it. Null as well when the cut
    // failed for want of memory, which sets `outOfMemory` and says so.
    QImage cropSelection(bool &outOfMemory);
    // The whole pixels of the selection on the image, reported as a crop is,
    // without cutting them out; empty when none are on it.
    QRect cropArea() const;
    // Replaces the image by the selected part of it.
    void crop();
    // Replaces the image by one from the clipboard, as one undoable step; a
    // null image changes nothing.
    void paste(const QImage &image);

    // Style choices; a colour also ends blur mode.
    void chooseColor(const QColor &color);
    void chooseBlur();
    void chooseTool(const Tool &tool);
    void chooseLineWidth(double width);
    void chooseFilled(bool filled);

signals:
    // `area` is what changed, in bitmap space; the whole image when it was
    // replaced.
    void imageChanged(const QRect &area);
    void selectionChanged(const QRectF &pixelRect);
    void drawModeChanged(DrawMode mode);
    void styleChanged();
    void typingChanged();

private:
    // A switch between selecting and drawing is a step of its own.
    void enterMode(DrawMode mode);
    struct BurnInPlan;
    BurnInPlan planBurnIn(const Tool &tool, const Mark &mark) const;
    static bool reportFailure(const BurnInPlan &plan);
    void burnIn(BurnInPlan &plan);

    // The snapshot line of a step about to be made.
    void announceStep();
    // Makes the changes `step` carries and keeps it as the newest to undo.
    void commit(std::unique_ptr<EditStep> step);
    void replaceImage(QImage image);
    void afterHistoryStep(const QRect &area, const char *line);
    // The crop's lines, its size among them only when `cutMade`; the area.
    QRect reportCrop(bool cutMade) const;

    QImage m_currentImage;
    QRectF m_selectionRect;
    DrawMode m_drawMode = DrawMode::selection;
    RectangleStyle m_rectangleStyle;
    const Tool *m_shapeTool; // the tool chosen last but the blur
    Mark m_drag; // of the drag under way
    Mark m_typed; // where the text goes and what it says so far
    bool m_typing = false;
    EditHistory m_history;
    // Where the pixels each burn-in keeps for undo are made; carving from
    // it changes nothing the document shows, so planning stays const.
    mutable PixelArena m_patches;
};

} // namespace pintora
