#pragma once

#include <QColor>

// What a drag on the canvas does.
enum class DrawMode {
    selection, // selects a region of the image
    rectangle, // draws a rectangle that is burned into the image at the release
};

// How a rectangle is burned into the image.
struct RectangleStyle {
    QColor color;
    double lineWidth; // in image pixels
    bool filled;      // a 30 % tint inside the outline
    bool isBlur;      // blurs the region instead; wins over `filled`
};
