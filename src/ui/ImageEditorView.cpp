#include "ui/ImageEditorView.h"

#include "core/Console.h"
#include "core/document/EditorDocument.h"
#include "core/tools/Tools.h"
#include "i18n/Translations.h"
#include "ui/CanvasView.h"
#include "ui/Clipboard.h"
#include "ui/EditorToolbar.h"
#include "ui/KeysOverlay.h"

#include <QAction>
#include <QVBoxLayout>

#include <functional>

namespace pintora {
namespace {

// The usual keys of a command, then any others of the platform's scheme (a
// desktop may have no scheme, or one with other first choices).
QList<QKeySequence> standardKeys(QKeySequence::StandardKey command, std::initializer_list<QKeyCombination> usual)
{
    QList<QKeySequence> keys;
    for (QKeyCombination key : usual)
        keys.append(QKeySequence(key));
    for (const QKeySequence &key : QKeySequence::keyBindings(command))
        if (!keys.contains(key))
            keys.append(key);
    return keys;
}

} // namespace

ImageEditorView::ImageEditorView(const QImage &image, QWidget *parent)
    : QWidget(parent)
    , m_image(image)
    , m_copyReport(new CopyReport(this))
    , m_document(new EditorDocument(this))
    , m_canvasView(new CanvasView(*m_document, this))
    , m_crop(makeAction(Translations::crop(), &ImageEditorView::crop))
    , m_cropAndCopy(makeAction(Translations::cropAndCopy(), &ImageEditorView::cropAndCopy))
    , m_save(makeAction(Translations::save(), &ImageEditorView::saveCroppedToFile))
    , m_saveAs(makeAction(Translations::saveAs(), &ImageEditorView::saveWholeImageToFile))
    , m_copyText(makeAction(Translations::copyText(), &ImageEditorView::copyText))
    , m_copy(makeAction(Translations::copy(), &ImageEditorView::copyFullImageToClipboard))
    , m_paste(makeAction(Translations::paste(), &ImageEditorView::pasteNewImage))
    , m_undo(makeAction(Translations::undo(), &ImageEditorView::undo))
    , m_redo(makeAction(Translations::redo(), &ImageEditorView::redo))
    , m_close(new QAction(this))
    , m_deselect(new QAction(Translations::deselectHint(), this))
    , m_toolActions(makeToolActions())
    , m_viewActions(makeViewActions())
    , m_keys(new KeysOverlay(this))
    , m_toolbar(new EditorToolbar(*this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_toolbar);
    column->addWidget(m_canvasView, 1);
    setAcceptDrops(true);

    // The desktop's usual keys; Return, and Enter on the keypad, do Crop &
    // Copy. A disabled action takes no key.
    m_cropAndCopy->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    m_save->setShortcuts(standardKeys(QKeySequence::Save, {Qt::CTRL | Qt::Key_S}));
    m_saveAs->setShortcuts(standardKeys(QKeySequence::SaveAs, {Qt::CTRL | Qt::SHIFT | Qt::Key_S}));
    m_deselect->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    m_copyText->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    connect(m_deselect, &QAction::triggered, m_document, &EditorDocument::dropSelection);
    m_copy->setShortcuts(standardKeys(QKeySequence::Copy, {Qt::CTRL | Qt::Key_C}));
    m_paste->setShortcuts(standardKeys(QKeySequence::Paste, {Qt::CTRL | Qt::Key_V}));
    m_undo->setShortcuts(standardKeys(QKeySequence::Undo, {Qt::CTRL | Qt::Key_Z}));
    m_redo->setShortcuts(standardKeys(QKeySequence::Redo, {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y}));
    // Escape hides the window, as its close button does.
    m_close->setShortcut(QKeySequence(Qt::Key_Escape));
    // A recognition under way is stopped first.
    connect(m_close, &QAction::triggered, this, [this] {
        if (!stopRecognizing())
            window()->close();
    });
    // In the window's context: nothing in the editor takes the keyboard focus.
    for (QAction *action :
         {m_crop, m_cropAndCopy, m_save, m_saveAs, m_copy, m_copyText, m_paste, m_undo, m_redo, m_close, m_deselect}) {
        // "Undo (Ctrl+Z)": the name and the first key.
        if (!action->shortcut().isEmpty())
            action->setToolTip(
                QStringLiteral("%1 (%2)").arg(action->text(), action->shortcut().toString(QKeySequence::NativeText)));
        addAction(action);
    }
    m_saveTip = m_save->toolTip();

    connect(m_document, &EditorDocument::imageChanged, this, &ImageEditorView::updateActions);
    connect(m_document, &EditorDocument::selectionChanged, this, &ImageEditorView::updateActions);
    connect(m_document, &EditorDocument::drawModeChanged, this, &ImageEditorView::updateActions);
    connect(m_document->history(), &EditHistory::countsChanged, this, &ImageEditorView::updateActions);
    updateActions();

    // A Copy is done when its PNG is ready, not when it was asked for.
    connect(m_copyReport, &CopyReport::finished, this, [this](const QSize &size, bool encoded) {
        if (encoded)
            console::writeLine("✅ Full image copied to clipboard (" + console::formatPixelSize(size) + "px)");
        else
            emit copyFailed();
    });
}

ImageEditorView::~ImageEditorView()
{
    stopRecognizing(); // nobody is left to hear its end
    // The document goes with the children, after this destructor: its
    // history empties itself then, and must not reach back into this view.
    m_document->disconnect(this);
    m_document->history()->disconnect(this);
}

QList<QAction *> ImageEditorView::makeToolActions()
{
    // One key a tool, while the canvas has the focus: typing elsewhere (the
    // save dialog's name) keeps its letters.
    QList<QAction *> actions;
    for (const Tool *tool : allTools()) {
        auto *choose = new QAction(Translations::toolName(tool->id()), this);
        choose->setShortcut(QKeySequence(tool->key()));
        choose->setShortcutContext(Qt::WidgetShortcut);
        choose->setToolTip(QStringLiteral("%1 (%2)").arg(choose->text(), QString(tool->key())));
        connect(choose, &QAction::triggered, this, [this, tool] { m_document->chooseTool(*tool); });
        m_canvasView->addAction(choose);
        actions.append(choose);
    }
    return actions;
}

QList<QAction *> ImageEditorView::makeViewActions()
{
    CanvasView *canvas = m_canvasView;
    const struct {
        QKeySequence::StandardKey standard;
        QList<QKeySequence> keys;
        std::function<void()> act;
    } table[] = {
        {QKeySequence::SelectAll, {Qt::CTRL | Qt::Key_A}, [this] { m_document->selectAll(); }},
        // Ctrl+= as well as Ctrl++: the plus sign needs Shift on most keyboards.
        {QKeySequence::ZoomIn, {Qt::CTRL | Qt::Key_Equal, Qt::CTRL | Qt::Key_Plus}, [canvas] { canvas->zoomBy(1); }},
        {QKeySequence::ZoomOut, {Qt::CTRL | Qt::Key_Minus}, [canvas] { canvas->zoomBy(-1); }},
        {QKeySequence::UnknownKey, {Qt::CTRL | Qt::Key_0}, [canvas] { canvas->zoomToFit(); }},
        {QKeySequence::UnknownKey, {Qt::CTRL | Qt::Key_1}, [canvas] { canvas->zoomToActualSize(); }},
        // "?" as typed: with Shift on most layouts, without on some.
        {QKeySequence::HelpContents,
         {Qt::Key_F1, Qt::Key_Question, Qt::SHIFT | Qt::Key_Question},
         [this] { showKeys(); }},
    };
    QList<QAction *> actions;
    for (const auto &row : table) {
        auto *action = new QAction(this);
        QList<QKeySequence> keys = row.keys;
        for (const QKeySequence &key : QKeySequence::keyBindings(row.standard))
            if (!keys.contains(key))
                keys.append(key);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, row.act);
        addAction(action);
        actions.append(action);
    }
    return actions;
}

QAction *ImageEditorView::makeAction(const QString &text, void (ImageEditorView::*slot)())
{
    auto *action = new QAction(text, this);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void ImageEditorView::updateActions()
{
    const bool canCrop = m_document->canCrop();
    m_crop->setEnabled(canCrop);
    m_cropAndCopy->setEnabled(canCrop);
    m_save->setEnabled(canCrop);
    // A greyed-out Save says why.
    m_save->setToolTip(canCrop ? m_saveTip : Translations::saveNeedsSelection());
    // An editor without an image shows only its message and takes no
    // editing keys.
    const bool hasImage = !m_document->currentImage().isNull();
    m_copy->setEnabled(hasImage);
    m_saveAs->setEnabled(hasImage);
    m_copyText->setEnabled(hasImage && !m_recognizing);
    m_deselect->setEnabled(hasImage);
    m_paste->setEnabled(true); // the empty editor's message says so
    m_undo->setEnabled(m_document->undoCount() > 0);
    m_redo->setEnabled(m_document->redoCount() > 0);
    for (QAction *action : std::as_const(m_viewActions))
        action->setEnabled(hasImage || action == m_viewActions.last()); // the keys' list always
    m_toolbar->setVisible(hasImage);
}

void ImageEditorView::prepareToolbar()
{
    m_toolbar->ensurePolished();
    if (QLayout *layout = m_toolbar->layout())
        layout->activate();
}

void ImageEditorView::setInitialImage(const QImage &image)
{
    Q_ASSERT(!m_hasAppeared);
    m_image = image;
}

void ImageEditorView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only the first time: a window shown again keeps its edits.
    // The document becomes the image's one holder here: a second one would
    // make the first burn-in copy the whole image.
    if (!std::exchange(m_hasAppeared, true) && !m_image.isNull())
        m_document->setImage(std::exchange(m_image, QImage()));
}

void ImageEditorView::performCrop(bool copyAndClose)
{
    if (!copyAndClose) {
        m_document->crop();
        return;
    }
    // No cut-out: the PNG is made from the document's own rows.
    const QRect area = m_document->cropArea();
    emit cropped(m_document->currentImage(), area);
}

void ImageEditorView::copyFullImageToClipboard()
{
    const QImage &image = m_document->currentImage();
    if (image.isNull()) {
        console::writeLine("⚠️ No source image");
        return;
    }
    emit copiedToClipboard(ClipboardImage{putImageOnClipboard(image, {}, m_clipboardOrigin, m_copyReport)});
}

void ImageEditorView::undo()
{
    m_document->performUndo();
}

void ImageEditorView::redo()
{
    m_document->performRedo();
}

void ImageEditorView::pasteNewImage()
{
    m_document->paste(imageFromClipboard());
}

} // namespace pintora
