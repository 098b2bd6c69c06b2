#include "core/pixels/GaussianBlur.h"

#include "core/Parallel.h"
#include "core/pixels/HiddenFill.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

namespace pintora {
namespace {

// The two inner loops apart, with pointers that do not overlap, so that the
// compiler runs them many bytes at a time.
// Sums of at most 257 bytes fit 16 bits, so eight of them go in a register
// and the division by the width is one high-half multiplication.
void emitMeans(std::uint8_t *__restrict out, const std::uint16_t *__restrict sums, std::size_t count,
               std::uint16_t half, std::uint16_t scale)
{
    std::size_t b = 0;
#ifdef __SSE2__
    const __m128i halves = _mm_set1_epi16(short(half));
    const __m128i scales = _mm_set1_epi16(short(scale));
    for (; b + 16 <= count; b += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(sums + b));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(sums + b + 8));
        const __m128i lowMeans = _mm_mulhi_epu16(_mm_add_epi16(low, halves), scales);
        const __m128i highMeans = _mm_mulhi_epu16(_mm_add_epi16(high, halves), scales);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + b), _mm_packus_epi16(lowMeans, highMeans));
    }
#endif
    for (; b < count; ++b)
        out[b] = std::uint8_t((std::uint32_t(std::uint16_t(sums[b] + half)) * scale) >> 16);
}

void slideWindow(std::uint16_t *__restrict sums, const std::uint8_t *__restrict entering,
                 const std::uint8_t *__restrict leaving, std::size_t count)
{
    std::size_t b = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; b + 16 <= count; b += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i *>(entering + b));
        const __m128i out = _mm_loadu_si128(reinterpret_cast<const __m128i *>(leaving + b));
        auto *low = reinterpret_cast<__m128i *>(sums + b);
        auto *high = reinterpret_cast<__m128i *>(sums + b + 8);
        _mm_storeu_si128(low,
                         _mm_sub_epi16(_mm_add_epi16(_mm_loadu_si128(low), _mm_unpacklo_epi8(in, zero)),
                                       _mm_unpacklo_epi8(out, zero)));
        _mm_storeu_si128(high,
                         _mm_sub_epi16(_mm_add_epi16(_mm_loadu_si128(high), _mm_unpackhi_epi8(in, zero)),
                                       _mm_unpackhi_epi8(out, zero)));
    }
#endif
    for (; b < count; ++b)
        sums[b] = std::uint16_t(sums[b] + entering[b] - leaving[b]);
}

// Rows `stride` bytes apart, stored turned by `shift`: row i is kept at
// place i - shift (wrapping), so that the rows a caller keeps can come first.
struct Rows {
    std::uint8_t *data;
    std::size_t stride;
    int count;
    int shift = 0;

    std::uint8_t *operator()(int i) const
    {
        int place = i - shift;
        if (place < 0)
            place += count;
        return data + std::size_t(place) * stride;
    }
    Rows offset(std::size_t bytes) const { return Rows{data + bytes, stride, count, shift}; }
};

// One box pass down `rowBytes` bytes of each of `row.count` rows, in
// place: afterwards row i (for radius <= i < rows - radius) holds the rounded
// means of rows i - radius .. i + radius as they were; rows nearer the ends
// are left stale. `sums` holds rowBytes counters, `saved` radius + 1 rows.
// Every byte is a channel of its own, so this serves rows of pixels and, on
// a transposed band, columns alike.
void boxPassDown(const Rows &row, std::size_t rowBytes, int radius, std::uint16_t *sums, std::uint8_t *saved)
{
    const int rows = row.count;
    const int width = 2 * radius + 1;
    if (radius == 0 || rows < width)
        return;
    Q_ASSERT(width <= 257);
    // (sum + width / 2) / width as a multiplication, within a level.
    const auto half = std::uint16_t(width / 2);
    const auto scale = std::uint16_t(std::min(65535, (65536 + width / 2) / width));
    std::fill(sums, sums + rowBytes, std::uint16_t(0));
    for (int i = 0; i < width; ++i) {
        const std::uint8_t *in = row(i);
        for (std::size_t b = 0; b < rowBytes; ++b)
            sums[b] = std::uint16_t(sums[b] + in[b]);
    }
    const int ring = radius + 1;
    for (int i = radius;; ++i) {
        std::uint8_t *out = row(i);
        // Row i as it was is still needed when the window leaves it.
        std::memcpy(saved + std::size_t(i % ring) * rowBytes, out, rowBytes);
        emitMeans(out, sums, rowBytes, half, scale);
        if (i + radius + 1 >= rows)
            break;
        const int leaving = i - radius;
        const std::uint8_t *old = leaving >= radius ? saved + std::size_t(leaving % ring) * rowBytes : row(leaving);
        const std::uint8_t *entering = row(i + radius + 1);
        slideWindow(sums, entering, old, rowBytes);
    }
}

// Band of `band` pixels per column: transposed[i * band + j] is pixel i of
// lines[j] (its column columnOf[i]), four rows and columns at a time where
// the columns run straight (from inside.first to inside.second).
constexpr int band = 16;

void transposeIn(const std::uint32_t *const *lines, const std::vector<int> &columnOf, std::uint32_t *transposed,
                 std::pair<int, int> inside)
{
    const int across = int(columnOf.size());
    const auto one = [&](int i) {
        for (int j = 0; j < band; ++j)
            transposed[std::size_t(i) * band + std::size_t(j)] = lines[j][columnOf[std::size_t(i)]];
    };
    int i = 0;
    for (; i < inside.first; ++i)
        one(i);
#ifdef __SSE2__
    for (; i + 4 <= inside.second; i += 4) {
        const int column = columnOf[std::size_t(i)];
        for (int j = 0; j < band; j += 4) {
            __m128 r0 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i *>(lines[j] + column)));
            __m128 r1 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i *>(lines[j + 1] + column)));
            __m128 r2 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i *>(lines[j + 2] + column)));
            __m128 r3 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i *>(lines[j + 3] + column)));
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            std::uint32_t *out = transposed + std::size_t(i) * band + std::size_t(j);
            _mm_storeu_ps(reinterpret_cast<float *>(out), r0);
            _mm_storeu_ps(reinterpret_cast<float *>(out + band), r1);
            _mm_storeu_ps(reinterpret_cast<float *>(out + 2 * band), r2);
            _mm_storeu_ps(reinterpret_cast<float *>(out + 3 * band), r3);
        }
    }
#endif
    for (; i < across; ++i)
        one(i);
}

// The way back for `width` columns into `count` rows from `first` on.
void transposeOut(const std::uint32_t *transposed, int width, const Rows &rows, int first, int count)
{
    const auto row = [&](int j) { return reinterpret_cast<std::uint32_t *>(rows(first + j)); };
    int x = 0;
#ifdef __SSE2__
    if (count == band) {
        for (; x + 4 <= width; x += 4) {
            for (int j = 0; j < band; j += 4) {
                const std::uint32_t *in = transposed + std::size_t(x) * band + std::size_t(j);
                __m128 c0 = _mm_loadu_ps(reinterpret_cast<const float *>(in));
                __m128 c1 = _mm_loadu_ps(reinterpret_cast<const float *>(in + band));
                __m128 c2 = _mm_loadu_ps(reinterpret_cast<const float *>(in + 2 * band));
                __m128 c3 = _mm_loadu_ps(reinterpret_cast<const float *>(in + 3 * band));
                _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
                _mm_storeu_ps(reinterpret_cast<float *>(row(j) + x), c0);
                _mm_storeu_ps(reinterpret_cast<float *>(row(j + 1) + x), c1);
                _mm_storeu_ps(reinterpret_cast<float *>(row(j + 2) + x), c2);
                _mm_storeu_ps(reinterpret_cast<float *>(row(j + 3) + x), c3);
            }
        }
    }
#endif
    for (; x < width; ++x)
        for (int j = 0; j < count; ++j)
            row(j)[x] = transposed[std::size_t(x) * band + std::size_t(j)];
}

// Puts the fills of `hidden` in place of the image's pixels they hide in a
// transposed band, whose line j is source row rowOf[j]; the source's pixel
// (0, 0) is the whole image's `origin`. `row` holds a fill row, computed
// once for rows repeated beyond the image's edge.
void hideInBand(std::span<const HiddenFill *const> hidden, const int (&rowOf)[band], const std::vector<int> &columnOf,
                const QPoint &origin, std::uint32_t *transposed, std::uint32_t *row)
{
    for (const HiddenFill *fill : hidden) {
        const QRect bounds = fill->bounds(); // in the whole image
        int filled = -1;
        for (int j = 0; j < band; ++j) {
            const int y = rowOf[j] + origin.y();
            if (y < bounds.top() || y > bounds.bottom())
                continue;
            if (filled != y)
                fill->row(filled = y, row);
            for (const Span &span : fill->spans(y))
                for (std::size_t i = 0; i < columnOf.size(); ++i) {
                    const int column = columnOf[i] + origin.x();
                    if (column >= span.first && column <= span.last)
                        transposed[i * band + std::size_t(j)] = row[column - bounds.left()];
                }
        }
    }
}

} // namespace

double blurSigmaFor(const QSizeF &size)
{
    const double quarter = 0.25 * std::min(size.width(), size.height());
    return std::clamp(quarter, blurSigmaFloor, blurSigmaCap);
}

std::array<int, 3> boxRadii(double sigma)
{
    // Box widths whose variances add up to sigma² (W. Jarosz, "Fast
    // image convolutions"): the lower odd width for the first m, two more
    // for the rest.
    constexpr int passes = 3;
    const double ideal = std::sqrt(12.0 * sigma * sigma / passes + 1.0);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const double m
        = (12.0 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes) / (-4.0 * lower - 4.0);
    const int narrow = int(std::lround(m));
    std::array<int, 3> radii{};
    for (int i = 0; i < passes; ++i)
        radii[size_t(i)] = ((i < narrow ? lower : lower + 2) - 1) / 2;
    return radii;
}

int blurReach(double sigma)
{
    const std::array<int, 3> radii = boxRadii(sigma);
    return radii[0] + radii[1] + radii[2];
}

QImage gaussianBlurCut(const QImage &source, const QRect &cut, double sigma, std::span<const HiddenFill *const> hidden,
                       const QPoint &origin)
{
    Q_ASSERT(source.format() == QImage::Format_ARGB32_Premultiplied || source.format() == QImage::Format_RGB32);
    Q_ASSERT(source.rect().contains(cut));
    const std::array<int, 3> radii = boxRadii(sigma);
    const int reach = radii[0] + radii[1] + radii[2];
    const int widest = *std::max_element(radii.begin(), radii.end());
    const int width = cut.width();
    const int rows = cut.height() + 2 * reach; // the rows the passes down read
    const int across = width + 2 * reach; // the columns the passes along read
    const std::size_t rowBytes = std::size_t(width) * 4;
    // Rows are blurred along in bands, transposed so that the same passes
    // work on them with many pixels side by side.
    constexpr std::size_t bandBytes = band * 4;

    // The rows the passes down need, stored so that the middle ones, the
    // result, come first; the rest is let go at the end.
    auto *columns = static_cast<std::uint8_t *>(std::malloc(std::size_t(rows) * rowBytes));
    if (!columns)
        return {};
    const Rows kept{columns, rowBytes, rows, reach};

    // Large blurs share the work among the cores: bands of rows along, then
    // strips of columns down.
    const qint64 area = qint64(rows) * across;
    const int workers = area < (1 << 18) ? 1 : workerCount();
    const std::size_t strip = (rowBytes / std::size_t(workers) + 63) / 64 * 64;
    const auto clamp = [](int v, int size) { return std::clamp(v, 0, size - 1); };
    std::vector<int> columnOf(static_cast<std::size_t>(across));
    for (int i = 0; i < across; ++i)
        columnOf[std::size_t(i)] = clamp(cut.left() - reach + i, source.width());
    // The columns read straight from the image, with no edge repeated.
    const std::pair<int, int> inside(std::max(0, reach - cut.left()),
                                     std::min(across, source.width() - cut.left() + reach));

    // Working room of each worker, all taken here: the workers allocate
    // nothing.
    struct Room {
        std::vector<std::uint32_t> transposed;
        std::vector<std::uint16_t> sums;
        std::vector<std::uint8_t> saved;
        std::vector<std::uint32_t> fill; // a row of a hidden part
    };
    std::vector<Room> rooms;
    try {
        const std::size_t bytes = std::max(strip, bandBytes);
        rooms.resize(std::size_t(workers));
        for (Room &room : rooms) {
            room.transposed.resize(std::size_t(across) * band);
            room.sums.resize(bytes);
            room.saved.resize(std::size_t(widest + 1) * bytes);
            for (const HiddenFill *fill : hidden)
                room.fill.resize(std::max(room.fill.size(), std::size_t(fill->bounds().width())));
        }
    } catch (const std::bad_alloc &) {
        std::free(columns);
        return {};
    }

    // Along the rows; beyond the image its edge repeats.
    runInParallel(workers, [&](int worker) {
        Room &room = rooms[std::size_t(worker)];
        for (int top = band * worker; top < rows; top += band * workers) {
            const int count = std::min(band, rows - top);
            const std::uint32_t *lines[band];
            int rowOf[band];
            for (int j = 0; j < band; ++j) {
                rowOf[j] = clamp(cut.top() - reach + top + std::min(j, count - 1), source.height());
                lines[j] = reinterpret_cast<const std::uint32_t *>(source.constScanLine(rowOf[j]));
            }
            transposeIn(lines, columnOf, room.transposed.data(), inside);
            hideInBand(hidden, rowOf, columnOf, origin, room.transposed.data(), room.fill.data());
            auto *bytes = reinterpret_cast<std::uint8_t *>(room.transposed.data());
            // Each pass leaves its outer `radius` pixels stale; the reach
            // keeps them out of the middle.
            for (int radius : radii)
                boxPassDown(Rows{bytes, bandBytes, across}, bandBytes, radius, room.sums.data(), room.saved.data());
            transposeOut(room.transposed.data() + std::size_t(reach) * band, width, kept, top, count);
        }
    });

    // Down the columns, each worker a strip of them, row by row.
    runInParallel(workers, [&](int worker) {
        const std::size_t from = strip * std::size_t(worker);
        if (from >= rowBytes)
            return;
        Room &room = rooms[std::size_t(worker)];
        for (int radius : radii)
            boxPassDown(kept.offset(from), std::min(strip, rowBytes - from), radius, room.sums.data(),
                        room.saved.data());
    });
    // Shrinking keeps the block where it is.
    if (auto *shrunk = static_cast<std::uint8_t *>(std::realloc(columns, std::size_t(cut.height()) * rowBytes)))
        columns = shrunk;
    QImage result(columns, width, cut.height(), qsizetype(rowBytes), QImage::Format_ARGB32_Premultiplied, std::free,
                  columns);
    if (result.isNull())
        std::free(columns);
    return result;
}

} // namespace pintora
