#include "app/PintoraApp.h"
#include "core/document/EditorDocument.h"
#include "ui/CanvasView.h"
#include "ui/ImageEditorView.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QtEndian>

#include <isa-l/crc.h>
#include <zlib.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <vector>

// How long the event loop stands still while a giant image comes in.
namespace pintora {
namespace {

// A PNG chunk: length, type, data, CRC.
QByteArray chunk(const char *type, const QByteArray &data)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), bytes.data());
    const QByteArray body = QByteArray(type, 4) + data;
    bytes += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(
        crc32_gzip_refl(0, reinterpret_cast<const unsigned char *>(body.constData()), std::uint64_t(body.size())),
        crc.data());
    return bytes + crc;
}

// A valid PNG of `side` x `side` transparent RGBA pixels, all zeros: about a
// megabyte for the largest image the decoder takes.
QByteArray zerosPng(int side)
{
    const std::vector<unsigned char> row(1 + std::size_t(side) * 4, 0); // filter byte, then pixels
    std::vector<unsigned char> out(1 << 20);
    QByteArray zlib;
    z_stream stream{};
    deflateInit(&stream, 9);
    for (int y = 0; y <= side; ++y) {
        stream.next_in = const_cast<unsigned char *>(row.data());
        stream.avail_in = y < side ? uInt(row.size()) : 0;
        do {
            stream.next_out = out.data();
            stream.avail_out = uInt(out.size());
            deflate(&stream, y < side ? Z_NO_FLUSH : Z_FINISH);
            zlib.append(reinterpret_cast<const char *>(out.data()), qsizetype(out.size() - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(side), header.data());
    qToBigEndian<quint32>(quint32(side), header.data() + 4);
    header[8] = 8; // bits a channel
    header[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", zlib) + chunk("IEND", {});
}

// How long `act` and what follows until `busy` is false took, and the longest
// the event loop stood still meanwhile, in milliseconds.
struct Stall {
    double longest = 0, whole = 0;
};
Stall measureStall(const std::function<void()> &act, const std::function<bool(double elapsed)> &busy)
{
    QElapsedTimer since, gap;
    Stall stall;
    // A beat the event loop gives whenever it is free.
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { stall.longest = std::max(stall.longest, double(gap.restart())); });
    since.start();
    gap.start();
    beat.start(0);
    act();
    while (busy(double(since.elapsed())))
        QCoreApplication::processEvents();
    stall.whole = double(since.elapsed());
    return stall;
}

// A tray click on a giant image (range(0) pixels square), from the click
// until its editor shows it averaged: the longest the event loop stood
// still meanwhile, and how long it all took.
void BM_GiantImageStall(benchmark::State &state)
{
    const QByteArray png = zerosPng(int(state.range(0)));
    double longest = 0, whole = 0;
    for (auto _ : state) {
        PintoraApp app;
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), png);
        QGuiApplication::clipboard()->setMimeData(data);
        // Until the editor shows the image and has done refining it.
        const Stall stall
            = measureStall([&] { app.menuBarIconClicked(); },
                           [&](double elapsed) {
                               return app.isOpening() || elapsed < 200
                                   || (app.editorWindow() && app.editorWindow()->editor()->canvasView()->isRefining());
                           });
        if (!app.editorWindow() || app.editorWindow()->editor()->document().currentImage().isNull())
            state.SkipWithError("the image did not open");
        whole = stall.whole;
        longest = stall.longest;
    }
    state.counters["longest_stall_ms"] = longest;
    state.counters["click_to_exact_ms"] = whole;
}
BENCHMARK(BM_GiantImageStall)->Arg(16384)->Arg(5120)->Unit(benchmark::kMillisecond)->Iterations(1);

// Copy Text on a 1920 x 1080 screen of text, from the key to the text on
// the clipboard: the longest the event loop stood still meanwhile.
void BM_CopyTextStall(benchmark::State &state)
{
    QImage screen(1920, 1080, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(14);
        painter.setFont(font);
        for (int y = 30; y < 1060; y += 22)
            painter.drawText(QPoint(20, y),
                             QStringLiteral("error: cannot open shared object file: No such file "
                                            "or directory; Invoice 2026-0412 total 1,284.50 EUR"));
    }
    double longest = 0, whole = 0;
    for (auto _ : state) {
        ImageEditorView editor(screen);
        editor.resize(1536, 864);
        editor.show();
        QCoreApplication::processEvents();
        const Stall stall = measureStall([&] { editor.copyText(); }, [&](double) { return editor.isRecognizing(); });
        whole = stall.whole;
        longest = stall.longest;
    }
    state.counters["longest_stall_ms"] = longest;
    state.counters["key_to_clipboard_ms"] = whole;
}
BENCHMARK(BM_CopyTextStall)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace pintora
