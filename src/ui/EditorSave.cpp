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

// Qt's save dialog, with ".png" put on a name whose suffix names no format
// Save writes, before the dialog asks whether to replace an existing file:
// the question is then about the file that is really written.
class ImageSaveDialog : public QFileDialog
{
    Q_OBJECT

public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && !files.first().isEmpty() && withImageSuffix(files.first()) != files.first())
            selectFile(withImageSuffix(files.first()));
        QFileDialog::accept();
    }
};

} // namespace

void ImageEditorView::setSaveChoices(const QString &folder, const QString &format)
{
    m_saveFolder = folder;
    if (!format.isEmpty())
        m_saveFormat = format;
}

void ImageEditorView::saveCroppedToFile()
{
    const QImage cropped = m_document->cutOutSelection();
    if (!cropped.isNull())
        saveToFile(cropped, QStringLiteral("cropped_image"));
}

void ImageEditorView::saveWholeImageToFile()
{
    // Taken now, as the cut-out is: edits made while the dialog is open are not saved.
    const QImage whole = m_document->currentImage();
    if (!whole.isNull())
        saveToFile(whole, QStringLiteral("image"));
}

void ImageEditorView::saveToFile(const QImage &cropped, const QString &baseName)
{
    // A sheet on the editor while it is the active window, a window of its own otherwise.
    auto *dialog = new ImageSaveDialog(isActiveWindow() ? window() : nullptr, QStringLiteral("Save Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog follows the app's dark palette and has room for the message.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters({QStringLiteral("PNG image (*.png)"), QStringLiteral("JPEG image (*.jpg *.jpeg)"),
                            QStringLiteral("WebP image (*.webp)")});
    const QString suffix = m_saveFormat;
    dialog->selectNameFilter(dialog->nameFilters().at(suffix == QLatin1String("jpg")        ? 1
                                                          : suffix == QLatin1String("webp") ? 2
                                                                                            : 0));
    dialog->setDefaultSuffix(suffix);
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("File name:"));
    // The folder saved into last; else the opened file's; else where users
    // keep their images, not wherever the process was started.
    const QString opened = m_sourceFile.isEmpty() ? QString() : QFileInfo(m_sourceFile).absolutePath();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!m_saveFolder.isEmpty() && QDir(m_saveFolder).exists())
        dialog->setDirectory(m_saveFolder);
    else if (!opened.isEmpty() && QDir(opened).exists())
        dialog->setDirectory(opened);
    else
        dialog->setDirectory(!pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath());
    const QString name = m_sourceFile.isEmpty() ? baseName : QFileInfo(m_sourceFile).completeBaseName();
    dialog->selectFile(name + QLatin1Char('.') + suffix);
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
        const QString path = withImageSuffix(files.first());
        if (self) {
            self->m_saveFolder = QFileInfo(path).absolutePath();
            self->m_saveFormat = imageFormatOf(path);
            emit self->saveChosen(self->m_saveFolder, self->m_saveFormat);
        }
        const QString failure = saveImage(cropped, path);
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
