#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "OpenFile.h"
#include "app/PintoraApp.h"
#include "core/document/EditorDocument.h"
#include "ui/ImageEditorView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMimeData>
#include <QPointer>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <malloc.h>
#include <unistd.h>

#include "core/png/PngWriter.h"

#include <gtest/gtest.h>

namespace pintora {

namespace {

void offerOnClipboard(const QMap<QString, QByteArray> &bytesByType)
{
    auto *data = new QMimeData;
    for (auto it = bytesByType.begin(); it != bytesByType.end(); ++it)
        data->setData(it.key(), it.value());
    QGuiApplication::clipboard()->setMimeData(data);
}

ImageEditorView *editorOf(EditorWindow *window)
{
    return window ? window->editor() : nullptr;
}

EditorDocument &documentOf(EditorWindow *window)
{
    return window->editor()->document();
}

// A click on the tray icon, with the console lines it wrote.
class ClickTest : public ::testing::Test
{
protected:
    ClickTest() { QGuiApplication::clipboard()->clear(); }

    std::vector<std::string> click()
    {
        console.clear();
        app->menuBarIconClicked();
        // A new image opens once decoded.
        EXPECT_TRUE(eventually([this] { return !app->isOpening(); }, 30000)); // generous: a busy machine
        // Let windows released by the click go.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return console.lines();
    }

    ConsoleCapture console;
    std::unique_ptr<PintoraApp> app = std::make_unique<PintoraApp>();
};

using Lines = std::vector<std::string>;

// Opens `path` and waits for the read: why it failed, or nothing.

} // namespace

TEST_F(ClickTest, AClickBringsTheWindowBackUnminimizedAndAfterCopyKeepsIt)
{
    offerOnClipboard({{"image/png", encoded(solidImage(300, 200, Qt::blue), "PNG")}});
    click();
    QPointer<EditorWindow> window = app->editorWindow();
    EditorDocument &document = documentOf(window);
    document.drawRectangleOnImage(QRectF(10, 10, 50, 50), document.rectangleStyle());
    const QImage edited = document.currentImage();

    window->showMinimized();
    EXPECT_EQ(click(), Lines{"ℹ️ Same image, just showing window"});
    EXPECT_FALSE(window->isMinimized());

    window->editor()->copyAction()->trigger();
    window->showMinimized();
    EXPECT_EQ(click(), (Lines{"ℹ️ Same image, just showing window"}));
    EXPECT_EQ(app->editorWindow(), window);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(documentOf(window).currentImage(), edited);

    QGuiApplication::clipboard()->setText(QStringLiteral("no image"));
    window->showMinimized();
    EXPECT_EQ(click(), Lines{"ℹ️ No image on clipboard"});
    EXPECT_FALSE(window->isMinimized());
}

// The document is the only holder of its image, from the click and after a
// Copy has been encoded, so that no first edit copies the whole image; and
// after Crop & Copy a click brings the cut back from its bytes.
TEST_F(ClickTest, TheDocumentIsTheOnlyHolderOfItsImage)
{
    const QImage picture = noiseImage(300, 200);
    offerOnClipboard({{"image/png", encoded(picture, "PNG")}});
    click();
    EditorDocument &document = documentOf(app->editorWindow());
    EXPECT_TRUE(document.currentImage().isDetached());

    editorOf(app->editorWindow())->copyAction()->trigger();
    ASSERT_TRUE(eventually([&] { return !console.lines().empty() && console.lines().back().starts_with("✅ Full"); }));
    EXPECT_TRUE(document.currentImage().isDetached());
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), picture);

    document.setSelectionRect(QRectF(10, 20, 30, 40));
    editorOf(app->editorWindow())->cropAndCopyAction()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
              picture.copy(10, 140, 30, 40));
    EXPECT_EQ(click(), Lines{"ℹ️ Same image, just showing window"});
    EXPECT_EQ(documentOf(app->editorWindow()).currentImage().convertToFormat(QImage::Format_RGB32),
              picture.copy(10, 140, 30, 40));
}

TEST_F(ClickTest, ADifferentImageOfTheSameByteLengthIsNew)
{
    // Uncompressed TIFFs of one size have one length, whatever they show.
    const QByteArray blue = encoded(solidImage(30, 20, Qt::blue), "TIFF");
    const QByteArray red = encoded(solidImage(30, 20, Qt::red), "TIFF");
    ASSERT_EQ(blue.size(), red.size());
    offerOnClipboard({{"image/tiff", blue}});
    click();
    offerOnClipboard({{"image/tiff", red}});
    EXPECT_EQ(click(), Lines{"ℹ️ New image detected"});
    EXPECT_EQ(documentOf(app->editorWindow()).currentImage().pixelColor(0, 0), QColor(Qt::red));
}

// A new image keeps the editor it replaces, edits and all, for one round.
// A click opens a window built and laid out beforehand, hidden, in the
// place of the screen it is shown on: the wait is the read, the decode and
// the first paint. The next spare follows a moment after.
TEST_F(ClickTest, ANewImageOpensInAWindowBuiltBeforehand)
{
    const auto spare = [this]() -> EditorWindow * {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<EditorWindow *>(widget); window && !window->isVisible()
                && window != app->editorWindow() && window != app->previousEditorWindow())
                return window;
        return nullptr;
    };
    offerOnClipboard({{"image/png", encoded(solidImage(300, 200, Qt::blue), "PNG")}});
    click();
    EditorWindow *made = nullptr;
    ASSERT_TRUE(eventually([&] { return (made = spare()) != nullptr; }, 10000));
    EXPECT_TRUE(made->testAttribute(Qt::WA_WState_Created)); // its platform window made too
    made->move(0, 0);

    offerOnClipboard({{"image/png", encoded(solidImage(30, 20, Qt::red), "PNG")}});
    click();
    EXPECT_EQ(app->editorWindow(), made);
    EXPECT_TRUE(made->isVisible());
    EXPECT_EQ(documentOf(made).currentImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(made->geometry(), EditorWindow::geometryOn(made->screen()));
}

TEST_F(ClickTest, TheReplacedEditorComesBackUntilTheNextNewImage)
{
    click(); // nothing on the clipboard: an empty editor, which is not worth keeping
    offerOnClipboard({{"image/png", encoded(solidImage(300, 200, Qt::blue), "PNG")}});
    click();
    EXPECT_EQ(app->previousEditorWindow(), nullptr);
    const QPointer<EditorWindow> blue = app->editorWindow();
    documentOf(blue).drawRectangleOnImage(QRectF(10, 10, 50, 50), documentOf(blue).rectangleStyle());
    const QImage edited = documentOf(blue).currentImage();

    offerOnClipboard({{"image/png", encoded(solidImage(30, 20, Qt::red), "PNG")}});
    click();
    const QPointer<EditorWindow> red = app->editorWindow();
    ASSERT_NE(red, blue);
    EXPECT_EQ(app->previousEditorWindow(), blue);
    EXPECT_FALSE(blue->isVisible());

    console.clear();
    app->showPreviousImage();
    EXPECT_EQ(console.lines(), Lines{"🔁 Previous image back: 300×200 px"});
    EXPECT_EQ(app->editorWindow(), blue);
    EXPECT_EQ(app->previousEditorWindow(), red);
    EXPECT_TRUE(blue->isVisible());
    EXPECT_FALSE(red->isVisible());
    EXPECT_EQ(documentOf(blue).currentImage(), edited);
    EXPECT_EQ(click(), Lines{"ℹ️ Same image, just showing window"}); // the clipboard has not changed
    EXPECT_EQ(app->editorWindow(), blue);

    // The next new image, here a file, lets the older one go.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("green.png"));
    ASSERT_TRUE(solidImage(40, 40, Qt::green).save(file));
    EXPECT_EQ(openFile(*app, file), QString());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app->previousEditorWindow(), blue);
    EXPECT_TRUE(red.isNull());
}

// A TIFF alone is shown end to end.
TEST_F(ClickTest, PngIsPreferredOverTiff)
{
    offerOnClipboard({{"image/png", encoded(solidImage(30, 20, Qt::blue), "PNG")},
                      {"image/tiff", encoded(solidImage(40, 40, Qt::red), "TIFF")}});
    click();
    EXPECT_EQ(documentOf(app->editorWindow()).currentImage().size(), QSize(30, 20));
}

// The editor Crop & Copy ends stays until another program asks for the copy.
// Away from Wayland (here: offscreen, as on an X server) nothing needs the
// window for the copy: it hides in the step of the Return. (On Wayland it
// waits for the copy to be asked for: the hand-off's own tests.)
TEST_F(ClickTest, CropAndCopyHidesTheEditorAtOnceAwayFromWayland)
{
    offerOnClipboard({{"image/png", encoded(solidImage(300, 200, Qt::blue), "PNG")}});
    click();
    const QPointer<EditorWindow> window = app->editorWindow();
    documentOf(window).setSelectionRect(QRectF(10, 20, 100, 50));
    editorOf(window)->cropAndCopyAction()->trigger();
    EXPECT_EQ(app->editorWindow(), nullptr);
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(100, 50));
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(ClickTest, CropAndCopyWithoutASelectionOnlyCloses)
{
    offerOnClipboard({{"image/png", encoded(solidImage(300, 200, Qt::blue), "PNG")}});
    click();
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    editorOf(app->editorWindow())->performCrop(true);
    EXPECT_EQ(app->editorWindow(), nullptr);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
}

TEST_F(ClickTest, ACropArrivingAfterTheAppIsGoneIsIgnored)
{
    offerOnClipboard({{"image/png", encoded(solidImage(300, 200, Qt::blue), "PNG")}});
    click();
    QPointer<ImageEditorView> editor = editorOf(app->editorWindow());
    editor->document().setSelectionRect(QRectF(10, 20, 100, 50));
    editor->performCrop(true); // the window is now on its way out, the editor still here
    ASSERT_FALSE(editor.isNull());
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    app.reset();
    editor->performCrop(true);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
}

// Without a thread to spare (out of memory, or of the user's thread quota)
// every job that uses one does its work on the calling thread instead.
TEST_F(ClickTest, WithoutThreadsEveryJobIsDoneHere)
{
    const QImage image = noiseImage(600, 450); // large enough for the blur to share out
    const QByteArray png = encoded(image, "PNG");
    QByteArray written, copied;
    offerOnClipboard({{"image/png", png}});
    // Each job with too little room for a thread's stack, enough for the work.
    const auto withoutThreads = [](const std::function<void()> &job) {
        malloc_trim(0);
        const AddressSpaceLimit limit(7 << 20);
        job();
    };
    withoutThreads([&] { written = writePng(image, 4, 4096); });
    withoutThreads([&] { click(); });
    EditorDocument &document = documentOf(app->editorWindow());
    RectangleStyle blur = document.rectangleStyle();
    blur.isBlur = true;
    withoutThreads([&] { EXPECT_TRUE(document.drawRectangleOnImage(QRectF(0, 0, 600, 450), blur)); });
    withoutThreads([&] {
        app->editorWindow()->editor()->copyAction()->trigger();
        copied = QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png"));
    });
    EXPECT_EQ(QImage::fromData(written).convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(console.lines().front(), "ℹ️ New image detected");
    const QImage blurred = documentOf(app->editorWindow()).currentImage();
    EXPECT_NE(blurred, image);
    EXPECT_EQ(QImage::fromData(copied).convertToFormat(QImage::Format_RGB32),
              blurred.convertToFormat(QImage::Format_RGB32));
}

// A copy whose PNG cannot be made says so and leaves the clipboard, and what
// the next click makes of it, as they were.
TEST_F(ClickTest, ACopyThatCannotBeEncodedPutsTheClipboardBack)
{
    // Large, so that the encoder's buffers (tens of MiB) can never come from
    // memory the process has already mapped.
    const QByteArray png = encoded(solidImage(6000, 5000, Qt::darkCyan), "PNG");
    offerOnClipboard({{"image/png", png}});
    click();
    ImageEditorView *editor = editorOf(app->editorWindow());
    ASSERT_NE(editor, nullptr);
    const QSignalSpy copyFailed(editor, &ImageEditorView::copyFailed);
    // clang-format off
    const struct {
        const char *command;
        std::function<void()> run;
        rlim_t room; // too little for the encoding
    } cases[] = {
        {"Copy", [editor] { editor->copyAction()->trigger(); }, 6 << 20},
        {"Crop & Copy", [editor] {
             editor->document().setSelectionRect(QRectF(0, 0, 6000, 5000));
             editor->cropAndCopyAction()->trigger();
         }, 6 << 20},
    };
    // clang-format on
    for (const auto &c : cases) {
        console.clear();
        {
            malloc_trim(0);
            const AddressSpaceLimit limit(c.room);
            c.run();
            // Whether or not the encoder got a thread, it ends under the limit.
            QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png"));
        }
        ASSERT_TRUE(eventually([&] {
            return !console.lines().empty() && console.lines().back() == "❌ Failed to convert image to PNG";
        })) << c.command
            << ": " << ::testing::PrintToString(console.lines());
        EXPECT_EQ(std::count_if(console.lines().begin(), console.lines().end(),
                                [](const std::string &line) { return line.starts_with("✅ Full image copied"); }),
                  0)
            << c.command;
        EXPECT_EQ(copyFailed.count(), 1) << c.command; // the Copy's, which the tray shows
        const QMimeData *now = QGuiApplication::clipboard()->mimeData();
        EXPECT_EQ(now ? now->data(QStringLiteral("image/png")) : QByteArray(), png) << c.command;
        EXPECT_EQ(click(), Lines{"ℹ️ Same image, just showing window"}) << c.command;
    }
}

// The save dialog opens where the last save of the run went, in a new
// editor too.
TEST_F(ClickTest, TheSaveFolderCarriesOverToTheNextEditor)
{
    QTemporaryDir folder;
    const auto saveDialog = []() -> QFileDialog * {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible())
                return dialog;
        return nullptr;
    };
    for (const QColor colour : {QColor(Qt::blue), QColor(Qt::red)}) { // two images: two editors
        offerOnClipboard({{"image/png", encoded(solidImage(30, 20, colour), "PNG")}});
        click();
        ImageEditorView *editor = editorOf(app->editorWindow());
        editor->document().setSelectionRect(QRectF(0, 0, 10, 10));
        editor->saveCroppedToFile();
        QFileDialog *dialog = saveDialog();
        ASSERT_NE(dialog, nullptr);
        if (colour == Qt::red) {
            EXPECT_EQ(dialog->directory(), QDir(folder.path()));
            dialog->reject();
            break;
        }
        dialog->selectFile(folder.filePath(QStringLiteral("first.png")));
        QMetaObject::invokeMethod(dialog, "accept");
        ASSERT_TRUE(QFile::exists(folder.filePath(QStringLiteral("first.png"))));
    }
}

} // namespace pintora
