#include "core/pixels/StrokeCoverage.h"

#include <algorithm>
#include <cmath>

namespace pintora {
namespace {

// Raises the coverage of `pixels` (Alpha8) to that of the segment a–b: full
// within `radius` of it, fading to none over the next pixel.
[[gnu::always_inline]] inline void coverSegmentIn(QImage &pixels, QPointF a, QPointF b, float radius)
{
    const float reach = radius + 0.5f;
    const int left = std::max(0, int(std::floor(std::min(a.x(), b.x()) - reach)));
    const int right = std::min(pixels.width(), int(std::ceil(std::max(a.x(), b.x()) + reach)) + 1);
    const int top = std::max(0, int(std::floor(std::min(a.y(), b.y()) - reach)));
    const int bottom = std::min(pixels.height(), int(std::ceil(std::max(a.y(), b.y()) + reach)) + 1);
    const float ax = float(a.x()), ay = float(a.y());
    const float abx = float(b.x() - a.x()), aby = float(b.y() - a.y());
    const float squared = abx * abx + aby * aby;
    const float inverse = squared > 0 ? 1 / squared : 0;
    for (int y = top; y < bottom; ++y) {
        uchar *row = pixels.scanLine(y);
        const float py = float(y) + 0.5f - ay;
        for (int x = left; x < right; ++x) {
            const float px = float(x) + 0.5f - ax;
            const float t = std::min(std::max((px * abx + py * aby) * inverse, 0.0f), 1.0f);
            const float dx = px - t * abx, dy = py - t * aby;
            const float cover = std::min(std::max(reach - std::sqrt(dx * dx + dy * dy), 0.0f), 1.0f);
            const int level = int(cover * 255.0f + 0.5f);
            row[x] = uchar(row[x] > level ? row[x] : level);
        }
    }
}

// Built twice, for AVX2 (twice the distances an instruction) and without,
// and chosen at run time. (Not by target_clones: its resolver runs before a
// sanitizer's runtime is up.)
#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx2")]] void coverSegmentAvx2(QImage &pixels, QPointF a, QPointF b, float radius)
{
    coverSegmentIn(pixels, a, b, radius);
}
const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

void coverSegment(QImage &pixels, QPointF a, QPointF b, float radius)
{
#if defined(__x86_64__) || defined(__i386__)
    if (hasAvx2)
        return coverSegmentAvx2(pixels, a, b, radius);
#endif
    coverSegmentIn(pixels, a, b, radius);
}

} // namespace

QImage strokeCoverage(const QPolygonF &line, double width, const QRect &bounds)
{
    QImage coverage(bounds.size(), QImage::Format_Alpha8);
    if (coverage.isNull())
        return {};
    coverage.fill(0);
    const QPointF origin = bounds.topLeft();
    const float radius = float(std::max(width, 0.0) / 2);
    if (line.size() == 1) // a dot
        coverSegment(coverage, line[0] - origin, line[0] - origin, radius);
    for (qsizetype i = 0; i + 1 < line.size(); ++i)
        coverSegment(coverage, line[i] - origin, line[i + 1] - origin, radius);
    return coverage;
}

QImage coloredCoverage(const QImage &coverage, const QColor &color)
{
    QImage layer(coverage.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return {};
    const QRgb opaque = color.rgb() | 0xff000000u;
    for (int y = 0; y < coverage.height(); ++y) {
        const uchar *in = coverage.constScanLine(y);
        auto *out = reinterpret_cast<QRgb *>(layer.scanLine(y));
        for (int x = 0; x < coverage.width(); ++x)
            out[x] = in[x] ? qPremultiply((opaque & 0x00ffffffu) | (QRgb(in[x]) << 24)) : 0;
    }
    return layer;
}

} // namespace pintora
