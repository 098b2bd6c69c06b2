#include "EditorTestSupport.h"
#include "ImageTestSupport.h"
#include "editor/ImageExport.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

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
    canvas().setSelectionRect(QRectF(100, 50, 200, 150));
    editor.saveCroppedToFile();
    QFileDialog *dialog = openSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Image"));
    EXPECT_EQ(dialog->labelText(QFileDialog::FileName), QStringLiteral("File name:"));
    EXPECT_EQ(dialog->findChild<QLineEdit *>()->text(), QStringLiteral("cropped_image.png"));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("png"));
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("saveMessage"))->text(),
              QStringLiteral("Choose a location to save the PNG file"));

    // An edit while the dialog is open does not change what is saved.
    editor.performCrop(false);
    const QString path = directory.filePath(QStringLiteral("cropped_image.png"));
    dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept");

    EXPECT_EQ(console.lines().back(), "✅ Image saved to: " + path.toStdString());
    const QImage saved(path, "PNG");
    ASSERT_EQ(saved.size(), QSize(200, 150));
    for (int y = 0; y < 150; y += 7)
        for (int x = 0; x < 200; x += 7)
            ASSERT_EQ(saved.pixel(x, y), source.pixel(100 + x, 400 + y));
}

TEST_F(EditorTest, CancellingTheSaveWritesNothing)
{
    QTemporaryDir directory;
    canvas().setSelectionRect(QRectF(0, 0, 10, 10));
    editor.saveCroppedToFile();
    QFileDialog *dialog = openSaveDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(directory.path());
    dialog->reject();
    EXPECT_EQ(console.lines(), Lines{});
    EXPECT_TRUE(QDir(directory.path()).isEmpty());
}

TEST_F(EditorTest, SaveWithNothingSelectedOpensNoDialog)
{
    editor.saveCroppedToFile();
    EXPECT_EQ(openSaveDialog(), nullptr);
    EXPECT_EQ(console.lines(), Lines{});
}

TEST(SaveImageAsPng, IntoAMissingFolderReportsTheError)
{
    ConsoleCapture console;
    QTemporaryDir directory;
    saveImageAsPng(solidImage(10, 10, Qt::red), directory.filePath(QStringLiteral("missing/out.png")));
    ASSERT_EQ(console.lines().size(), 1u);
    EXPECT_EQ(console.lines()[0].rfind("❌ Failed to save image: ", 0), 0u) << console.lines()[0];
    EXPECT_GT(console.lines()[0].size(), std::string("❌ Failed to save image: ").size());
}

TEST(SaveImageAsPng, ANullImageCannotBeConverted)
{
    ConsoleCapture console;
    QTemporaryDir directory;
    saveImageAsPng(QImage(), directory.filePath(QStringLiteral("out.png")));
    EXPECT_EQ(console.lines(), Lines{"❌ Failed to convert image to PNG"});
    EXPECT_FALSE(QFile::exists(directory.filePath(QStringLiteral("out.png"))));
}

TEST(SaveImageAsPng, AFailedWriteLeavesTheExistingFileWhole)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("keep.png"));
    const QImage previous = solidImage(40, 30, Qt::blue);
    ASSERT_TRUE(previous.save(path, "PNG"));
    const QByteArray before = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();

    // A file size limit makes the write fail halfway, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    rlimit small = original;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ConsoleCapture console;
    saveImageAsPng(noiseImage(300, 300), path);
    setrlimit(RLIMIT_FSIZE, &original);

    ASSERT_EQ(console.lines().size(), 1u);
    EXPECT_EQ(console.lines()[0].rfind("❌ Failed to save image: ", 0), 0u) << console.lines()[0];
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.png")});
}
