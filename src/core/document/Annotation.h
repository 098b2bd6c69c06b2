#pragma once

#include <QColor>

namespace pintora {

// What a drag on the canvas does.
enum class DrawMode {
    selection, // selects a region of the image
    rectangle, // draws a rectangle that is burned into the image at the release
};

// How a rectangle is burned into the image.
struct RectangleStyle {
    QColor color = QColor::fromRgbF(1, 0, 0);
    double lineWidth = 3.0; // in image pixels
    bool filled = false; // a 30 % tint inside the outline
    bool isBlur = false; // blurs the region instead; wins over `filled`
    bool solid = false; // with `filled`: the colour itself, opaque, hiding what is under it

    friend bool operator==(const RectangleStyle &, const RectangleStyle &) = default;
};

} // namespace pintora
