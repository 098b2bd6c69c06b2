#include "EditorTestSupport.h"
#include "ImageTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMimeData>

#include <functional>

namespace pintora {

TEST(EditorWithoutImage, ShowsOnlyTheCanvasAndTakesOnlyPaste)
{
    ImageEditorView editor{QImage()};
    editor.resize(800, 600);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor)); // shortcuts reach only the active window
    EXPECT_FALSE(editor.findChild<QWidget *>(QStringLiteral("cropButton"))->isVisibleTo(&editor));
    auto *data = new QMimeData;
    data->setImageData(solidImage(40, 30, Qt::red));
    QGuiApplication::clipboard()->setMimeData(data);
    ConsoleCapture console;
    for (const QKeyCombination key : {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Z, Qt::CTRL | Qt::Key_A})
        QTest::keyClick(&editor, key.key(), key.keyboardModifiers());
    EXPECT_EQ(console.lines(), Lines{});
    // Its message says that Ctrl+V pastes an image, and so it does.
    QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(console.lines().back(), "✅ New image pasted from clipboard");
    EXPECT_EQ(editor.document().currentImage().size(), QSize(40, 30));
    EXPECT_TRUE(editor.findChild<QWidget *>(QStringLiteral("cropButton"))->isVisibleTo(&editor));
}

TEST_F(EditorTest, StandardKeysActOnlyWhenTheirCommandCan)
{
    const auto box = [this] { drag(100, 100, 300, 200, Qt::RightButton); };
    const auto boxUndone = [this, box] {
        box();
        doc().performUndo();
    };
    // clang-format off
    const struct {
        const char *what;
        std::function<void()> before;
        QKeyCombination key;
        std::string line; // how the first line the key writes starts; empty for none
    } cases[] = {
        {"undo, nothing to undo", {}, Qt::CTRL | Qt::Key_Z, ""},
        {"undo", box, Qt::CTRL | Qt::Key_Z, "↶ Undo performed"},
        {"redo, nothing to redo", box, Qt::CTRL | Qt::SHIFT | Qt::Key_Z, ""},
        {"redo", boxUndone, Qt::CTRL | Qt::SHIFT | Qt::Key_Z, "↷ Redo performed"},
        {"redo by Ctrl+Y", boxUndone, Qt::CTRL | Qt::Key_Y, "↷ Redo performed"},
        {"copy", {}, Qt::CTRL | Qt::Key_C, "✅ Full image copied to clipboard (800×600px)"},
        {"paste of text", [] { QGuiApplication::clipboard()->setText(QStringLiteral("text")); }, Qt::CTRL | Qt::Key_V,
         "⚠️ No image on clipboard"},
        {"save, nothing selected", {}, Qt::CTRL | Qt::Key_S, ""},
    };
    // clang-format on
    for (const auto &c : cases) {
        if (c.before)
            c.before();
        console.clear();
        QTest::keyClick(&editor, c.key.key(), c.key.keyboardModifiers());
        if (!c.line.empty()) // a Copy speaks when its PNG is ready
            eventually([this] { return !console.lines().empty(); });
        const std::string first = console.lines().empty() ? std::string() : console.lines().front();
        EXPECT_EQ(first.substr(0, c.line.size()), c.line) << c.what;
        EXPECT_EQ(first.empty(), c.line.empty()) << c.what;
        while (doc().undoCount() > 0)
            doc().performUndo();
    }
}

TEST_F(EditorTest, EscapeHidesTheWindowAndSaveKeyAsksWhere)
{
    doc().setSelectionRect(QRectF(10, 10, 50, 50));
    QTest::keyClick(&editor, Qt::Key_S, Qt::ControlModifier);
    QWidget *dialog = QApplication::activeModalWidget();
    ASSERT_NE(qobject_cast<QFileDialog *>(dialog), nullptr);
    dialog->close();
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
}

// What Crop & Copy puts on the clipboard is shown end to end.
TEST_F(EditorTest, CropAndCopyChangesNothingAndOutsideTheImageOnlyCloses)
{
    drag(100, 50, 300, 200); // selects (100, 50, 200, 150)
    editor.cropAndCopyAction()->trigger();
    EXPECT_EQ(cropped, source.copy(100, 400, 200, 150));
    EXPECT_EQ(doc().currentImage(), source);
    EXPECT_EQ(doc().selectionRect(), QRectF(100, 50, 200, 150));

    doc().setSelectionRect(QRectF(900, 10, 50, 50));
    console.clear();
    editor.performCrop(true);
    EXPECT_EQ(console.lines().size(), 3u); // only the geometry
    EXPECT_EQ(cropCalls, 2);
    EXPECT_TRUE(cropped.isNull());
}

// Once shown, the document is the image's only holder: its first burn-in
// changes the pixels in place instead of copying the whole image.
TEST(EditorImage, TheEditorKeepsNoCopyOfItsImage)
{
    ImageEditorView editor(noiseImage(100, 80));
    editor.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor.document().currentImage().isDetached());
}

// Crop & Copy cuts nothing out: the document's own pixels and the area go
// to the clipboard, so it needs no memory of the image's size.
TEST(EditorCropAndCopy, HandsOverTheDocumentsPixelsWithoutACopy)
{
    QImage handed;
    QRect area;
    ImageEditorView editor{QImage()};
    QObject::connect(&editor, &ImageEditorView::cropped, [&](const QImage &image, const QRect &cut) {
        handed = image;
        area = cut;
    });
    editor.document().setImage(solidImage(6000, 5000, Qt::white)); // 120 MB
    editor.document().setSelectionRect(QRectF(100, 200, 5000, 4000));
    ConsoleCapture console;
    {
        const AddressSpaceLimit limit(16 << 20);
        editor.cropAndCopyAction()->trigger();
    }
    EXPECT_EQ(console.lines().back(), "✅ Cropped to: 5000×4000 px");
    EXPECT_EQ(area, QRect(100, 800, 5000, 4000));
    EXPECT_EQ(handed.constBits(), editor.document().currentImage().constBits());
}

} // namespace pintora
