#include "core/pixels/RegionFill.h"

#include "core/pixels/BorderFill.h"

#include <algorithm>
#include <cmath>

namespace pintora {
namespace {

using fill::Pixel;

// The mean of the pixels within `radius` of `at` along a row (`along` x) or
// a column that are on the image and not hidden; `at` itself is one of them.
Pixel smoothedAt(const QImage &image, QPoint at, bool alongRow, int radius, const std::function<bool(int, int)> &hidden)
{
    Pixel sum{};
    float count = 0;
    for (int d = -radius; d <= radius; ++d) {
        const QPoint p = alongRow ? QPoint(at.x() + d, at.y()) : QPoint(at.x(), at.y() + d);
        if (!image.rect().contains(p) || hidden(p.x(), p.y()))
            continue;
        const Pixel pixel = fill::unpack(reinterpret_cast<const std::uint32_t *>(image.constScanLine(p.y()))[p.x()]);
        for (std::size_t c = 0; c < 4; ++c)
            sum[c] += pixel[c];
        ++count;
    }
    for (float &channel : sum)
        channel /= count;
    return sum;
}

} // namespace

RegionFill::RegionFill(const QImage &image, const std::vector<QRect> &rects, double sigma,
                       const std::function<bool(int, int)> &isHidden)
{
    for (const QRect &rect : rects)
        m_bounds |= rect;
    const int width = m_bounds.width(), height = m_bounds.height();
    std::vector<std::uint8_t> mask(std::size_t(width) * std::size_t(height), 0);
    for (const QRect &rect : rects)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            std::fill_n(mask.begin() + std::ptrdiff_t(y - m_bounds.top()) * width + (rect.left() - m_bounds.left()),
                        rect.width(), std::uint8_t(1));
    const auto inRegion = [&](int x, int y) {
        return m_bounds.contains(x, y)
            && mask[std::size_t(y - m_bounds.top()) * std::size_t(width) + std::size_t(x - m_bounds.left())];
    };
    const auto hidden = [&](int x, int y) { return inRegion(x, y) || isHidden(x, y); };
    const int radius = std::max(1, int(std::lround(sigma)));

    // The runs of hidden pixels along `count` lines; line i is a row or
    // column of bounds, and an end beside a run is smoothed across it.
    const auto runsAlong = [&](bool alongRow, int lines, int length, std::vector<Runs> &out) {
        out.resize(std::size_t(lines));
        for (int line = 0; line < lines; ++line) {
            const auto point = [&](int i) {
                return alongRow ? QPoint(m_bounds.left() + i, m_bounds.top() + line)
                                : QPoint(m_bounds.left() + line, m_bounds.top() + i);
            };
            for (int i = 0; i < length;) {
                if (!inRegion(point(i).x(), point(i).y())) {
                    ++i;
                    continue;
                }
                int end = i;
                while (end + 1 < length && inRegion(point(end + 1).x(), point(end + 1).y()))
                    ++end;
                Run run{};
                run.span = alongRow ? Span{point(i).x(), point(end).x()} : Span{point(i).y(), point(end).y()};
                const QPoint before = point(i - 1), after = point(end + 1);
                // The pixel beside a run is never hidden elsewhere (hidden
                // pixels next to the region belong to it); checked all the same.
                run.hasBefore = image.rect().contains(before) && !hidden(before.x(), before.y());
                run.hasAfter = image.rect().contains(after) && !hidden(after.x(), after.y());
                if (run.hasBefore)
                    run.before = smoothedAt(image, before, !alongRow, radius, hidden);
                if (run.hasAfter)
                    run.after = smoothedAt(image, after, !alongRow, radius, hidden);
                out[std::size_t(line)].push_back(run);
                i = end + 1;
            }
        }
    };
    runsAlong(true, height, width, m_rows);
    runsAlong(false, width, height, m_columns);
    m_rowSpans.resize(std::size_t(height));
    for (int line = 0; line < height; ++line)
        for (const Run &run : m_rows[std::size_t(line)])
            m_rowSpans[std::size_t(line)].push_back(run.span);
}

std::span<const Span> RegionFill::spans(int y) const
{
    return m_rowSpans[std::size_t(y - m_bounds.top())];
}

void RegionFill::row(int y, std::uint32_t *out) const
{
    for (const Run &across : m_rows[std::size_t(y - m_bounds.top())]) {
        for (int x = across.span.first; x <= across.span.last; ++x) {
            const Runs &column = m_columns[std::size_t(x - m_bounds.left())];
            const auto down
                = std::partition_point(column.begin(), column.end(), [y](const Run &run) { return run.span.last < y; });
            const float left = across.hasBefore ? 1.0f / float(x - across.span.first + 1) : 0.0f;
            const float right = across.hasAfter ? 1.0f / float(across.span.last - x + 1) : 0.0f;
            const float top = down->hasBefore ? 1.0f / float(y - down->span.first + 1) : 0.0f;
            const float bottom = down->hasAfter ? 1.0f / float(down->span.last - y + 1) : 0.0f;
            const float total = left + right + top + bottom;
            out[x - m_bounds.left()] = total == 0.0f ? BorderFill::neutral
                                                     : fill::weightedMean(left, across.before, right, across.after, top,
                                                                          down->before, bottom, down->after, total);
        }
    }
}

} // namespace pintora
