#include "EditorTestSupport.h"
#include "ImageTestSupport.h"
#include "core/png/ImageExport.h"
#include "ui/Clipboard.h"
#include "ui/X11Clipboard.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>

namespace pintora {

TEST_F(EditorTest, CopyPutsTheWholeBurnedInImageOnTheClipboard)
{
    drag(100, 100, 300, 200, Qt::RightButton);
    const QImage burned = doc().currentImage();
    console.clear();
    editor.copyFullImageToClipboard();
    // Said once the PNG is there, not before.
    EXPECT_EQ(console.lines(), Lines{});
    ASSERT_TRUE(eventually([this] { return !console.lines().empty(); }));
    EXPECT_EQ(console.lines(), Lines{"✅ Full image copied to clipboard (800×600px)"});

    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    const QImage fromPng = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    EXPECT_EQ(fromPng.size(), QSize(800, 600));
    EXPECT_EQ(fromPng.convertToFormat(QImage::Format_ARGB32), burned.convertToFormat(QImage::Format_ARGB32));
    EXPECT_TRUE(data->hasImage());
    EXPECT_EQ(doc().currentImage(), burned); // nothing else changes
}

TEST(EditorClipboard, TheClipboardTakesTheImageBeforeItsPngIsReadyAndWaitsForIt)
{
    const QImage large = noiseImage(4000, 3000);
    const PendingPng png = putImageOnClipboard(large);
    // 48 MB cannot have been encoded in the moment this took.
    EXPECT_NE(png.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(data->hasImage());
    // And the empty type that makes KDE's clipboard manager keep an image.
    EXPECT_TRUE(data->formats().contains(QStringLiteral("x-kde-force-image-copy")));
    EXPECT_TRUE(data->data(QStringLiteral("x-kde-force-image-copy")).isEmpty());
    const QByteArray offered = data->data(QStringLiteral("image/png")); // waits
    EXPECT_EQ(offered, png.get());
    EXPECT_EQ(QImage::fromData(offered).convertToFormat(QImage::Format_RGB32), large);
}

// A Copy over a Copy replaces the offer without emptying the clipboard in
// between: a clipboard manager that keeps it from being empty (KDE's does by
// default) would put its own item back, over ours.
TEST(EditorClipboard, ACopyNeverLeavesTheClipboardEmpty)
{
    putImageOnClipboard(solidImage(30, 20, Qt::red));
    std::vector<QStringList> seen;
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QMetaObject::Connection watch = QObject::connect(clipboard, &QClipboard::dataChanged, [&] {
        seen.push_back(clipboard->mimeData() ? clipboard->mimeData()->formats() : QStringList());
    });
    putImageOnClipboard(solidImage(30, 20, Qt::blue));
    QObject::disconnect(watch);
    ASSERT_FALSE(seen.empty());
    for (const QStringList &formats : seen)
        EXPECT_TRUE(formats.contains(QStringLiteral("image/png"))) << formats.join(u' ').toStdString();
}

// Another program's question for the offer, for its types or its data, is
// what tells Crop & Copy that the copy has been taken.
TEST(EditorClipboard, TheOfferTellsOfEveryQuestionForIt)
{
    CopyReport report;
    QSignalSpy asked(&report, &CopyReport::asked);
    putImageOnClipboard(solidImage(30, 20, Qt::red), {}, {}, &report);
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    const qsizetype before = asked.count();
    data->formats();
    EXPECT_EQ(asked.count(), before + 1);
    data->data(QStringLiteral("image/png"));
    EXPECT_GT(asked.count(), before + 1);
}

TEST(EditorClipboard, CopyWithoutAnImageSaysSo)
{
    ConsoleCapture console;
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    ImageEditorView editor{QImage()};
    editor.copyFullImageToClipboard();
    EXPECT_EQ(console.lines(), Lines{"⚠️ No source image"});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

TEST_F(EditorTest, PasteIsOneStepThatUndoTakesBack)
{
    drag(100, 100, 300, 200, Qt::RightButton);
    const QImage boxed = doc().currentImage();
    drag(10, 10, 50, 50); // a selection, which the paste must clear

    const QImage pasted = solidImage(320, 200, Qt::magenta);
    auto *data = new QMimeData;
    // Bytes only, as other programs offer them; PNG is taken before the
    // types listed ahead of it.
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    solidImage(10, 10, Qt::yellow).save(&buffer, "BMP");
    data->setData(QStringLiteral("image/bmp"), bmp);
    data->setData(QStringLiteral("image/png"), encodePng(pasted));
    QGuiApplication::clipboard()->setMimeData(data);
    console.clear();
    editor.pasteNewImage();

    EXPECT_EQ(console.lines(), (Lines{"💾 State saved for undo (stack size: 4)", "✅ New image pasted from clipboard"}));
    EXPECT_EQ(doc().currentImage().size(), QSize(320, 200));
    EXPECT_EQ(doc().currentImage().pixelColor(5, 5), QColor(Qt::magenta));
    EXPECT_EQ(doc().selectionRect(), QRectF());
    editor.undoAction()->trigger();
    EXPECT_EQ(doc().currentImage(), boxed);
    editor.redoAction()->trigger();
    EXPECT_EQ(doc().currentImage().size(), QSize(320, 200));
}

} // namespace pintora

namespace pintora {

// What a clipboard owner offers decides what is read: PNG before TIFF
// wherever they stand, nothing else, and nothing from a malformed reply.
TEST(X11ClipboardTargets, PngFirstThenTiffAndNothingFromAMalformedReply)
{
    constexpr std::uint32_t png = 301, tiff = 302, text = 7;
    // clang-format off
    const struct {
        std::vector<std::uint32_t> offered;
        int format;
        std::size_t bytes; // of the reply: a piece of an item counts for nothing
        std::optional<std::uint32_t> chosen;
    } cases[] = {
        {{text, tiff, png}, 32, 12, png},
        {{tiff, text}, 32, 8, tiff},
        {{text}, 32, 4, std::nullopt},
        {{}, 32, 0, std::nullopt},
        {{tiff, png}, 8, 8, std::nullopt}, // not a list of atoms
        {{tiff, png}, 32, 7, tiff},        // the cut-off last item is not read
    };
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(chooseImageTarget(c.offered.data(), c.bytes, c.format, png, tiff), c.chosen) << c.bytes << " bytes";
}

} // namespace pintora
