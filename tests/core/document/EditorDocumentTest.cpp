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
#include <random>

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

// ---- the history against whole images

// The same edits done the simple way: every burn-in on a fresh whole
// premultiplied copy, every snapshot a whole image.
struct WholeImageEditor {
    QImage current;
    QList<QImage> undo, redo;

    void snapshot()
    {
        undo.append(current);
        redo.clear();
    }
    // On a whole premultiplied copy; that every tool stays within its area is
    // shown by the tools' own test.
    void burn(const Tool &tool, const Mark &pixelMark)
    {
        QImage canvas = current.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const Mark mark = pixelMark.inBitmap(canvas.height());
        const QRect area = tool.area(mark, canvas.size());
        QImage pixels = canvas.copy(area);
        if (tool.replacesPixels())
            pixels = tool.replacement(canvas, mark, area);
        else
            tool.burn(pixels, mark, area);
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(area.topLeft(), pixels);
        painter.end();
        current = canvas;
    }
    void step(QList<QImage> &from, QList<QImage> &to)
    {
        if (from.isEmpty())
            return;
        to.append(current);
        current = from.takeLast();
    }
};

::testing::AssertionResult samePixels(const QImage &a, const QImage &b)
{
    const QImage::Format f = QImage::Format_ARGB32_Premultiplied;
    if (a.convertToFormat(f) == b.convertToFormat(f))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "images differ (" << a.width() << "x" << a.height() << " and " << b.width()
                                         << "x" << b.height() << ")";
}

class DocumentHistory : public ::testing::TestWithParam<unsigned>
{
};

TEST_P(DocumentHistory, UndoAndRedoGiveBackEveryImageExactly)
{
    std::mt19937 random(GetParam());
    const auto uniform = [&](double from, double to) { return std::uniform_real_distribution<>(from, to)(random); };
    // clang-format off
    const RectangleStyle styles[] = {
        {QColor(255, 0, 0), 3.0, false, false},
        {QColor(0, 255, 255), 5.0, true, false},
        {QColor(255, 255, 0), 1.0, false, false},
    };
    // clang-format on
    ConsoleCapture quiet;
    EditorDocument document;
    WholeImageEditor reference;
    document.setImage(noiseImage(160, 120));
    reference.current = noiseImage(160, 120);

    std::vector<QImage> seen{reference.current};
    for (int i = 0; i < 80; ++i) {
        const int kind = int(random() % 10); // undo and redo interleave with the rest
        const QSizeF size = reference.current.size();
        if (kind < 4) { // a mark of any tool, often reaching over an edge
            const double x = uniform(-20, size.width() - 5), y = uniform(-20, size.height() - 5);
            QRectF box = QRectF(x, y, uniform(2, 80), uniform(2, 60)) & QRectF(QPointF(0, 0), size);
            if (i % 2) // whole pixels, which a blur patch replaces outright
                box = box.toAlignedRect() & QRect(QPoint(0, 0), size.toSize());
            if (!geometry::hasArea(box))
                continue;
            const Tool &tool = *allTools()[random() % allTools().size()];
            Mark mark;
            mark.rect = box;
            mark.from = box.topLeft();
            mark.to = box.bottomRight();
            mark.path = {mark.from, QPointF(box.left(), box.bottom()), mark.to};
            mark.constrained = i % 3 == 0;
            mark.style = styles[random() % 3];
            mark.number = tool.isNumbered() ? document.history()->markersToUndo() + 1 : 0;
            mark.text = QStringLiteral("Grüße 日本\nstep %1").arg(i);
            mark.textSize = 12 + i % 20;
            document.drawMark(tool, mark);
            reference.snapshot();
            reference.burn(tool, mark);
        } else if (kind == 4) { // a mode switch: a snapshot that changes nothing and keeps the redo
            const bool selecting = document.drawMode() == DrawMode::selection;
            document.press(selecting ? DrawMode::rectangle : DrawMode::selection, {1, 1});
            reference.undo.append(reference.current);
        } else if (kind == 5 && size.width() > 40) { // a plain crop
            const QRectF selection(uniform(0, 10), uniform(0, 10), size.width() - 15, size.height() - 15);
            document.setSelectionRect(selection);
            document.crop();
            reference.snapshot();
            reference.current = cutOut(reference.current, geometry::bitmapRectFromPixel(selection, size.height()));
        } else if (kind == 6 && i % 4 == 0) {
            const QImage pasted = noiseImage(100 + i, 90);
            document.paste(pasted);
            reference.snapshot();
            reference.current = pasted;
        } else if (kind == 6 || kind == 7) {
            document.performUndo();
            reference.step(reference.undo, reference.redo);
        } else {
            document.performRedo();
            reference.step(reference.redo, reference.undo);
        }
        ASSERT_TRUE(samePixels(document.currentImage(), reference.current)) << "after step " << i;
        ASSERT_EQ(document.undoCount(), reference.undo.size());
        ASSERT_EQ(document.redoCount(), reference.redo.size());
    }
    while (!reference.undo.isEmpty()) {
        document.performUndo();
        reference.step(reference.undo, reference.redo);
        ASSERT_TRUE(samePixels(document.currentImage(), reference.current)) << reference.undo.size();
    }
    while (!reference.redo.isEmpty()) {
        document.performRedo();
        reference.step(reference.redo, reference.undo);
        ASSERT_TRUE(samePixels(document.currentImage(), reference.current)) << reference.redo.size();
    }
}
INSTANTIATE_TEST_SUITE_P(Seeds, DocumentHistory, ::testing::Values(1u, 2u, 3u, 20261206u));

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
