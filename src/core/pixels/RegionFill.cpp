#include "core/pixels/RegionFill.h"

#include "core/pixels/BorderFill.h"

#include <algorithm>
#include <cmath>

namespace pintora {
namespace {

using fill::Pixel;

} // namespace

RegionFill::RegionFill(const QImage &image, const QPoint &origin, const std::vector<QRect> &rects, double sigma,
                       const std::vector<QRect> &hiddenElsewhere)
{
    for (const QRect &rect : rects)
        m_bounds |= rect;
    const int radius = std::max(1, int(std::lround(sigma)));
    // Every pixel read, marked: 1 in the region, 2 hidden elsewhere. Pixels
    // beside the region's edges and along them, as far as they are smoothed.
    const QRect reads
        = m_bounds.adjusted(-1 - radius, -1 - radius, 1 + radius, 1 + radius) & image.rect().translated(origin);
    const auto at = [&](int x, int y) {
        return std::size_t(y - reads.top()) * std::size_t(reads.width()) + std::size_t(x - reads.left());
    };
    std::vector<std::uint8_t> mask(std::size_t(reads.width()) * std::size_t(reads.height()), 0);
    const auto mark = [&](const QRect &rect, std::uint8_t value) {
        const QRect inside = rect & reads;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            std::fill_n(mask.begin() + std::ptrdiff_t(at(inside.left(), y)), inside.width(), value);
    };
    for (const QRect &rect : hiddenElsewhere)
        mark(rect, 2);
    for (const QRect &rect : rects)
        mark(rect, 1);
    const auto readable = [&](QPoint p) { return reads.contains(p) && mask[at(p.x(), p.y())] == 0; };
    // The mean of the readable pixels within `radius` of `p` along a row
    // (`alongRow`) or a column; `p` itself is one of them.
    const auto smoothedAt = [&](QPoint p, bool alongRow) {
        Pixel sum{};
        float count = 0;
        for (int d = -radius; d <= radius; ++d) {
            const QPoint q = alongRow ? QPoint(p.x() + d, p.y()) : QPoint(p.x(), p.y() + d);
            if (!readable(q))
                continue;
            const auto *row = reinterpret_cast<const std::uint32_t *>(image.constScanLine(q.y() - origin.y()));
            const Pixel pixel = fill::unpack(row[q.x() - origin.x()]);
            for (std::size_t c = 0; c < 4; ++c)
                sum[c] += pixel[c];
            ++count;
        }
        for (float &channel : sum)
            channel /= count;
        return sum;
    };

    // The runs of the region along its rows and columns, found in one pass
    // down the rows; the pixel beside each end is smoothed across the run.
    const int width = m_bounds.width(), height = m_bounds.height();
    m_rows.resize(std::size_t(height));
    m_columns.resize(std::size_t(width));
    std::vector<int> columnStart(std::size_t(width), -1);
    const auto endRun = [&](bool alongRow, QPoint first, QPoint last) {
        Run run{};
        run.span = alongRow ? Span{first.x(), last.x()} : Span{first.y(), last.y()};
        const QPoint before = alongRow ? first - QPoint(1, 0) : first - QPoint(0, 1);
        const QPoint after = alongRow ? last + QPoint(1, 0) : last + QPoint(0, 1);
        // The pixel beside a run is never hidden elsewhere (hidden pixels
        // next to the region belong to it); checked all the same.
        run.hasBefore = readable(before);
        run.hasAfter = readable(after);
        if (run.hasBefore)
            run.before = smoothedAt(before, !alongRow);
        if (run.hasAfter)
            run.after = smoothedAt(after, !alongRow);
        return run;
    };
    for (int row = 0; row < height; ++row) {
        const int y = m_bounds.top() + row;
        const std::uint8_t *line = mask.data() + at(m_bounds.left(), y);
        const std::uint8_t *next = row + 1 < height ? line + reads.width() : nullptr;
        int rowStart = -1;
        for (int column = 0; column < width; ++column) {
            const bool in = line[column] == 1;
            const int x = m_bounds.left() + column;
            if (in && rowStart < 0)
                rowStart = x;
            if (rowStart >= 0 && (!in || column + 1 == width)) {
                const int last = in ? x : x - 1;
                m_rows[std::size_t(row)].push_back(endRun(true, QPoint(rowStart, y), QPoint(last, y)));
                rowStart = -1;
            }
            int &start = columnStart[std::size_t(column)];
            if (in && start < 0)
                start = y;
            if (in && !(next && next[column] == 1)) {
                m_columns[std::size_t(column)].push_back(endRun(false, QPoint(x, start), QPoint(x, y)));
                start = -1;
            }
        }
    }
    m_rowSpans.resize(m_rows.size());
    for (std::size_t line = 0; line < m_rows.size(); ++line)
        for (const Run &run : m_rows[line])
            m_rowSpans[line].push_back(run.span);
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
