#include "ui/ImageEditorView.h"

#include "core/document/EditorDocument.h"
#include "core/png/ImageExport.h"
#include "i18n/Translations.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>

// Save: the dialog and the write.
namespace pintora {
namespace {

// Qt's save dialog, with the ".png" ending put on the chosen name before
// the dialog asks whether to replace an existing file: the question is then
// about the file that is really written.
class PngSaveDialog : public QFileDialog
{
    Q_OBJECT

public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && !files.first().isEmpty() && withPngSuffix(files.first()) != files.first())
            selectFile(withPngSuffix(files.first()));
        QFileDialog::accept();
    }
};

} // namespace

void ImageEditorView::saveCroppedToFile()
{
    const QImage cropped = m_document->cutOutSelection();
    if (cropped.isNull())
        return;

    // A sheet on the editor while it is the active window, a window of its own otherwise.
    auto *dialog = new PngSaveDialog(isActiveWindow() ? window() : nullptr, QStringLiteral("Save Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog follows the app's dark palette and has room for the message.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("PNG image (*.png)"));
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("File name:"));
    // Where users keep their images, not wherever the process was started.
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    // The folder saved into last, in this run; else where users keep images.
    if (!m_saveFolder.isEmpty() && QDir(m_saveFolder).exists())
        dialog->setDirectory(m_saveFolder);
    else
        dialog->setDirectory(!pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath());
    dialog->selectFile(QStringLiteral("cropped_image.png"));
    if (auto *grid = qobject_cast<QGridLayout *>(dialog->layout())) {
        auto *message = new QLabel(QStringLiteral("Choose a location to save the PNG file"), dialog);
        message->setObjectName(QStringLiteral("saveMessage"));
        grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());
    }
    // The cut-out is taken now: edits made while the dialog is open are not saved.
    const QPointer<QWidget> editorWindow = window();
    const QPointer<ImageEditorView> self = this;
    connect(dialog, &QFileDialog::finished, dialog, [dialog, cropped, editorWindow, self](int result) {
        if (result != QDialog::Accepted)
            return;
        const QStringList files = dialog->selectedFiles();
        if (files.isEmpty() || files.first().isEmpty())
            return;
        if (self) {
            self->m_saveFolder = QFileInfo(files.first()).absolutePath();
            emit self->saveFolderChosen(self->m_saveFolder);
        }
        const QString failure = saveImageAsPng(cropped, withPngSuffix(files.first()));
        if (failure.isEmpty())
            return;
        // Not only on the console: a user who started Pintora from the desktop never sees it.
        auto *warning = new QMessageBox(QMessageBox::Warning, QStringLiteral("Save Image"), Translations::saveFailed(),
                                        QMessageBox::Ok, editorWindow);
        warning->setObjectName(QStringLiteral("saveFailed"));
        warning->setInformativeText(failure);
        warning->setAttribute(Qt::WA_DeleteOnClose);
        warning->open();
    });
    dialog->open();
}

} // namespace pintora

#include "EditorSave.moc"
