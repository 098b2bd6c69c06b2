#include "EditorTestSupport.h"
#include "core/png/ImageDecode.h"
#include "core/png/ImageExport.h"
#include "ui/DragGrip.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>

namespace pintora {
namespace {

// A program's window that takes drops, as a chat or a file manager does:
// it keeps what each form of the drop gave it.
class DropTarget : public QWidget
{
public:
    DropTarget() { setAcceptDrops(true); }
    QByteArray png;
    QString file;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent *event) override
    {
        png = event->mimeData()->data(QStringLiteral("image/png"));
        if (!event->mimeData()->urls().isEmpty())
            file = event->mimeData()->urls().front().toLocalFile();
        event->acceptProposedAction();
    }
};

// Drags `data` onto `target` and drops it there, as Qt delivers a drop.
void dropOn(QWidget &target, const QMimeData &data)
{
    const QPointF middle(target.width() / 2.0, target.height() / 2.0);
    QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&target, &drop);
}

} // namespace

// The grip carries the selection (else the whole image) as PNG bytes and as
// a PNG file only its user may open, and another program gets both.
TEST_F(EditorTest, TheGripCarriesTheImageAsPngBytesAndAsAPrivateFile)
{
    auto *grip = editor.findChild<DragGrip *>(QStringLiteral("dragGrip"));
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(grip->isVisibleTo(&editor));
    for (const bool selected : {false, true}) {
        if (selected)
            doc().setSelectionRect(QRectF(100, 50, 200, 150));
        std::unique_ptr<QMimeData> data(grip->dragData());
        ASSERT_NE(data, nullptr);
        DropTarget target;
        target.resize(100, 100);
        dropOn(target, *data);
        const QImage expected = selected ? doc().cutOutSelection() : doc().currentImage();
        EXPECT_EQ(decodeImage(target.png), expected.convertToFormat(decodeImage(target.png).format())) << selected;
        QFile file(target.file);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << target.file.toStdString();
        EXPECT_EQ(file.readAll(), target.png);
        struct stat folder = {};
        ASSERT_EQ(stat(QFile::encodeName(QFileInfo(target.file).absolutePath()).constData(), &folder), 0);
        EXPECT_EQ(folder.st_mode & 0777, 0700u);
    }
}

// An image file dropped on the editor replaces the image as Paste does: one
// step that Undo takes back. Image data dropped does the same; a file that
// is no image changes nothing and says why.
TEST_F(EditorTest, AnImageDroppedOnTheEditorReplacesItAsOneStep)
{
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("dropped.png"));
    ASSERT_EQ(saveImage(solidImage(30, 20, Qt::green), picture), QString());
    const QString text = folder.filePath(QStringLiteral("notes.png"));
    {
        QFile notes(text);
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("not an image");
    }
    const auto waitForImage
        = [this](QSize size) { return eventually([&] { return doc().currentImage().size() == size; }, 10000); };
    console.clear();
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(picture)});
    dropOn(editor, file);
    ASSERT_TRUE(waitForImage(QSize(30, 20)));
    EXPECT_EQ(console.lines().back(), "✅ New image dropped on the editor");
    EXPECT_EQ(doc().undoCount(), 1);
    doc().performUndo();
    EXPECT_EQ(doc().currentImage().size(), source.size());

    QMimeData bytes;
    bytes.setData(QStringLiteral("image/png"), encodePng(solidImage(7, 5, Qt::red)));
    dropOn(editor, bytes);
    ASSERT_TRUE(waitForImage(QSize(7, 5)));

    console.clear();
    QMimeData notImage;
    notImage.setUrls({QUrl::fromLocalFile(text)});
    dropOn(editor, notImage);
    ASSERT_TRUE(eventually([this] { return !console.lines().empty(); }, 10000));
    EXPECT_EQ(console.lines().back().rfind("❌ Failed to open the dropped image: ", 0), 0u) << console.lines().back();
    EXPECT_EQ(doc().currentImage().size(), QSize(7, 5));
}

// Ctrl+Shift+A lets the selection go; the solid fill hides what is under it.
TEST_F(EditorTest, DeselectAndTheSolidFill)
{
    doc().setSelectionRect(QRectF(100, 50, 200, 150));
    console.clear();
    QTest::keyClick(&editor, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(doc().selectionRect().isNull());
    EXPECT_EQ(console.lines(), std::vector<std::string>{"📐 Selection cleared"});

    for (const auto &[solid, opaque] : {std::pair{false, false}, std::pair{true, true}}) {
        doc().chooseColor(QColor(Qt::blue));
        doc().chooseFill(true, solid);
        drag(400, 300, 500, 400, Qt::RightButton);
        const QColor inside = doc().currentImage().pixelColor(450, 600 - 350);
        EXPECT_EQ(inside == QColor(Qt::blue), opaque) << solid;
        doc().performUndo();
    }
}

} // namespace pintora
