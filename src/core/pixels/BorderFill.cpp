#include "core/pixels/BorderFill.h"

#include "core/pixels/FillPixels.h"
#include "core/pixels/GaussianBlur.h"

#include <algorithm>
#include <cmath>

namespace pintora {
namespace {

using fill::Pixel;
using fill::unpack;

// One box pass along `line`, whose ends repeat beyond it.
void boxPass(std::vector<Pixel> &line, int radius)
{
    const int count = int(line.size());
    if (radius == 0 || count < 2)
        return;
    const auto at = [&](int i) { return line[std::size_t(std::clamp(i, 0, count - 1))]; };
    Pixel sum{};
    for (int i = -radius; i <= radius; ++i)
        for (int c = 0; c < 4; ++c)
            sum[c] += at(i)[c];
    const std::vector<Pixel> before = line;
    const auto old = [&](int i) { return before[std::size_t(std::clamp(i, 0, count - 1))]; };
    const float width = float(2 * radius + 1);
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 4; ++c)
            line[std::size_t(i)][c] = sum[c] / width;
        const Pixel entering = old(i + radius + 1), leaving = old(i - radius);
        for (int c = 0; c < 4; ++c)
            sum[c] += entering[c] - leaving[c];
    }
}

// The pixels of image column or row `fixed` from `from` on, `count` of
// them, smoothed; none when the line lies off the image. `image` holds the
// whole image's pixels from `origin` on.
std::vector<Pixel> side(const QImage &image, const QPoint &origin, bool isColumn, int fixed, int from, int count,
                        double sigma)
{
    std::vector<Pixel> line;
    const int at = fixed - (isColumn ? origin.x() : origin.y());
    if (at < 0 || at >= (isColumn ? image.width() : image.height()))
        return line;
    line.reserve(std::size_t(count));
    for (int i = from; i < from + count; ++i) {
        const int x = isColumn ? at : i - origin.x(), y = isColumn ? i - origin.y() : at;
        line.push_back(unpack(reinterpret_cast<const std::uint32_t *>(image.constScanLine(y))[x]));
    }
    for (int radius : boxRadii(sigma))
        boxPass(line, radius);
    return line;
}

} // namespace

BorderFill::BorderFill(const QImage &image, const QPoint &origin, const QRect &cut, double sigma)
    : m_cut(cut)
    , m_span{cut.left(), cut.right()}
    , m_left(side(image, origin, true, cut.left() - 1, cut.top(), cut.height(), sigma))
    , m_right(side(image, origin, true, cut.right() + 1, cut.top(), cut.height(), sigma))
    , m_top(side(image, origin, false, cut.top() - 1, cut.left(), cut.width(), sigma))
    , m_bottom(side(image, origin, false, cut.bottom() + 1, cut.left(), cut.width(), sigma))
    , m_leftWeight(std::size_t(cut.width()))
    , m_rightWeight(std::size_t(cut.width()))
{
    for (int x = 0; x < cut.width(); ++x) {
        m_leftWeight[std::size_t(x)] = m_left.empty() ? 0.0f : 1.0f / float(x + 1);
        m_rightWeight[std::size_t(x)] = m_right.empty() ? 0.0f : 1.0f / float(cut.width() - x);
    }
}

void BorderFill::row(int y, std::uint32_t *out) const
{
    const int width = m_cut.width();
    const int down = y - m_cut.top();
    const float topWeight = m_top.empty() ? 0.0f : 1.0f / float(down + 1);
    const float bottomWeight = m_bottom.empty() ? 0.0f : 1.0f / float(m_cut.height() - down);
    static const Pixel none{};
    const Pixel &left = m_left.empty() ? none : m_left[std::size_t(down)];
    const Pixel &right = m_right.empty() ? none : m_right[std::size_t(down)];
    for (int x = 0; x < width; ++x) {
        const auto i = std::size_t(x);
        const float leftWeight = m_leftWeight[i], rightWeight = m_rightWeight[i];
        const float total = leftWeight + rightWeight + topWeight + bottomWeight;
        if (total == 0.0f) {
            out[i] = neutral;
            continue;
        }
        const Pixel &top = m_top.empty() ? none : m_top[i];
        const Pixel &bottom = m_bottom.empty() ? none : m_bottom[i];
        out[i] = fill::weightedMean(leftWeight, left, rightWeight, right, topWeight, top, bottomWeight, bottom, total);
    }
}

} // namespace pintora
