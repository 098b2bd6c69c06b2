#pragma once

#include "canvas/Annotation.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <string>

class CanvasView;
class EditorToolbar;

// The content of the editor window: the toolbar row above the canvas, the
// editor's copies of the canvas's selection and mode, the drawing style, the
// undo history and the actions on the image.
class ImageEditorView : public QWidget
{
public:
    // Receives the cut-out of Crop & Copy; a null image when there was none.
    using CropCallback = std::function<void(const QImage &cropped)>;

    // `image` may be null: the editor then shows only the no-image message.
    ImageEditorView(const QImage &image, CropCallback onCrop, QWidget *parent = nullptr);

    static QList<QColor> availableColors();
    static QList<double> availableLineWidths();

    CanvasView *canvasView() const { return m_canvasView; }

    // State, read by the toolbar and by tests.
    const QImage &currentImage() const { return m_currentImage; }
    QRectF selectionRect() const { return m_selectionRect; }
    DrawMode drawMode() const { return m_drawMode; }
    QColor rectColor() const { return m_rectColor; }
    double lineWidth() const { return m_lineWidth; }
    bool filled() const { return m_filled; }
    bool isBlurMode() const { return m_isBlurMode; }
    const QList<QImage> &undoStack() const { return m_undoStack; }
    const QList<QImage> &redoStack() const { return m_redoStack; }

    // Crop, Crop & Copy and Save need a selection of some size in selection mode.
    bool canCrop() const;

    // Undo history.
    void saveStateForUndo();
    void performUndo();
    void performRedo();

    // Actions.
    void performCrop(bool copyAndClose);
    void saveCroppedToFile();
    void copyFullImageToClipboard();
    void pasteNewImage();

    // Style choices of the toolbar; each reaches the canvas at once.
    void chooseColor(const QColor &color);
    void chooseBlur();
    void chooseLineWidth(double width);
    void chooseFilled(bool filled);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void appear();
    // Undo and redo: the newest image of `from` comes back, the shown one goes onto `to`.
    bool stepThroughHistory(QList<QImage> &from, QList<QImage> &to);
    std::string historyCounts() const;
    QImage cutOutSelection(bool report);
    // Brings the toolbar in line with the state; called after every change.
    void stateChanged();

    const QImage m_image;
    const CropCallback m_onCrop;
    CanvasView *m_canvasView;
    QImage m_currentImage;
    QRectF m_selectionRect;
    DrawMode m_drawMode = DrawMode::selection;
    QColor m_rectColor;
    double m_lineWidth = 3.0;
    bool m_filled = false;
    bool m_isBlurMode = false;
    QList<QImage> m_undoStack; // oldest first
    QList<QImage> m_redoStack; // oldest first

    EditorToolbar *m_toolbar;
    bool m_hasAppeared = false;
};
