#include "editor/ImageEditorView.h"

#include "app/Console.h"
#include "canvas/CanvasGeometry.h"
#include "canvas/CanvasView.h"
#include "editor/EditorToolbar.h"
#include "editor/ImageExport.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>

ImageEditorView::ImageEditorView(const QImage &image, CropCallback onCrop, QWidget *parent)
    : QWidget(parent)
    , m_image(image)
    , m_onCrop(std::move(onCrop))
    , m_canvasView(new CanvasView(this))
    , m_rectColor(availableColors().first())
    , m_toolbar(new EditorToolbar(*this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_toolbar);
    column->addWidget(m_canvasView, 1);
    m_toolbar->hide();

    // Return, and Enter on the keypad, do Crop & Copy while it is possible.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (canCrop())
                performCrop(true);
        });
    }
    stateChanged();
}

QList<QColor> ImageEditorView::availableColors()
{
    return {
        QColor::fromRgbF(1, 0, 0),     QColor::fromRgbF(0, 1, 0),   QColor::fromRgbF(0, 0, 1),
        QColor::fromRgbF(1, 1, 0),     QColor::fromRgbF(1, 0.5, 0), QColor::fromRgbF(0.5, 0, 0.5),
        QColor::fromRgbF(0, 1, 1),     QColor::fromRgbF(1, 1, 1),
    };
}

QList<double> ImageEditorView::availableLineWidths()
{
    return {1.0, 3.0, 5.0};
}

bool ImageEditorView::canCrop() const
{
    return m_drawMode == DrawMode::selection && m_selectionRect.width() != 0 && m_selectionRect.height() != 0;
}

void ImageEditorView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only the first time: a window shown again keeps its edits.
    if (!m_hasAppeared) {
        m_hasAppeared = true;
        appear();
    }
}

void ImageEditorView::appear()
{
    if (m_image.isNull())
        return;
    m_currentImage = m_image;
    m_canvasView->setImage(m_image);
    m_canvasView->onSelectionChanged = [this](const QRectF &rect) {
        m_selectionRect = rect;
        stateChanged();
    };
    m_canvasView->onModeChanged = [this](DrawMode mode) {
        m_drawMode = mode;
        stateChanged();
    };
    m_canvasView->saveStateForUndo = [this] { saveStateForUndo(); };
    m_canvasView->rectangleStyle.color = m_rectColor;
    m_canvasView->rectangleStyle.lineWidth = m_lineWidth;
    m_canvasView->rectangleStyle.filled = m_filled;
    m_canvasView->rectangleStyle.isBlur = false;
    stateChanged();
}

void ImageEditorView::stateChanged()
{
    m_toolbar->setVisible(!m_currentImage.isNull());
    m_toolbar->refresh();
}

// ---- undo history

void ImageEditorView::saveStateForUndo()
{
    const QImage image = m_canvasView->currentImage();
    if (image.isNull())
        return;
    m_undoStack.append(image);
    m_redoStack.clear();
    console::writeLine("💾 State saved for undo (stack size: " + std::to_string(m_undoStack.size()) + ")");
    stateChanged();
}

void ImageEditorView::performUndo()
{
    if (stepThroughHistory(m_undoStack, m_redoStack))
        console::writeLine("↶ Undo performed" + historyCounts());
}

void ImageEditorView::performRedo()
{
    if (stepThroughHistory(m_redoStack, m_undoStack))
        console::writeLine("↷ Redo performed" + historyCounts());
}

bool ImageEditorView::stepThroughHistory(QList<QImage> &from, QList<QImage> &to)
{
    if (from.isEmpty())
        return false;
    // Straight onto the other stack: this is no snapshot, so nothing is forgotten.
    if (!m_canvasView->currentImage().isNull())
        to.append(m_canvasView->currentImage());
    m_canvasView->setImage(from.takeLast());
    stateChanged();
    return true;
}

std::string ImageEditorView::historyCounts() const
{
    return " (undo stack: " + std::to_string(m_undoStack.size()) + ", redo stack: "
        + std::to_string(m_redoStack.size()) + ")";
}

// ---- actions

QImage ImageEditorView::cutOutSelection(bool report)
{
    const QImage image = m_canvasView->currentImage();
    if (image.isNull())
        return {};
    const QRectF selection = m_canvasView->selectionRect();
    if (!(selection.width() > 0) || !(selection.height() > 0))
        return {};
    const QRectF cropRect = geometry::bitmapRectFromPixel(selection, image.height());
    if (report) {
        console::writeLine("📐 Image: " + console::formatPixelSize(image.size()) + " px");
        console::writeLine("📐 Selection: " + console::formatRect(selection));
        console::writeLine("📐 Crop rect (flipped Y): " + console::formatRect(cropRect));
    }
    return cutOut(image, cropRect);
}

void ImageEditorView::performCrop(bool copyAndClose)
{
    const QImage cropped = cutOutSelection(true);
    if (cropped.isNull()) {
        if (copyAndClose && m_onCrop)
            m_onCrop(QImage());
        return;
    }
    console::writeLine("✅ Cropped to: " + console::formatPixelSize(cropped.size()) + " px");
    if (copyAndClose) {
        if (m_onCrop)
            m_onCrop(cropped);
        return;
    }
    m_currentImage = cropped;
    m_canvasView->setImage(cropped);
    console::writeLine("🔄 New image on canvas");
    stateChanged();
}

void ImageEditorView::saveCroppedToFile()
{
    const QImage cropped = cutOutSelection(false);
    if (cropped.isNull())
        return;

    // A sheet on the editor while it is the active window, a window of its own otherwise.
    auto *dialog = new QFileDialog(isActiveWindow() ? window() : nullptr, QStringLiteral("Save Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog follows the app's dark palette and has room for the message.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("PNG image (*.png)"));
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("File name:"));
    dialog->selectFile(QStringLiteral("cropped_image.png"));
    if (auto *grid = qobject_cast<QGridLayout *>(dialog->layout())) {
        auto *message = new QLabel(QStringLiteral("Choose a location to save the PNG file"), dialog);
        message->setObjectName(QStringLiteral("saveMessage"));
        grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());
    }
    // The cut-out is taken now: edits made while the dialog is open are not saved.
    connect(dialog, &QFileDialog::finished, dialog, [dialog, cropped](int result) {
        if (result != QDialog::Accepted)
            return;
        const QStringList files = dialog->selectedFiles();
        if (files.isEmpty() || files.first().isEmpty())
            return;
        saveImageAsPng(cropped, files.first());
    });
    dialog->open();
}

void ImageEditorView::copyFullImageToClipboard()
{
    const QImage image = m_canvasView->currentImage();
    if (image.isNull()) {
        console::writeLine("⚠️ No source image");
        return;
    }
    putImageOnClipboard(image);
    console::writeLine("✅ Full image copied to clipboard (" + console::formatPixelSize(image.size()) + "px)");
}

void ImageEditorView::pasteNewImage()
{
    const QImage image = imageFromClipboard();
    if (image.isNull()) {
        console::writeLine("⚠️ No image on clipboard");
        return;
    }
    m_currentImage = image;
    m_canvasView->setImage(image);
    m_canvasView->setSelectionRect(QRectF());
    m_selectionRect = QRectF();
    m_undoStack.clear();
    m_redoStack.clear();
    console::writeLine("✅ New image pasted from clipboard");
    stateChanged();
}

// ---- style

void ImageEditorView::chooseColor(const QColor &color)
{
    m_rectColor = color;
    m_canvasView->rectangleStyle.color = color;
    m_canvasView->rectangleStyle.isBlur = false;
    m_isBlurMode = false;
    stateChanged();
}

void ImageEditorView::chooseBlur()
{
    m_isBlurMode = true;
    m_canvasView->rectangleStyle.isBlur = true;
    stateChanged();
}

void ImageEditorView::chooseLineWidth(double width)
{
    if (width == m_lineWidth)
        return;
    m_lineWidth = width;
    m_canvasView->rectangleStyle.lineWidth = width;
    stateChanged();
}

void ImageEditorView::chooseFilled(bool filled)
{
    if (filled == m_filled)
        return;
    m_filled = filled;
    m_canvasView->rectangleStyle.filled = filled;
    stateChanged();
}
