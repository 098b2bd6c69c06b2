#pragma once

#include <QImage>
#include <QPainter>

namespace pintora {

// A screenshot-like image: flat panels, text-like speckles and edges, as
// opaque 32-bit pixels, the way a decoded PNG screenshot arrives.
inline QImage makeScreenshot(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter painter(&image);
    for (int i = 0; i < 40; ++i)
        painter.fillRect(QRect((i * 397) % width, (i * 211) % height, width / 6, height / 6),
                         QColor::fromHsv((i * 37) % 360, 60, 200));
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setPixelSize(24);
    painter.setFont(font);
    for (int y = 0; y < height; y += 40)
        painter.drawText(20, y, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789 ").repeated(6));
    return image;
}

} // namespace pintora
