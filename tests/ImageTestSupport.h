#pragma once

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

inline QImage solidImage(int width, int height, const QColor &color, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(color);
    return image;
}

// Every channel, alpha included, within `tolerance` levels.
inline ::testing::AssertionResult colorNear(const QColor &actual, const QColor &expected, int tolerance = 1)
{
    const bool near = std::abs(actual.red() - expected.red()) <= tolerance
        && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance
        && std::abs(actual.alpha() - expected.alpha()) <= tolerance;
    if (near)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.red() << ", " << actual.green() << ", " << actual.blue()
                                         << ", " << actual.alpha() << "), expected (" << expected.red() << ", "
                                         << expected.green() << ", " << expected.blue() << ", " << expected.alpha()
                                         << ") within " << tolerance;
}

// Colour `top` at `alpha` over an opaque `bottom`.
inline QColor over(const QColor &top, double alpha, const QColor &bottom)
{
    auto mix = [alpha](int t, int b) { return int(std::lround(alpha * t + (1 - alpha) * b)); };
    return QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue()));
}
