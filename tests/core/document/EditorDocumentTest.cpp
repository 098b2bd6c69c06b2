#include "ConsoleCapture.h"
#include "ImageTestSupport.h"
#include "core/document/EditorDocument.h"
#include "core/geometry/Geometry.h"
#include "core/pixels/BurnIn.h"
#include "core/pixels/GaussianBlur.h"
#include "core/png/ImageExport.h"
#include "core/tools/Tools.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace pintora {
namespace {

std::string text(const QRect &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

// A document with its console lines and signals written into one log, in
// the order they happen.
class DocumentTest : public ::testing::Test
{
protected:
    DocumentTest()
    {
        QObject::connect(&document, &EditorDocument::selectionChanged,
                         [this](const QRectF &r) { log.push_back("selection " + console::formatRect(r)); });
        QObject::connect(&document, &EditorDocument::drawModeChanged, [this](DrawMode mode) {
            log.push_back(mode == DrawMode::rectangle ? "mode rectangle" : "mode selection");
        });
        QObject::connect(&document, &EditorDocument::imageChanged,
                         [this](const QRect &area) { log.push_back("image " + text(area)); });
        document.setImage(noiseImage(200, 150));
        log.clear();
    }

    std::vector<std::string> log;
    ConsoleCapture console{[this](std::string_view line) { log.emplace_back(line); }};
    EditorDocument document;
};

using Lines = std::vector<std::string>;

TEST_F(DocumentTest, DragsSnapshotsAndUndoAnnounceThemselvesInOrder)
{
    // clang-format off
    const struct {
        const char *action;
        std::function<void(EditorDocument &)> run;
        Lines expected;
    } steps[] = {
        {"left press", [](auto &d) { d.press(DrawMode::selection, {12, 30.5}); },
         {"selection (12.0, 30.5, 0.0, 0.0)"}},
        {"click release", [](auto &d) { d.release(); }, {"✅ Selection (pixels): (12.0, 30.5, 0.0, 0.0)"}},
        {"right press after selecting", [](auto &d) { d.press(DrawMode::rectangle, {10, 10}); },
         {"💾 State saved for undo (stack size: 1)", "mode rectangle"}},
        {"right press, same mode", [](auto &d) { d.press(DrawMode::rectangle, {10, 10}); }, {}},
        {"zero-height box", [](auto &d) { d.setSelectionRect({10, 10, 50, 0}); }, {"selection (10.0, 10.0, 50.0, 0.0)"}},
        {"its release burns nothing", [](auto &d) { d.release(); },
         {"✅ Selection (pixels): (10.0, 10.0, 50.0, 0.0)"}},
        {"drag a box", [](auto &d) { d.setSelectionRect({10, 10, 20, 30}); }, {"selection (10.0, 10.0, 20.0, 30.0)"}},
        // Bitmap rows 110 to 140, grown by the outline's half width and a pixel.
        {"its release burns it", [](auto &d) { d.release(); },
         {"💾 State saved for undo (stack size: 2)", "🎨 Drawing ON image: rect=(10.0, 10.0, 20.0, 30.0)",
          "image (7,107 26x36)", "✅ Rectangle drawn on image!", "selection (0.0, 0.0, 0.0, 0.0)"}},
        {"left press after drawing", [](auto &d) { d.press(DrawMode::selection, {5, 6}); },
         {"💾 State saved for undo (stack size: 3)", "mode selection", "selection (5.0, 6.0, 0.0, 0.0)"}},
        {"undo of the mode switch", [](auto &d) { d.performUndo(); },
         {"selection (0.0, 0.0, 0.0, 0.0)", "↶ Undo performed (undo stack: 2, redo stack: 1)"}},
        {"undo of the box", [](auto &d) { d.performUndo(); },
         {"image (7,107 26x36)", "selection (0.0, 0.0, 0.0, 0.0)",
          "↶ Undo performed (undo stack: 1, redo stack: 2)"}},
        {"redo of the box", [](auto &d) { d.performRedo(); },
         {"image (7,107 26x36)", "selection (0.0, 0.0, 0.0, 0.0)",
          "↷ Redo performed (undo stack: 2, redo stack: 1)"}},
        {"undo of the box again", [](auto &d) { d.performUndo(); },
         {"image (7,107 26x36)", "selection (0.0, 0.0, 0.0, 0.0)",
          "↶ Undo performed (undo stack: 1, redo stack: 2)"}},
        {"a mode switch keeps what can be redone", [](auto &d) { d.press(DrawMode::rectangle, {10, 10}); },
         {"💾 State saved for undo (stack size: 2)", "mode rectangle"}},
        {"redo goes on with the box", [](auto &d) { d.performRedo(); },
         {"image (7,107 26x36)", "selection (0.0, 0.0, 0.0, 0.0)",
          "↷ Redo performed (undo stack: 3, redo stack: 1)"}},
        {"a snapshot before a change forgets the redo", [](auto &d) { d.saveStateForUndo(); },
         {"💾 State saved for undo (stack size: 4)"}},
        {"nothing to redo", [](auto &d) { d.performRedo(); }, {}},
        {"pasting nothing keeps all", [](auto &d) { d.paste(QImage()); }, {"⚠️ No image on clipboard"}},
        {"paste", [](auto &d) { d.paste(solidImage(30, 20, Qt::blue)); },
         {"💾 State saved for undo (stack size: 5)", "image (0,0 30x20)", "selection (0.0, 0.0, 0.0, 0.0)",
          "✅ New image pasted from clipboard"}},
        {"undo of the paste brings the image back", [](auto &d) { d.performUndo(); },
         {"image (0,0 200x150)", "selection (0.0, 0.0, 0.0, 0.0)", "↶ Undo performed (undo stack: 4, redo stack: 1)"}},
    };
    // clang-format on
    for (const auto &step : steps) {
        log.clear();
        step.run(document);
        EXPECT_EQ(log, step.expected) << step.action;
    }
    EXPECT_EQ(document.drawMode(), DrawMode::rectangle);
}

TEST(DocumentCrop, CutsTheSelectedRowsCountedFromTheTopAndReportsEachStep)
{
    // clang-format off
    const struct {
        QRectF selection;
        Lines lines;
        QRect fromSource; // bitmap space; null when nothing is cut
    } cases[] = {
        {{100, 50, 200, 150},
         {"📐 Image: 800×600 px", "📐 Selection: (100.0, 50.0, 200.0, 150.0)",
          "📐 Crop rect (flipped Y): (100.0, 400.0, 200.0, 150.0)", "✅ Cropped to: 200×150 px",
          "💾 State saved for undo (stack size: 1)", "🔄 New image on canvas"},
         {100, 400, 200, 150}},
        // Fractional edges take every touched pixel; the top edge is y = 0.
        {{10.4, 599.5, 100.2, 0.5},
         {"📐 Image: 800×600 px", "📐 Selection: (10.4, 599.5, 100.2, 0.5)",
          "📐 Crop rect (flipped Y): (10.4, 0.0, 100.2, 0.5)", "✅ Cropped to: 101×1 px",
          "💾 State saved for undo (stack size: 1)", "🔄 New image on canvas"},
         {10, 0, 101, 1}},
        {{900, 10, 50, 50},
         {"📐 Image: 800×600 px", "📐 Selection: (900.0, 10.0, 50.0, 50.0)",
          "📐 Crop rect (flipped Y): (900.0, 540.0, 50.0, 50.0)"},
         {}},
        {{10, 10, 50, 0}, {}, {}},
    };
    // clang-format on
    for (const auto &c : cases) {
        const QImage source = noiseImage(800, 600);
        EditorDocument document;
        document.setImage(source);
        document.setSelectionRect(c.selection);
        ConsoleCapture console;
        document.crop();
        EXPECT_EQ(console.lines(), c.lines);
        EXPECT_EQ(document.currentImage(), c.fromSource.isNull() ? source : source.copy(c.fromSource));
        EXPECT_EQ(document.currentImage().devicePixelRatio(), 1.0);
        // A crop that happened can be undone.
        EXPECT_EQ(document.undoCount(), c.fromSource.isNull() ? 0 : 1);
        document.performUndo();
        EXPECT_EQ(document.currentImage(), source);
    }
}

TEST(DocumentOutOfMemory, ACropOrBurnInThatFailsChangesNothing)
{
    const QImage big = solidImage(6000, 5000, Qt::white); // 120 MB
    EditorDocument document;
    document.setImage(big);
    document.setSelectionRect(QRectF(0, 0, 6000, 5000));
    std::vector<std::string> lines;
    {
        ConsoleCapture console([&](std::string_view line) { lines.emplace_back(line); });
        const AddressSpaceLimit limit(64 << 20);
        bool outOfMemory = false;
        EXPECT_TRUE(document.cropSelection(outOfMemory).isNull());
        EXPECT_TRUE(outOfMemory);
        document.crop();
        // The image is shared with `big`: drawing needs a copy, which fails.
        document.press(DrawMode::rectangle, {100, 100});
        document.setSelectionRect(QRectF(10, 10, 100, 100));
        document.release();
        EXPECT_FALSE(document.drawRectangleOnImage(QRectF(10, 10, 5000, 4000), RectangleStyle{}));
    }
    EXPECT_EQ(lines.back(), "❌ Failed to create context");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "❌ Failed to crop image: not enough memory"), 2);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "❌ Failed to create context"), 2);
    EXPECT_EQ(document.currentImage(), big);
    EXPECT_EQ(document.undoCount(), 1); // the mode switch's snapshot, none for the failed box
}

TEST(DocumentOutOfMemory, ABlurOfTheWholeImageNeedsAFewBytesAPixel)
{
    EditorDocument document;
    document.setImage(noiseImage(4000, 3000).copy()); // its own pixels: 48 MB
    ConsoleCapture quiet;
    {
        // The patch, which undo keeps, takes 4 bytes a pixel; 3 more for the work.
        const AddressSpaceLimit limit(7 * 4000 * 3000);
        EXPECT_TRUE(document.drawRectangleOnImage(QRectF(0, 0, 4000, 3000), RectangleStyle{QColor(), 3, false, true}));
    }
    EXPECT_EQ(quiet.lines().back(), "✅ Rectangle drawn on image!");
}

// Bytes of every pixel outside `area`, row by row.
QByteArray outside(const QImage &image, const QRect &area)
{
    QByteArray bytes;
    const int pixelBytes = image.depth() / 8;
    for (int y = 0; y < image.height(); ++y) {
        const char *line = reinterpret_cast<const char *>(image.constScanLine(y));
        if (y < area.top() || y > area.bottom()) {
            bytes.append(line, image.width() * pixelBytes);
            continue;
        }
        bytes.append(line, area.left() * pixelBytes);
        bytes.append(line + (area.right() + 1) * pixelBytes, (image.width() - area.right() - 1) * pixelBytes);
    }
    return bytes;
}

TEST(DocumentBurnIn, EveryToolLeavesEveryPixelOutsideItsAreaAndTheFormatAsTheyWere)
{
    // Translucent pixels of low alpha lose most of their colour in a round
    // trip through premultiplied alpha; 16-bit ones lose their low byte in 8 bits.
    QImage translucent(120, 90, QImage::Format_ARGB32);
    QImage deep(120, 90, QImage::Format_RGBA64);
    for (int y = 0; y < 90; ++y) {
        for (int x = 0; x < 120; ++x) {
            translucent.setPixel(x, y, qRgba(x * 2, 255 - y, (x * y) % 256, 1 + (x + y) % 15));
            deep.setPixelColor(x, y, QColor::fromRgba64(x * 541, y * 727, (x * y * 37) % 65536, 65535 - x * 3));
        }
    }
    // Formats a painter cannot draw colour into are converted first, to one
    // that holds every pixel as it was: straight alpha, 16-bit grey as 16 bits.
    QImage palette(120, 90, QImage::Format_Indexed8);
    palette.setColorTable(
        {qRgba(200, 10, 10, 3), qRgba(10, 200, 10, 128), qRgba(0, 0, 0, 0), qRgba(255, 255, 255, 255)});
    QImage grey(120, 90, QImage::Format_Grayscale16);
    for (int y = 0; y < 90; ++y) {
        for (int x = 0; x < 120; ++x) {
            palette.setPixel(x, y, uint((x + 2 * y) % 4));
            reinterpret_cast<quint16 *>(grey.scanLine(y))[x] = quint16(x * 523 + y * 7);
        }
    }
    // Every tool's mark, over the same region.
    Mark mark;
    mark.rect = QRectF(30.5, 20, 40, 30.25);
    mark.from = QPointF(30.5, 20);
    mark.to = QPointF(70.5, 50.25);
    mark.path = {mark.from, QPointF(50, 45), QPointF(60, 25), mark.to};
    mark.style = RectangleStyle{QColor(0, 0, 255), 5.0, true, false};
    mark.number = 7;
    mark.text = QStringLiteral("Text\nlines");
    mark.textSize = 20;
    for (const QImage &source : {translucent, deep, noiseImage(120, 90), palette, grey}) {
        for (const Tool *tool : allTools()) {
            ConsoleCapture quiet;
            EditorDocument document;
            document.setImage(source);
            ASSERT_TRUE(document.drawMark(*tool, mark)) << tool->id().toStdString();
            const QImage &burned = document.currentImage();
            const QRect area = tool->area(mark.inBitmap(90), source.size());
            const std::string what = tool->id().toStdString() + " on format " + std::to_string(source.format());
            EXPECT_EQ(burned.format(), editableFormat(source)) << what;
            EXPECT_EQ(outside(burned, area), outside(source.convertToFormat(burned.format()), area)) << what;
            EXPECT_NE(burned, source) << what;
            document.performUndo();
            EXPECT_EQ(document.currentImage().format(), source.format()) << what;
            EXPECT_EQ(document.currentImage(), source) << what;
        }
    }
}

} // namespace
} // namespace pintora
