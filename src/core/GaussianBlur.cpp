#include "core/GaussianBlur.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace pintora {

namespace {

// Four channels of one premultiplied pixel, worked on as one vector.
typedef float Channels __attribute__((vector_size(16)));

Channels unpack(std::uint32_t argb)
{
    return Channels{float(argb & 0xff), float((argb >> 8) & 0xff), float((argb >> 16) & 0xff), float(argb >> 24)};
}

std::uint32_t pack(Channels value)
{
    auto level = [](float v) { return std::uint32_t(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
    const std::uint32_t alpha = level(value[3]);
    // Rounding must not leave a colour above its alpha in premultiplied form.
    const std::uint32_t blue = std::min(level(value[0]), alpha);
    const std::uint32_t green = std::min(level(value[1]), alpha);
    const std::uint32_t red = std::min(level(value[2]), alpha);
    return alpha << 24 | red << 16 | green << 8 | blue;
}

} // namespace

std::vector<float> gaussianKernel(double sigma)
{
    // Four sigmas leave out less than 1e-4 of the weight: far below one level.
    const int radius = std::max(1, int(std::ceil(4.0 * sigma)));
    std::vector<double> weights(size_t(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        weights[size_t(i + radius)] = std::exp(-0.5 * (i * i) / (sigma * sigma));
        sum += weights[size_t(i + radius)];
    }
    std::vector<float> kernel(weights.size());
    for (size_t i = 0; i < weights.size(); ++i)
        kernel[i] = float(weights[i] / sum);
    return kernel;
}

QImage gaussianBlurCut(const QImage &source, const QRect &cut, double sigma)
{
    Q_ASSERT(source.format() == QImage::Format_ARGB32_Premultiplied);
    Q_ASSERT(source.rect().contains(cut));

    const std::vector<float> kernel = gaussianKernel(sigma);
    const int radius = int(kernel.size() / 2);
    const int width = cut.width();
    const int imageWidth = source.width();
    const int imageHeight = source.height();

    QImage result(cut.size(), QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return result;

    // Horizontal pass over the rows the vertical pass needs; rows outside the
    // image are transparent and simply left out of the vertical sums.
    const int firstRow = std::max(0, cut.top() - radius);
    const int lastRow = std::min(imageHeight, cut.top() + cut.height() + radius); // exclusive
    const int inputLeft = cut.left() - radius;
    const int inputWidth = width + 2 * radius;
    std::vector<Channels> input(static_cast<size_t>(inputWidth));
    std::vector<Channels> rows(size_t(lastRow - firstRow) * size_t(width));

    for (int y = firstRow; y < lastRow; ++y) {
        const auto *line = reinterpret_cast<const std::uint32_t *>(source.constScanLine(y));
        for (int i = 0; i < inputWidth; ++i) {
            const int x = inputLeft + i;
            input[size_t(i)] = (x >= 0 && x < imageWidth) ? unpack(line[x]) : Channels{0, 0, 0, 0};
        }
        Channels *out = &rows[size_t(y - firstRow) * size_t(width)];
        for (int x = 0; x < width; ++x) {
            const Channels *window = &input[size_t(x)];
            Channels sum{0, 0, 0, 0};
            for (int k = 0; k <= 2 * radius; ++k)
                sum += kernel[size_t(k)] * window[k];
            out[x] = sum;
        }
    }

    // Vertical pass, one output row at a time so that the inner loop runs
    // along rows.
    std::vector<Channels> sums(static_cast<size_t>(width));
    for (int y = 0; y < cut.height(); ++y) {
        const int centre = cut.top() + y;
        std::fill(sums.begin(), sums.end(), Channels{0, 0, 0, 0});
        const int from = std::max(firstRow, centre - radius);
        const int to = std::min(lastRow - 1, centre + radius);
        for (int row = from; row <= to; ++row) {
            const float weight = kernel[size_t(row - centre + radius)];
            const Channels *in = &rows[size_t(row - firstRow) * size_t(width)];
            for (int x = 0; x < width; ++x)
                sums[size_t(x)] += weight * in[x];
        }
        auto *line = reinterpret_cast<std::uint32_t *>(result.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = pack(sums[size_t(x)]);
    }
    return result;
}

} // namespace pintora
