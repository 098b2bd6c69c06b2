#include "core/png/PngRows.h"

// The AVX2 row filter, built for AVX2 alone and called only where the
// processor has it (see reordersPixels).
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>
#include <isa-l/igzip_lib.h>

namespace pintora::png {
namespace {

// Pixels [from, count) of `row` less those `prediction` gives, reordered
// into `out` (3 or 4 bytes a pixel); with their magnitudes added to `sum`.
template <typename Prediction>
void filterReorderedPlain(const quint32 *row, const Prediction &prediction, unsigned char *out, int from, int count,
                          bool alpha, std::uint64_t &sum)
{
    const int step = alpha ? 4 : 3;
    for (int x = from; x < count; ++x) {
        const quint32 a = row[x], b = prediction(x);
        const unsigned char bytes[4]
            = {static_cast<unsigned char>((a >> 16) - (b >> 16)), static_cast<unsigned char>((a >> 8) - (b >> 8)),
               static_cast<unsigned char>(a - b), static_cast<unsigned char>((a >> 24) - (b >> 24))};
        for (int i = 0; i < step; ++i) {
            out[step * x + i] = bytes[i];
            sum += magnitude(bytes[i]);
        }
    }
}

} // namespace

// Row `row` filtered against `above` into `out` (its type first, then 3 or 4
// bytes a pixel, with 4 to spare at the end), and the Adler-32 `adler`
// carried over the bytes written. Eight pixels at a time: the differences
// of whole pixels, then the shuffle.
#pragma GCC push_options
#pragma GCC target("avx2") // for the lambdas too; chosen at run time
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi" // the lambdas passing vectors are inlined here, never called across builds
void filterReorderedRow(const quint32 *row, const quint32 *above, unsigned char *out, int count, bool alpha,
                        std::uint32_t &adler)
{
    const __m256i zero = _mm256_setzero_si256();
    const int whole = count & ~7;
    const auto load
        = [](const quint32 *pixels) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(pixels)); };
    // The first eight pixels' left neighbours: a zero, then pixels 0 to 6.
    const auto firstLeft = [&](__m256i pixels) {
        return _mm256_blend_epi32(_mm256_permutevar8x32_epi32(pixels, _mm256_setr_epi32(0, 0, 1, 2, 3, 4, 5, 6)), zero,
                                  1);
    };
    const auto total = [](__m256i lanes) {
        __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(lanes), _mm256_extracti128_si256(lanes, 1));
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4e));
        return std::uint64_t(std::uint32_t(_mm_cvtsi128_si32(_mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xb1)))));
    };

    // Which filter: the sums of both over the row, which then stays in the cache.
    __m256i upSums = zero, subSums = zero;
    const auto addSums = [&](__m256i pixels, __m256i upper, __m256i previous) {
        upSums = _mm256_add_epi64(upSums, _mm256_sad_epu8(_mm256_abs_epi8(_mm256_sub_epi8(pixels, upper)), zero));
        subSums = _mm256_add_epi64(subSums, _mm256_sad_epu8(_mm256_abs_epi8(_mm256_sub_epi8(pixels, previous)), zero));
    };
    if (whole > 0)
        addSums(load(row), load(above), firstLeft(load(row)));
    for (int x = 8; x < whole; x += 8) {
        _mm_prefetch(reinterpret_cast<const char *>(row + x) + 4096, _MM_HINT_T0);
        addSums(load(row + x), load(above + x), load(row + x - 1));
    }
    const auto wide = [](__m256i lanes) {
        const __m128i sum = _mm_add_epi64(_mm256_castsi256_si128(lanes), _mm256_extracti128_si256(lanes, 1));
        return std::uint64_t(_mm_cvtsi128_si64(sum)) + std::uint64_t(_mm_extract_epi64(sum, 1));
    };
    std::uint64_t up = wide(upSums), sub = wide(subSums);
    unsigned char *pixelsOut = out + 1;
    const auto upPrediction = [&](int x) { return above[x]; };
    const auto subPrediction = [&](int x) { return x > 0 ? row[x - 1] : 0u; };
    // The last few pixels, written for their sums and again below once chosen.
    filterReorderedPlain(row, upPrediction, pixelsOut, whole, count, alpha, up);
    filterReorderedPlain(row, subPrediction, pixelsOut, whole, count, alpha, sub);
    const bool useSub = sub < up;
    out[0] = useSub ? Sub : Up;

    const __m256i order = alpha ? _mm256_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15, 2, 1, 0, 3, 6,
                                                   5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15)
                                : _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6,
                                                   5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    // Each byte's weight in the second sum: how many of the group's bytes start at it.
    const __m256i weights = alpha ? _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16,
                                                     15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1)
                                  : _mm256_setr_epi8(24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 0, 0, 0, 0, 12, 11,
                                                     10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0, 0);
    const __m256i ones = _mm256_set1_epi16(1);
    const int step = alpha ? 32 : 24;
    std::uint64_t a = ((adler & 0xffff) + out[0]) % 65521, b = ((adler >> 16) + a) % 65521;
    const auto writeGroups = [&](int from, int end, auto predict) {
        __m256i sums = zero, earlier = zero, weighted = zero;
        for (int x = from; x < end; x += 8) {
            const __m256i pixels = load(row + x);
            const __m256i bytes = _mm256_shuffle_epi8(_mm256_sub_epi8(pixels, predict(x, pixels)), order);
            unsigned char *target = pixelsOut + step * (x / 8);
            if (alpha) {
                _mm256_storeu_si256(reinterpret_cast<__m256i *>(target), bytes);
            } else { // twelve bytes from each half; the second store covers the first's four spare
                _mm_storeu_si128(reinterpret_cast<__m128i *>(target), _mm256_castsi256_si128(bytes));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(target + 12), _mm256_extracti128_si256(bytes, 1));
            }
            earlier = _mm256_add_epi32(earlier, sums);
            sums = _mm256_add_epi32(sums, _mm256_sad_epu8(bytes, zero));
            weighted = _mm256_add_epi32(weighted, _mm256_madd_epi16(_mm256_maddubs_epi16(bytes, weights), ones));
        }
        const std::uint64_t groups = std::uint64_t(end - from) / 8;
        b = (b + groups * std::uint64_t(step) * a + std::uint64_t(step) * total(earlier) + total(weighted)) % 65521;
        a = (a + total(sums)) % 65521;
    };
    // Up to 5552 bytes between reductions, as zlib, so that no lane overflows.
    for (int x = 0; x < whole;) {
        const int end = std::min(whole, x + 8 * (5552 / 32));
        if (!useSub)
            writeGroups(x, end, [&](int at, __m256i) { return load(above + at); });
        else if (x > 0)
            writeGroups(x, end, [&](int at, __m256i) { return load(row + at - 1); });
        else {
            writeGroups(0, 8, [&](int, __m256i pixels) { return firstLeft(pixels); });
            writeGroups(8, end, [&](int at, __m256i) { return load(row + at - 1); });
        }
        x = end;
    }
    adler = std::uint32_t(b << 16 | a);
    std::uint64_t unused = 0;
    if (useSub)
        filterReorderedPlain(row, subPrediction, pixelsOut, whole, count, alpha, unused);
    else
        filterReorderedPlain(row, upPrediction, pixelsOut, whole, count, alpha, unused);
    const int tail = (alpha ? 4 : 3) * whole;
    adler = isal_adler32(adler, pixelsOut + tail, std::uint64_t((alpha ? 4 : 3) * count - tail));
}
#pragma GCC diagnostic pop
#pragma GCC pop_options

} // namespace pintora::png

#endif
