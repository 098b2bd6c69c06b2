#pragma once

#include "ui/Clipboard.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QAction;

namespace pintora {

class CanvasView;
class KeysOverlay;
class EditorDocument;
class EditorToolbar;
struct RecognizedText;

// The content of the editor window: the toolbar row above the canvas, both
// showing one document, and the editor's commands as actions that buttons and
// shortcuts share.
class ImageEditorView : public QWidget
{
    Q_OBJECT

public:
    // `image` may be null: the editor then shows only the no-image message.
    explicit ImageEditorView(const QImage &image, QWidget *parent = nullptr);
    ~ImageEditorView() override;

    EditorDocument &document() const { return *m_document; }

    // The image the editor opens on; before the editor is first shown.
    void setInitialImage(const QImage &image);
    // What the clipboard held when the editor's image was taken from it: a
    // Copy whose encode fails puts it back.
    void setClipboardOrigin(const ClipboardImage &origin) { m_clipboardOrigin = origin; }
    // Where the save dialog opens and what it names the file: the folder and
    // the format saved with last, and the file the image was opened from
    // (empty: the clipboard's).
    void setSaveChoices(const QString &folder, const QString &format);
    void setSourceFile(const QString &path) { m_sourceFile = path; }
    CanvasView *canvasView() const { return m_canvasView; }
    // Lays the toolbar out while it is hidden, as it is before an image comes.
    void prepareToolbar();

    // The commands; enabled exactly when they can act.
    QAction *cropAction() const { return m_crop; }
    QAction *cropAndCopyAction() const { return m_cropAndCopy; }
    QAction *saveAction() const { return m_save; }
    QAction *saveAsAction() const { return m_saveAs; }
    QAction *copyTextAction() const { return m_copyText; }
    QAction *copyAction() const { return m_copy; }
    QAction *pasteAction() const { return m_paste; }
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }
    // One for each tool, in the registry's order.
    const QList<QAction *> &toolActions() const { return m_toolActions; }
    QAction *closeAction() const { return m_close; }
    // Select All, the zoom's (in, out, fit, 100 %) and the list of keys.
    const QList<QAction *> &viewActions() const { return m_viewActions; }

    void performCrop(bool copyAndClose);
    void saveCroppedToFile();
    // Save Image As…: the whole image, with or without a selection.
    void saveWholeImageToFile();
    void copyFullImageToClipboard();
    // Copy Text: recognizes the words of the selection (the whole image
    // without one) off this thread and puts them on the clipboard.
    void copyText();
    bool isRecognizing() const { return m_recognizing != nullptr; }
    void pasteNewImage();

signals:
    // Crop & Copy's cut: the pixels of `area` of `image` (the document's
    // own, not a copy); an empty area when nothing was selected on it.
    void cropped(const QImage &image, const QRect &area);
    // The whole image went onto the clipboard, as these bytes to come.
    void copiedToClipboard(const ClipboardImage &taken);
    // A file is being saved into `folder`, in `format` ("png", "jpg", "webp").
    void saveChosen(const QString &folder, const QString &format);
    // The PNG of a Copy could not be made; the clipboard is back as it was.
    void copyFailed();
    // Copy Text found nothing or failed, for the user who sees no console.
    void textCopyFailed(const QString &message);

protected:
    void showEvent(QShowEvent *event) override;
    // An image file or image data dropped on the editor replaces the image
    // as Paste does, as one step.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QAction *makeAction(const QString &text, void (ImageEditorView::*slot)());
    QList<QAction *> makeToolActions();
    QList<QAction *> makeViewActions();
    void showKeys();
    // Stops a recognition under way; whether there was one.
    bool stopRecognizing();
    void textRecognized(const RecognizedText &read);
    void crop() { performCrop(false); }
    void cropAndCopy() { performCrop(true); }
    void undo();
    void redo();
    // The one place that derives what the commands can do from the document.
    void updateActions();

    QImage m_image; // until the document takes it, at the first show
    ClipboardImage m_clipboardOrigin;
    // The save dialog opens in its folder, naming the file after the opened one.
    void saveToFile(const QImage &image, const QString &baseName);

    QString m_saveFolder;
    QString m_saveFormat = QStringLiteral("png");
    QString m_sourceFile;
    CopyReport *m_copyReport; // child
    EditorDocument *m_document;
    CanvasView *m_canvasView;
    QAction *m_crop;
    QAction *m_cropAndCopy;
    QAction *m_save;
    QAction *m_saveAs;
    QAction *m_copyText;
    QAction *m_copy;
    QAction *m_paste;
    QAction *m_undo;
    QAction *m_redo;
    QAction *m_close;
    QAction *m_deselect;
    QString m_saveTip; // "Save (Ctrl+S)"
    QList<QAction *> m_toolActions;
    QList<QAction *> m_viewActions;
    KeysOverlay *m_keys;
    EditorToolbar *m_toolbar;
    bool m_hasAppeared = false;
    std::shared_ptr<std::atomic<bool>> m_recognizing; // set: stop; null when none runs
};

} // namespace pintora
