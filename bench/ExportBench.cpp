#include "AllocationCounter.h"
#include "Screenshot.h"
#include "app/PintoraApp.h"
#include "core/document/EditorDocument.h"
#include "core/pixels/DisplayScaling.h"
#include "core/png/PngReader.h"
#include "core/png/PngWriter.h"
#include "ui/CanvasView.h"
#include "ui/Clipboard.h"
#include "ui/EditorWindow.h"
#include "ui/ImageEditorView.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>

#include <QtEndian>

#include <isa-l/igzip_lib.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

namespace pintora {
namespace {

// Screenshot-like images of 5120 x 2880 (range 0 = 5120) or 1920 x 1080.
const QImage &screenshotOf(benchmark::State &state)
{
    static const QImage large = makeScreenshot(5120, 2880), small = makeScreenshot(1920, 1080);
    return state.range(0) == 5120 ? large : small;
}

// The filtered rows inside the writer's PNG of `image` (one IDAT), inflated.
std::vector<unsigned char> filteredRowsOf(const QImage &image)
{
    const QByteArray png = writePng(image);
    const qsizetype idat = png.indexOf("IDAT");
    const auto length = qFromBigEndian<quint32>(png.constData() + idat - 4);
    std::vector<unsigned char> filtered(std::size_t(image.height()) * (std::size_t(image.width()) * 3 + 1));
    inflate_state state;
    isal_inflate_init(&state);
    state.crc_flag = ISAL_ZLIB;
    state.next_in = reinterpret_cast<unsigned char *>(const_cast<char *>(png.constData() + idat + 4));
    state.avail_in = length;
    state.next_out = filtered.data();
    state.avail_out = std::uint32_t(filtered.size());
    if (isal_inflate(&state) != ISAL_DECOMP_OK || state.avail_out != 0)
        filtered.clear();
    return filtered;
}

// The floor for the PNG writer: ISA-L's level-1 deflate alone, one thread,
// of the very bytes the writer compresses (its filtered rows).
void BM_IsalDeflateOfFilteredRows(benchmark::State &state)
{
    std::vector<unsigned char> filtered = filteredRowsOf(screenshotOf(state));
    if (filtered.empty())
        state.SkipWithError("the writer's PNG does not inflate");
    std::vector<unsigned char> out(filtered.size() + filtered.size() / 8 + 1024), level(ISAL_DEF_LVL1_DEFAULT);
    std::size_t size = 0;
    for (auto _ : state) {
        isal_zstream stream;
        isal_deflate_init(&stream);
        stream.level = 1;
        stream.level_buf = level.data();
        stream.level_buf_size = std::uint32_t(level.size());
        stream.next_in = filtered.data();
        stream.avail_in = std::uint32_t(filtered.size());
        stream.next_out = out.data();
        stream.avail_out = std::uint32_t(out.size());
        stream.end_of_stream = 1;
        isal_deflate(&stream);
        size = stream.total_out;
    }
    state.counters["KiB"] = double(size) / 1024;
}
BENCHMARK(BM_IsalDeflateOfFilteredRows)->Arg(5120)->Arg(1920)->Unit(benchmark::kMillisecond);

// The writer, on one thread (range 1 = 1) and on all cores (0).
void BM_WritePng(benchmark::State &state)
{
    const QImage &image = screenshotOf(state);
    std::size_t size = 0;
    for (auto _ : state)
        size = std::size_t(writePng(image, int(state.range(1))).size());
    state.counters["KiB"] = double(size) / 1024;
}
BENCHMARK(BM_WritePng)
    ->Args({5120, 1})
    ->Args({5120, 0})
    ->Args({1920, 1})
    ->Args({1920, 0})
    ->Unit(benchmark::kMillisecond);

// What Qt's own PNG writer makes at quality 80 (zlib's fastest level).
void BM_QtPngQuality80(benchmark::State &state)
{
    const QImage &image = screenshotOf(state);
    std::size_t size = 0;
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(80);
        writer.write(image);
        size = std::size_t(bytes.size());
    }
    state.counters["KiB"] = double(size) / 1024;
}
BENCHMARK(BM_QtPngQuality80)->Arg(5120)->Arg(1920)->Unit(benchmark::kMillisecond);

// The floor for Crop & Copy: the crop's own pixel copy.
void BM_CropPixelCopy(benchmark::State &state)
{
    const QImage &image = screenshotOf(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(image.copy(image.rect()).bits());
}
BENCHMARK(BM_CropPixelCopy)->Arg(5120)->Unit(benchmark::kMillisecond);

// The rectangle the Crop & Copy benchmarks cut: all but a 100-pixel border.
QRect cropRectOf(const QImage &image)
{
    return image.rect().adjusted(100, 100, -100, -100);
}

// Crop & Copy, from the command to the window being hidden (range 1 = 0) or
// to the PNG being ready on the clipboard (range 1 = 1), with what the tray
// app does on the way: the clipboard, then hiding.
void BM_CropAndCopy(benchmark::State &state)
{
    const QImage &image = screenshotOf(state);
    const QRect rect = cropRectOf(image);
    const bool toPng = state.range(1) == 1;
    std::unique_ptr<EditorWindow> window; // goes outside the timing
    for (auto _ : state) {
        state.PauseTiming();
        window = std::make_unique<EditorWindow>(image);
        EditorWindow *shown = window.get();
        QObject::connect(shown->editor(), &ImageEditorView::cropped, [shown](const QImage &pixels, const QRect &area) {
            putImageOnClipboard(pixels, area);
            shown->hide();
        });
        shown->show();
        QCoreApplication::processEvents();
        shown->editor()->document().setSelectionRect(
            QRectF(rect.x(), image.height() - rect.bottom() - 1, rect.width(), rect.height()));
        state.ResumeTiming();
        shown->editor()->cropAndCopyAction()->trigger();
        if (!toPng)
            state.PauseTiming();
        QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png")); // waits for the encode
        if (!toPng)
            state.ResumeTiming();
    }
}
BENCHMARK(BM_CropAndCopy)->Args({5120, 0})->Args({5120, 1})->Unit(benchmark::kMillisecond);

// The writer alone on a cut-out of the same rectangle.
void BM_WritePngOfCrop(benchmark::State &state)
{
    const QImage &image = screenshotOf(state);
    const QImage cut = image.copy(cropRectOf(image));
    for (auto _ : state)
        benchmark::DoNotOptimize(writePng(cut).size());
}
BENCHMARK(BM_WritePngOfCrop)->Arg(5120)->Unit(benchmark::kMillisecond);

// The floor for a tray click: decoding the clipboard's PNG alone.
void BM_DecodePng(benchmark::State &state)
{
    const QByteArray png = writePng(screenshotOf(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(QImage::fromData(png).bits());
}
BENCHMARK(BM_DecodePng)->Arg(5120)->Arg(1920)->Unit(benchmark::kMillisecond);

// Two screenshots' PNGs, offered in turn, so that each click is on a new
// image and opens a new editor.
class NewImages
{
public:
    explicit NewImages(const QImage &image)
        : m_pngs{writePng(image), writePng(image.mirrored(true, false))}
    {
    }

    // What the event loop does between two clicks (the window before goes,
    // the events of the one shown are handled), and the next image offered.
    void offerNext()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), m_pngs[m_next++ % 2]);
        QGuiApplication::clipboard()->setMimeData(data);
    }

    // The editor's document once it holds the image the click opened.
    static EditorDocument &documentAfterClick(PintoraApp &app)
    {
        while (app.isOpening() || !app.editorWindow()
               || app.editorWindow()->editor()->document().currentImage().isNull())
            QCoreApplication::processEvents();
        return app.editorWindow()->editor()->document();
    }

private:
    QByteArray m_pngs[2];
    int m_next = 0;
};

// A tray click on a new image: from the click to the editor, built and
// showing the decoded image (offscreen), its first paint done.
void BM_ClickToImage(benchmark::State &state)
{
    NewImages images(screenshotOf(state));
    PintoraApp app;
    for (auto _ : state) {
        state.PauseTiming();
        images.offerNext();
        state.ResumeTiming();
        app.menuBarIconClicked();
        NewImages::documentAfterClick(app);
        app.editorWindow()->editor()->findChild<CanvasView *>()->repaint();
    }
}
BENCHMARK(BM_ClickToImage)->Arg(5120)->Arg(1920)->Unit(benchmark::kMillisecond);

// What a click is held to: the transfer (here, in the process), our decode
// and Qt's smooth scale to the canvas's size.
void BM_ClickFloor(benchmark::State &state)
{
    const QImage &image = screenshotOf(state);
    const QByteArray png = writePng(image);
    EditorWindow window(image);
    window.show();
    QCoreApplication::processEvents();
    const CanvasView *canvas = window.editor()->findChild<CanvasView *>();
    const QSize target = canvas->size() * canvas->devicePixelRatio();
    for (auto _ : state) {
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), png);
        QGuiApplication::clipboard()->setMimeData(data);
        const QImage decoded
            = readPng(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png"))).image;
        benchmark::DoNotOptimize(decoded.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation).constBits());
    }
}
BENCHMARK(BM_ClickFloor)->Arg(5120)->Arg(1920)->Unit(benchmark::kMillisecond);

// The first paint's scaling, whole image to a 1536 x 864 canvas: ours
// (range 1 = 0) against Qt's smooth scale (range 1 = 1), into fresh memory
// each time as on a click.
void BM_FitScale(benchmark::State &state)
{
    const QImage &image = screenshotOf(state);
    const QSize fitted = image.size().scaled(QSize(1536, 864), Qt::KeepAspectRatio);
    const DisplayScaling scaling(image.size(), fitted);
    for (auto _ : state) {
        if (state.range(1) == 0)
            benchmark::DoNotOptimize(scaling.render(image).constBits());
        else
            benchmark::DoNotOptimize(image.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation).constBits());
    }
}
BENCHMARK(BM_FitScale)
    ->Args({5120, 0})
    ->Args({5120, 1})
    ->Args({1920, 0})
    ->Args({1920, 1})
    ->Unit(benchmark::kMillisecond);

// The first burn-in on an image just opened from the clipboard, as the tray
// app opens it: a 400 x 300 box. Timed by hand around the burn-in alone:
// pausing the benchmark's clocks costs more than the burn-in here.
// `peak_MiB` is the heap it takes at its peak.
void BM_FirstBurnIn(benchmark::State &state)
{
    NewImages images(screenshotOf(state));
    PintoraApp app;
    double peakMiB = 0;
    for (auto _ : state) {
        images.offerNext();
        app.menuBarIconClicked();
        EditorDocument &document = NewImages::documentAfterClick(app);
        allocation::resetPeak();
        const std::size_t before = allocation::bytesInUse();
        const auto start = std::chrono::steady_clock::now();
        document.drawRectangleOnImage(QRectF(1000, 1000, 400, 300), RectangleStyle{});
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        peakMiB = double(allocation::peakBytes() - before) / (1 << 20);
    }
    state.counters["peak_MiB"] = peakMiB;
}
BENCHMARK(BM_FirstBurnIn)->Arg(5120)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pintora
