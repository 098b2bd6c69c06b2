#include "core/text/RecognitionImage.h"

#include <QPainter>

#include <cstdint>

namespace pintora {

int recognitionScale(const QSize &size)
{
    // Up to about a megapixel (a few paragraphs) twice: small text reads
    // better so; a larger region as it is, which costs half the time and
    // reads as well (see bench/ocr_accuracy).
    return double(size.width()) * size.height() <= 1.1e6 ? 2 : 1;
}

RecognitionImage prepareForRecognition(const QImage &region, int scale, bool turnOver)
{
    if (region.isNull() || scale < 1)
        return {};
    // What is transparent is the page.
    QImage opaque(region.size(), QImage::Format_RGB32);
    if (opaque.isNull())
        return {};
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, region);
    }
    if (scale > 1)
        opaque = opaque.scaled(region.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    RecognitionImage prepared;
    prepared.grey = opaque.convertToFormat(QImage::Format_Grayscale8);
    if (prepared.grey.isNull())
        return {};
    prepared.scale = scale;
    // Light text on a dark ground reads better turned over: the ground is
    // what most pixels are.
    std::uint64_t sum = 0;
    for (int y = 0; y < prepared.grey.height(); ++y) {
        const uchar *row = prepared.grey.constScanLine(y);
        for (int x = 0; x < prepared.grey.width(); ++x)
            sum += row[x];
    }
    prepared.inverted = turnOver && sum < std::uint64_t(prepared.grey.width()) * prepared.grey.height() * 128;
    if (prepared.inverted)
        prepared.grey.invertPixels();
    return prepared;
}

} // namespace pintora
