#include "core/pixels/DisplayScaling.h"

#include "core/Parallel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace pintora {
namespace {

// Four channels of one premultiplied pixel, worked on as one vector.
typedef float Channels __attribute__((vector_size(16)));

// Widened in the vector unit (SSE2, which every x86-64 has): the bytes come
// out in the order blue, green, red, alpha, as the shifts would give them.
inline Channels unpack(std::uint32_t argb)
{
#if defined(__x86_64__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes = _mm_cvtsi32_si128(int(argb));
    return Channels(_mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero)));
#else
    return Channels{float(argb & 0xff), float((argb >> 8) & 0xff), float((argb >> 16) & 0xff), float(argb >> 24)};
#endif
}

// The premultiplied pixel over an opaque grey `ground`.
inline std::uint32_t pack(Channels value, float ground)
{
    const float under = ground * (255.0f - value[3]) / 255.0f;
#if defined(__x86_64__)
    // The same sums, clamp and truncation, four channels at once.
    __m128 level = _mm_add_ps(_mm_add_ps(__m128(value), _mm_set1_ps(under)), _mm_set1_ps(0.5f));
    level = _mm_min_ps(_mm_max_ps(level, _mm_setzero_ps()), _mm_set1_ps(255.0f));
    const __m128i words = _mm_packs_epi32(_mm_cvttps_epi32(level), _mm_setzero_si128());
    return 0xff000000u | std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
#else
    auto level = [under](float v) { return std::uint32_t(std::clamp(v + under + 0.5f, 0.0f, 255.0f)); };
    return 0xff000000u | level(value[2]) << 16 | level(value[1]) << 8 | level(value[0]);
#endif
}

// The checkerboard transparent pixels show over: squares of 8 display pixels.
inline float checker(int x, int y)
{
    return ((x >> 3) ^ (y >> 3)) & 1 ? 102.0f : 153.0f;
}

// One image row averaged across for `width` display pixels, each from
// `taps` image pixels (`index`) with their shares (`weight`).
void averageAcross(const std::uint32_t *line, const int *index, const float *weight, int taps, std::size_t width,
                   Channels *out)
{
    for (std::size_t i = 0; i < width; ++i, index += taps, weight += taps) {
        Channels sum{0, 0, 0, 0};
        for (int k = 0; k < taps; ++k)
            sum += weight[k] * unpack(line[index[k]]);
        out[i] = sum;
    }
}

#if defined(__x86_64__)
// The same, two display pixels an instruction: each lane sees the very
// multiplications and additions, in the same order, so the sums are equal
// to the bit.
// `Taps` known to the compiler (0: at run time), so that its loop unrolls.
template <int Taps>
[[gnu::target("avx2")]] void averageAcrossAvx2(const std::uint32_t *line, const int *index, const float *weight,
                                               int runTaps, std::size_t width, Channels *out)
{
    const int taps = Taps > 0 ? Taps : runTaps;
    std::size_t i = 0;
    for (; i + 2 <= width; i += 2) {
        const int *a = index + i * std::size_t(taps), *b = a + taps;
        const float *wa = weight + i * std::size_t(taps), *wb = wa + taps;
        __m256 sum = _mm256_setzero_ps();
        for (int k = 0; k < taps; ++k) {
            const __m128i two = _mm_insert_epi32(_mm_cvtsi32_si128(int(line[a[k]])), int(line[b[k]]), 1);
            const __m256 pixels = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(two));
            const __m256 shares = _mm256_set_m128(_mm_broadcast_ss(wb + k), _mm_broadcast_ss(wa + k));
            sum = _mm256_add_ps(sum, _mm256_mul_ps(shares, pixels));
        }
        _mm_storeu_ps(reinterpret_cast<float *>(out + i), _mm256_castps256_ps128(sum));
        _mm_storeu_ps(reinterpret_cast<float *>(out + i + 1), _mm256_extractf128_ps(sum, 1));
    }
    averageAcross(line, index + i * std::size_t(taps), weight + i * std::size_t(taps), taps, width - i, out + i);
}

void averageAcrossAvx2(const std::uint32_t *line, const int *index, const float *weight, int taps, std::size_t width,
                       Channels *out)
{
    switch (taps) {
    case 2: return averageAcrossAvx2<2>(line, index, weight, taps, width, out);
    case 3: return averageAcrossAvx2<3>(line, index, weight, taps, width, out);
    case 4: return averageAcrossAvx2<4>(line, index, weight, taps, width, out);
    case 5: return averageAcrossAvx2<5>(line, index, weight, taps, width, out);
    default: return averageAcrossAvx2<0>(line, index, weight, taps, width, out);
    }
}
const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

} // namespace

DisplayScaling::DisplayScaling(const QSize &imageSize, const QSize &displaySize)
    : m_imageSize(imageSize)
    , m_displaySize(displaySize)
    , m_columns(taps(imageSize.width(), displaySize.width()))
    , m_rows(taps(imageSize.height(), displaySize.height()))
{
}

DisplayScaling::Taps DisplayScaling::taps(int imageLength, int displayLength)
{
    Taps taps;
    taps.first.reserve(size_t(std::max(displayLength, 0)) + 1);
    const double step = double(imageLength) / displayLength; // image pixels per display pixel
    for (int d = 0; d < displayLength; ++d) {
        taps.first.push_back(int(taps.index.size()));
        taps.centre.push_back(std::min(imageLength - 1, int(std::floor((d + 0.5) * step))));
        if (step <= 1.0) {
            taps.index.push_back(std::min(imageLength - 1, int(std::floor((d + 0.5) * step))));
            taps.weight.push_back(1.0f);
            continue;
        }
        // The share of each image pixel in [d·step, (d+1)·step).
        const double from = d * step, to = std::min((d + 1) * step, double(imageLength));
        for (int i = int(std::floor(from)); i < to; ++i) {
            const double covered = std::min(to, i + 1.0) - std::max(from, double(i));
            if (covered > 1e-9) {
                taps.index.push_back(i);
                taps.weight.push_back(float(covered / (to - from)));
            }
        }
    }
    taps.first.push_back(int(taps.index.size()));
    return taps;
}

std::pair<int, int> DisplayScaling::displayRange(int from, int to, int imageLength, int displayLength)
{
    // Display pixel d reads image pixels near [d, d + 1)·step; one more on
    // each side covers the rounding of both mappings.
    const double step = double(imageLength) / displayLength;
    const int first = std::max(0, int(std::floor(from / step)) - 1);
    const int last = std::min(displayLength, int(std::ceil(to / step)) + 1); // exclusive
    return {first, last};
}

QRect DisplayScaling::displayArea(const QRect &imageArea) const
{
    const QRect area = imageArea & QRect(QPoint(0, 0), m_imageSize);
    if (area.isEmpty() || m_displaySize.isEmpty())
        return {};
    const auto [left, right] = displayRange(area.left(), area.right() + 1, m_imageSize.width(), m_displaySize.width());
    const auto [top, bottom]
        = displayRange(area.top(), area.bottom() + 1, m_imageSize.height(), m_displaySize.height());
    return QRect(left, top, right - left, bottom - top);
}

QImage DisplayScaling::render(const QImage &image) const
{
    QImage display(m_displaySize, QImage::Format_RGB32);
    if (!display.isNull())
        renderArea(image, display, display.rect());
    return display;
}

double DisplayScaling::tapsPerPixel() const
{
    const auto perPixel = [](const Taps &taps) { return double(taps.index.size()) / double(taps.centre.size()); };
    return m_columns.centre.empty() || m_rows.centre.empty() ? 0 : perPixel(m_columns) * perPixel(m_rows);
}

void DisplayScaling::renderArea(const QImage &image, QImage &display, const QRect &displayRect, const QPoint &origin,
                                Quality quality) const
{
    Q_ASSERT(image.size() == m_imageSize);
    const QRect target = displayRect & QRect(origin, display.size()) & QRect(QPoint(0, 0), m_displaySize);
    if (target.isEmpty())
        return;

    // The image rows and columns the target reads, as premultiplied 32-bit
    // pixels: read in place when the image already is, converted otherwise.
    const int firstColumn = m_columns.index[size_t(m_columns.first[size_t(target.left())])];
    const int endColumn = m_columns.index[size_t(m_columns.first[size_t(target.right()) + 1] - 1)] + 1;
    const int firstRow = m_rows.index[size_t(m_rows.first[size_t(target.top())])];
    const int endRow = m_rows.index[size_t(m_rows.first[size_t(target.bottom()) + 1] - 1)] + 1;
    const bool direct = image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32;
    const bool enlarged = m_columns.index.size() == m_columns.centre.size()
        && m_rows.index.size() == m_rows.centre.size(); // one image pixel a display pixel
    // A draft reads one image pixel a display pixel: only those are
    // converted, not the whole part of a giant image the display shows.
    const bool sampled = !direct && (enlarged || quality == Quality::draft) && image.depth() % 8 == 0;
    QImage converted;
    if (sampled) {
        QImage picked(target.width(), target.height(), image.format());
        if (picked.isNull())
            return;
        picked.setColorTable(image.colorTable());
        const std::size_t bytes = std::size_t(image.depth() / 8);
        for (int dy = target.top(); dy <= target.bottom(); ++dy) {
            const uchar *in = image.constScanLine(m_rows.centre[size_t(dy)]);
            uchar *out = picked.scanLine(dy - target.top());
            for (int dx = target.left(); dx <= target.right(); ++dx, out += bytes)
                std::memcpy(out, in + std::size_t(m_columns.centre[size_t(dx)]) * bytes, bytes);
        }
        converted = std::move(picked).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    } else if (!direct) {
        converted = image.copy(firstColumn, firstRow, endColumn - firstColumn, endRow - firstRow)
                        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const QImage &source = direct ? image : converted;
    const int columnOffset = direct ? 0 : firstColumn;
    const int rowOffset = direct ? 0 : firstRow;
    if (source.isNull())
        return;

    // Rows in bands, one a core, when there are enough of them to pay for
    // the threads (a zoom step or a new image, not the update after an edit).
    uchar *const bits = display.bits();
    const qsizetype stride = display.bytesPerLine();
    const auto outputRow = [&](int dy) {
        return reinterpret_cast<std::uint32_t *>(bits + qsizetype(dy - origin.y()) * stride)
            + (target.left() - origin.x());
    };
    const auto sourceRow = [&](int imageRow) {
        return reinterpret_cast<const std::uint32_t *>(source.constScanLine(imageRow - rowOffset)) - columnOffset;
    };
    const auto renderRows = [&](int firstRow, int endRow) {
        if (enlarged || quality == Quality::draft) {
            // The pixel at the centre, as it is where it is opaque.
            for (int dy = firstRow; dy < endRow; ++dy) {
                const std::uint32_t *line = sampled
                    ? reinterpret_cast<const std::uint32_t *>(source.constScanLine(dy - target.top())) - target.left()
                    : sourceRow(m_rows.centre[size_t(dy)]);
                std::uint32_t *out = outputRow(dy);
                for (int dx = target.left(); dx <= target.right(); ++dx) {
                    const std::uint32_t pixel = line[sampled ? dx : m_columns.centre[size_t(dx)]];
                    *out++ = pixel >= 0xff000000u ? pixel : pack(unpack(pixel), checker(dx, dy));
                }
            }
            return;
        }
        // Every display pixel takes as many image pixels across as the widest
        // does, the extra ones weighing nothing: adding a zero leaves a sum
        // as it was, and a loop of one length runs without mispredictions.
        const std::size_t width = std::size_t(target.width());
        int taps = 1;
        for (std::size_t i = 0; i < width; ++i)
            taps = std::max(taps, m_columns.first[target.left() + i + 1] - m_columns.first[target.left() + i]);
        std::vector<int> index(width * std::size_t(taps));
        std::vector<float> weight(width * std::size_t(taps), 0.0f);
        for (std::size_t i = 0; i < width; ++i) {
            const int first = m_columns.first[target.left() + i], end = m_columns.first[target.left() + i + 1];
            for (int k = 0; k < taps; ++k) {
                index[i * std::size_t(taps) + std::size_t(k)] = m_columns.index[size_t(std::min(first + k, end - 1))];
                if (first + k < end)
                    weight[i * std::size_t(taps) + std::size_t(k)] = m_columns.weight[size_t(first + k)];
            }
        }
        // A source row read by two display rows is averaged across once.
        std::vector<Channels> sums(width), across(width), kept(width);
        int keptRow = -1;
        for (int dy = firstRow; dy < endRow; ++dy) {
            const int firstTap = m_rows.first[size_t(dy)];
            for (int r = firstTap; r < m_rows.first[size_t(dy) + 1]; ++r) {
                const float rowWeight = m_rows.weight[size_t(r)];
                const int imageRow = m_rows.index[size_t(r)];
                if (imageRow != keptRow) {
                    const std::uint32_t *line = sourceRow(imageRow);
#if defined(__x86_64__)
                    if (hasAvx2)
                        averageAcrossAvx2(line, index.data(), weight.data(), taps, width, across.data());
                    else
#endif
                        averageAcross(line, index.data(), weight.data(), taps, width, across.data());
                    // The last row of a display row is the one the next may share.
                    if (r + 1 == m_rows.first[size_t(dy) + 1]) {
                        across.swap(kept);
                        keptRow = imageRow;
                    }
                }
                const std::vector<Channels> &row = imageRow == keptRow ? kept : across;
                // The first row's share is the sum so far: 0 + x is x.
                if (r == firstTap)
                    for (std::size_t i = 0; i < width; ++i)
                        sums[i] = rowWeight * row[i];
                else
                    for (std::size_t i = 0; i < width; ++i)
                        sums[i] += rowWeight * row[i];
            }
            std::uint32_t *out = outputRow(dy);
            for (int i = 0; i < target.width(); ++i)
                out[i] = pack(sums[size_t(i)], checker(target.left() + i, dy));
        }
    };
    constexpr qint64 worthThreads = 1 << 16; // display pixels
    const int bands = qint64(target.width()) * target.height() >= worthThreads ? workerCount() : 1;
    runInParallel(bands, [&](int band) {
        renderRows(target.top() + int(qint64(target.height()) * band / bands),
                   target.top() + int(qint64(target.height()) * (band + 1) / bands));
    });
}

} // namespace pintora
