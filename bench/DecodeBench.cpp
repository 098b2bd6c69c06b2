#include "Screenshot.h"
#include "core/png/PngReader.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <isa-l/igzip_lib.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace pintora {
namespace {

// A screenshot of range(0) x range(1) as another application's PNG: Qt's
// writer (libpng with zlib at its default level).
const QByteArray &screenshotPng(int width, int height)
{
    static std::map<std::pair<int, int>, QByteArray> made;
    QByteArray &png = made[{width, height}];
    if (png.isEmpty()) {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        makeScreenshot(width, height).convertToFormat(QImage::Format_RGB32).save(&buffer, "PNG");
    }
    return png;
}

void BM_DecodePngOurs(benchmark::State &state)
{
    const QByteArray &png = screenshotPng(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(readPng(png).image.constBits());
}
BENCHMARK(BM_DecodePngOurs)->Args({5120, 2880})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_DecodePngQt(benchmark::State &state)
{
    const QByteArray &png = screenshotPng(int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(QImage::fromData(png).constBits());
}
BENCHMARK(BM_DecodePngQt)->Args({5120, 2880})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// The zlib stream of a PNG's IDAT chunks, joined.
QByteArray imageData(const QByteArray &png)
{
    QByteArray stream;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const auto length = qsizetype(qFromBigEndian<quint32>(png.constData() + at));
        if (png.mid(at + 4, 4) == "IDAT")
            stream += png.mid(at + 8, length);
        at += length + 12;
    }
    return stream;
}

// A textbook unfilter of RGB rows, a byte at a time.
void unfilter(unsigned char *rows, int height, std::size_t stride, int bpp)
{
    for (int y = 0; y < height; ++y) {
        unsigned char *row = rows + std::size_t(y) * stride;
        const unsigned char *up = y > 0 ? row - stride : nullptr;
        const int filter = row[0];
        unsigned char *x = row + 1;
        const unsigned char *b = up ? up + 1 : nullptr;
        for (std::size_t i = 0; i < stride - 1; ++i) {
            const int a = i >= std::size_t(bpp) ? x[i - bpp] : 0;
            const int u = b ? b[i] : 0;
            const int c = b && i >= std::size_t(bpp) ? b[i - bpp] : 0;
            int add = 0;
            switch (filter) {
            case 1: add = a; break;
            case 2: add = u; break;
            case 3: add = (a + u) / 2; break;
            case 4: {
                const int p = a + u - c, pa = std::abs(p - a), pb = std::abs(p - u), pc = std::abs(p - c);
                add = pa <= pb && pa <= pc ? a : pb <= pc ? u : c;
                break;
            }
            default: break;
            }
            x[i] = (unsigned char)(x[i] + add);
        }
    }
}

// The floor the reader is held to: ISA-L's inflate of the same stream and a
// plain unfilter, into buffers that are already warm.
void BM_InflateAndUnfilter(benchmark::State &state)
{
    const int width = int(state.range(0)), height = int(state.range(1));
    const QByteArray stream = imageData(screenshotPng(width, height));
    const std::size_t stride = std::size_t(width) * 3 + 1;
    std::vector<unsigned char> rows(stride * std::size_t(height));
    for (auto _ : state) {
        inflate_state inflate;
        isal_inflate_init(&inflate);
        inflate.crc_flag = ISAL_ZLIB;
        inflate.next_in = reinterpret_cast<unsigned char *>(const_cast<char *>(stream.constData()));
        inflate.avail_in = std::uint32_t(stream.size());
        inflate.next_out = rows.data();
        inflate.avail_out = std::uint32_t(rows.size());
        if (isal_inflate(&inflate) != ISAL_DECOMP_OK || inflate.avail_out != 0) {
            state.SkipWithError("not RGB rows");
            break;
        }
        unfilter(rows.data(), height, stride, 3);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_InflateAndUnfilter)->Args({5120, 2880})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pintora
