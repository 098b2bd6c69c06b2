#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <vector>

namespace pintora {

// The image as the canvas shows it: `size` device pixels, opaque (transparent
// pixels composed over a grey checkerboard), each pixel the average of the image pixels it covers when shrinking
// so that screenshot text stays legible, the nearest image pixel when
// enlarging so that single pixels stay sharp.
//
// The same sampling serves a whole rebuild and the update of a changed area,
// so that an updated display is exactly what a rebuild would make.
class DisplayScaling
{
public:
    DisplayScaling(const QSize &imageSize, const QSize &displaySize);

    QSize imageSize() const { return m_imageSize; }
    QSize displaySize() const { return m_displaySize; }

    // The whole display of `image`; null when it cannot be allocated.
    QImage render(const QImage &image) const;

    // The display pixels that show any pixel of `imageArea` (bitmap space).
    QRect displayArea(const QRect &imageArea) const;

    // How a display pixel is made: as the class says, or roughly, from the
    // one image pixel at its centre (a draft while zooming, many times
    // faster when shrinking).
    enum class Quality { exact, draft };

    // Draws `displayRect` of the display afresh from `image` into `display`,
    // which holds the part of the display from `origin` on (all of it by
    // default; a window onto a display too large to keep, when zoomed in).
    void renderArea(const QImage &image, QImage &display, const QRect &displayRect, const QPoint &origin = {},
                    Quality quality = Quality::exact) const;

    // Image pixels an exact render reads for each display pixel, on average.
    double tapsPerPixel() const;

private:
    // The image pixels one display pixel takes along one axis, with weights.
    struct Taps {
        std::vector<int> first; // per display pixel: index into index/weight
        std::vector<int> index; // image pixel
        std::vector<float> weight; // its share, summing to one per display pixel
        std::vector<int> centre; // per display pixel: the image pixel at its centre
    };
    static Taps taps(int imageLength, int displayLength);
    static std::pair<int, int> displayRange(int from, int to, int imageLength, int displayLength);

    QSize m_imageSize;
    QSize m_displaySize;
    Taps m_columns;
    Taps m_rows;
};

} // namespace pintora
