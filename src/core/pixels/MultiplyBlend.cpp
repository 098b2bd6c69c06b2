#include "core/pixels/MultiplyBlend.h"

#include "core/pixels/StrokeCoverage.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace pintora {
namespace {

// x / 255, rounded, for x up to 255 * 255 * 2.
inline unsigned divide255(unsigned x)
{
    return (x + 128 + ((x + 128) >> 8)) >> 8;
}

// Per coverage value k: what each channel keeps of itself (times 255), what
// it gains where the image is not opaque, and the alpha it adds.
struct BlendTable {
    std::array<std::array<unsigned, 3>, 256> keep{};
    std::array<std::array<unsigned, 3>, 256> gain{};
    std::array<unsigned, 256> alpha{};

    BlendTable(const QColor &color, double strength)
    {
        const double channel[3] = {color.redF(), color.greenF(), color.blueF()};
        for (int k = 0; k < 256; ++k) {
            const double amount = std::clamp(strength, 0.0, 1.0) * k / 255.0;
            for (int c = 0; c < 3; ++c) {
                keep[k][c] = unsigned(std::lround(255 * (1 - amount * (1 - channel[c]))));
                gain[k][c] = unsigned(std::lround(255 * amount * channel[c]));
            }
            alpha[k] = unsigned(std::lround(255 * amount));
        }
    }

    // One premultiplied pixel.
    QRgb blend(QRgb pixel, unsigned k) const
    {
        const unsigned a = qAlpha(pixel), clear = 255 - a;
        const unsigned channels[3] = {unsigned(qRed(pixel)), unsigned(qGreen(pixel)), unsigned(qBlue(pixel))};
        unsigned out[3];
        for (int c = 0; c < 3; ++c)
            out[c] = std::min(255u, divide255(channels[c] * keep[k][c] + gain[k][c] * clear));
        return qRgba(int(out[0]), int(out[1]), int(out[2]), int(a + divide255(alpha[k] * clear)));
    }
};

// Applies `blend` to every 32-bit pixel with some coverage.
template <typename Blend>
void blendRows(QImage &pixels, const QImage &coverage, Blend blend)
{
    const int width = std::min(pixels.width(), coverage.width());
    const int height = std::min(pixels.height(), coverage.height());
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(pixels.scanLine(y));
        const uchar *cover = coverage.constScanLine(y);
        for (int x = 0; x < width; ++x)
            if (const unsigned k = cover[x])
                row[x] = blend(row[x], k);
    }
}

} // namespace

void multiplyCoverage(QImage &pixels, const QImage &coverage, const QColor &color, double strength)
{
    const QImage::Format format = pixels.format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied
        && format != QImage::Format_ARGB32) {
        QPainter painter(&pixels);
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        painter.setOpacity(strength);
        painter.drawImage(0, 0, coloredCoverage(coverage, color));
        return;
    }
    const BlendTable table(color, strength);
    switch (format) {
    case QImage::Format_RGB32:
        return blendRows(pixels, coverage,
                         [&table](QRgb pixel, unsigned k) { return table.blend(pixel | 0xff000000u, k); });
    case QImage::Format_ARGB32:
        return blendRows(pixels, coverage, [&table](QRgb pixel, unsigned k) {
            return qUnpremultiply(table.blend(qPremultiply(pixel), k));
        });
    default: return blendRows(pixels, coverage, [&table](QRgb pixel, unsigned k) { return table.blend(pixel, k); });
    }
}

} // namespace pintora
