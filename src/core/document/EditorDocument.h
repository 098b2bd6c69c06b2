#pragma once

#include "core/document/Annotation.h"
#include "core/document/EditHistory.h"
#include "core/document/MarkGrip.h"
#include "core/document/MarkedImage.h"
#include "core/tools/Tool.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>

#include <functional>
#include <optional>

namespace pintora {

// What the editor works on: the image with the marks burned into it, the
// selection, the drag mode, the style, the mark picked and the undo
// history. Everything that changes them goes through here, and every change
// is announced, so that widgets only show the document and send it requests.
//
// Rectangles and points are in pixel space (y up from the image's lower-left
// corner), except the areas of imageChanged(), which are in bitmap space.
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

    // The base image with every mark burned in: what is shown and exported.
    const QImage &currentImage() const { return m_image.image(); }
    // The marks burned since the image was last replaced, in order.
    const MarkList &marks() const { return m_image.marks(); }
    QRectF selectionRect() const { return m_selectionRect; }
    DrawMode drawMode() const { return m_drawMode; }
    const RectangleStyle &rectangleStyle() const { return m_rectangleStyle; }

    // The undo and redo steps; the editor follows their count.
    EditHistory *history() { return &m_history; }
    int undoCount() const { return m_history.undoCount(); }
    int redoCount() const { return m_history.redoCount(); }

    // Crop, Crop & Copy and Save need a selection with area in selection mode.
    bool canCrop() const;

    // Shows `image` with no selection and no marks; the history is left as
    // it is.
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
    // No selection any more; nothing when there is none.
    void dropSelection();

    // The tool a right drag draws with: the blur while blurring, else the
    // shape tool chosen last.
    const Tool &currentTool() const;
    const Tool &shapeTool() const { return *m_shapeTool; }
    // What the drag under way would draw (pixel space): the tool's mark
    // with the current selection, style and next number.
    Mark currentMark() const;

    // Text being typed, placed by a click with the text tool or a picked
    // text opened again: shown, not yet in the pixels. A click anywhere or
    // commitText() burns it in, as one step; cancelText() drops it (a text
    // opened again goes back as it was).
    bool isTyping() const { return m_typing; }
    Mark typedMark() const; // pixel space, in the current style
    void typeText(const QString &text);
    void eraseText(); // the last character
    void commitText();
    void cancelText();

    // ---- marks once drawn: a left click picks one, which can then be
    // moved, reshaped, restyled, deleted or, a text, typed again; each edit
    // one step.

    // The topmost mark within `reach` pixels of `pixel`; -1 for none.
    int markAt(const QPointF &pixel, double reach) const;
    // Picks the mark at `index`; -1 drops the pick.
    void pick(int index);
    int pickedIndex() const { return m_picked; }
    // The picked mark's tool and geometry as shown: while it is dragged,
    // where the drag has it.
    const Tool *pickedTool() const;
    Mark pickedMark() const;
    // Whether the picked mark is out of the pixels while it is dragged,
    // shown by its tool's preview instead.
    bool isMarkLifted() const { return m_lift.has_value(); }
    // What of the picked mark a press at `pixel` takes.
    MarkGrip gripAt(const QPointF &pixel, double reach) const;
    // A drag of the picked mark by `grip` from `pixel` on: the mark leaves
    // the pixels once it moves, and goes back changed at releaseMark(), as
    // it was at cancelMarkDrag().
    void grabMark(const MarkGrip &grip, const QPointF &pixel);
    void dragMarkTo(const QPointF &pixel, bool constrained = false);
    void releaseMark();
    void cancelMarkDrag();
    bool isDraggingMark() const { return m_markDrag.has_value(); }
    // The picked mark moved by `by` pixels (the arrow keys).
    void nudgePicked(const QPointF &by);
    void deletePicked();
    // Opens the picked text for typing; false when the pick is no text.
    bool retypePicked();

    // A step that changes nothing (a mode switch). The steps to redo go,
    // unless `keepRedo`.
    void saveStateForUndo(bool keepRedo = false);
    void performUndo();
    void performRedo();

    // Burns `pixelRect` into the image in `style`, as one undoable step
    // that keeps the pixels it overwrites. False, with the reason on the
    // console and nothing changed, when it cannot be done.
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
    // The same for an image dropped on the editor.
    void dropImage(const QImage &image);

    // Style choices, which also restyle the picked mark; a colour also ends
    // blur mode.
    void chooseColor(const QColor &color);
    void chooseBlur();
    void chooseTool(const Tool &tool);
    void chooseLineWidth(double width);
    // A fill that is `solid` is opaque, else a tint.
    void chooseFill(bool filled, bool solid);

signals:
    // `area` is what changed, in bitmap space; the whole image when it was
    // replaced.
    void imageChanged(const QRect &area);
    void selectionChanged(const QRectF &pixelRect);
    void drawModeChanged(DrawMode mode);
    void styleChanged();
    void typingChanged();
    // The pick, or the picked mark as shown, changed.
    void pickChanged();

private:
    // A switch between selecting and drawing is a step of its own.
    void enterMode(DrawMode mode);
    // Says the snapshot line of a step that went in as a step of its own;
    // whether it went in at all.
    bool announce(EditHistory::Kept kept);
    void replaceImage(QImage image);
    void afterHistoryStep(const QRect &area, const char *line);
    // The crop's lines, its size among them only when `cutMade`; the area.
    QRect reportCrop(bool cutMade) const;
    // The picked mark with its style changed by `choice`, as one step;
    // nothing when it stays the same.
    void restylePicked(const std::function<void(RectangleStyle &)> &choice);
    // The picked mark changed into `mark` as one step, with its `line`.
    void changePicked(const Mark &mark, bool isNudge, const std::string &line);
    // "✋ Moved mark 2 (arrow) by (x, y)", or the reshape's line.
    std::string changeLine(const Mark &before, const Mark &after, bool moved) const;
    // "mark 2 (arrow)".
    std::string markName(int index) const;
    // Puts a lifted mark back as it was.
    void putBack();
    // Before a step of the history or a new image: a mark being dragged or
    // typed again goes back as it was, so that the list is whole.
    void settle();
    // A text typed again goes back changed, as one step (emptied, it goes).
    void finishRetyping(const Mark &mark);

    MarkedImage m_image;
    QRectF m_selectionRect;
    DrawMode m_drawMode = DrawMode::selection;
    RectangleStyle m_rectangleStyle;
    const Tool *m_shapeTool; // the tool chosen last but the blur
    Mark m_drag; // of the drag under way
    Mark m_typed; // where the text goes and what it says so far
    bool m_typing = false;
    int m_picked = -1;
    // A picked mark out of the pixels, while it is dragged or typed again.
    struct Lift {
        int index;
        PlacedMark placed;
    };
    std::optional<Lift> m_lift;
    struct MarkDrag {
        MarkGrip grip;
        QPointF from;
        Mark now; // pixel space
    };
    std::optional<MarkDrag> m_markDrag;
    EditHistory m_history;
};

} // namespace pintora
