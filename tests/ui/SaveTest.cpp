#include "EditorTestSupport.h"
#include "ImageTestSupport.h"
#include "core/png/ImageExport.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace pintora {

namespace {

QFileDialog *openSaveDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

} // namespace

TEST_F(EditorTest, SaveAsksWhereAndWritesTheCutOutTakenBeforeTheDialog)
{
    QTemporaryDir directory;
    const QString started = QDir::currentPath();
    QDir::setCurrent(directory.path()); // not where the dialog opens
    doc().setSelectionRect(QRectF(100, 50, 200, 150));
    editor.saveCroppedToFile();
    QFileDialog *dialog = openSaveDialog();
    ASSERT_NE(dialog, nullptr);
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    EXPECT_EQ(dialog->directory(), QDir(QDir(pictures).exists() ? pictures : QDir::homePath()));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Image"));
    EXPECT_EQ(dialog->labelText(QFileDialog::FileName), QStringLiteral("File name:"));
    EXPECT_EQ(dialog->findChild<QLineEdit *>()->text(), QStringLiteral("cropped_image.png"));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("png"));
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("saveMessage"))->text(),
              QStringLiteral("Choose a location to save the PNG file"));

    // An edit while the dialog is open does not change what is saved.
    editor.performCrop(false);
    // A name of a type Save does not write gets ".png" on top, so that PNG
    // bytes are never saved under another type's name.
    const QString path = directory.filePath(QStringLiteral("shot.bmp.png"));
    dialog->selectFile(directory.filePath(QStringLiteral("shot.bmp")));
    QMetaObject::invokeMethod(dialog, "accept");

    EXPECT_EQ(console.lines().back(), "✅ Image saved to: " + path.toStdString());
    QDir::setCurrent(started);

    const QImage saved(path, "PNG");
    ASSERT_EQ(saved.size(), QSize(200, 150));
    for (int y = 0; y < 150; y += 7)
        for (int x = 0; x < 200; x += 7)
            ASSERT_EQ(saved.pixel(x, y), source.pixel(100 + x, 400 + y));

    // Saving over it asks first, about the file that is really written;
    // "No" leaves it and the dialog open.
    QFile::resize(path, 10);
    doc().setSelectionRect(QRectF(0, 0, 20, 20));
    editor.saveCroppedToFile();
    dialog = openSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory(), QDir(directory.path())); // where the last save went
    dialog->selectFile(directory.filePath(QStringLiteral("shot.bmp")));
    QString question;
    QTimer::singleShot(0, [&question] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            question = box->text();
            box->done(QMessageBox::No);
        }
    });
    QMetaObject::invokeMethod(dialog, "accept");
    EXPECT_TRUE(question.startsWith(QStringLiteral("shot.bmp.png already exists."))) << question.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), 10);
    EXPECT_TRUE(dialog->isVisible());
    dialog->reject();
}

TEST_F(EditorTest, SaveWithoutASelectionCancelledOrFailedWritesNothingAndFailuresShow)
{
    editor.saveCroppedToFile(); // nothing selected: no dialog at all
    EXPECT_EQ(openSaveDialog(), nullptr);

    QTemporaryDir directory;
    doc().setSelectionRect(QRectF(0, 0, 10, 10));
    for (const bool accept : {false, true}) {
        editor.saveCroppedToFile();
        QFileDialog *dialog = openSaveDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(directory.filePath(QStringLiteral("missing/shot.png")));
        QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject");
    }
    EXPECT_TRUE(QDir(directory.path()).isEmpty());
    // The failed one is told in a window, not only on the console.
    auto *warning = editor.window()->findChild<QMessageBox *>(QStringLiteral("saveFailed"));
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), QStringLiteral("Could not save the image"));
    EXPECT_FALSE(warning->informativeText().isEmpty());
    ASSERT_EQ(console.lines().size(), 1u);
    EXPECT_EQ(console.lines().back().rfind("❌ Failed to save image: ", 0), 0u);
    warning->close();
}

} // namespace pintora

namespace pintora {

// Save Image As… saves the whole image, with or without a selection, in the
// format and folder chosen last; an opened file names the file and, until
// something is saved, gives the folder.
TEST_F(EditorTest, SaveImageAsSavesTheWholeImageNamedAfterTheOpenedFile)
{
    QTemporaryDir opened, chosen;
    editor.setSourceFile(opened.filePath(QStringLiteral("holiday.shot.png")));
    editor.setSaveChoices(QString(), QStringLiteral("webp"));
    doc().setSelectionRect(QRectF(10, 10, 20, 20)); // not what is saved
    QSignalSpy choices(&editor, &ImageEditorView::saveChosen);
    editor.saveAsAction()->trigger();
    QFileDialog *dialog = openSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory(), QDir(opened.path()));
    EXPECT_EQ(dialog->findChild<QLineEdit *>()->text(), QStringLiteral("holiday.shot.webp"));
    const QString path = chosen.filePath(QStringLiteral("whole.jpg"));
    dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept");
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    EXPECT_EQ(reader.size(), source.size());
    ASSERT_EQ(choices.count(), 1);
    EXPECT_EQ(choices.front(), (QList<QVariant>{chosen.path(), QStringLiteral("jpg")}));

    // The next dialog opens where this one saved, in its format.
    editor.saveAsAction()->trigger();
    dialog = openSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory(), QDir(chosen.path()));
    EXPECT_EQ(dialog->findChild<QLineEdit *>()->text(), QStringLiteral("holiday.shot.jpg"));
    dialog->reject();
}

} // namespace pintora
