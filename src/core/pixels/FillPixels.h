#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Pixel arithmetic shared by the fills that stand in for hidden pixels.
namespace pintora::fill {

// A premultiplied 32-bit pixel's channels, in memory order.
using Pixel = std::array<float, 4>;

inline Pixel unpack(std::uint32_t pixel)
{
    return {float(pixel & 0xff), float((pixel >> 8) & 0xff), float((pixel >> 16) & 0xff), float(pixel >> 24)};
}

// The weighted mean of four pixels, rounded and packed; `total`, the sum of
// the weights, is not zero. A weighted mean of premultiplied pixels is one:
// rounding keeps each channel within its alpha.
inline std::uint32_t weightedMean(float wa, const Pixel &a, float wb, const Pixel &b, float wc, const Pixel &c,
                                  float wd, const Pixel &d, float total)
{
#ifdef __SSE2__
    const __m128 sum = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(wa), _mm_loadu_ps(a.data())),
                                             _mm_mul_ps(_mm_set1_ps(wb), _mm_loadu_ps(b.data()))),
                                  _mm_add_ps(_mm_mul_ps(_mm_set1_ps(wc), _mm_loadu_ps(c.data())),
                                             _mm_mul_ps(_mm_set1_ps(wd), _mm_loadu_ps(d.data()))));
    const __m128i rounded = _mm_cvtps_epi32(_mm_div_ps(sum, _mm_set1_ps(total)));
    const __m128i words = _mm_packs_epi32(rounded, rounded);
    return std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
#else
    std::uint32_t pixel = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const float value = (wa * a[i] + wb * b[i] + wc * c[i] + wd * d[i]) / total;
        pixel |= std::uint32_t(std::clamp(std::lrint(value), 0L, 255L)) << (8 * i);
    }
    return pixel;
#endif
}

} // namespace pintora::fill
